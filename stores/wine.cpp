#include <algorithm>

#include "readers.hpp"

namespace vornhaskel::stores {

void AddPrefixGames(const Places& places, std::string_view prefix, std::vector<std::string>& folders) {
    for (const std::string_view games : {"drive_c/GOG Games", "drive_c/Program Files (x86)/GOG Galaxy/Games"}) {
        std::string folder(prefix);
        for (std::size_t at = 0; at < games.size();) {
            const std::size_t end = std::min(games.find('/', at), games.size());
            folder = FolderNamed(places, folder, games.substr(at, end - at));
            if (folder.empty()) break;
            at = end + 1;
        }
        if (folder.empty()) continue;
        for (const FolderEntry& game : FoldersIn(places, folder)) folders.push_back(Join(folder, game.name));
    }
}

// The default prefix, where a GOG installer run with plain Wine puts its game.
std::vector<std::string> WineFolders(const Places& places) {
    std::vector<std::string> folders;
    if (!places.home.empty()) AddPrefixGames(places, Join(places.home, ".wine"), folders);
    return folders;
}

}  // namespace vornhaskel::stores
