// The windows of the launcher and the repair tool that the program never shows:
// the folder chooser, the choice among several game folders that the stores'
// records lead to, and the launcher's window that holds a click back.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include <string>

#include "launch_session.hpp"
#include "stores.hpp"

namespace vornhaskel {

// A modal dialog titled `title` that says where each folder was found, with a
// button for each, captioned with its full path, then "Choose another folder…"
// and Cancel. The first folder's button has the focus: Enter alone takes it,
// and renames nothing, as the windows that follow ask first. Returns the index
// of the folder picked, installs.size() for "Choose another folder…", or
// nothing on Cancel.
std::optional<std::size_t> ChooseInstall(const char* title, const std::vector<stores::Install>& installs);

// The platform's folder chooser (GtkFileChooserNative, through the desktop
// portal where one runs), titled "Choose the game folder", with "Select Folder" to
// accept, and opened at `start`.
// Returns the folder chosen, or nothing on Cancel. A folder without a local path
// is refused with a message titled `title`, and the chooser opens again. A typed
// path (Ctrl+L) works in the portal's dialog as in GTK's own. Its window cannot be
// given the fresh-key filter: GTK keeps its own dialog to itself, and a portal's
// belongs to another process. So an Enter held from the start accepts the start
// folder; the window that follows ignores that Enter until it is pressed afresh.
std::optional<std::string> ChooseGameFolder(const char* title, const std::string& start);

// A modal dialog titled `title` that names the folder (`folder_line`), says
// `why` a click is held back, and offers "Open the repair tool" (the default,
// with the focus), "Choose another folder…" and Cancel; Escape or closing it
// is Cancel.
launch::HeldBackAnswer HoldBackWindow(const char* title, const std::string& folder_line, const std::string& why);

// While the stores' look runs long: a dialog titled `title` with the line
// `line()` gives, read again every tenth of a second, and Cancel. It closes
// once `done()` is true and returns true, or false on Cancel, Escape or
// closing it. What `line` throws is thrown here, once the dialog is gone.
bool LookingWindow(const char* title, const std::function<std::string()>& line, const std::function<bool()>& done);

}  // namespace vornhaskel
