// The three ways the POSIX RenameFile can rename without replacing, exposed so
// that tests and the benchmark can drive each one on any file system, and the
// path form that the rename and the look at a folder share.
// Each returns 0 or the errno value of the failure, and changes nothing on failure.
#pragma once

#include <string>
#include <string_view>

namespace vornhaskel::posix {

// renameat2(RENAME_NOREPLACE): atomic, where the file system supports it.
int RenameNoReplace(const char* from, const char* to) noexcept;

// link() then unlink(): atomic against a competing creator, since link() itself
// refuses an existing target. For file systems that lack RENAME_NOREPLACE.
int RenameByLink(const char* from, const char* to) noexcept;

// A look at the new name, then renameat(), both in the folders opened
// beforehand: for file systems that refuse hard links as well. Not atomic.
int RenameAfterLstat(const char* from, const char* to) noexcept;

// A path of the table's form ("folder\\file") with "/" for each backslash; an
// absolute path is one the system gave, whose backslashes are its names' own.
std::string NativePath(std::string_view path);

}  // namespace vornhaskel::posix
