// How Windows reads the names of a path and the entries of a listing. Plain
// functions of names and numbers, without <windows.h>: every build's tests
// drive them, though only the Windows build acts on them. ExactPath alone asks
// the system, and exists in the Windows build only (folder_look_win32.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace vornhaskel {

// Whether the Win32 path rules read `name`, one name of a path, as another
// name or as no file at all: a name that ends in a dot or a space, which the
// rules drop, or a reserved device name (CON, PRN, AUX, NUL, COM0 to COM9,
// LPT0 to LPT9, with ¹, ² or ³ for the digit too, CONIN$, CONOUT$), in any
// case, with any extension and with spaces before it ("nul .txt"). Only a
// "\\?\" path reaches an entry so named. "." and ".." name no entry and are
// read as themselves.
bool Win32AltersName(std::string_view name);

// Whether any name of `path`, its parts split at backslashes and slashes, is one.
bool Win32AltersPath(std::string_view path);

// The reparse tags, from WIN32_FIND_DATAW.dwReserved0, that make a link.
inline constexpr std::uint32_t kReparseTagMountPoint = 0xA0000003;  // a junction, or a volume mounted on a folder
inline constexpr std::uint32_t kReparseTagSymlink = 0xA000000C;

// Whether a reparse point with `tag` leads elsewhere: a symbolic link or a
// junction. Other reparse points (OneDrive's placeholders, deduplicated files,
// and the like) hold their own contents, and are the files and folders they
// appear to be. Wine names no tag (0) for a link to a folder, and no other
// reparse point exists there: an entry marked a reparse point without a tag is
// taken for a link.
bool ReparsePointIsLink(std::uint32_t tag);

// `path`, UTF-8, as the wide path that reaches the very names it spells. One
// whose names the Win32 rules read as spelt (win32_paths.hpp) is passed as it
// is, and behaves as it always has; one with a name they would change is made
// a "\\?\" path, which they take letter for letter. Empty, with `error` set,
// where `path` is not UTF-8 or cannot be made full.
std::wstring ExactPath(std::string_view path, std::error_code& error);

}  // namespace vornhaskel
