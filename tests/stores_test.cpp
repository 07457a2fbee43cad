#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sqlite3.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cctype>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "key_values.hpp"
#include "stores.hpp"
#include "support/folder.hpp"
#ifdef _WIN32
#include "win32_error.hpp"
#endif

namespace vornhaskel::stores {
void PrintTo(const Install& install, std::ostream* out) { *out << install.folder << " (" << install.where << ")"; }
}  // namespace vornhaskel::stores

namespace vornhaskel::test {
namespace {

using stores::Install;
using stores::RegistryRoot;
using stores::RegistryView;

using Paths = std::vector<std::string>;

// A literal with the nul bytes within it.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}


// Each shape of Steam's library records, and the libraries read from it.
TEST(KeyValues, ReadsTheLibrariesOfEitherFormatAndPassesJunkBy) {
    const struct {
        const char* shape;
        std::string text;
        Paths libraries;
    } rows[] = {
        {"before 2021", R"("LibraryFolders"
{
	"TimeNextStatsReport"		"1625000000"
	"ContentStatsID"		"-4242"
	"1"		"/mnt/games/SteamLibrary"
	"2"		"/media/second"
})", {"/mnt/games/SteamLibrary", "/media/second"}},
        {"since 2021", R"("libraryfolders"
{
	"contentstatsid"		"-4242"
	"0"
	{
		"path"		"/home/player/.local/share/Steam"
		"label"		""
		"apps"
		{
			"228980"		"29212173"
		}
	}
	"1"
	{
		"path"		"/mnt/games/SteamLibrary"
		"totalsize"		"0"
	}
})", {"/home/player/.local/share/Steam", "/mnt/games/SteamLibrary"}},
        {"keys in any case", R"("LIBRARYFOLDERS" { "0" { "PATH" "/a" } "1" { "Path" "/b" } })", {"/a", "/b"}},
        {"nothing between the tokens", R"("libraryfolders"{"0"{"path""/a"}"1""/b"})", {"/a", "/b"}},
        {"bare tokens, a comment, a condition", "// made by hand\nlibraryfolders { 0 { path /a [$LINUX] } }", {"/a"}},
        {"escaped backslashes and quotes", R"("libraryfolders" { "0" { "path" "D:\\Steam \"Library\"" } })",
         {"D:\\Steam \"Library\""}},
        {"a backslash before anything else stays", R"("libraryfolders" { "0" { "path" "D:\Games\new" } })",
         {"D:\\Games\\new"}},
        {"UTF-8, after a byte-order mark", "\xEF\xBB\xBF\"libraryfolders\" { \"0\" { \"path\" \"/media/Spiele/\xC3\x84rger \xE2\x99\xAB\" } }",
         {"/media/Spiele/\xC3\x84rger \xE2\x99\xAB"}},
        {"two blocks", R"("libraryfolders" { "0" { "path" "/a" } } "libraryfolders" { "1" "/b" })", {"/a", "/b"}},
        {"cut short within a path", R"("libraryfolders" { "0" { "path" "/a" } "1" { "path" "/mnt/gam)", {"/a"}},
        {"cut short after a path", R"("libraryfolders" { "0" { "path" "/a" } "1" { "path" "/b")", {"/a", "/b"}},
        {"cut short within a key", R"("libraryfolders" { "0" { "path" "/a" } "1" { "pa)", {"/a"}},
        {"a key without a value", R"("libraryfolders" { "0" { "path" } "1" { "path" "/b" } })", {"/b"}},
        {"a path that is a block", R"("libraryfolders" { "0" { "path" { "x" "/a" } } })", {}},
        {"the block is a value", R"("libraryfolders" "/a")", {}},
        {"another record", R"("InstallConfigStore" { "Software" { "1" "/a" } })", {}},
        {"stray braces", R"(} } { "x" "y" } "libraryfolders" { "1" "/b" })", {"/b"}},
        {"empty", "", {}},
        {"a lone quote", "\"", {}},
        {"a lone backslash in a string", "\"libraryfolders\" { \"1\" \"\\", {}},
        {"binary", Bytes("\0\xff\x01{\"\0\"}"), {}},
        {"nested too deep", std::string(100'000, '{') + "\"libraryfolders\" { \"1\" \"/a\" }", {}},
        {"a block too deep inside", R"("libraryfolders" { "1" "/a" "2" )" + std::string(50, '{'), {"/a"}},
    };
    for (const auto& row : rows) EXPECT_EQ(stores::key_values::LibraryPaths(row.text), row.libraries) << row.shape;
}

// Steam may be stopped while it writes its record: every start of a record
// yields the start of its libraries, never a path cut short.
TEST(KeyValues, ARecordCutShortYieldsOnlyWholePaths) {
    for (const std::string& full : {std::string(R"("libraryfolders" { "0" { "path" "/a/b" "apps" { "1" "2" } } "1" { "path" "/c\\d" } })"),
                                   std::string(R"("LibraryFolders" { "TimeNextStatsReport" "1" "1" "/a/b" "2" "/c" })")}) {
        const Paths whole = stores::key_values::LibraryPaths(full);
        ASSERT_EQ(whole.size(), 2u) << full;
        for (std::size_t length = 0; length <= full.size(); ++length) {
            const Paths read = stores::key_values::LibraryPaths(full.substr(0, length));
            ASSERT_LE(read.size(), whole.size()) << full.substr(0, length);
            EXPECT_TRUE(std::equal(read.begin(), read.end(), whole.begin())) << full.substr(0, length);
        }
    }
    // Random records of the format's own words and characters, without escapes:
    // read to the end, whatever they hold, and every path read is one that the
    // text spells, never a path made up of pieces.
    std::mt19937 random(7);
    const std::vector<std::string> words = {"\"libraryfolders\"", "\"path\"", "\"0\"", "\"1\"", "{", "}",
                                            "\"/a/b\"", "\"d:/games\"", "\"", " ", "\n", "\xff", "[x]", "//"};
    for (int i = 0; i < 20'000; ++i) {
        std::string junk;
        for (std::size_t n = random() % 24; n > 0; --n) junk += words[random() % words.size()];
        for (const std::string& path : stores::key_values::LibraryPaths(junk)) {
            EXPECT_FALSE(path.empty()) << junk;
            EXPECT_NE(junk.find(path), std::string::npos) << junk << ": " << path;
        }
        stores::key_values::Read(junk);
    }
}

// A made-up registry: values by root, view, key and name, keys and names in any case.
class FakeRegistry {
public:
    struct Value {
        RegistryRoot root;
        RegistryView view;
        std::string key, name, value;
    };

    explicit FakeRegistry(std::vector<Value> values) : values_(std::move(values)) {}

    std::string Get(RegistryRoot root, RegistryView view, std::string_view key, std::string_view name) const {
        for (const Value& value : values_)
            if (value.root == root && value.view == view && Same(value.key, key) && Same(value.name, name))
                return value.value;
        return {};
    }

    std::vector<std::string> SubKeys(RegistryRoot root, RegistryView view, std::string_view key) const {
        std::vector<std::string> names;
        for (const Value& value : values_) {
            if (value.root != root || value.view != view || value.key.size() <= key.size() + 1 ||
                !Same(std::string_view(value.key).substr(0, key.size()), key) || value.key[key.size()] != '\\')
                continue;
            std::string name = value.key.substr(key.size() + 1);
            name = name.substr(0, name.find('\\'));
            if (std::ranges::find(names, name) == names.end()) names.push_back(name);
        }
        return names;
    }

private:
    static bool Same(std::string_view a, std::string_view b) {
        return std::ranges::equal(a, b, [](char x, char y) { return std::tolower(x) == std::tolower(y); });
    }
    std::vector<Value> values_;
};

// A made-up home below a scratch folder:
//   home/     the home folder
//   media/    the root of removable drives
// and anything else the row makes there.
class MadeUpHome {
public:
    MadeUpHome() {
        std::error_code error;
        real_root_ = stores::RealPath(scratch_.root().string(), error);
    }

    // The scratch folder, spelt for a record: with "\\" for each backslash.
    std::string Escaped() const {
        std::string text = scratch_.root().string(), escaped;
        for (const char c : text) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return escaped;
    }

    std::string Expand(std::string_view text, std::string_view root) const {
        std::string expanded;
        for (const char c : text) expanded += c == '@' ? std::string(root) : std::string(1, c);
        return expanded;
    }

    fs::path At(std::string_view below) const { return scratch_.root() / fs::path(std::string(below)).make_preferred(); }

    // A real path below the scratch folder, as the stores' readers give it.
    std::string Real(std::string_view below) const {
        return (fs::path(real_root_) / fs::path(std::string(below)).make_preferred()).string();
    }

    // One line of a row's tree:
    //   "game P"      the game folder: normal music in both music folders
    //   "shouting P"  its music folders and one managed name in capitals, with a doubled .wav
    //   "sister P"    a game of the same engine: both music folders, none of the managed names
    //   "download P"  the mod's own download: the mod's names alone
    //   "half P"      the game folder with its streamsounds folder gone
    //   "emptied P"   the game folder with every track deleted: both music folders, empty
    //   "dir P"       an empty folder
    //   "link P -> T" a symbolic link at P to T, both below the scratch folder
    //   "pipe P"      a named pipe, on POSIX
    void Make(const std::string& line) {
        const std::string kind = line.substr(0, line.find(' '));
        std::string path = line.substr(kind.size() + 1);
        const auto files = [&](std::string_view music, std::string_view sounds, const std::vector<std::string>& names) {
            fs::create_directories(At(path) / std::string(music));
            fs::create_directories(At(path) / std::string(sounds));
            for (const std::string& name : names) WriteFile(At(path) / fs::path(name).make_preferred(), "RIFF");
        };
        if (kind == "game") {
            std::vector<std::string> names;
            for (const auto& [name, contents] : NormalMusic().files) names.push_back(Native(name).generic_string());
            files("streammusic", "streamsounds", names);
        } else if (kind == "shouting") {
            files("StreamMusic", "STREAMSOUNDS", {"STREAMSOUNDS/MUS_SBAT_ACAD.WAV.wav"});
        } else if (kind == "sister") {
            files("streammusic", "streamsounds", {"streammusic/mus_theme_main.wav", "streamsounds/mus_bat_final.wav"});
        } else if (kind == "download") {
            files("streammusic", "streamsounds", {"streammusic/mus_area_ahto.mod.wav"});
        } else if (kind == "half") {
            std::vector<std::string> names;
            for (const auto& [name, contents] : NormalMusic().files) names.push_back(Native(name).generic_string());
            files("streammusic", "streamsounds", names);
            fs::remove_all(At(path) / "streamsounds");
        } else if (kind == "emptied") {
            files("streammusic", "streamsounds", {});
        } else if (kind == "dir") {
            fs::create_directories(At(path));
        } else if (kind == "link") {
            const std::string target = path.substr(path.find(" -> ") + 4);
            path.resize(path.find(" -> "));
            fs::create_directories(At(path).parent_path());
            fs::create_directory_symlink(At(target), At(path));
        } else if (kind == "pipe") {
            fs::create_directories(At(path).parent_path());
#ifndef _WIN32
            ASSERT_EQ(::mkfifo(At(path).c_str(), 0600), 0);
#endif
        } else {
            FAIL() << "no such kind of line: " << line;
        }
    }

    // A record: "@" in `contents` stands for the scratch folder. A file whose name
    // ends in ".db" is made a database of Lutris's games from lines of
    // "INSTALLED DIRECTORY", unless it is empty or its contents start with "junk";
    // the rows after a line "wal" are left in its write-ahead log.
    void Write(std::string_view below, std::string_view contents) {
        fs::create_directories(At(below).parent_path());
        if (!below.ends_with(".db") || contents.empty() || contents.starts_with("junk")) {
            WriteFile(At(below), Expand(contents, Escaped()));
            return;
        }
#ifndef _WIN32
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(At(below).c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE games (id INTEGER PRIMARY KEY, name TEXT, runner TEXT, "
                                   "directory TEXT, installed INTEGER)", nullptr, nullptr, nullptr), SQLITE_OK);
        std::istringstream lines{std::string(contents)};
        for (std::string line; std::getline(lines, line);) {
            if (line == "wal") {
                // Lutris open: the rows below are in the write-ahead log alone, which nothing checkpoints.
                ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0", nullptr, nullptr,
                                       nullptr), SQLITE_OK);
                ASSERT_EQ(sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr), SQLITE_OK);
                continue;
            }
            const std::string installed = line.substr(0, line.find(' ')), directory = line.substr(line.find(' ') + 1);
            sqlite3_stmt* insert = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO games (name, runner, directory, installed) VALUES "
                                             "('a game', 'wine', ?, ?)", -1, &insert, nullptr), SQLITE_OK);
            const std::string expanded = Expand(directory, scratch_.root().string());
            sqlite3_bind_text(insert, 1, expanded.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 2, std::stoi(installed));
            EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_finalize(insert);
        }
        sqlite3_close(db);
