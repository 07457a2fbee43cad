// One run of the launcher, the same on every platform: it comes to the game
// folder as the repair tool does (a folder given wins; else where the stores
// installed the game; else the chooser), enters it, and looks at what each of
// the program's two buttons would do there before the program's window opens.
// Where a click can do no harm, the program starts at once. Otherwise a window
// says what holds the click back and offers the repair tool, the chooser, or
// Cancel. Nothing is renamed here: the launcher only lists folders.
#pragma once

#include <optional>
#include <string>
#include <system_error>

#include "folder_flow.hpp"
#include "game_folder.hpp"
#include "folder_look.hpp"

namespace vornhaskel::launch {

enum class Program { kSwitcher, kRepair };  // vornhaskel, vornhaskel-repair
enum class HeldBackAnswer { kCancel, kRepair, kChoose };

class LaunchWindows : public flow::FolderWindows {
public:
    // Makes `folder`, a full path, the working directory; the system's error where it cannot.
    virtual std::error_code Enter(const std::string& folder) = 0;

    // The window that holds a click back, titled "vornhaskel": it names the
    // folder that `resolution` took, says `why`, and offers "Open the repair
    // tool" (the default), "Choose another folder…" and Cancel.
    virtual HeldBackAnswer HoldBack(const game_folder::Resolution& resolution, const std::string& why) = 0;
};

// How a run ends: the program to start in the working directory, the game
// folder now, or the exit status: 0 after Cancel, 1 when the last folder tried
// could not be opened.
struct Ending {
    std::optional<Program> start;
    int status = 0;

    bool operator==(const Ending&) const = default;
};

// Runs the launcher for `program`, given `folder` or none. `otherwise` is where
// the chooser opens when the stores know no Steam library; `list` lists the
// music folders for the look.
Ending RunLaunch(LaunchWindows& windows, Program program, const std::optional<std::string>& folder,
                 const std::string& otherwise, const flow::Stores& records = {}, const ListFunction& list = ListFolder);

}  // namespace vornhaskel::launch
