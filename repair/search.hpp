// The search for files that players leave under another name or in another
// folder: a managed name that is absent may be stood in for by a file found
// this way, which a plan first renames to the exact name.
//
// It only lists folders, through a ListFolder function, and asks an
// OnAnotherMount function about the files it finds: nothing is read or
// renamed. Paths it returns are relative to the game folder, parts joined by
// backslashes, spelt as the file system spells them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "names.hpp"
#include "reasons.hpp"
#include "folder_look.hpp"

namespace vornhaskel::repair {

inline constexpr std::size_t kSearchDepth = 4;  // folders this many levels below the game folder are still listed
inline constexpr std::size_t kSearchEntryLimit = 50'000;

struct Candidate {
    std::string path;  // "MyMusicMod\streamsounds\mus_sbat_acad.mod.wav"
    EntryKind kind = EntryKind::kOther;

    bool operator==(const Candidate&) const = default;
};

// A managed file name to look for.
struct Wanted {
    std::string folder;  // its music folder, as the game folder spells it ("streamsounds" or "StreamSounds")
    std::string name;    // its name in the table: "mus_sbat_acad.mod.wav"
    bool anywhere;       // looked for below the whole game folder too, not only in its own music folder
};

struct SearchResult {
    std::vector<std::vector<Candidate>> candidates;  // for each wanted name, nearest first
    std::vector<Reason> problems;                    // the folders that were not read
    bool stopped = false;                            // kSearchEntryLimit entries were reached
};

// Looks for each wanted name: in its own music folder, and for one that is
// `anywhere`, in every other folder up to kSearchDepth levels below the game
// folder. Breadth first, the music folders first at their level, each
// folder's entries by name. Never enters a link or a folder on another mount,
// and looks no further below a music folder that is one, where a rename from
// elsewhere could fail. A name holding a backslash, or that is no valid UTF-8,
// cannot be spelt in a path here and is passed over.
//
// The music folders are read whole, so that every look-alike of a name in its
// own folder is seen; kSearchEntryLimit counts the entries of every other
// folder, and the search stops there. A find away from its own folder counts
// only where the search read every folder it set out to: after a stop, or
// where a folder could not be listed or its name cannot be spelt, there may be
// another, and none is used. `problems` then names the folder not read.
//
// A file found is asked about with `another_mount` (where given) against the
// music folder it would go to, and is kOther where it is on another mount.
SearchResult Search(const std::vector<Wanted>& wanted, const ListFunction& list,
                    const MountFunction& another_mount = {});

// The candidate that stands in for wanted name `i`, or null: it must be a
// regular file, the only candidate for that name, and no other name's.
const Candidate* StandIn(const SearchResult& result, std::size_t i);

// Why the candidates for the managed path `missing` cannot stand in for it;
// for a name whose StandIn is null and that has any.
Reason LookAlikes(std::string_view missing, const std::vector<Candidate>& candidates);

}  // namespace vornhaskel::repair
