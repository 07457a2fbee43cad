#include "repair_session.hpp"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "repair_words.hpp"
#include "runner.hpp"

namespace vornhaskel::repair {

namespace {

// The folder that could not be opened, as a full path: on POSIX one that does
// not exist keeps the words it was given, which may be relative.
std::string Absolute(const std::string& folder) {
#ifndef _WIN32
    std::error_code error;
    if (const std::string here = FullPath("", error); !folder.starts_with('/') && !error) return here + "/" + folder;
#endif
    return folder;
}

// Lists the folder and enters the one it leads to; the message that says why
// where either cannot be done, else "".
std::string Open(RepairWindows& windows, const game_folder::Resolution& resolution) {
    if (resolution.error) return CannotOpenFolder(Absolute(resolution.folder), resolution.error);
    if (const std::error_code error = windows.Enter(resolution.Taken())) return CannotOpenFolder(resolution.Taken(), error);
    return {};
}

int RunPlan(RepairWindows& windows, const FolderReport& report, Target target) {
    const TargetPlan& plan = report.Plan(target);
    std::optional<std::string> failure;
    bool checked_first = false;
    try {
        RunSteps(plan.Renames(), [&checked_first](std::string_view old_path, std::string_view new_path) {
            checked_first = RenameFile(old_path, new_path) == RenameWay::kCheckedFirst || checked_first;
        });
    } catch (const std::exception& error) {
        failure = error.what();
    }
    const FolderReport now = ExamineFolder();
    if (failure) {
        windows.Tell(kRenameFailed + AfterFailure(*failure, now, checked_first), true);
        return EXIT_FAILURE;
    }
    windows.Tell(SummaryAfterRepair(now, target), false);
    return EXIT_SUCCESS;
}

// Where a run given no folder starts, in `place`: the working directory (""),
// unless it leads to no game folder (or the stores come first) and the stores'
// records lead to some; then the one they lead to, the one the player picks
// among several, or the folder chosen instead. False where the player cancels
// the choice.
bool StartWithoutAFolder(RepairWindows& windows, const FindInstalls& find_installs, bool stores_first,
                         stores::Install& place) {
    const game_folder::Resolution here = game_folder::Resolve("");
    if (!stores_first && !here.found.empty()) return true;
    const std::vector<stores::Install> installs = find_installs();
    if (installs.size() == 1) place = installs.front();
    while (installs.size() > 1) {
        const std::optional<std::size_t> picked = windows.ChooseInstall(installs);
        if (!picked) return false;
        if (*picked < installs.size()) {
            place = installs[*picked];
            break;
        }
        if (std::optional<std::string> chosen = windows.Choose(here.Taken())) {
            place.folder = std::move(*chosen);
            break;
        }
    }
    return true;
}

}  // namespace

int RunSession(RepairWindows& windows, const std::string& given, const FindInstalls& find_installs,
               bool stores_first) {
    stores::Install place{given, {}};  // the folder to look at, and the store whose record led to it, if one did
    if (given.empty() && !StartWithoutAFolder(windows, find_installs, stores_first, place)) return EXIT_SUCCESS;
    std::optional<stores::Install> shown;  // the folder of the last dialog
    for (;;) {
        game_folder::Resolution resolution = game_folder::Resolve(place.folder);
        if (resolution.Found()) resolution.store = place.where;
        if (const std::string failure = Open(windows, resolution); !failure.empty()) {
            windows.Tell(failure, true);
            if (std::optional<std::string> chosen = windows.Choose(game_folder::FolderAbove(Absolute(resolution.Taken()))))
                place = {std::move(*chosen), {}};
            else if (shown && shown->folder != place.folder)  // not the one that just failed: it would fail again
                place = *shown;
            else
                return EXIT_FAILURE;
            continue;
        }
        place.folder = resolution.folder;  // a full path, whatever the working directory
        shown = place;
        FolderReport report = ExamineFolder();
        const Answer answer = AnswerOnAFreshLook(
            report,
            [&](const FolderReport& now, bool changed) { return windows.Ask(now, resolution, changed); },
            [](Answer given_answer) {
                return given_answer == Answer::kNormalMusic || given_answer == Answer::kModMusic;
            });
        switch (answer) {
        case Answer::kChoose:
            if (std::optional<std::string> chosen = windows.Choose(resolution.Taken())) place = {std::move(*chosen), {}};
            continue;
        case Answer::kNormalMusic:
            return RunPlan(windows, report, Target::kNormal);
        case Answer::kModMusic:
            return RunPlan(windows, report, Target::kMod);
        case Answer::kClose:
            break;
        }
        return EXIT_SUCCESS;
    }
}

std::vector<std::size_t> RowsShown(const std::vector<std::size_t>& sizes) {
    std::vector<std::size_t> rows(sizes);
    for (std::size_t& size : rows) size = std::min(size, kListRows);
    return rows;
}

bool GiveUpARow(std::vector<std::size_t>& rows) {
    const auto most = std::max_element(rows.rbegin(), rows.rend());
    if (most == rows.rend() || *most <= 1) return false;
    --*most;
    return true;
}

}  // namespace vornhaskel::repair
