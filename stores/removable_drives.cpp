#include <algorithm>

#include "readers.hpp"
#include "names.hpp"

namespace vornhaskel::stores {

namespace {

// The last `count` names of `path`, "A/B"; "" where it has fewer.
std::string LastNames(std::string_view path, int count) {
    while (path.ends_with('/')) path.remove_suffix(1);
    std::size_t at = path.size();
    for (int i = 0; i < count; ++i) {
        const std::size_t slash = path.find_last_of('/', at == 0 ? 0 : at - 1);
        if (slash == std::string_view::npos || slash == 0) return {};
        at = slash;
    }
    return std::string(path.substr(at + 1));
}

}  // namespace

std::vector<std::string> RemovableLibraries(const Places& places, const std::vector<std::string>& missing) {
    std::vector<std::string> libraries;
    const auto add = [&](const std::string& library) {
        std::error_code error;
        std::string real = RealPath(library, error);
        if (!real.empty() && IsUtf8(real) && std::ranges::find(libraries, real) == libraries.end())
            libraries.push_back(std::move(real));
    };
    // Where a record names a library on a drive mounted elsewhere then, the
    // library is at the end of that path below the drive's folder now:
    // /media/OLD/Games/SteamLibrary at DRIVE/Games/SteamLibrary or DRIVE/SteamLibrary.
    std::vector<std::string> ends;
    for (const std::string& path : missing)
        for (const int count : {1, 2})
            if (std::string end = LastNames(path, count);
                !end.empty() && std::ranges::find(ends, end) == ends.end())
                ends.push_back(std::move(end));
    // A drive's own folder, or one within it, holds the library.
    const auto look_in = [&](const std::string& folder, const std::vector<FolderEntry>& entries) {
        for (const FolderEntry& entry : entries) {
            if (EqualIgnoringCase(entry.name, "steamapps"))
                add(folder);
            else if (EqualIgnoringCase(entry.name, "SteamLibrary") &&
                     !FolderNamed(places, Join(folder, entry.name), "steamapps").empty())
                add(Join(folder, entry.name));
        }
        for (const std::string& end : ends) {
            const std::size_t slash = end.find('/');
            const std::string_view first = std::string_view(end).substr(0, slash);
            const auto named = std::ranges::find_if(entries, [first](const FolderEntry& entry) {
                return EqualIgnoringCase(entry.name, first);
            });
            if (named == entries.end()) continue;
            std::string library = Join(folder, named->name);
            if (slash != std::string::npos) library = FolderNamed(places, library, end.substr(slash + 1));
            if (!library.empty() && !FolderNamed(places, library, "steamapps").empty()) add(library);
        }
    };
    // ROOT/LABEL (older systems) and ROOT/USER/LABEL.
    for (const std::string& root : places.media_roots) {
        if (root.empty()) continue;
        for (const FolderEntry& first : FoldersIn(places, root)) {
            const std::string drive = Join(root, first.name);
            const std::vector<FolderEntry> entries = FoldersIn(places, drive);
            look_in(drive, entries);
            for (const FolderEntry& second : entries) {
                const std::string below = Join(drive, second.name);
                look_in(below, FoldersIn(places, below));
            }
        }
    }
    return libraries;
}

}  // namespace vornhaskel::stores
