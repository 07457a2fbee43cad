// The one platform seam: a rename that never replaces anything, a look at
// whether a name exists that neither opens nor follows it, and a folder listing.
//
// Each platform implements both in its own source file (rename_file_posix.cpp,
// rename_file_win32.cpp); CMake compiles exactly one of them.
//
// On Windows every path reaches the very names it spells, even a name that the
// Win32 path rules would read as another ("MyMod." as "MyMod": see win32_paths.hpp).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vornhaskel {

// A failed rename: the operating system's own code and words, plus both paths
// exactly as the caller gave them. what() reads "old -> new: cause".
class RenameError : public std::system_error {
public:
    RenameError(std::error_code code, std::string_view old_path, std::string_view new_path);

    const std::string& old_path() const noexcept { return old_path_; }
    const std::string& new_path() const noexcept { return new_path_; }

private:
    std::string old_path_;
    std::string new_path_;
};

// Renames the file at old_path to new_path, both "folder\file" relative to the
// working directory as it is at the time of the call. Either the file now has
// the new name, or nothing changed and RenameError is thrown. An existing entry
// at new_path (file, folder, symlink, even a dangling one) is never replaced.
void RenameFile(std::string_view old_path, std::string_view new_path);

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
