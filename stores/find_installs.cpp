#include <algorithm>
#include <utility>

#include "game_folder.hpp"
#include "music_folders.hpp"
#include "readers.hpp"
#include "names.hpp"
#include "stores.hpp"
#include "tracks.hpp"
#include "translation.hpp"

namespace vornhaskel::stores {

namespace {

// Whether the music folders of a game folder hold one of the managed names, in
// any case, a doubled ".wav" allowed: a game of the same engine has the same
// music folders, with other names in them. Where `game_only`, the mod's names
// alone do not count: a music folder of the mod's own download holds them.
bool HoldsManagedName(const Places& places, const std::string& game, bool game_only = false) {
    for (const FolderEntry& music : FoldersIn(places, game)) {
        if (!IsMusicFolderName(music.name)) continue;
        std::error_code error;
        const ManagedNames names = ManagedNamesIn(places.list(Join(game, music.name), error));
        if (names.game || (names.mod && !game_only)) return true;
    }
    return false;
}

// Whether every music folder of a game folder can be listed and holds nothing.
bool MusicFoldersEmpty(const Places& places, const std::string& game) {
    return std::ranges::all_of(FoldersIn(places, game), [&](const FolderEntry& music) {
        if (!IsMusicFolderName(music.name)) return true;
        std::error_code error;
        return places.list(Join(game, music.name), error).empty() && !error;
    });
}

using game_folder::kSeparators;

// Where in an install folder of Steam's the game folder may be: the folder
// itself, or one folder in it, where some ports keep their data.
constexpr int kSteamInstallDepth = 1;

// A port that keeps the game's data one level down keeps it beside little
// else: its own program, a folder of libraries or two. An install folder with
// more folders than this, neither music folder among them, holds a game of its
// own, and what is below it is not looked over: on a cold drive each listing
// costs a read of its own.
constexpr std::size_t kMostFoldersAroundData = 3;

bool HoldsBothMusicFolders(const std::vector<FolderEntry>& entries) {
    return std::ranges::all_of(kMusicFolders, [&](std::string_view music) {
        return std::ranges::any_of(entries, [music](const FolderEntry& entry) {
            return EqualIgnoringCase(entry.name, music);
        });
    });
}

// Whether `folder`, or a folder up to `depth` levels below it, holds entries
// named as both music folders, through the lighter listing. To the
// resolution's own depth it passes by no folder that the resolution would
// find, as it enters every folder that the resolution enters, but where
// `most_folders` is set: a folder with more folders than that is not entered.
// Most installs are of other games, and are done with here.
// The folders that hold one music folder alone are added to `lone`.
bool MayLeadToGame(const ListFunction& list_names, const std::string& folder, int depth, std::size_t most_folders,
                   std::vector<std::string>& lone) {
    std::error_code error;
    const std::vector<FolderEntry> entries = list_names(folder, error);
    if (error) return false;
    if (HoldsBothMusicFolders(entries)) return true;
    if (std::ranges::any_of(entries, [](const FolderEntry& entry) { return IsMusicFolderName(entry.name); }))
        lone.push_back(folder);
    const auto is_folder = [](const FolderEntry& entry) { return entry.kind == EntryKind::kFolder; };
    if (depth <= 0 || (most_folders > 0 && std::size_t(std::ranges::count_if(entries, is_folder)) > most_folders))
        return false;
    return std::ranges::any_of(entries, [&](const FolderEntry& entry) {
        return is_folder(entry) && MayLeadToGame(list_names, Join(folder, entry.name), depth - 1, most_folders, lone);
    });
}

// Adds `path` to the sorted `seen`; false where it was there already.
bool FirstTime(std::vector<std::string>& seen, const std::string& path) {
    const auto at = std::ranges::lower_bound(seen, path);
    if (at != seen.end() && *at == path) return false;
    seen.insert(at, path);
    return true;
}

class Collector {
public:
    explicit Collector(const Places& places)
        : places_(places), list_names_(places.list_names ? places.list_names : places.list) {}

