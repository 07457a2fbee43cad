// How the launcher and the repair tool come to a folder, written once: from a
// folder given, or from where the game stores installed the game (one found is
// taken; among several the player picks one, or the chooser), and, where a
// folder cannot be opened, a message with the system's words and the chooser
// again, opened above it. Each platform supplies its windows through FolderWindows.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "game_folder.hpp"
#include "stores.hpp"

namespace vornhaskel::flow {

// What each platform draws. These may throw; no exception leaves a window's own callbacks.
class FolderWindows {
public:
    virtual ~FolderWindows() = default;

    // The folder chooser, opened at `start`: the folder chosen, or nothing on Cancel.
    virtual std::optional<std::string> Choose(const std::string& start) = 0;

    // The choice among several game folders that the stores' records lead to:
    // a button for each, captioned with its full path, then "Choose another
    // folder…" and Cancel. The index of the folder picked, installs.size() for
    // the chooser, or nothing on Cancel.
    virtual std::optional<std::size_t> ChooseInstall(const std::vector<stores::Install>& installs) = 0;

    // One message with the tool's title, returning once dismissed; a failure's
    // shows as an error, and its text begins with what failed.
    virtual void Tell(const std::string& text, bool failure) = 0;

    // The window shown while the stores' look runs long, titled as the tool:
    // `line()`, read again as the look goes on, and Cancel. It closes once
    // `done()` is true, and returns true then, or false on Cancel. Both are
    // called on this thread. By default no window shows: it waits for `done()`.
    virtual bool WhileLooking(const std::function<std::string()>& line, const std::function<bool()>& done);
};

// What the stores' records say, on this machine unless a test answers.
struct Stores {
    // Told each folder before it is looked over; it may be called on a thread of its own.
    using LookingIn = std::function<void(const std::string& folder)>;
    using Find = std::function<stores::Found(const LookingIn& looking_in)>;
    Find find_installs = [](const LookingIn& looking_in) { return stores::FindInstallsAndBroken(looking_in); };
    std::function<std::string()> first_library = [] { return stores::FirstSteamCommon(); };
};

// Where each install was found, a line each ("• PATH (Steam library)"), for
// the choice among them under game_folder::InstallsFound.
std::string WhereFound(const std::vector<stores::Install>& installs);

// Where the chooser opens before any folder was looked at: the first Steam
// library's game folders, else `otherwise`. The same from both tools.
std::string FirstChooserFolder(const Stores& stores, const std::string& otherwise);

// The folder that the installs found lead to, in `place`: the one found, the
// one the player picks among several, or the folder chosen instead, the
// chooser opened at FirstChooserFolder. Cancel in the choice gives false; no
// install leaves `place` as it is, and names first each game folder found not
// whole, in one message.
bool FromTheStores(FolderWindows& windows, const stores::Found& found, const Stores& stores,
                   const std::string& otherwise, stores::Install& place);

// Makes a folder, a full path, the working directory; the system's error where it cannot.
using EnterFunction = std::function<std::error_code(const std::string& folder)>;

struct Opened {
    std::optional<game_folder::Resolution> resolution;  // nothing once the chooser was cancelled
    std::string failed;  // then the full path of the last folder, where it could not be opened
};

// The folder `place` leads to, resolved and entered, with the store whose record
// led to it. A folder that cannot be listed or entered is named with the
// system's words, and the chooser opens above it. Where `game_folder_only`, a
// folder that leads to no game folder or to several is named with what it
// lacks, and the chooser opens there.
Opened Open(FolderWindows& windows, stores::Install place, const EnterFunction& enter, bool game_folder_only);

// `folder` as a full path, taken from the working directory where it is
// relative (on POSIX, a folder that does not exist keeps its words).
std::string Absolute(const std::string& folder);

}  // namespace vornhaskel::flow
