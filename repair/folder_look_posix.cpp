#ifndef _GNU_SOURCE
#define _GNU_SOURCE 1
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "folder_look.hpp"
#include "rename_posix.hpp"

namespace vornhaskel {

using posix::NativePath;

namespace {

// What the listing and OnAnotherMount need to know of a name: its type, its
// file system and its mount. A bind mount of a folder of the same file system
// has the same device, and only the mount tells it apart. statx gives the
// mount's id since Linux 5.8; before that the mount table answers instead.
struct Place {
    mode_t mode = 0;
    dev_t device = 0;
    std::uint64_t mount = 0;
    bool has_mount = false;
};

#ifdef STATX_MNT_ID
constexpr unsigned kMountId = STATX_MNT_ID;
#else
constexpr unsigned kMountId = 0;
#endif

// 0 or the errno value. Never sets off an automount: a folder that waits for
// one is a mount point all the same. Where statx itself is refused (the
// system-call filters of some container runtimes), fstatat tells all but the mount.
int PlaceOf(int dirfd, const char* name, int flags, Place& place) {
    struct statx found;
    if (::statx(dirfd, name, flags | AT_NO_AUTOMOUNT, STATX_TYPE | kMountId, &found) == 0) {
        place = {found.stx_mode, makedev(found.stx_dev_major, found.stx_dev_minor), 0, false};
#ifdef STATX_MNT_ID
        place.has_mount = (found.stx_mask & STATX_MNT_ID) != 0;
        if (place.has_mount) place.mount = found.stx_mnt_id;
#endif
        return 0;
    }
    if (errno != ENOSYS && errno != EPERM) return errno;
    struct stat old;
    if (::fstatat(dirfd, name, &old, flags | AT_NO_AUTOMOUNT) != 0) return errno;
    place = {old.st_mode, old.st_dev, 0, false};
    return 0;
}

// The mounts that /proc/self/mountinfo lists, read when first asked.
class MountTable {
public:
    // The id of the mount that holds `path`, a full path with every link
    // resolved: the last one mounted at the deepest mount point on its way.
    // False where the table cannot be read.
    bool MountOf(std::string_view path, std::uint64_t& id) {
        Load();
        std::size_t deepest = 0;
        bool found = false;
        for (const auto& [point, mount] : mounts_) {
            if (!Holds(point, path) || (found && point.size() < deepest)) continue;
            id = mount;
            deepest = point.size();
            found = true;
        }
        return found;
    }

private:
    static bool Holds(std::string_view point, std::string_view path) {
        if (point == "/") return path.starts_with('/');
        return path.starts_with(point) && (path.size() == point.size() || path[point.size()] == '/');
    }

    // "36 35 98:0 /mnt1 /mnt2 rw ...": the id, then the mount point fourth,
    // with a space, tab, newline or backslash written in octal ("\040").
    void Load() {
        if (std::exchange(loaded_, true)) return;
        std::ifstream table("/proc/self/mountinfo");
        for (std::string line; std::getline(table, line);) {
            std::istringstream fields(line);
            std::uint64_t id = 0;
            std::string parent, device, root, escaped;
            if (!(fields >> id >> parent >> device >> root >> escaped)) continue;
            mounts_.emplace_back(Unescaped(escaped), id);
        }
    }

    static std::string Unescaped(std::string_view escaped) {
        const auto octal = [](char c) { return c >= '0' && c <= '7'; };
        std::string text;
        for (std::size_t i = 0; i < escaped.size(); ++i) {
            if (escaped[i] == '\\' && i + 3 < escaped.size() && octal(escaped[i + 1]) && octal(escaped[i + 2]) &&
                octal(escaped[i + 3])) {
                text += static_cast<char>((escaped[i + 1] - '0') * 64 + (escaped[i + 2] - '0') * 8 + (escaped[i + 3] - '0'));
                i += 3;
            } else {
                text += escaped[i];
            }
        }
        return text;
    }

    bool loaded_ = false;
    std::vector<std::pair<std::string, std::uint64_t>> mounts_;
};

// The full path of an open file or folder, as the system spells it; empty
// where /proc is not there to tell.
std::string PathOf(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string path(4096, '\0');
    const ssize_t length = ::readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) == path.size()) return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

// The full path of `path`; the last part is followed only where `follow`.
std::string FullPathOf(const std::string& path, bool follow) {
    const int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW));
    if (fd < 0) return {};
    std::string full = PathOf(fd);
    ::close(fd);
    return full;
}

