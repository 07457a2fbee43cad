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

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "places.hpp"
#include "translation.hpp"

namespace vornhaskel::stores {

// Kept in English in an Install, and translated where it is shown (StoreShown).
// Translators: where a game folder was found: a folder of Steam's library, shown after the folder's path, as in
// "Game folder: PATH (Steam library)".
inline constexpr char kSteamLibrary[] = N_("Steam library");

struct Install {
    std::string folder;  // the game folder, a full path with every link resolved
    std::string where;   // kSteamLibrary, "GOG", "Heroic", "Lutris" or "Wine": the store whose record led to it

    bool operator==(const Install&) const = default;
};

// The store whose record led to a folder as players read it: "Steam library"
// in their language; the stores' own names ("GOG", "Heroic", "Lutris",
// "Wine") are in no catalog and stay as they are.
std::string StoreShown(const std::string& where);

// Every game folder that the stores' records lead to, each once by its real
// path: in the order of the stores above, and within one store's folder by name.
// Where `broken` is given, it gets the game folders that a record leads to but
// that are not whole, in the same order: one music folder gone, the other still
// holding one of the game's own names; or both music folders there and empty.
std::vector<Install> FindInstalls(const Places& places, std::vector<Install>* broken);
std::vector<Install> FindInstalls(const Places& places);
std::vector<Install> FindInstalls();

// The game folders found, and those found not whole, on this machine.
struct Found {
    std::vector<Install> installs;
    std::vector<Install> broken;

    Found() = default;
    // Found as the stores' look found no folder not whole: for the tests' made-up looks.
    Found(std::vector<Install> found) : installs(std::move(found)) {}  // NOLINT: implicit on purpose
};
// `looking_in`, where given, is told each folder before it is looked over (Places::looking_in).
Found FindInstallsAndBroken(const std::function<void(const std::string& folder)>& looking_in = {});

// The first Steam library's steamapps/common that exists, for the folder
// chooser to open in; "" where there is none.
std::string FirstSteamCommon(const Places& places);
std::string FirstSteamCommon();

}  // namespace vornhaskel::stores
