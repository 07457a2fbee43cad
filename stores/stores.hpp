// Where the game stores say games are installed: Steam's libraries (those its
// records name, and on Linux those on removable drives), GOG's registry entries
// on Windows, and on Linux Heroic's and Lutris's records and the default Wine
// prefix. Each place they
// lead to is resolved as a folder the player gave would be; only a place that
// leads to exactly one game folder, whose music folders hold at least one of
// the managed names, counts.
//
// It reads the stores' files and lists folders; it never writes anything. A
// record that cannot be read, a path that is not UTF-8, a folder that cannot be
// listed, a loop of links: each is passed by without a word.
#pragma once

#include <string>
#include <vector>

#include "places.hpp"

namespace vornhaskel::stores {

struct Install {
    std::string folder;  // the game folder, a full path with every link resolved
    std::string where;   // "Steam library", "GOG", "Heroic", "Lutris" or "Wine": the store whose record led to it

    bool operator==(const Install&) const = default;
};

// Every game folder that the stores' records lead to, each once by its real
// path: in the order of the stores above, and within one store's folder by name.
std::vector<Install> FindInstalls(const Places& places);
std::vector<Install> FindInstalls();

// The first Steam library's steamapps/common that exists, for the folder
// chooser to open in; "" where there is none.
std::string FirstSteamCommon(const Places& places);
std::string FirstSteamCommon();

}  // namespace vornhaskel::stores
