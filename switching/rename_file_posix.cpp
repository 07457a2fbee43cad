#ifndef _GNU_SOURCE
#define _GNU_SOURCE 1
#endif

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "rename_file.hpp"
#include "rename_posix.hpp"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace vornhaskel {

namespace posix {

int RenameNoReplace(const char* from, const char* to) noexcept {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    const int rc = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#elif defined(SYS_renameat2)
    const int rc = static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
#else
    const int rc = -1;
    errno = ENOSYS;
#endif
    return rc == 0 ? 0 : errno;
}

int RenameByLink(const char* from, const char* to) noexcept {
    if (::link(from, to) != 0) return errno;
    if (::unlink(from) != 0) {
        const int cause = errno;
        // Dropping the new name restores the state before the call, but only while
        // the old name still leads to the very same file. A failure report does not
        // prove that: NFS can answer ENOENT or EIO for a removal it carried out, and
        // another process may have moved `from` away. Then `to` may be the file's
        // last name, and both names are left alone.
        struct stat old_name, new_name;
        if (::lstat(from, &old_name) == 0 && ::lstat(to, &new_name) == 0 && old_name.st_dev == new_name.st_dev &&
            old_name.st_ino == new_name.st_ino)
            ::unlink(to);
        return cause;
    }
    return 0;
}

namespace {

// The folder of `path`, opened for use as the base of the *at calls, and the
// name within it; AT_FDCWD for a path without a folder. -1 with errno set
// where the folder cannot be opened or the path is too long to split.
int OpenFolderOf(const char* path, const char*& name) noexcept {
    const char* slash = std::strrchr(path, '/');
    if (slash == nullptr) {
        name = path;
        return AT_FDCWD;
    }
    name = slash + 1;
    char folder[PATH_MAX];
    const std::size_t length = slash == path ? 1 : static_cast<std::size_t>(slash - path);
    if (length >= sizeof folder) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(folder, path, length);
    folder[length] = '\0';
    return ::open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
}

void CloseFolder(int fd) noexcept {
    if (fd >= 0) ::close(fd);
}

}  // namespace

// A race window remains here: a file created at `to` between the look and the
// rename is replaced. File systems that reach this path (FAT and exFAT through
// FUSE) offer neither RENAME_NOREPLACE nor hard links, and no other call on them
// can claim a name and move a file onto it in one step. Both folders are opened
// first, so that the look and the rename follow each other at once, each a
// single step in an open folder with no path to walk: only another process
// creating that very name in that gap can hit the window.
int RenameAfterLstat(const char* from, const char* to) noexcept {
    const char *from_name = nullptr, *to_name = nullptr;
    const int from_folder = OpenFolderOf(from, from_name);
    if (from_folder == -1) return errno;
    const int to_folder = OpenFolderOf(to, to_name);
    if (to_folder == -1) {
        const int cause = errno;
        CloseFolder(from_folder);
        return cause;
    }
    struct stat existing;
    int result = 0;
    if (::fstatat(to_folder, to_name, &existing, AT_SYMLINK_NOFOLLOW) == 0)
        result = EEXIST;
    else if (errno != ENOENT)
        result = errno;
    else if (::renameat(from_folder, from_name, to_folder, to_name) != 0)
        result = errno;
    CloseFolder(from_folder);
    CloseFolder(to_folder);
    return result;
}

}  // namespace posix

namespace {

// FUSE file systems without rename2 (ntfs-3g, exfat-fuse, fusefat) and NFS
// answer EINVAL; older kernels answer ENOSYS.
bool NoReplaceUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// FAT and exFAT have no hard links and answer EPERM or ENOTSUP.
bool LinksUnsupported(int error) {
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS;
}
}  // namespace

namespace posix {

// The table's paths, relative to the game folder, separate folder and file
// with a backslash; POSIX wants a slash. (A name that holds a backslash of its
// own cannot be spelt this way: the search leaves such names alone.) An
// absolute path is one the system gave, whose backslashes are its names' own.
std::string NativePath(std::string_view path) {
    std::string native(path);
    if (path.starts_with('/')) return native;
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

}  // namespace posix

RenameWay RenameFile(std::string_view old_path, std::string_view new_path) {
    const std::string from = posix::NativePath(old_path);
    const std::string to = posix::NativePath(new_path);
    RenameWay way = RenameWay::kOneStep;
    int error = posix::RenameNoReplace(from.c_str(), to.c_str());
    if (NoReplaceUnsupported(error)) {
        error = posix::RenameByLink(from.c_str(), to.c_str());
        if (LinksUnsupported(error)) {
            way = RenameWay::kCheckedFirst;
            error = posix::RenameAfterLstat(from.c_str(), to.c_str());
        }
    }
    if (error != 0) throw RenameError(std::error_code(error, std::system_category()), old_path, new_path);
    return way;
}
}  // namespace vornhaskel
