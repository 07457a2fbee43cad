#include <algorithm>

#include "readers.hpp"
#include "names.hpp"

namespace vornhaskel::stores {

std::vector<std::string> RemovableLibraries(const Places& places) {
    std::vector<std::string> libraries;
    if (places.media_root.empty()) return libraries;
    // A drive's own folder, or one within it, holds the library.
    const auto look_in = [&](const std::string& folder, const std::vector<FolderEntry>& entries) {
        for (const FolderEntry& entry : entries) {
            std::string library;
            if (EqualIgnoringCase(entry.name, "steamapps"))
                library = folder;
            else if (EqualIgnoringCase(entry.name, "SteamLibrary") &&
                     !FolderNamed(places, Join(folder, entry.name), "steamapps").empty())
                library = Join(folder, entry.name);
            std::error_code error;
            std::string real = library.empty() ? std::string() : RealPath(library, error);
            if (!real.empty() && IsUtf8(real) && std::ranges::find(libraries, real) == libraries.end())
                libraries.push_back(std::move(real));
        }
    };
    // /run/media/LABEL (older systems) and /run/media/USER/LABEL.
    for (const FolderEntry& first : FoldersIn(places, places.media_root)) {
        const std::string drive = Join(places.media_root, first.name);
        const std::vector<FolderEntry> entries = FoldersIn(places, drive);
        look_in(drive, entries);
        for (const FolderEntry& second : entries) {
            const std::string below = Join(drive, second.name);
            look_in(below, FoldersIn(places, below));
        }
    }
    return libraries;
}

}  // namespace vornhaskel::stores
