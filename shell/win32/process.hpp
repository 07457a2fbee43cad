// What both programs set up first, and the key filter that their dialog boxes share.
#pragma once

#include "fresh_keys.hpp"

namespace vornhaskel::win32 {

// Call first thing: every DLL loaded from then on comes from System32 only.
void RestrictDllSearch() noexcept;

// The thread's one record of fresh presses, shared by a program's own message
// loop and the filter below, so that a press begun in one ends in the other.
extern FreshKeys fresh_keys;

// From now on, every dialog box and message box of this thread drops the
// presses that fresh_keys drops. A dialog box runs its own message loop; this
// WH_MSGFILTER hook sees its messages first.
void FilterDialogKeys() noexcept;

}  // namespace vornhaskel::win32
