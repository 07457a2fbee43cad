// The windows that the repair tool and the launcher share: the folder given on
// the command line, a message box, the folder chooser and the choice among the
// game folders that the stores' records lead to. Each takes its tool's title.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "stores.hpp"

namespace vornhaskel::win32 {

// A message box titled `title` with no owner, returning once dismissed.
void Tell(const wchar_t* title, const std::wstring& text, UINT icon) noexcept;

[[noreturn]] void TellAndExit(const wchar_t* title, const std::wstring& text, UINT icon, int exit_code) noexcept;

// The one argument in UTF-8, or "" for none. More than one ends the process
// with a message saying that `tool` takes one game folder.
std::string GivenFolder(const wchar_t* title, const char* tool);

// The system's folder chooser, titled "Choose the game folder" and opened at
// `start`. Returns the folder chosen, or "" on Cancel.
std::wstring ChooseGameFolder(const std::wstring& start);

// The choice among several game folders found: a task dialog titled `title`
// that says where each was found, with a command link for each, captioned with
// its full path, then one for the chooser, and Cancel. The index of the folder
// picked, installs.size() for the chooser, or nothing on Cancel.
std::optional<std::size_t> ChooseInstall(const wchar_t* title, const std::vector<stores::Install>& installs);

// A task dialog titled `title` with `flags`, kTaskDialogWidth dialog units wide
// (a path stays on one line) and a Cancel button, which Escape also presses;
// the caller adds its content and buttons.
TASKDIALOGCONFIG CancellableTaskDialog(const wchar_t* title, TASKDIALOG_FLAGS flags);

inline constexpr UINT kTaskDialogWidth = 300;  // dialog units

// The width, in dialog units, of a task dialog whose row of buttons holds push
// buttons captioned `captions` ("&" before an access key; "" for none) and
// `common` of the system's own: kTaskDialogWidth, or wider where the captions, measured in the
// font the dialog draws with, would not fit in one row. Wine does not widen a
// task dialog for its buttons, and clips the last; a translation may run a
// third longer than the English.
UINT TaskDialogWidth(std::initializer_list<const wchar_t*> captions, int common);

// Wine's task dialog sizes a push button to its caption with a pixel to spare
// each side, then draws the caption inside the button's edge of two, so that a
// caption wider than the narrowest button loses its first and last pixels (the
// Russian "Обычная музыка"). Each such button of `dialog` is widened to hold its
// caption inside its edge and focus rectangle, and the buttons to its left in
// its row move over to make room, where the row has it. Windows draws a task
// dialog's buttons itself, with no windows of their own, and so is left as it is.
void WidenButtons(HWND dialog) noexcept;

// A task dialog's callback for a dialog that needs none of its own: widens the
// buttons (WidenButtons) once the dialog is laid out.
HRESULT CALLBACK WidenButtonsOnceShown(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR) noexcept;

// While the stores' look runs long: a task dialog titled `title` with the
// line `line()` gives, read again on each tick of its timer, and Cancel. It
// closes once `done()` is true and returns true, or false on Cancel. What
// `line` throws is thrown here, once the dialog is gone.
bool LookingWindow(const wchar_t* title, const std::function<std::string()>& line, const std::function<bool()>& done);

}  // namespace vornhaskel::win32
