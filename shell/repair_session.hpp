// One run of the repair tool, the same on every platform: which folder it looks
// at, when it asks again, and what it says at the end. Each platform supplies
// its windows through RepairWindows, as a backend.
//
// The folder given ("" for the working directory) is resolved to a game folder
// and entered, then the dialog asks about it. Given no folder, in a working
// directory that leads to no game folder, the run looks where the game stores
// installed it: one game folder found is taken, and the dialog says which
// store led to it; among several the player picks one, or the chooser. A
// folder given or chosen is never replaced by one found. "Choose the game
// folder" opens the chooser; the folder chosen is looked at the same way, and
// Cancel shows the same folder again. A folder that cannot be listed or
// entered is named in a message with the system's words, and the chooser opens
// above it; Cancel there goes back to the last folder shown. A choice of music
// stands only if the folder, read again, is as the dialog showed it; then the
// plan runs, and a message says what the folder now holds.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "folder_flow.hpp"
#include "folder_look.hpp"
#include "game_folder.hpp"
#include "repair.hpp"
#include "stores.hpp"

namespace vornhaskel::repair {

enum class Answer { kClose, kNormalMusic, kModMusic, kChoose };

// What each platform draws, besides the windows that come to a folder.
class RepairWindows : public flow::FolderWindows {
public:
    // Makes `folder`, a full path, the working directory; the system's error where it cannot.
    virtual std::error_code Enter(const std::string& folder) = 0;

    // Shows the dialog on `report`, the folder that `resolution` took; `changed`
    // when the folder was read again since the last answer and no longer matched.
    virtual Answer Ask(const FolderReport& report, const game_folder::Resolution& resolution, bool changed) = 0;
};

// The rename that runs a plan's steps: RenameAsSpelt in the tool; a test fails one.
using RenameWith = std::function<RenameWay(std::string_view old_path, std::string_view new_path)>;

// Runs the tool to its end: 0 after a repair, Close or Cancel, 1 after a
// failure's message, or when the folder given, or the one last shown, could not
// be opened and no other was chosen. The stores' records are asked only when no
// folder is given, and then where the working directory leads to no game folder,
// or first where `stores_first`: started in the home folder (from the menu), a
// copy of the game below it must not win over the one the stores installed.
int RunSession(RepairWindows& windows, const std::string& given, const flow::Stores& records = {},
               bool stores_first = false, const RenameWith& rename = RenameAsSpelt);

// The player's answer to a dialog on the working directory, given on the folder
// as it is when it is given: `ask(report, changed)` shows `report` and returns
// the answer. An answer for which `runs` is true (a plan to run) stands only if
// the folder, read again, is as the dialog showed it; otherwise `report` is
// read afresh and asked about again, with `changed` true.
template <typename Ask, typename Runs>
auto AnswerOnAFreshLook(FolderReport& report, Ask ask, Runs runs) {
    auto answer = ask(report, false);
    while (runs(answer)) {
        FolderReport now = ExamineFolder();
        if (now == report) break;
        report = std::move(now);
        answer = ask(report, true);
    }
    return answer;
}

// The layout budget of the dialog, the same on both platforms. Each list (the
// renames of found files, the reasons) shows at most kListRows rows at once and
// scrolls, or pages, through the rest. Where the dialog would still not fit the
// screen's work area, with the reasons open, the lists give up rows, one at a
// time from the one that shows the most, until it fits or each shows one row.
inline constexpr std::size_t kListRows = 8;

// The rows each list shows at first, for lists of these sizes.
std::vector<std::size_t> RowsShown(const std::vector<std::size_t>& sizes);

// Takes one row from the list showing the most (the last of equals); false where
// every list already shows one row or none.
bool GiveUpARow(std::vector<std::size_t>& rows);

}  // namespace vornhaskel::repair
