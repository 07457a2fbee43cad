// Cost of finding the game where the stores installed it: a made-up home with
// three Steam installations (two of them links to the first), six libraries
// (two of them missing), 300 installed games of 20 folders each, one of them
// the game, and records of Heroic and Lutris; against one bare resolution of
// the game folder. Both on tmpfs. Before the times, what one look costs per
// installed game: the folder listings and the records opened, counted through
// the places' own functions, beside those of the bare resolution. Ends with
// "stores/bare ratio: X.XX" (medians).
//
//   stores_bench [benchmark options]
//   stores_bench --make DIR    writes the home to DIR/home, its drives to DIR/media, and ends
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "game_folder.hpp"
#include "median.hpp"
#include "stores.hpp"

namespace {

using namespace vornhaskel;
namespace fs = test::fs;

constexpr int kGames = 300;
constexpr int kOthers = 10;  // Heroic's and Lutris's
constexpr int kGame = 150;  // the one that is the game

std::string Library(const fs::path& root, int i) {
    return i == 0 ? (root / "home/.local/share/Steam").string() : (root / ("drive" + std::to_string(i))).string();
}

// 4 folders of 4 folders each, 2 files in every one; the game has its music
// folders with normal music in place of 2 of them.
void MakeInstall(const fs::path& folder, bool game) {
    for (int a = 0; a < 4; ++a) {
        const fs::path top = folder / ("data" + std::to_string(a));
        for (int b = 0; b < 4; ++b) {
            const fs::path below = top / ("part" + std::to_string(b));
            fs::create_directories(below);
            for (const char* file : {"a.bin", "b.bin"}) test::WriteFile(below / file, "x");
        }
        for (const char* file : {"a.bin", "b.bin"}) test::WriteFile(top / file, "x");
    }
    if (!game) return;
    fs::remove_all(folder / "data3/part2");
    fs::remove_all(folder / "data3/part3");
    for (const auto& [path, contents] : test::NormalMusic().files) {
        fs::create_directories((folder / test::Native(path)).parent_path());
        test::WriteFile(folder / test::Native(path), contents);
    }
}

fs::path MakeHome(const fs::path& root) {
    const std::string steam = Library(root, 0);
    fs::create_directories(root / "home/.steam");
    fs::create_directory_symlink(steam, root / "home/.steam/steam");
    fs::create_directory_symlink(steam, root / "home/.steam/root");
    fs::create_directories(root / "media/deck");
    // Libraries 0 to 3 exist, 4 and 5 are on drives that are not there.
    std::string record = "\"libraryfolders\"\n{\n";
    for (int i = 0; i < 6; ++i)
        record += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + Library(root, i) +
                  "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"" + std::to_string(1000 + i) + "\"\t\t\"1\"\n\t\t}\n\t}\n";
    fs::create_directories(steam + "/config");
    test::WriteFile(steam + "/config/libraryfolders.vdf", record + "}\n");
    fs::create_directories(steam + "/steamapps");
    test::WriteFile(steam + "/steamapps/libraryfolders.vdf",
                    "\"LibraryFolders\"\n{\n\t\"1\"\t\t\"" + Library(root, 1) + "\"\n}\n");
    fs::path game;
    for (int i = 0; i < kGames; ++i) {
        const fs::path install = fs::path(Library(root, i % 4)) / "steamapps/common" / ("Game " + std::to_string(i));
        MakeInstall(install, i == kGame);
        if (i == kGame) game = install;
    }
    // Heroic and Lutris: games installed elsewhere, in folders and Wine prefixes without the game.
    std::string installed = "{\"installed\": [";
    for (int i = 0; i < 5; ++i) {
        const fs::path folder = root / "home/Games/Heroic" / ("Other " + std::to_string(i));
        MakeInstall(folder, false);
        installed += (i ? ", " : "") + std::string("{\"platform\": \"windows\", \"install_path\": \"") + folder.string() + "\"}";
    }
    fs::create_directories(root / "home/.config/heroic/gog_store");
    test::WriteFile(root / "home/.config/heroic/gog_store/installed.json", installed + "]}");
    fs::create_directories(root / "home/.local/share/lutris");
    sqlite3* db = nullptr;
    sqlite3_open((root / "home/.local/share/lutris/pga.db").c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE games (id INTEGER PRIMARY KEY, directory TEXT, installed INTEGER)", nullptr, nullptr,
                 nullptr);
    for (int i = 0; i < 5; ++i) {
        const fs::path prefix = root / "home/Games" / ("lutris-" + std::to_string(i));
        MakeInstall(prefix / "drive_c/GOG Games/Other", false);
        const std::string insert = "INSERT INTO games (directory, installed) VALUES ('" + prefix.string() + "', 1)";
        sqlite3_exec(db, insert.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return game;
}

stores::Places places;
std::string game;

// What one look did through the places given.
struct Counts {
    int listings = 0;
    int records = 0;
};

// `counted` with its list functions and record reads counted in `counts`.
stores::Places Counting(stores::Places counted, Counts& counts) {
    const auto count_list = [&counts](ListFunction list) {
        return [&counts, list](std::string_view folder, std::error_code& error) {
            ++counts.listings;
            return list(folder, error);
        };
    };
    counted.list = count_list(counted.list);
    counted.list_names = count_list(counted.list_names ? counted.list_names : counted.list);
    counted.read = [&counts](std::string_view path, std::size_t limit, std::string& contents) {
        ++counts.records;
        return stores::ReadRecord(path, limit, contents);
    };
    return counted;
}

void FindInstalls(benchmark::State& state) {
    for (auto _ : state) {
        const std::vector<stores::Install> installs = stores::FindInstalls(places);
        if (installs.size() != 1 || installs.front().folder != game) state.SkipWithError("not the game expected");
        benchmark::DoNotOptimize(installs);
    }
}

void ResolveBare(benchmark::State& state) {
    for (auto _ : state) {
        const game_folder::Resolution resolution = game_folder::Resolve(game);
        if (!resolution.FoundOne()) state.SkipWithError("not the game folder");
        benchmark::DoNotOptimize(resolution);
    }
}

BENCHMARK(FindInstalls)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(ResolveBare)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0) {
        MakeHome(argv[2]);
        return 0;
    }
    const test::ScratchGameFolder folder = ScratchOnTmpfs();
    game = MakeHome(folder.root()).string();
    places = stores::ThisMachine();
    places.home = (folder.root() / "home").string();
    places.environment = [](std::string_view) { return std::string(); };
    places.media_roots = {(folder.root() / "media").string()};

    Counts look, bare;
    stores::FindInstalls(Counting(places, look));
    game_folder::Resolve(game, Counting(places, bare).list);
    std::printf("per installed game (%d): %.2f listings, %.2f records opened (the whole look: %d listings, %d records; "
                "a bare resolution: %d listings)\n",
                kGames + kOthers, double(look.listings) / (kGames + kOthers), double(look.records) / (kGames + kOthers),
                look.listings, look.records, bare.listings);

    MedianReporter reporter;
    RunInterleaved(argc, argv, reporter);
    const double ratio = reporter.medians.at("FindInstalls") / reporter.medians.at("ResolveBare");
    std::printf("stores/bare ratio: %.2f\n", ratio);
    return 0;
}
