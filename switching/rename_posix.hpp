// The three ways the POSIX RenameFile can rename without replacing, exposed so
// that tests and the benchmark can drive each one on any file system.
// Each returns 0 or the errno value of the failure, and changes nothing on failure.
#pragma once

namespace vornhaskel::posix {

// renameat2(RENAME_NOREPLACE): atomic, where the file system supports it.
int RenameNoReplace(const char* from, const char* to) noexcept;

// link() then unlink(): atomic against a competing creator, since link() itself
// refuses an existing target. For file systems that lack RENAME_NOREPLACE.
int RenameByLink(const char* from, const char* to) noexcept;

// A look at the new name, then renameat(), both in the folders opened
// beforehand: for file systems that refuse hard links as well. Not atomic.
int RenameAfterLstat(const char* from, const char* to) noexcept;

}  // namespace vornhaskel::posix
