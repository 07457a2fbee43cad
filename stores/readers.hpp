// What the store readers share: the folders each one's records lead to, and
// the path and listing helpers they use. Nothing here reports a failure: a
// record or folder that cannot be read yields nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game_folder.hpp"
#include "names.hpp"
#include "places.hpp"

namespace vornhaskel::stores {

// The folder resolution's, so that both build a path alike.
using game_folder::Join;

// Whether `path` is a full path: a record's path that is not is passed by, as
// it would be taken from wherever the program was started.
bool IsFullPath(std::string_view path);

// In the order of their names' bytes, the same on every run.
void SortByName(std::vector<FolderEntry>& entries);

// The entries of `folder` that may be folders (plain folders, links, mount
// points), by name; none where it cannot be listed.
std::vector<FolderEntry> FoldersIn(const Places& places, std::string_view folder);

// The path of the entry of `folder` that may be a folder named `name` in any
// case, the exact spelling first; "" for none.
std::string FolderNamed(const Places& places, std::string_view folder, std::string_view name);

// Each Steam library once, by its real path, in the order found: each Steam
// installation's own folder, then the libraries its records name. Where
// `missing` is given, the full paths that a record names but that lead
// nowhere (a drive mounted elsewhere now) are added to it.
std::vector<std::string> SteamLibraries(const Places& places, std::vector<std::string>* missing = nullptr);


// The steamapps/common folder of a library, by its real path; "" for none.
std::string CommonOf(const Places& places, std::string_view library);

// The folders the other stores' records name.
std::vector<std::string> GogRegistryFolders(const Places& places);

// The stores of Linux alone, which the Windows programs carry nothing of.
#ifndef _WIN32
// Each folder with a steamapps folder at each media root's */ and */*/, or in
// their SteamLibrary folders, by its real path; and where a record names a
// library that is not there (`missing`, from SteamLibraries), the folder at the
// last one or two names of its path below each of those drives.
std::vector<std::string> RemovableLibraries(const Places& places, const std::vector<std::string>& missing);

std::vector<std::string> HeroicFolders(const Places& places);
std::vector<std::string> LutrisFolders(const Places& places);
std::vector<std::string> WineFolders(const Places& places);

// Where GOG games are installed within a Wine prefix: each folder of its
// "drive_c/GOG Games" and "drive_c/Program Files (x86)/GOG Galaxy/Games".
void AddPrefixGames(const Places& places, std::string_view prefix, std::vector<std::string>& folders);

// The folder that `variable` (XDG_DATA_HOME, XDG_CONFIG_HOME) names, where it
// is set to a full path, and its default `fallback` below the home folder
// (".local/share", ".config"), each once.
std::vector<std::string> XdgFolders(const Places& places, std::string_view variable, std::string_view fallback);
#endif

}  // namespace vornhaskel::stores
