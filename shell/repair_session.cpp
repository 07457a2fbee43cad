#include "repair_session.hpp"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "folder_look.hpp"
#include "repair_words.hpp"
#include "runner.hpp"
#include "stores_look.hpp"

namespace vornhaskel::repair {

namespace {

int RunPlan(RepairWindows& windows, const FolderReport& report, Target target, const RenameWith& rename) {
    const TargetPlan& plan = report.Plan(target);
    std::optional<std::string> failure;
    bool checked_first = false;
    try {
        RunSteps(plan.Renames(), [&](std::string_view old_path, std::string_view new_path) {
            checked_first = rename(old_path, new_path) == RenameWay::kCheckedFirst || checked_first;
        });
    } catch (const std::exception& error) {
        failure = error.what();
    }
    const FolderReport now = ExamineFolder();
    if (failure) {
        windows.Tell(AfterFailure(*failure, now, checked_first), true);
        return EXIT_FAILURE;
    }
    windows.Tell(SummaryAfterRepair(now, target), false);
    return EXIT_SUCCESS;
}

}  // namespace

int RunSession(RepairWindows& windows, const std::string& given, const flow::Stores& records, bool stores_first,
               const RenameWith& rename) {
    stores::Install place{given, {}};  // the folder to look at, and the store whose record led to it, if one did
    if (given.empty()) {
        // The working directory, unless it leads to no game folder, or the stores come first.
        const game_folder::Resolution here = game_folder::Resolve("");
        if (stores_first || here.found.empty()) {
            const std::optional<stores::Found> found = flow::FindBesideTheWindows(windows, records.find_installs);
            if (!found || !flow::FromTheStores(windows, *found, records, here.Taken(), place)) return EXIT_SUCCESS;
        }
    }
    const auto enter = [&windows](const std::string& folder) { return windows.Enter(folder); };
    std::optional<stores::Install> shown;  // the folder of the last dialog
    for (;;) {
        const flow::Opened opened = flow::Open(windows, place, enter, false);
        if (!opened.resolution) {
            // Back to the folder last shown, unless that is the one that just failed,
            // or the game folder it leads to: it would fail again.
            if (!shown || place.folder == shown->folder || opened.failed == shown->folder) return EXIT_FAILURE;
            place = *shown;
            continue;
        }
        const game_folder::Resolution& resolution = *opened.resolution;
        place = {resolution.folder, resolution.store};  // a full path, whatever the working directory
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
            return RunPlan(windows, report, Target::kNormal, rename);
        case Answer::kModMusic:
            return RunPlan(windows, report, Target::kMod, rename);
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