#endif
    }

    stores::Places Places(const FakeRegistry& registry, const std::map<std::string, std::string>& environment) const {
        stores::Places places;
        places.home = At("home").string();
        places.media_roots = {At("media").string(), At("debian-media").string()};
        places.environment = [this, environment](std::string_view name) {
            const auto value = environment.find(std::string(name));
            return value == environment.end() ? std::string() : Expand(value->second, scratch_.root().string());
        };
        places.registry_value = [this, &registry](RegistryRoot root, RegistryView view, std::string_view key,
                                                  std::string_view name) {
            std::string value = registry.Get(root, view, key, name);
            // "@@" for the scratch folder as Steam records itself: in lower case, with forward slashes.
            std::string lower = scratch_.root().string();
            std::ranges::transform(lower, lower.begin(), [](char c) { return c == '\\' ? '/' : char(std::tolower(c)); });
            if (value.starts_with("@@")) return lower + value.substr(2);
            return Expand(value, scratch_.root().string());
        };
        places.registry_subkeys = [&registry](RegistryRoot root, RegistryView view, std::string_view key) {
            return registry.SubKeys(root, view, key);
        };
        places.list = ListFolder;
        places.list_names = stores::ListNames;
        return places;
    }

    const fs::path& root() const { return scratch_.root(); }
    // Every folder and file below the scratch folder, to see that nothing was written.
    FolderState Read() const { return scratch_.Read(); }

