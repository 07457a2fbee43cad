#ifndef _GNU_SOURCE
#define _GNU_SOURCE 1
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
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

// A race window remains here: a file created at `to` between lstat() and
// rename() is replaced. File systems that reach this path (FAT and exFAT through
// FUSE) offer neither RENAME_NOREPLACE nor hard links, and no other call on them
// can claim a name and move a file onto it in one step. Only another process
// creating that very name in those microseconds can hit the window.
int RenameAfterLstat(const char* from, const char* to) noexcept {
    struct stat existing;
    if (::lstat(to, &existing) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return ::rename(from, to) == 0 ? 0 : errno;
}

}  // namespace posix

namespace {

// The stored paths separate folder and file with a backslash; POSIX wants a
// slash. (A name that holds a backslash of its own cannot be spelt this way:
// the search leaves such names alone.)
std::string NativePath(std::string_view path) {
    std::string native(path);
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

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

void RenameFile(std::string_view old_path, std::string_view new_path) {
    const std::string from = NativePath(old_path);
    const std::string to = NativePath(new_path);
    int error = posix::RenameNoReplace(from.c_str(), to.c_str());
    if (NoReplaceUnsupported(error)) {
        error = posix::RenameByLink(from.c_str(), to.c_str());
        if (LinksUnsupported(error)) error = posix::RenameAfterLstat(from.c_str(), to.c_str());
    }
    if (error != 0) throw RenameError(std::error_code(error, std::system_category()), old_path, new_path);
}

NameInfo ExamineName(std::string_view path) {
    struct stat entry;
    const bool folder_name = path.find('\\') == std::string_view::npos;
    const std::string native = NativePath(path);
    if ((folder_name ? ::stat(native.c_str(), &entry) : ::lstat(native.c_str(), &entry)) == 0)
        return {S_ISDIR(entry.st_mode) ? NameKind::kFolder : NameKind::kFile, {}};
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return {NameKind::kAbsent, {}};
    return {NameKind::kUnknown, std::error_code(error, std::system_category())};
}

std::vector<FolderEntry> ListFolder(std::string_view folder, std::error_code& error) {
    error.clear();
    const std::string native = folder.empty() ? std::string(".") : NativePath(folder);
    const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat self;
    if (fd < 0 || ::fstat(fd, &self) != 0) {
        error.assign(errno, std::system_category());
        if (fd >= 0) ::close(fd);
        return {};
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        error.assign(errno, std::system_category());
        ::close(fd);
        return {};
    }
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(dir);
        if (found == nullptr) {
            if (errno != 0) error.assign(errno, std::system_category());
            break;
        }
        const std::string_view name = found->d_name;
        if (name == "." || name == "..") continue;
        // The folder's own record of the entry's type spares a look at each file;
        // a folder still needs one, for the drive it is on.
        struct stat entry;
        EntryKind kind = EntryKind::kOther;
        if (found->d_type == DT_REG)
            kind = EntryKind::kFile;
        else if (found->d_type == DT_LNK)
            kind = EntryKind::kLink;
        else if ((found->d_type == DT_DIR || found->d_type == DT_UNKNOWN) &&
                 ::fstatat(fd, found->d_name, &entry, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISLNK(entry.st_mode))
                kind = EntryKind::kLink;
            else if (S_ISREG(entry.st_mode))
                kind = EntryKind::kFile;
            else if (S_ISDIR(entry.st_mode) && entry.st_dev == self.st_dev)
                kind = EntryKind::kFolder;
        }
        entries.push_back({std::string(name), kind});
    }
    ::closedir(dir);
    if (error) entries.clear();
    return entries;
}

std::string FullPath(std::string_view folder, std::error_code& error) {
    error.clear();
    const std::string given = folder.empty() ? std::string(".") : std::string(folder);
    char* full = ::realpath(given.c_str(), nullptr);
    if (full == nullptr) {
        error.assign(errno, std::system_category());
        return {};
    }
    std::string path(full);
    std::free(full);
    return path;
}

}  // namespace vornhaskel
