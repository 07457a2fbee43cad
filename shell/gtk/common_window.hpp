// What every window of the three programs shares: keys that act only on a
// fresh press, the application icon, and the message box.
#pragma once

#include <gtk/gtk.h>

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

// The work area of the monitor that a dialog is centred on: the pointer's.
GdkRectangle WorkArea(GtkWidget* dialog);

// The window manager's frame around a dialog, which GTK cannot measure before the
// dialog is shown: kept free of the work area, in pixels at scale 1.
inline constexpr int kFrameAllowance = 64;

// A dialog's row of buttons gives each button the width of the widest caption.
// Where that would make the dialog `dialog` wider than the work area, as long
// captions in a large text can, each button takes its own caption's width
// instead. `button` is one of the row. Called before the dialog shows; a row
// that fits stays as it is.
void FitButtonRow(GtkWidget* dialog, GtkWidget* button);

}  // namespace vornhaskel
