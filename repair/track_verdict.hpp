// How one track stands, from what its exact names hold, and which moves get it
// to either music: the judgement the planner makes for each track.
#pragma once

#include <array>
#include <string>
#include <utility>
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

struct Names {
    std::string live, backup, mod;  // mod is empty for a track the mod does not replace
};

// The table's paths of a track's names: "streamsounds\x.wav", ...
Names NamesOf(const Track& track);

using Move = std::pair<std::string, std::string>;  // between the table's paths

// What was seen at a track's live, backup and mod names.
using Seen = std::array<NameInfo, 3>;
enum Role : std::size_t { kLive, kBackup, kMod };

// What one track needs for each target, or why it cannot get there.
struct TrackVerdict {
    Layout layout = Layout::kBroken;
    std::vector<Move> to_normal, to_mod;
    std::vector<Reason> normal_problem, mod_problem;  // empty where that target is possible; one reason at most
    bool only_at_mod_name = false;                    // the track's one file is at its mod name

    bool Blocked() const { return layout == Layout::kBroken; }  // by a name neither target can get past
};

// Judges a track from `seen`. `spelt` are its names as the folder spells them,
// and `shown` the files the reasons name: a name's stand-in where one is taken
// for it. The moves are always between the table's names.
TrackVerdict Judge(const Track& track, const Seen& seen, const Names& shown, const Names& spelt);

}  // namespace vornhaskel::repair
