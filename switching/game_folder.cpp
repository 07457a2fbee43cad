#include "game_folder.hpp"

#include <algorithm>
#include <utility>

#ifndef _WIN32
#include <filesystem>
#endif

#include "music_folders.hpp"
#include "names.hpp"
#include "tracks.hpp"

namespace vornhaskel::game_folder {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
// "C:\" keeps its backslash: "C:" alone names the drive's current folder.
bool IsRoot(std::string_view path) {
    return path.size() == 1 || (path.size() == 3 && path[1] == ':' && IsSeparator(path[2]));
}
#else
constexpr char kSeparator = '/';
bool IsSeparator(char c) { return c == '/'; }
bool IsRoot(std::string_view path) { return path == "/"; }
#endif

constexpr int kDepthBelow = 2;


std::string WithoutTrailingSeparators(std::string_view path) {
    while (path.size() > 1 && IsSeparator(path.back()) && !IsRoot(path)) path.remove_suffix(1);
    return std::string(path);
}

// "" is the working directory, whose entries are named alone.
std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return IsSeparator(folder.back()) ? folder + name : folder + kSeparator + name;
}

// Where the name of `path` starts: after its last separator, or at its end for a root.
std::size_t NameStart(const std::string& path) {
    std::size_t at = path.size();
    while (at > 0 && !IsSeparator(path[at - 1])) --at;
    return at == 0 ? path.size() : at;
}

// The folder above the one whose name starts at `name`.
std::string Above(const std::string& path, std::size_t name) {
    std::string above = path.substr(0, name);
    if (!IsRoot(above)) above.pop_back();
    return above;
}

MusicFolders MusicFoldersOf(const std::string& folder, const std::vector<FolderEntry>& entries,
                            const ListFunction& list) {
    return FindMusicFolders(entries, [&](std::string_view name, std::error_code& error) {
        return list(Join(folder, std::string(name)), error);
    });
}

bool IsGameFolder(const MusicFolders& music) { return music.Missing().empty() && !music.ModDownload(); }

// Adds to `found`, in name order, each game folder up to `depth` levels below
// `folder`, whose entries are `entries`. Only plain folders are entered, and
// nothing below a game folder; below the mod's own download, as below any other
// folder, the search goes on.
void SearchBelow(const std::string& folder, const std::vector<FolderEntry>& entries, int depth,
                 const ListFunction& list, std::vector<std::string>& found) {
    for (const FolderEntry& entry : entries) {
        if (entry.kind != EntryKind::kFolder) continue;
        std::string below = Join(folder, entry.name);
        std::error_code error;
        const std::vector<FolderEntry> below_entries = list(below, error);
        if (error) continue;
        if (IsGameFolder(MusicFoldersOf(below, below_entries, list)))
            found.insert(std::ranges::upper_bound(found, below), std::move(below));
        else if (depth > 1)
            SearchBelow(below, below_entries, depth - 1, list, found);
    }
}

// The folder as the player named it, made absolute by name: a link in it is
// kept, so that a music folder given through a link leads to the folder that
// holds the link, not to the one that holds its target.
std::string AbsoluteAsGiven(std::string_view folder, std::error_code& error) {
#ifdef _WIN32
    return FullPath(folder, error);
#else
    std::string path(folder);
    if (!path.starts_with('/')) {
        const std::string here = FullPath("", error);
        if (error) return {};
        path = path.empty() ? here : here + "/" + path;
    }
    return std::filesystem::path(path).lexically_normal().string();
#endif
}

}  // namespace

Resolution Resolve(std::string_view folder, const ListFunction& list) {
    Resolution resolution;
    resolution.folder = WithoutTrailingSeparators(folder);
    const std::vector<FolderEntry> entries = list(resolution.folder, resolution.error);
    if (resolution.error) return resolution;
    const MusicFolders music = MusicFoldersOf(resolution.folder, entries, list);
    resolution.missing_folders = music.Missing();
    if (resolution.missing_folders.empty()) {
        resolution.mod_download = music.ModDownload();
        if (!resolution.mod_download) {
            resolution.found = {resolution.folder};
            return resolution;
        }
    } else if (const std::size_t name = NameStart(resolution.folder);
               name < resolution.folder.size() && IsMusicFolderName(std::string_view(resolution.folder).substr(name))) {
        std::string above = Above(resolution.folder, name);
        std::error_code error;
        const std::vector<FolderEntry> above_entries = list(above, error);
        if (!error && IsGameFolder(MusicFoldersOf(above, above_entries, list))) {
            resolution.found = {std::move(above)};
            return resolution;
        }
    }
    SearchBelow(resolution.folder, entries, kDepthBelow, list, resolution.found);
    return resolution;
}

std::string FolderAbove(std::string_view path) {
    const std::string folder = WithoutTrailingSeparators(path);
    const std::size_t name = NameStart(folder);
    return name < folder.size() ? Above(folder, name) : folder;
}

Resolution Resolve(std::string_view folder) {
    std::error_code error;
    const std::string full = AbsoluteAsGiven(folder, error);
    if (error) {
        Resolution resolution;
        resolution.folder = folder.empty() ? "." : std::string(folder);
        resolution.error = error;
        return resolution;
    }
    return Resolve(full, ListFolder);
}

}  // namespace vornhaskel::game_folder
