#include <algorithm>

#include "readers.hpp"
#include "names.hpp"

namespace vornhaskel::stores {

std::string Join(std::string_view folder, std::string_view name) {
#ifdef _WIN32
    constexpr char kSeparator = '\\';
    const bool separated = folder.ends_with('\\') || folder.ends_with('/');
#else
    constexpr char kSeparator = '/';
    const bool separated = folder.ends_with('/');
#endif
    std::string path(folder);
    if (!separated) path += kSeparator;
    return path += name;
}

bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
        const unsigned lead = byte(at);
        std::size_t length = 1;
        unsigned lowest = 0;
        unsigned code = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, lowest = 0x10000, code = lead & 0x07u;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, lowest = 0x800, code = lead & 0x0Fu;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, lowest = 0x80, code = lead & 0x1Fu;
        } else if (lead >= 0x80) {
            return false;
        }
        if (text.size() - at < length) return false;
        for (std::size_t i = 1; i < length; ++i) {
            if ((byte(at + i) & 0xC0u) != 0x80u) return false;
            code = (code << 6) | (byte(at + i) & 0x3Fu);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        at += length;
    }
    return true;
}

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
