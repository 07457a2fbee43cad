#include "readers.hpp"

namespace vornhaskel::stores {

// GOG Galaxy and GOG's own installers record each game under its number, in
// the registry of 32-bit programs.
std::vector<std::string> GogRegistryFolders(const Places& places) {
    std::vector<std::string> folders;
    if (!places.registry_subkeys || !places.registry_value) return folders;
    constexpr std::string_view kGames = "SOFTWARE\\GOG.com\\Games";
    for (const std::string& game : places.registry_subkeys(RegistryRoot::kLocalMachine, RegistryView::k32, kGames))
        if (std::string path = places.registry_value(RegistryRoot::kLocalMachine, RegistryView::k32,
                                                     std::string(kGames) + "\\" + game, "path");
            !path.empty())
            folders.push_back(std::move(path));
    return folders;
}

}  // namespace vornhaskel::stores
