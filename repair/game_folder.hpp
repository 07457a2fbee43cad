// Finding the game folder from whatever folder a player gives, starts in or
// chooses. In this order:
//   1. the folder itself, if it holds both music folders;
//   2. the folder above it, if it is itself a music folder and that one holds both;
//   3. the one folder up to 2 levels below it that holds both, if there is exactly one.
// A folder whose music folders hold the mod's files and none of the game's is
// the mod's own download, never the game folder.
// Music folder names match in any case. The resolution only lists folders: it
// opens no file and renames nothing.
#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "folder_look.hpp"

namespace vornhaskel::game_folder {

// What separates the names of a path; a path is built with the first.
#ifdef _WIN32
inline constexpr std::string_view kSeparators = "\\/";
#else
inline constexpr std::string_view kSeparators = "/";
#endif

// How many levels below the folder given the resolution looks for the game
// folder; the stores' records are followed as deep, and the words say so.
inline constexpr int kDepthBelow = 2;

// `name` below `folder`, with this platform's separator ('\\' on Windows, where
// '/' separates too, and '/' elsewhere), added only where `folder` does not end
// with one; `name` alone where `folder` is empty.
std::string Join(std::string_view folder, std::string_view name);

struct Resolution {
    std::string folder;                        // the folder looked at, as a full path
    std::vector<std::string> found;            // every game folder found, as full paths, in name order
    std::vector<std::string> missing_folders;  // of "streammusic" and "streamsounds", in `folder` itself
    std::error_code error;                     // why `folder` could not be listed; then nothing was found
    bool mod_download = false;                 // `folder` holds both music folders, but only the mod's files
    std::string store;  // the store whose record led to the game folder ("Steam library"); "" where a player gave it

    bool FoundOne() const { return found.size() == 1; }  // exactly one game folder, which is taken
    // The folder to work in: the game folder found, else the folder looked at.
    const std::string& Taken() const { return FoundOne() ? found.front() : folder; }
};

// Resolves `folder`, a full path. A link is followed where it is the folder
// given, never while looking below: a linked folder there is passed by, though a
// linked music folder counts by its name, as the planner follows it. Below a game
// folder nothing more is searched: a mod unpacked inside the game folder has
// music folders of its own. A folder below that cannot be listed is passed by.
// `identity` tells where a music folder's names lead (see FindMusicFolders).
Resolution Resolve(std::string_view folder, const ListFunction& list, const IdentityFunction& identity = {});

// The same on disk: `folder` as the player gave it ("" for the working
// directory), made a full path by its names: on POSIX a link in it is kept, so
// that a music folder given through a link leads to the folder holding the link.
Resolution Resolve(std::string_view folder);

// The folder that holds `path`, a full path, which need not exist; a root
// stays itself. Where a chooser opens after a folder that could not be opened.
std::string FolderAbove(std::string_view path);

// Its words (FolderLine, Lacks, Findings) are in repair_words.hpp.

}  // namespace vornhaskel::game_folder
