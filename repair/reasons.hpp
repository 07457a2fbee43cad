// Why a target cannot be reached, or what the tool could not look at, as the
// planner, the search and the music folders decide it: a kind, and the paths
// and the cause it concerns. repair_words.hpp turns each into a sentence.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "names.hpp"
#include "folder_look.hpp"

namespace vornhaskel::repair {

struct Reason {
    enum class Kind {
        kFolderAtName,       // paths: {name}; a folder where a music file belongs
        kCannotExamine,      // paths: {name}; error
        kLost,               // paths: {live}; none of the track's names
        kBothExist,          // paths: {live, backup}
        kAllExist,           // paths: {live, backup, mod}
        kModFileMissing,     // paths: {mod}
        kOnlyAtModName,      // paths: {live, backup, the file at the mod name, mod}
        kLookAlikes,         // paths: {missing name, candidate...}; kinds: of each candidate
        kOnlyAtModNameBesideLookAlikes,  // paths: {live, the file at the mod name, look-alike...}
        kMusicFolderNotPlain,    // paths: {music folder, the entry in another case}
        kMusicFolderLinkNowhere,  // paths: {link}; error
        kMusicFoldersClash,      // paths: {music folder, entry...}; each holds the game's names
        kModDownload,            // the music folders hold only the mod's names
        kGameFolderUnlisted,     // error
        kGameFolderUnsearchable,  // error
        kFolderNotRead,          // paths: {folder} and error, or {folder above, its name} and unspelt;
                                 // no find from away is used
        kSearchStopped,          // paths: {folder read in part}; count: folders not read at all
    };

    // Out of line, so that a reason named in place costs its caller only a list of views.
    Reason(Kind kind_, std::initializer_list<std::string_view> paths_ = {}, std::error_code error_ = {});
    Reason(Kind kind_, std::vector<std::string> paths_);

    Kind kind;
    std::vector<std::string> paths;  // relative to the game folder, parts joined by backslashes
    std::error_code error;
    std::vector<EntryKind> kinds;    // for kLookAlikes
    std::size_t count = 0;
    Unspelt unspelt = Unspelt::kNo;  // for kFolderNotRead: why the folder's name cannot be spelt in a path

    bool operator==(const Reason&) const = default;
};

}  // namespace vornhaskel::repair
