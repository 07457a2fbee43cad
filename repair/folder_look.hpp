// The repair tools' platform seam beside the rename: a look at a name that
// neither opens nor follows it, a look at which file or folder a name leads
// to, a folder listing, a look at mounts, the full path of a folder, and the
// rename of a name found on disk. Each platform implements it in its own
// source file (folder_look_posix.cpp, folder_look_win32.cpp); CMake compiles
// exactly one of them. Nothing here writes, but RenameAsSpelt.
//
// On Windows every path reaches the very names it spells, even a name that the
// Win32 path rules would read as another ("MyMod." as "MyMod": see win32_paths.hpp).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "rename_file.hpp"

namespace vornhaskel {

// RenameFile for a plan of the repair tools, whose names were found on disk:
// on Windows each name is reached as it is spelt, where RenameFile's fixed
// names never need that. The same contract otherwise.
RenameWay RenameAsSpelt(std::string_view old_path, std::string_view new_path);

// What a name is. A symlink is an entry of its own, like a file: a rename moves
// the link and never its target.
enum class NameKind { kAbsent, kFile, kFolder, kUnknown };

struct NameInfo {
    NameKind kind = NameKind::kAbsent;
    std::error_code error;  // why it could not be examined, for kUnknown

    bool operator==(const NameInfo&) const = default;
};

// Examines "folder" or "folder\file", relative to the working directory, with
// lstat or GetFileAttributesW: nothing is opened or read. A file name is never
// followed; a folder name is, as the renames go through a linked folder too. A
// name under a missing folder is absent; any other failure is kUnknown with its cause.
NameInfo ExamineName(std::string_view path);

// Which file or folder a name leads to: two names with one identity (a link
// and its target, a bind mount and its source, two spellings on a drive that
// ignores case) reach the same one.
struct Identity {
    std::uint64_t volume = 0;  // the device on POSIX, the volume's serial number on Windows
    std::uint64_t file = 0;    // the inode on POSIX, the file index on Windows
    bool folder = false;

    bool operator==(const Identity&) const = default;
};

// The identity of what `path` ("folder" or "folder\file", relative to the
// working directory, or absolute) leads to, every link followed: stat on
// POSIX, on Windows a handle opened for no access. Nothing when it cannot be
// reached; then `error` holds why (no_such_file_or_directory for a name that
// is not there).
std::optional<Identity> IdentityOf(std::string_view path, std::error_code& error);

// IdentityOf as the planner and the folder resolution pass it on; the tests answer from a model.
using IdentityFunction = std::function<std::optional<Identity>(std::string_view path, std::error_code& error)>;

// One entry of a folder, as the folder itself records it: nothing is followed.
enum class EntryKind {
    kFile,    // a regular file (one where another file is mounted too: see OnAnotherMount)
    kFolder,  // a folder on the listed folder's own mount
    kLink,    // a symbolic link or junction, wherever it leads (no other reparse point)
    kOther,   // anything else: a device, a pipe, a folder where another file system or a bind mount is mounted
};

struct FolderEntry {
    std::string name;  // UTF-8, exactly as the file system spells it
    EntryKind kind = EntryKind::kOther;

    bool operator==(const FolderEntry&) const = default;
};

// Lists `folder` ("" for the working directory; a path in the form above, any
// number of backslashes, or absolute), without "." and "..", in no set order.
// The folder itself may be reached through a link; its entries are never
// followed. On failure the result is empty and `error` holds the cause.
std::vector<FolderEntry> ListFolder(std::string_view folder, std::error_code& error);

// ListFolder as the repair tools pass it on; the tests answer from a model.
using ListFunction = std::function<std::vector<FolderEntry>(std::string_view folder, std::error_code& error)>;

// Whether the file at `path` is on another mount than `folder`, both in the
// form above, so that no rename can move it there: a file where another is
// mounted (a bind mount), or one on another file system. A listing tells this
// of its folders but not of its files, short of a look at each one; this is
// that look, for the few files a plan would rename. False where it cannot
// tell: a rename that then fails changes nothing.
bool OnAnotherMount(std::string_view path, std::string_view folder);

// OnAnotherMount as the repair tools pass it on; the tests answer from a model.
using MountFunction = std::function<bool(std::string_view path, std::string_view folder)>;

// The full path of `folder` as the player gave it ("" for the working directory),
// in UTF-8 on Windows: on POSIX with every link and ".." resolved (realpath), on
// Windows made absolute by name (GetFullPathNameW), each name kept as spelt.
// On failure the result is empty and `error` holds the cause.
std::string FullPath(std::string_view folder, std::error_code& error);

}  // namespace vornhaskel