    // Resolves the place `path` (already its real path where `real` says so), if
    // it or a folder up to `depth` levels below it holds both music folders (no
    // folder with more than `most_folders` folders entered, where it is set), and
    // keeps the game folder found, unless it is kept already.
    void Consider(const std::string& path, bool real, std::string_view where, int depth = game_folder::kDepthBelow,
                  std::size_t most_folders = 0) {
        if (!IsFullPath(path)) return;
        std::error_code error;
        std::string place = real ? path : RealPath(path, error);
        if (error || place.empty() || !IsUtf8(place) || !FirstTime(looked_at_, place)) return;
        if (places_.looking_in) places_.looking_in(place);
        // A music folder given leads to the folder above it.
        const std::size_t name = place.find_last_of(kSeparators) + 1;
        std::vector<std::string> lone;
        if (!IsMusicFolderName(std::string_view(place).substr(name)) &&
            !MayLeadToGame(list_names_, place, depth, most_folders, lone)) {
            // A music folder gone: the other one still holds the game's own names.
            for (const std::string& folder : lone)
                if (IsUtf8(folder) && HoldsManagedName(places_, folder, true) && FirstTime(games_, folder))
                    broken_.push_back({folder, std::string(where)});
            return;
        }
        const game_folder::Resolution resolution = game_folder::Resolve(place, places_.list);
        if (!resolution.FoundOne()) return;
        const std::string& game = resolution.found.front();
        if (!IsUtf8(game) || !FirstTime(games_, game)) return;
        if (HoldsManagedName(places_, game))
            installs_.push_back({game, std::string(where)});
        else if (MusicFoldersEmpty(places_, game))  // every track deleted; a sister game holds tracks of its own
            broken_.push_back({game, std::string(where)});
    }

    // Each folder of a library's steamapps/common.
    void ConsiderLibrary(const std::string& library) {
        const std::string common = CommonOf(places_, library);
        if (common.empty() || !FirstTime(commons_, common)) return;
        if (places_.looking_in) places_.looking_in(common);
        // A folder in a folder reached by its real path is reached by its real path
        // too; the lighter listing tells a folder from a link as well.
        std::error_code error;
        std::vector<FolderEntry> games = list_names_(common, error);
        SortByName(games);
        for (const FolderEntry& game : games)
            if (game.kind != EntryKind::kFile)
                Consider(Join(common, game.name), game.kind == EntryKind::kFolder, kSteamLibrary, kSteamInstallDepth,
                         kMostFoldersAroundData);
    }

    std::vector<Install> Take(std::vector<Install>* broken) {
        if (broken != nullptr) *broken = std::move(broken_);
        return std::move(installs_);
    }

private:
    const Places& places_;
    const ListFunction& list_names_;
    std::vector<std::string> commons_;    // sorted, as the two below
    std::vector<std::string> looked_at_;
    std::vector<std::string> games_;
    std::vector<Install> installs_;
    std::vector<Install> broken_;
};

}  // namespace

std::string StoreShown(const std::string& where) { return translation::Tr(where.c_str()); }

std::vector<Install> FindInstalls(const Places& places, std::vector<Install>* broken) {
    Collector collector(places);
    std::vector<std::string> missing;
    for (const std::string& library : SteamLibraries(places, &missing)) collector.ConsiderLibrary(library);
#ifndef _WIN32
    for (const std::string& library : RemovableLibraries(places, missing)) collector.ConsiderLibrary(library);
#endif
    for (const std::string& folder : GogRegistryFolders(places)) collector.Consider(folder, false, "GOG");
#ifndef _WIN32
    for (const std::string& folder : HeroicFolders(places)) collector.Consider(folder, false, "Heroic");
    for (const std::string& folder : LutrisFolders(places)) collector.Consider(folder, false, "Lutris");
    for (const std::string& folder : WineFolders(places)) collector.Consider(folder, false, "Wine");
#endif
    return collector.Take(broken);
}

std::vector<Install> FindInstalls(const Places& places) { return FindInstalls(places, nullptr); }

Found FindInstallsAndBroken(const std::function<void(const std::string& folder)>& looking_in) {
    Found found;
    Places places = ThisMachine();
    places.looking_in = looking_in;
    found.installs = FindInstalls(places, &found.broken);
    return found;
}

std::vector<Install> FindInstalls() { return FindInstalls(ThisMachine()); }

std::string FirstSteamCommon(const Places& places) {
    std::vector<std::string> missing;
    for (const std::string& library : SteamLibraries(places, &missing))
        if (std::string common = CommonOf(places, library); !common.empty()) return common;
#ifndef _WIN32
    for (const std::string& library : RemovableLibraries(places, missing))
        if (std::string common = CommonOf(places, library); !common.empty()) return common;
#endif
    return {};
}

std::string FirstSteamCommon() { return FirstSteamCommon(ThisMachine()); }

}  // namespace vornhaskel::stores
