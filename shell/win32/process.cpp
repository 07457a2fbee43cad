#include "process.hpp"

#include <cstdlib>
#include <exception>

namespace vornhaskel::win32 {

FreshKeys fresh_keys;

// Players start the programs from game and download folders, where other DLLs
// lie about: every DLL loaded from now on (theming, the message box's, an input
// method's) comes from System32 only. Windows 7 without KB2533623 lacks the call;
// there the program carries on as before.
void RestrictDllSearch() noexcept {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (found)
        // SYSTEM32 alone: DEFAULT_DIRS would add the exe's own folder, the game folder.
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
}

namespace {

// Called by Windows from C: nothing may propagate out of it, and Drops throws nothing.
LRESULT CALLBACK DialogKeyFilter(int code, WPARAM wparam, LPARAM lparam) noexcept {
    if (code == MSGF_DIALOGBOX && fresh_keys.Drops(*reinterpret_cast<const MSG*>(lparam))) return 1;
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

void FilterDialogKeys() noexcept {
    ::SetWindowsHookExW(WH_MSGFILTER, DialogKeyFilter, nullptr, ::GetCurrentThreadId());
}

}  // namespace vornhaskel::win32

// Takes the place of the library's verbose terminate handler, which names the
// exception's type through the C++ demangler: about 45 KB of each executable. No
// exception leaves the programs' callbacks, so it never runs; if it ever did,
// abort is enough. Linked as an object, so that it always replaces the library's.
void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }
