#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "readers.hpp"

namespace vornhaskel::stores {

namespace {

// An SQLite URI for `path`: every byte but the unreserved ones and "/" escaped.
std::string FileUri(std::string_view path, bool immutable) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xFu];
        }
    }
    // Immutable: nothing is locked, no journal is made or rolled back; the file is read as it is.
    return immutable ? uri + "?immutable=1" : uri;
}

// Lutris's database and its write-ahead log are never larger than this.
constexpr std::size_t kLargestDatabase = 256 << 20;

// A private copy of a database in write-ahead-log mode, with its log: SQLite
// reads the log's rows only through an index that it writes beside the
// database (-shm), and may write the log too, so the player's own files are
// never opened by it. The copy is made in a new folder of the temporary
// folder's, readable by its owner alone, and removed with everything in it.
class PrivateCopy {
public:
    PrivateCopy(const Places& places, const std::string& database, const std::string& log) {
        std::string temporary = places.environment ? places.environment("TMPDIR") : std::string();
        if (!IsFullPath(temporary)) temporary = "/tmp";
        std::string pattern = Join(temporary, "vornhaskel-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) return;
        folder_ = std::move(pattern);
        std::string contents;
        if (!ReadRecord(database, kLargestDatabase, contents) || !Write("pga.db", contents) ||
            !ReadRecord(log, kLargestDatabase, contents) || !Write("pga.db-wal", contents))
            return;
        path_ = Join(folder_, "pga.db");
    }
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;
    ~PrivateCopy() {
        if (folder_.empty()) return;
        std::error_code error;
        for (const FolderEntry& entry : ListFolder(folder_, error)) ::unlink(Join(folder_, entry.name).c_str());
        ::rmdir(folder_.c_str());
    }

    // The copy of the database; "" where it could not be made.
    const std::string& path() const { return path_; }

private:
    bool Write(const char* name, const std::string& contents) {
        const int fd = ::open(Join(folder_, name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return false;
        std::size_t written = 0;
        while (written < contents.size()) {
            const ssize_t put = ::write(fd, contents.data() + written, contents.size() - written);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) break;
            written += static_cast<std::size_t>(put);
        }
        return ::close(fd) == 0 && written == contents.size();
    }

    std::string folder_;
    std::string path_;
};

// The folder of each game that Lutris's database records as installed.
// Where Lutris is open, rows it wrote may be in the database's write-ahead log
// alone: then a private copy of both is read, and else the database as it is.
void AddInstalled(const Places& places, const std::string& database, std::vector<std::string>& directories) {
    // Anything but a regular file, a pipe above all, is never opened: it could hold the reading up.
    struct stat info;
    if (::stat(database.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    const std::string log = database + "-wal";
    std::optional<PrivateCopy> copy;
    if (struct stat log_info; ::stat(log.c_str(), &log_info) == 0 && S_ISREG(log_info.st_mode) && log_info.st_size > 0)
        copy.emplace(places, database, log);
    const bool copied = copy && !copy->path().empty();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(FileUri(copied ? copy->path() : database, !copied).c_str(), &db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* query = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT directory FROM games WHERE installed", -1, &query, nullptr) == SQLITE_OK)
            while (sqlite3_step(query) == SQLITE_ROW)
                if (sqlite3_column_type(query, 0) == SQLITE_TEXT)
                    if (const auto* text = sqlite3_column_text(query, 0); text != nullptr && *text != '\0')
                        directories.emplace_back(reinterpret_cast<const char*>(text));
        sqlite3_finalize(query);
    }
    sqlite3_close(db);
}

}  // namespace

// Each installed game's folder and, where that is a Wine prefix, the GOG games
// installed in it.
std::vector<std::string> LutrisFolders(const Places& places) {
    std::vector<std::string> databases;
    for (const std::string& data : XdgFolders(places, "XDG_DATA_HOME", ".local/share"))
        databases.push_back(Join(data, "lutris/pga.db"));
    if (!places.home.empty()) databases.push_back(Join(places.home, ".var/app/net.lutris.Lutris/data/lutris/pga.db"));
    std::vector<std::string> directories;
    for (const std::string& database : databases) AddInstalled(places, database, directories);
    std::vector<std::string> folders;
    for (const std::string& directory : directories) {
        if (!IsFullPath(directory)) continue;
        folders.push_back(directory);
        AddPrefixGames(places, directory, folders);
    }
    return folders;
}

}  // namespace vornhaskel::stores