// Whether two names are on two mounts: by device, then by mount id, and where
// the kernel gives no mount id, by the mount table with their full paths
// (asked for only then). Where none of that can tell, the device alone decides.
template <typename PathA, typename PathB>
bool OnTwoMounts(const Place& a, const Place& b, PathA path_a, PathB path_b, MountTable& table) {
    if (a.device != b.device) return true;
    if (a.has_mount && b.has_mount) return a.mount != b.mount;
    const std::string full_a = path_a(), full_b = path_b();
    std::uint64_t mount_a = 0, mount_b = 0;
    return !full_a.empty() && !full_b.empty() && table.MountOf(full_a, mount_a) && table.MountOf(full_b, mount_b) &&
           mount_a != mount_b;
}
}  // namespace

RenameWay RenameAsSpelt(std::string_view old_path, std::string_view new_path) { return RenameFile(old_path, new_path); }

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

std::optional<Identity> IdentityOf(std::string_view path, std::error_code& error) {
    error.clear();
    struct stat found;
    if (::stat(NativePath(path).c_str(), &found) != 0) {
        error.assign(errno == ENOTDIR ? ENOENT : errno, std::system_category());
        return std::nullopt;
    }
    return Identity{static_cast<std::uint64_t>(found.st_dev), static_cast<std::uint64_t>(found.st_ino),
                    S_ISDIR(found.st_mode)};
}

std::vector<FolderEntry> ListFolder(std::string_view folder, std::error_code& error) {
    error.clear();
    const std::string native = folder.empty() ? std::string(".") : NativePath(folder);
    const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error.assign(errno, std::system_category());
        return {};
    }
    Place self;
    if (const int cause = PlaceOf(fd, "", AT_EMPTY_PATH, self); cause != 0) {
        error.assign(cause, std::system_category());
        ::close(fd);
        return {};
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        error.assign(errno, std::system_category());
        ::close(fd);
        return {};
    }
    std::vector<FolderEntry> entries;
    MountTable mounts;      // read only where the kernel gives no mount id
    std::string self_path;  // asked for only then
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
        // a folder still needs one, for the mount it is on.
        Place entry;
        EntryKind kind = EntryKind::kOther;
        if (found->d_type == DT_REG)
            kind = EntryKind::kFile;
        else if (found->d_type == DT_LNK)
            kind = EntryKind::kLink;
        else if ((found->d_type == DT_DIR || found->d_type == DT_UNKNOWN) &&
                 PlaceOf(fd, found->d_name, AT_SYMLINK_NOFOLLOW, entry) == 0) {
            const auto own_mount = [&] {
                const auto folder_path = [&] {
                    if (self_path.empty()) self_path = PathOf(fd);
                    return self_path;
                };
                const auto entry_path = [&] {
                    const std::string above = folder_path();
                    return above.empty() ? above : (above == "/" ? "" : above) + "/" + std::string(name);
                };
                return !OnTwoMounts(self, entry, folder_path, entry_path, mounts);
            };
            if (S_ISLNK(entry.mode))
                kind = EntryKind::kLink;
            else if (S_ISREG(entry.mode) && own_mount())
                kind = EntryKind::kFile;
            else if (S_ISDIR(entry.mode) && own_mount())
                kind = EntryKind::kFolder;
        }
        entries.push_back({std::string(name), kind});
    }
    ::closedir(dir);
    if (error) entries.clear();
    return entries;
}

bool OnAnotherMount(std::string_view path, std::string_view folder) {
    const std::string file = NativePath(path), into = folder.empty() ? std::string(".") : NativePath(folder);
    Place a, b;
    if (PlaceOf(AT_FDCWD, file.c_str(), AT_SYMLINK_NOFOLLOW, a) != 0 || PlaceOf(AT_FDCWD, into.c_str(), 0, b) != 0)
        return false;
    MountTable mounts;
    return OnTwoMounts(a, b, [&] { return FullPathOf(file, false); }, [&] { return FullPathOf(into, true); }, mounts);
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