private:
    ScratchGameFolder scratch_;
    std::string real_root_;
};

constexpr RegistryRoot kUser = RegistryRoot::kCurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::kLocalMachine;
constexpr RegistryView k32 = RegistryView::k32;
constexpr RegistryView k64 = RegistryView::k64;

constexpr const char* kSteam = "home/.local/share/Steam";
constexpr const char* kCommon = "home/.local/share/Steam/steamapps/common";

std::string In(const char* folder, std::string_view below) { return std::string(folder) + "/" + std::string(below); }

const std::string kNewRecord = R"("libraryfolders"
{
	"0" { "path" "@/home/.local/share/Steam" "apps" { "1" "2" } }
	"1" { "path" "@/drive/SteamLibrary" }
	"2" { "path" "@/gone/SteamLibrary" }
})";

// Each shape of a player's home, and the game folders the stores lead to in it.
TEST(Stores, FindTheGameWhereverTheStoresRecordIt) {
    const struct {
        const char* shape;
        std::vector<std::string> tree;
        std::vector<std::pair<std::string, std::string>> records;
        std::vector<FakeRegistry::Value> registry;
        std::map<std::string, std::string> environment;
        std::vector<Install> found;  // below the scratch folder
        std::string first_common;    // below the scratch folder, "" for none
        bool posix_only = false;     // the stores of Linux alone; links, pipes, names that are no UTF-8
        std::vector<Install> broken = {};  // found not whole, below the scratch folder
    } rows[] = {
        {"nothing installed", {"dir home/Documents"}, {}, {}, {}, {}, ""},
        {"Steam in the XDG data folder", {"game xdg/Steam/steamapps/common/Game", "sister " + In(kCommon, "Other")},
         {}, {}, {{"XDG_DATA_HOME", "@/xdg"}}, {{"xdg/Steam/steamapps/common/Game", "Steam library"}},
         "xdg/Steam/steamapps/common", true},
        {"the default Steam, and the links to it counted once",
         {"game " + In(kCommon, "Game"), "link home/.steam/steam -> " + std::string(kSteam),
          "link home/.steam/root -> " + std::string(kSteam), "link home/.steam/debian-installation -> home/.steam/root"},
         {}, {}, {}, {{In(kCommon, "Game"), "Steam library"}}, kCommon, true},
        {"Debian's Steam", {"game home/.steam/debian-installation/steamapps/common/Game"}, {}, {}, {},
         {{"home/.steam/debian-installation/steamapps/common/Game", "Steam library"}},
         "home/.steam/debian-installation/steamapps/common", true},
        {"Flatpak Steam", {"game home/.var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/common/Game"}, {},
         {}, {}, {{"home/.var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/common/Game", "Steam library"}},
         "home/.var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/common", true},
        {"Flatpak Steam, its older data folder",
         {"game home/.var/app/com.valvesoftware.Steam/data/Steam/steamapps/common/Game"}, {}, {}, {},
         {{"home/.var/app/com.valvesoftware.Steam/data/Steam/steamapps/common/Game", "Steam library"}},
         "home/.var/app/com.valvesoftware.Steam/data/Steam/steamapps/common", true},
        {"Snap Steam", {"game home/snap/steam/common/.local/share/Steam/steamapps/common/Game"}, {}, {}, {},
         {{"home/snap/steam/common/.local/share/Steam/steamapps/common/Game", "Steam library"}},
         "home/snap/steam/common/.local/share/Steam/steamapps/common", true},
        {"a second library in the record before 2021",
         {"dir " + In(kCommon, "Tool"), "game drive/SteamLibrary/steamapps/common/Game"},
         {{In(kSteam, "steamapps/libraryfolders.vdf"),
           "\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" \"@/drive/SteamLibrary\" }"}},
         {}, {}, {{"drive/SteamLibrary/steamapps/common/Game", "Steam library"}}, kCommon},
        {"a second library in the record since 2021, a third one missing",
         {"game drive/SteamLibrary/steamapps/common/Game"}, {{In(kSteam, "config/libraryfolders.vdf"), kNewRecord}}, {},
         {}, {{"drive/SteamLibrary/steamapps/common/Game", "Steam library"}}, "drive/SteamLibrary/steamapps/common"},
        {"the libraries of both records",
         {"game a/steamapps/common/Game", "game b/steamapps/common/Game", "game c/steamapps/common/Game"},
         {{In(kSteam, "config/libraryfolders.vdf"), R"("libraryfolders" { "1" { "path" "@/b" } })"},
          {In(kSteam, "steamapps/libraryfolders.vdf"), R"("libraryfolders" { "1" { "path" "@/a" } "2" { "path" "@/b" } })"}},
         {}, {}, {{"b/steamapps/common/Game", "Steam library"}, {"a/steamapps/common/Game", "Steam library"}},
         "b/steamapps/common"},
        {"the game in a folder within its install folder, names in another case", {"shouting " + In(kCommon, "Port/data")},
         {}, {}, {}, {{In(kCommon, "Port/data"), "Steam library"}}, kCommon},
        {"a port: the game one folder within, beside the port's program and two folders of its own",
         {"game " + In(kCommon, "Port/data"), "dir " + In(kCommon, "Port/lib"), "dir " + In(kCommon, "Port/lib64")},
         {{In(kCommon, "Port/port.x86_64"), "\x7f" "ELF"}}, {}, {}, {{In(kCommon, "Port/data"), "Steam library"}}, kCommon},
        {"an install of a game of its own, four folders, is not looked below",
         {"game " + In(kCommon, "Other/a"), "dir " + In(kCommon, "Other/b"), "dir " + In(kCommon, "Other/c"),
          "dir " + In(kCommon, "Other/d")},
         {}, {}, {}, {}, kCommon},
        {"the game two folders within its install folder, deeper than Steam's ports keep it",
         {"game " + In(kCommon, "Port/bin/data")}, {}, {}, {}, {}, kCommon},
        {"a sister game beside the game",
         {"sister " + In(kCommon, "Sister"), "sister " + In(kCommon, "Sister 2/data"), "game " + In(kCommon, "Game")},
         {}, {}, {}, {{In(kCommon, "Game"), "Steam library"}}, kCommon},
        {"a sister game alone", {"sister " + In(kCommon, "Sister")}, {}, {}, {}, {}, kCommon},
        {"two game folders within one install folder", {"game " + In(kCommon, "Game/a"), "game " + In(kCommon, "Game/b")},
         {}, {}, {}, {}, kCommon},
        {"the mod's own download beside the game",
         {"download " + In(kCommon, "Download"), "game " + In(kCommon, "Game")}, {}, {}, {},
         {{In(kCommon, "Game"), "Steam library"}}, kCommon},
        {"an SD card where SteamOS 3.5 mounts it, the record naming the old place",
         {"game media/deck/Card/steamapps/common/Game", "dir media/deck/Stick/Photos"},
         {{In(kSteam, "steamapps/libraryfolders.vdf"), R"("libraryfolders" { "1" { "path" "@/media/mmcblk0p1" } })"}},
         {}, {}, {{"media/deck/Card/steamapps/common/Game", "Steam library"}}, "media/deck/Card/steamapps/common", true},
        {"drives at the media root itself, and in their SteamLibrary folders",
         {"game media/mmcblk0p1/steamapps/common/Game", "game media/USB/SteamLibrary/steamapps/common/Game",
          "game media/deck/Disk/SteamLibrary/steamapps/common/Game"},
         {}, {}, {},
         {{"media/USB/SteamLibrary/steamapps/common/Game", "Steam library"},
          {"media/deck/Disk/SteamLibrary/steamapps/common/Game", "Steam library"},
          {"media/mmcblk0p1/steamapps/common/Game", "Steam library"}},
         "media/USB/SteamLibrary/steamapps/common", true},
        {"drives where Debian and Ubuntu mount them, as at the other media root",
         {"game debian-media/player/USB/SteamLibrary/steamapps/common/Game",
          "game debian-media/Card/steamapps/common/Game", "game media/deck/Disk/steamapps/common/Game"},
         {}, {}, {},
         {{"media/deck/Disk/steamapps/common/Game", "Steam library"},
          {"debian-media/Card/steamapps/common/Game", "Steam library"},
          {"debian-media/player/USB/SteamLibrary/steamapps/common/Game", "Steam library"}},
         "media/deck/Disk/steamapps/common", true},
        {"a library one folder deeper below a drive's label, the record naming its old mount point",
         {"game debian-media/player/Disk/Games/SteamLibrary/steamapps/common/Game",
          "game media/player/Other/Stuff/SteamLibrary/steamapps/common/Game",
          "game media/player/Card/Old Library/steamapps/common/Game"},
         {{In(kSteam, "config/libraryfolders.vdf"),
           R"("libraryfolders" { "1" { "path" "@/media/old/Games/SteamLibrary" } "2" { "path" "@/gone/old library/" } })"}},
         {}, {},
         {{"media/player/Card/Old Library/steamapps/common/Game", "Steam library"},
          {"debian-media/player/Disk/Games/SteamLibrary/steamapps/common/Game", "Steam library"}},
         "media/player/Card/Old Library/steamapps/common", true},
        {"a card that the record names too, counted once", {"game media/deck/Card/steamapps/common/Game"},
         {{In(kSteam, "config/libraryfolders.vdf"), R"("libraryfolders" { "1" { "path" "@/media/deck/Card" } })"}},
         {}, {}, {{"media/deck/Card/steamapps/common/Game", "Steam library"}}, "media/deck/Card/steamapps/common"},
        {"game folders that the records lead to, not whole; a sister game and the mod's download are none",
         {"half " + In(kCommon, "Half"), "emptied " + In(kCommon, "Emptied"), "half " + In(kCommon, "Port/data"),
          "sister " + In(kCommon, "Sister"), "download " + In(kCommon, "Download"), "emptied home/Games/Heroic/Game"},
         {{"home/.config/heroic/gog_store/installed.json", R"({"installed": [{"install_path": "@/home/Games/Heroic/Game"}]})"}},
         {}, {}, {}, kCommon, true,
         {{In(kCommon, "Emptied"), "Steam library"}, {In(kCommon, "Half"), "Steam library"},
          {In(kCommon, "Port/data"), "Steam library"}, {"home/Games/Heroic/Game", "Heroic"}}},
        {"a game folder whole beside one not whole",
         {"game " + In(kCommon, "Game"), "half " + In(kCommon, "Half")}, {}, {}, {},
         {{In(kCommon, "Game"), "Steam library"}}, kCommon, true, {{In(kCommon, "Half"), "Steam library"}}},
        {"Heroic", {"game home/Games/Heroic/Game"},
         {{"home/.config/heroic/gog_store/installed.json",
           R"({"installed": [{"platform": "windows", "install_path": "@/home/Games/Heroic/Gone"},
                              {"platform": "windows", "install_path": "@/home/Games/Heroic/Game", "appName": "1"}]})"}},
         {}, {}, {{"home/Games/Heroic/Game", "Heroic"}}, "", true},
        {"Heroic from Flathub, and its XDG config folder", {"game home/Games/Heroic/Game", "game cfg-game/Game"},
         {{"home/.var/app/com.heroicgameslauncher.hgl/config/heroic/gog_store/installed.json",
           R"({"installed": [{"install_path": "@/home/Games/Heroic/Game"}]})"},
          {"cfg/heroic/gog_store/installed.json", R"({"installed": [{"install_path": "@/cfg-game/Game"}]})"}},
         {}, {{"XDG_CONFIG_HOME", "@/cfg"}}, {{"cfg-game/Game", "Heroic"}, {"home/Games/Heroic/Game", "Heroic"}}, "",
         true},
        {"Lutris: a native game and GOG games in Wine prefixes",
         {"game home/Games/native/game", "game home/Games/galaxy/drive_c/Program Files (x86)/GOG Galaxy/Games/Game",
          "game home/Games/gog/drive_c/GOG Games/Game", "game home/Games/removed"},
         {{"home/.local/share/lutris/pga.db",
           "1 @/home/Games/native\n1 @/home/Games/galaxy\n0 @/home/Games/removed\n1 @/home/Games/gog"}},
         {}, {},
         {{"home/Games/native/game", "Lutris"},
          {"home/Games/galaxy/drive_c/Program Files (x86)/GOG Galaxy/Games/Game", "Lutris"},
          {"home/Games/gog/drive_c/GOG Games/Game", "Lutris"}},
         "", true},
        {"Lutris: the game two folders within a game's folder, as the folder's resolution finds it",
         {"game home/Games/native/game/data"}, {{"home/.local/share/lutris/pga.db", "1 @/home/Games/native"}}, {}, {},
         {{"home/Games/native/game/data", "Lutris"}}, "", true},
        {"Lutris open: a row in the database, and the game's row in its write-ahead log alone",
         {"game home/Games/native/game", "game home/Games/gog/drive_c/GOG Games/Game"},
         {{"home/.local/share/lutris/pga.db", "1 @/home/Games/gog\nwal\n1 @/home/Games/native"}}, {}, {},
         {{"home/Games/gog/drive_c/GOG Games/Game", "Lutris"}, {"home/Games/native/game", "Lutris"}}, "", true},
        {"Lutris from Flathub", {"game home/Games/gog/drive_c/GOG Games/Game"},
         {{"home/.var/app/net.lutris.Lutris/data/lutris/pga.db", "1 @/home/Games/gog"}}, {}, {},
         {{"home/Games/gog/drive_c/GOG Games/Game", "Lutris"}}, "", true},
        {"the default Wine prefix", {"game home/.wine/drive_c/GOG Games/Game", "sister home/.wine/drive_c/GOG Games/Other"},
         {}, {}, {}, {{"home/.wine/drive_c/GOG Games/Game", "Wine"}}, "", true},
        {"one folder reached by Steam and by Heroic, counted as Steam's",
         {"game " + In(kCommon, "Port/data"), "link home/Games/Port -> " + In(kCommon, "Port")},
         {{"home/.config/heroic/gog_store/installed.json",
           R"({"installed": [{"install_path": "@/home/Games/Port"}, {"install_path": "@/home/Games/Port/data"}]})"}},
         {}, {}, {{In(kCommon, "Port/data"), "Steam library"}}, kCommon, true},
        {"records that cannot be read", {"game " + In(kCommon, "Game"), "dir home/.config/heroic/gog_store/installed.json",
                                         "pipe " + In(kSteam, "steamapps/libraryfolders.vdf"), "game Games/x"},
         {{In(kSteam, "config/libraryfolders.vdf"), Bytes("\xff\xfe\0{{\"libraryfolders\" {")},
          {"home/.var/app/com.heroicgameslauncher.hgl/config/heroic/gog_store/installed.json",
           R"({"installed": [{"install_path": "@/Games/x"})"},
          {"home/.local/share/lutris/pga.db", "junk: no database"},
          {"home/.var/app/net.lutris.Lutris/data/lutris/pga.db", ""}},
         {}, {}, {{In(kCommon, "Game"), "Steam library"}}, kCommon, true},
        {"records naming folders by relative paths", {"game drive/steamapps/common/Game", "game GOG Games/Game"},
         {{In(kSteam, "config/libraryfolders.vdf"), R"("libraryfolders" { "1" { "path" "drive" } })"}},
         {{kMachine, k32, "SOFTWARE\\GOG.com\\Games\\1", "path", "GOG Games/Game"}}, {}, {}, ""},
        {"records naming folders by relative paths, on Linux", {"game Games/Heroic/Game", "game Games/gog/drive_c/GOG Games/Game"},
         {{"home/.config/heroic/gog_store/installed.json", R"({"installed": [{"install_path": "Games/Heroic/Game"}]})"},
          {"home/.local/share/lutris/pga.db", "1 Games/gog"}},
         {}, {}, {}, "", true},
        {"loops of links", {"game " + In(kCommon, "Game"), "link home/.steam/steam -> home/.steam/root",
                            "link home/.steam/root -> home/.steam/steam", "link " + In(kCommon, "Loop") + " -> " + In(kCommon, "Loop"),
                            "link " + In(kCommon, "Game/data/back") + " -> " + In(kCommon, "Game")},
         {}, {}, {}, {{In(kCommon, "Game"), "Steam library"}}, kCommon, true},
        {"a name that is no UTF-8", {"game " + In(kCommon, "\xff"), "game drive/\xff/steamapps/common/Game"},
         {{In(kSteam, "config/libraryfolders.vdf"), "\"libraryfolders\" { \"1\" { \"path\" \"@/drive/\xff\" } }"}}, {}, {},
         {}, kCommon, true},
        {"Steam's own records of itself on Windows, counted once", {"game Steam/steamapps/common/Game"}, {},
         {{kUser, k64, "Software\\Valve\\Steam", "SteamPath", "@@/steam"},
          {kMachine, k32, "SOFTWARE\\Valve\\Steam", "InstallPath", "@/Steam"}},
         {{"ProgramFiles(x86)", "@"}}, {{"Steam/steamapps/common/Game", "Steam library"}}, "Steam/steamapps/common"},
        {"Steam moved on Windows: each record that leads somewhere",
         {"game Old/steamapps/common/Game", "game Steam/steamapps/common/Game", "game PF/Steam/steamapps/common/Game",
          "game Library/steamapps/common/Game"},
         {{"Steam/config/libraryfolders.vdf", R"("libraryfolders" { "1" { "path" "@/Library" } })"}},
         {{kUser, k64, "Software\\Valve\\Steam", "SteamPath", "@/Gone"},
          {kMachine, k32, "SOFTWARE\\Valve\\Steam", "InstallPath", "@/Steam"},
          {kMachine, k64, "SOFTWARE\\Valve\\Steam", "InstallPath", "@/Old"}},
         {{"ProgramFiles(x86)", "@/PF"}},
         {{"Steam/steamapps/common/Game", "Steam library"}, {"Library/steamapps/common/Game", "Steam library"},
          {"Old/steamapps/common/Game", "Steam library"}, {"PF/Steam/steamapps/common/Game", "Steam library"}},
         "Steam/steamapps/common"},
        {"GOG's records, in the registry of 32-bit programs",
         {"game GOG Games/Game", "game GOG Games/Other", "sister GOG Games/Sister"}, {},
         {{kMachine, k32, "SOFTWARE\\GOG.com\\Games\\1207658930", "path", "@/GOG Games/Game"},
          {kMachine, k32, "SOFTWARE\\GOG.com\\Games\\1207658931", "exe", "@/GOG Games/Other/x.exe"},
          {kMachine, k32, "SOFTWARE\\GOG.com\\Games\\1207658932", "PATH", "@/GOG Games/Sister"},
          {kMachine, k64, "SOFTWARE\\GOG.com\\Games\\1207658933", "path", "@/GOG Games/Other"}},
         {}, {{"GOG Games/Game", "GOG"}}, ""},
    };
    for (const auto& row : rows) {
        std::vector<FakeRegistry::Value> values = row.registry;
#ifdef _WIN32
        if (row.posix_only) continue;
        // Steam's own folder, where it is on Linux, as its record in the registry names it.
        if (values.empty()) values.push_back({kUser, k64, "Software\\Valve\\Steam", "SteamPath", In("@", kSteam)});
#endif
        MadeUpHome home;
        for (const std::string& line : row.tree) home.Make(line);
        for (const auto& [path, contents] : row.records) home.Write(path, contents);
        const FakeRegistry registry(values);
        const stores::Places places = home.Places(registry, row.environment);
        const FolderState before = home.Read();

        std::vector<Install> expected, expected_broken, broken;
        for (const Install& install : row.found) expected.push_back({home.Real(install.folder), install.where});
        for (const Install& install : row.broken) expected_broken.push_back({home.Real(install.folder), install.where});
        EXPECT_EQ(stores::FindInstalls(places), expected) << row.shape;
        EXPECT_EQ(stores::FindInstalls(places, &broken), expected) << row.shape;
        EXPECT_EQ(broken, expected_broken) << row.shape;
        // The window shown while the look runs long was told a folder that holds each folder found.
        stores::Places telling = places;
        std::vector<std::string> told;
        telling.looking_in = [&told](const std::string& folder) { told.push_back(folder); };
        EXPECT_EQ(stores::FindInstalls(telling, &broken), expected) << row.shape;
        broken.insert(broken.end(), expected.begin(), expected.end());
        for (const Install& install : broken)
            EXPECT_TRUE(std::ranges::any_of(told, [&](const std::string& folder) {
                return install.folder.starts_with(folder);
            })) << row.shape << ": " << install.folder << " was not told";
        EXPECT_EQ(stores::FirstSteamCommon(places), row.first_common.empty() ? "" : home.Real(row.first_common))
            << row.shape;
        EXPECT_EQ(home.Read(), before) << row.shape << ": something was written";
    }
}

