#include <algorithm>

#include "readers.hpp"
#include "names.hpp"

namespace vornhaskel::stores {

std::vector<FolderEntry> FoldersIn(const Places& places, std::string_view folder) {
    std::error_code error;
    std::vector<FolderEntry> entries = places.list(folder, error);
    std::erase_if(entries, [](const FolderEntry& entry) { return entry.kind == EntryKind::kFile; });
    SortByName(entries);
    return entries;
}

void SortByName(std::vector<FolderEntry>& entries) { std::ranges::sort(entries, {}, &FolderEntry::name); }

std::string FolderNamed(const Places& places, std::string_view folder, std::string_view name) {
    const std::vector<FolderEntry> entries = FoldersIn(places, folder);
    auto found = std::ranges::find(entries, name, &FolderEntry::name);
    if (found == entries.end())
        found = std::ranges::find_if(entries, [name](const FolderEntry& entry) {
            return EqualIgnoringCase(entry.name, name);
        });
    return found == entries.end() ? std::string() : Join(folder, found->name);
}

std::string CommonOf(const Places& places, std::string_view library) {
    const std::string steamapps = FolderNamed(places, library, "steamapps");
    const std::string common = steamapps.empty() ? std::string() : FolderNamed(places, steamapps, "common");
    std::error_code error;
    return common.empty() ? std::string() : RealPath(common, error);
}

bool ReadRecord(const Places& places, std::string_view path, std::size_t limit, std::string& contents) {
    return places.read ? places.read(path, limit, contents) : ReadRecord(path, limit, contents);
}

bool IsFullPath(std::string_view path) {
#ifdef _WIN32
    return path.starts_with("\\\\") || (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/'));
#else
    return path.starts_with('/');
#endif
}

#ifndef _WIN32
// An XDG folder set to a relative path is passed by, as the XDG rules say.
std::vector<std::string> XdgFolders(const Places& places, std::string_view variable, std::string_view fallback) {
    std::vector<std::string> folders;
    if (const std::string set = places.environment ? places.environment(variable) : std::string(); IsFullPath(set))
        folders.push_back(set);
    if (!places.home.empty()) {
        std::string below = Join(places.home, fallback);
        if (std::ranges::find(folders, below) == folders.end()) folders.push_back(std::move(below));
    }
    return folders;
}
#endif

}  // namespace vornhaskel::stores
