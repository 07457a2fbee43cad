// How one track stands, from what its exact names hold, and which moves get it
// to either music: the judgement the planner makes for each track, and for
// which of its names a file found elsewhere may stand in.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "reasons.hpp"
#include "folder_look.hpp"
#include "tracks.hpp"

namespace vornhaskel::repair {

// Where one track stands, from its names: the live name L, the backup name O
// and, for the 7 tracks with a mod replacement, the mod name D.
enum class Layout {
    kBroken,   // no target can be reached from here; see the problems. First, so that a
               // track not yet judged counts as broken
    kNormal,   // L (and D): the game's own file plays
    kMod,      // O, and L for a track the mod replaces
    kBetween,  // O and D, O alone, or D alone: parked, and nothing plays
    kLost,     // none of its names: the game's own file is gone, and only the normal music can do without it
};

enum class Target { kNormal, kMod };

enum Role : std::size_t { kLive, kBackup, kMod };

struct Names {
    std::string live, backup, mod;  // mod is empty for a track the mod does not replace

    std::string& operator[](Role role) { return role == kLive ? live : role == kBackup ? backup : mod; }
    const std::string& operator[](Role role) const { return role == kLive ? live : role == kBackup ? backup : mod; }
};

// The table's paths of a track's names: "streamsounds\x.wav", ...
Names NamesOf(const Track& track);

// A rename of the repair model: a path relative to the game folder, parts
// joined by backslashes, to another. A track's moves are between the table's
// names; a plan's renames are spelt as the folder spells them.
struct Rename {
    std::string old_path, new_path;

    bool operator==(const Rename&) const = default;
};

// What was seen at a track's live, backup and mod names.
using Seen = std::array<NameInfo, 3>;

// What one track needs for each target, or why it cannot get there.
struct TrackVerdict {
    Layout layout = Layout::kBroken;
    std::vector<Rename> to_normal, to_mod;
    std::optional<Reason> normal_problem, mod_problem;  // none where that target is possible
    bool only_at_mod_name = false;                      // the track's one file is at its mod name

    bool Blocked() const { return layout == Layout::kBroken; }  // by a name neither target can get past
};

// Judges a track from `seen`. `spelt` are its names as the folder spells them,
// and `shown` the files the reasons name: a name's stand-in where one is taken
// for it. The moves are always between the table's names.
TrackVerdict Judge(const Track& track, const Seen& seen, const Names& shown, const Names& spelt);

// How a music folder spells the game's names of its tracks: exactly where a
// live or backup name of one of its tracks is there as the table spells it.
// Where none is (all in capitals, say), a look-alike of a game name is the
// game's own file, not a stray.
enum class GameNames { kSpeltExactly, kSpeltOtherwise };

// For which of a track's names, each absent, a file found elsewhere may stand
// in on the way to `target`, `exact` being the verdict of its exact names: a
// name that the target needs as a source, the game's file (live or backup
// name) for the normal music, the mod's for the mod's, and the game's for the
// mod's only where none of the track's names holds one. None where the exact
// names block the track, or settle it for the target: a stray copy beside it
// stays where it is. For the normal music they settle it only where the track
// has the game's file under its live or backup name; lost, or alone at its
// mod name, a find of the game's own tells, and is taken back rather than
// that file. But where the track's only file is at its mod name in a folder
// that spells the game's names exactly, that file may be the game's own and a
// look-alike beside it a stray: no find stands in there.
std::array<bool, 3> StandInsFor(Target target, const Track& track, const Seen& seen, const TrackVerdict& exact,
                                GameNames spelling);

}  // namespace vornhaskel::repair