#ifdef _WIN32
// The registry as this machine's places read it, through each view: a key that
// a 32-bit program made is seen in the 32-bit view alone.
TEST(Stores, ReadTheRegistryInEachView) {
    const std::wstring key = L"SOFTWARE\\vornhaskel-test-" + std::to_wstring(std::random_device{}());
    const auto set = [&](REGSAM view, const std::wstring& sub, const wchar_t* value) {
        HKEY made = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (key + sub).c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr,
                                    &made, nullptr), ERROR_SUCCESS);
        ::RegSetValueExW(made, L"path", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        ::RegCloseKey(made);
    };
    set(KEY_WOW64_32KEY, L"\\1", L"C:\\GOG Games\\\u00c4rger");
    set(KEY_WOW64_32KEY, L"\\2", L"D:\\x");
    set(KEY_WOW64_64KEY, L"\\3", L"E:\\y");
    const stores::Places places = stores::ThisMachine();
    const std::string name = WideToUtf8(key);
    std::vector<std::string> keys = places.registry_subkeys(kMachine, k32, name);
    std::ranges::sort(keys);
    EXPECT_EQ(keys, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(places.registry_subkeys(kMachine, k64, name), std::vector<std::string>{"3"});
    EXPECT_EQ(places.registry_value(kMachine, k32, name + "\\1", "PATH"), "C:\\GOG Games\\\xC3\x84rger");
    EXPECT_EQ(places.registry_value(kMachine, k64, name + "\\1", "path"), "");
    EXPECT_EQ(places.registry_value(kMachine, k32, name + "\\1", "exe"), "");
    EXPECT_EQ(places.registry_value(kUser, k64, name + "\\1", "path"), "");
    for (const REGSAM view : {REGSAM{KEY_WOW64_32KEY}, REGSAM{KEY_WOW64_64KEY}}) {
        HKEY made = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS | view, &made) != ERROR_SUCCESS) continue;
        ::RegDeleteTreeW(made, nullptr);
        ::RegCloseKey(made);
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
    }
}
#endif

}  // namespace
}  // namespace vornhaskel::test
