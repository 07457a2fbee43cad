// The program's platform seam: a rename that never replaces anything. Each
// platform implements it in its own source file (rename_file_posix.cpp,
// rename_file_win32.cpp); CMake compiles exactly one of them. The repair
// tools' look at a folder is a seam of its own (repair/folder_look.hpp).
#pragma once

#include <string>
#include <string_view>
#include <system_error>

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

// How a rename kept from replacing a file.
enum class RenameWay {
    kOneStep,       // the system's own rename refused a taken name, or a hard link claimed it
    kCheckedFirst,  // the drive offers neither: the new name was seen free, then the rename ran
};

// Renames the file at old_path to new_path, both "folder\file" relative to the
// working directory as it is at the time of the call. Either the file now has
// the new name, or nothing changed and RenameError is thrown. An existing entry
// at new_path (file, folder, symlink, even a dangling one) is never replaced;
// after kCheckedFirst, one that another program created there between the
// check and the rename may have been (FAT and exFAT through FUSE on Linux).
RenameWay RenameFile(std::string_view old_path, std::string_view new_path);

}  // namespace vornhaskel
