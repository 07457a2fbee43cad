// The repair planner: reads which music a game folder holds from which of the
// 49 managed names exist, and plans the renames that bring a half-switched
// folder to either music.
//
// A plan is a target's own sequence (UnrenameSequence for the normal music,
// RenameSequence for the mod's) with only the steps that the folder still needs,
// in the sequence's order. The normal music may first take a track's only file
// from its mod name back to its live name, a step of RenameSequence. Every
// rename of that part is one the program makes.
//
// Where the exact names cannot get a track to a target, the search (search.hpp)
// looks for the files players leave under another name or elsewhere. A file
// found there stands in for a name that is absent, as if it had that name, and
// a plan first renames each one that it needs to its exact name, even where the
// exact names alone would reach the target too: a backup named with its
// extension doubled is the track's backup all the same. The normal music never
// needs the mod's files, so it leaves them where they are.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rename_file.hpp"
#include "search.hpp"
#include "tracks.hpp"

namespace vornhaskel::repair {

// ExamineName in the tool; the tests answer from a model of the folder.
using ExamineFunction = std::function<NameInfo(std::string_view path)>;

enum class Target { kNormal, kMod };

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

// A rename of a plan's first part: a file or music folder that was found under
// another name or in another folder, to the exact name of the table.
struct FoundRename {
    std::string old_path, new_path;

    bool operator==(const FoundRename&) const = default;
};

struct TargetPlan {
    bool possible = false;
    std::vector<FoundRename> found;    // run first, in this order
    std::vector<RenameStep> steps;     // then these; both are empty once the target is reached
    std::vector<std::string> reasons;  // why it is not possible, in track order

    bool Reached() const { return possible && found.empty() && steps.empty(); }
    bool Offered() const { return possible && !Reached(); }
    bool operator==(const TargetPlan&) const = default;

    // Every rename of the plan in order, for RunSteps: valid while the plan lives.
    std::vector<RenameStep> Renames() const;
};

struct FolderReport {
    std::vector<std::string> missing_folders;  // of "streammusic" and "streamsounds": absent or unusable
    std::array<Layout, kTrackCount> layouts{};  // kBroken until a track is judged
    TargetPlan normal, mod;
    std::vector<std::string> problems;  // every reason of either target, once each
    std::size_t mod_files_not_in_place = 0;  // tracks whose only reason against the mod's music is its file
    std::size_t tracks_lost = 0;             // tracks with none of their names
    std::vector<std::string> only_at_mod_name;  // mod names that hold their track's only file
    std::size_t mod_files_found = 0;         // of the mod's files, found away from their names and usable
    std::vector<std::string> mod_files_found_in;  // the folders they were found in, in track order

    bool only_mod_files = false;  // both music folders, but none of the game's files: the mod's own download

    bool IsGameFolder() const { return missing_folders.empty() && !only_mod_files; }
    bool operator==(const FolderReport&) const = default;
    const TargetPlan& Plan(Target target) const { return target == Target::kNormal ? normal : mod; }
};

// Looks at each managed name once and renames nothing. Without both folders no
// name is examined and nothing is possible. Lists folders only where an exact
// name is wanting: a music folder, or a name that keeps a track from a target.
FolderReport ExamineFolder(const ExamineFunction& examine, const ListFunction& list);
FolderReport ExamineFolder();  // the working directory, through ExamineName and ListFolder

// One line for the window on what the folder holds, such as "The folder has the
// normal music." or "The folder is mixed: 14 tracks set for the normal music, ...".
std::string Summary(const FolderReport& report);

// The same after a repair, read afresh from the folder: "The folder now has ...".
std::string SummaryAfterRepair(const FolderReport& report);

// What the player can do next, for the window's second line.
std::string Advice(const FolderReport& report);

// One line on the mod's files that were found away from their names, such as
// "The mod's 7 files were found in MyMusicMod/streamsounds and MyMusicMod/streammusic.";
// empty where none were.
std::string FoundSummary(const FolderReport& report);

// The renames that the offered plans make first, under a heading such as
// "Mod music first renames:", one line each: "MyMusicMod/streamsounds/mus_sbat_acad.mod.wav
// will become streamsounds/mus_sbat_acad.mod.wav". Empty where no plan makes any.
struct RenameList {
    std::string heading;
    std::vector<std::string> lines;
};
std::vector<RenameList> FoundRenames(const FolderReport& report);

// Leads the advice when the folder was read again after a button was chosen and
// no longer matched what the window showed: it is asked about afresh.
inline constexpr char kFolderChanged[] =
    "The folder changed while this window was open, so it has been read again. ";

// The message after a rename of the plan failed: the failure, then what the
// folder holds now, read afresh.
std::string AfterFailure(std::string_view failure, const FolderReport& now);

}  // namespace vornhaskel::repair
