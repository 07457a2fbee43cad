// The platform seam of the store readers: where this machine keeps the
// player's home, environment, registry and removable drives. Each platform
// fills it in its own source file (places_posix.cpp, places_win32.cpp); CMake
// compiles exactly one. The tests fill it with made-up homes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "folder_look.hpp"

namespace vornhaskel::stores {

enum class RegistryRoot { kCurrentUser, kLocalMachine };

// Which of the two registries a 64-bit Windows keeps under SOFTWARE: the
// 32-bit programs' one is WOW6432Node.
enum class RegistryView { k64, k32 };

// A string value of a registry key, in UTF-8; "" where the key or the value is
// missing or holds no string. Key paths are spelt with backslashes, in any case.
using RegistryValue =
    std::function<std::string(RegistryRoot root, RegistryView view, std::string_view key, std::string_view name)>;

// The names of a registry key's sub-keys, in UTF-8; none where the key is missing.
using RegistrySubKeys = std::function<std::vector<std::string>(RegistryRoot root, RegistryView view, std::string_view key)>;

struct Places {
    std::string home;  // the player's home folder, where the stores of Linux keep their records
    // An environment variable's value; "" where it is unset.
    std::function<std::string(std::string_view name)> environment;
    RegistryValue registry_value;     // empty where there is no registry
    RegistrySubKeys registry_subkeys;  // empty where there is no registry
    // Where Linux mounts removable drives: "/run/media", and "/media" where Debian and Ubuntu do.
    std::vector<std::string> media_roots;
    ListFunction list;                // how folders are listed (needed): ListFolder on this machine
    // How the folders of an install are looked over before one is resolved: a
    // listing that may take a folder on another drive for a plain one, and so
    // costs less (ListNames on this machine); `list` where it is empty.
    ListFunction list_names;
    // How a store's record is read: ReadRecord where it is empty.
    std::function<bool(std::string_view path, std::size_t limit, std::string& contents)> read;
    // Told each library and each folder a store's record leads to, a full path,
    // before it is looked over; may be empty. It may run on a thread of its own.
    std::function<void(const std::string& folder)> looking_in;
};

// This machine's places.
Places ThisMachine();

// The one spelling of `path` that every way to it shares, for telling whether
// two paths reach one folder: on POSIX with every link resolved (realpath), on
// Windows the final path of the folder itself (links followed, the case as the
// drive keeps it). On failure, a loop of links among them, the result is empty
// and `error` holds the cause.
std::string RealPath(std::string_view path, std::error_code& error);

// Lists `folder` as ListFolder does, but takes each entry's kind from the
// folder's own record alone where it has one: a folder is kFolder wherever it
// is mounted. On failure the result is empty and `error` holds the cause.
std::vector<FolderEntry> ListNames(std::string_view folder, std::error_code& error);

// The whole of a store's record, a regular file opened only to be read; false
// where it cannot be read or is larger than `limit` bytes.
bool ReadRecord(std::string_view path, std::size_t limit, std::string& contents);

// ReadRecord, through `places.read` where it is set.
bool ReadRecord(const Places& places, std::string_view path, std::size_t limit, std::string& contents);

}  // namespace vornhaskel::stores
