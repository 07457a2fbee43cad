// What every window of vornhaskel and vornhaskel-repair shares: keys that act
// only on a fresh press, the application icon, the message box, and the folder
// chooser.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>

namespace vornhaskel {

// Drops a press of an activation key on `window` that is an auto-repeat, or that
// belongs to a key already down when the window gained the keyboard (the Enter
// that started the program, or the one whose click led to a message). Such a key
// acts again only once it has been released and pressed afresh.
void ActOnFreshKeysOnly(GtkWidget* window);

// The application icon at 16, 32 and 48 pixels, for `window`, or for every
// window the program opens from now on when `window` is null.
void SetApplicationIcon(GtkWindow* window);

// Screen readers announce a message dialog by its type ("Question", "Error")
// unless it has a name of its own: `name`, its title.
void NameForScreenReaders(GtkWidget* dialog, const char* name);

// One modal message with no parent, keys acting only on a fresh press; returns
// once the player has dismissed it.
void ShowMessage(GtkMessageType type, const char* title, const char* text);

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

}  // namespace vornhaskel
