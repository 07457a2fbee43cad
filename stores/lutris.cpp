#include <sqlite3.h>
#include <sys/stat.h>

#include "readers.hpp"

namespace vornhaskel::stores {

namespace {

// An SQLite URI for `path`: every byte but the unreserved ones and "/" escaped.
std::string FileUri(std::string_view path) {
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
    return uri + "?immutable=1";
}

// The folder of each game that Lutris's database records as installed.
void AddInstalled(const std::string& database, std::vector<std::string>& directories) {
    // Anything but a regular file, a pipe above all, is never opened: it could hold the reading up.
    struct stat info;
    if (::stat(database.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(FileUri(database).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) ==
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
    for (const std::string& database : databases) AddInstalled(database, directories);
    std::vector<std::string> folders;
    for (const std::string& directory : directories) {
        if (!IsFullPath(directory)) continue;
        folders.push_back(directory);
        AddPrefixGames(places, directory, folders);
    }
    return folders;
}

}  // namespace vornhaskel::stores
