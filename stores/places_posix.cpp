#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "places.hpp"

namespace vornhaskel::stores {

namespace {

std::string Environment(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    return value == nullptr ? std::string() : std::string(value);
}

// $HOME, as every program the player starts reads it; the password database
// where it is unset.
std::string Home() {
    if (std::string home = Environment("HOME"); !home.empty()) return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr)
        return {};
    return found->pw_dir;
}

}  // namespace

Places ThisMachine() {
    Places places;
    places.home = Home();
    places.environment = Environment;
    places.media_roots = {"/run/media", "/media"};
    places.list = ListFolder;
    places.list_names = ListNames;
    return places;
}

std::string RealPath(std::string_view path, std::error_code& error) {
    if (path.empty()) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return {};
    }
    return FullPath(path, error);
}

std::vector<FolderEntry> ListNames(std::string_view folder, std::error_code& error) {
    error.clear();
    std::vector<FolderEntry> entries;
    const int fd = ::open(std::string(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error.assign(errno, std::system_category());
        return entries;
    }
    // The records straight from the kernel: readdir would ask more of it for each folder.
    alignas(std::max_align_t) char buffer[32768];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) error.assign(errno, std::system_category());
        if (got <= 0) break;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            // struct linux_dirent64: inode, offset, record length, type, name.
            unsigned short length;
            std::memcpy(&length, buffer + at + offsetof(dirent64, d_reclen), sizeof length);
            const unsigned char type = static_cast<unsigned char>(buffer[at + offsetof(dirent64, d_type)]);
            const char* name = buffer + at + offsetof(dirent64, d_name);
            at += length;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            EntryKind kind = type == DT_DIR ? EntryKind::kFolder : type == DT_REG ? EntryKind::kFile
                           : type == DT_LNK ? EntryKind::kLink : EntryKind::kOther;
            if (struct stat entry; type == DT_UNKNOWN && ::fstatat(fd, name, &entry, AT_SYMLINK_NOFOLLOW) == 0)
                kind = S_ISDIR(entry.st_mode) ? EntryKind::kFolder : S_ISREG(entry.st_mode) ? EntryKind::kFile
                     : S_ISLNK(entry.st_mode) ? EntryKind::kLink : EntryKind::kOther;
            entries.push_back({name, kind});
        }
    }
    ::close(fd);
    if (error) entries.clear();
    return entries;
}

bool ReadRecord(std::string_view path, std::size_t limit, std::string& contents) {
    contents.clear();
    // Not held up by a pipe under the record's name: only a regular file is read.
    const int fd = ::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info;
    bool read_all = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char chunk[16384];
    while (read_all) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            read_all = got == 0;
            break;
        }
        read_all = contents.size() + static_cast<std::size_t>(got) <= limit;
        if (read_all) contents.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (!read_all) contents.clear();
    return read_all;
}

}  // namespace vornhaskel::stores
