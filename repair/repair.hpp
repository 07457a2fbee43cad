// The repair planner: reads which music a game folder holds from which of the
// 49 managed names exist, and plans the renames that bring a half-switched
// folder to either music. What it decides comes back as data and reasons;
// repair_words.hpp says it in words.
//
// A plan is a target's own sequence (UnrenameSequence for the normal music,
// RenameSequence for the mod's) with only the steps that the folder still needs,
// in the sequence's order. The normal music may first take a track's only file
// from its mod name back to its live name, a step of RenameSequence. Every
// rename of that part is one the program makes.
//
// Where the exact names cannot get a track to a target, the search (search.hpp)
// looks for the files players leave under another name or elsewhere. A file
// found there stands in only for a name that is absent and that the target
// needs as a source (the game's file for the normal music, the mod's for the
// mod's), as if it had that name, and a plan first renames it to that name.
// Where the exact names settle a track, no find changes it.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reasons.hpp"
#include "folder_look.hpp"
#include "search.hpp"
#include "track_verdict.hpp"
#include "tracks.hpp"

namespace vornhaskel::repair {

// ExamineName in the tool; the tests answer from a model of the folder.
using ExamineFunction = std::function<NameInfo(std::string_view path)>;

struct TargetPlan {
    bool possible = false;
    // Run first, in this order: a file or music folder found under another
    // name or in another folder, to the exact name of the table.
    std::vector<Rename> found;
    std::vector<RenameStep> steps;     // then these; both are empty once the target is reached
    std::vector<Reason> reasons;       // why it is not possible, in track order
    // The found renames, then the steps, with their paths as the folder spells
    // them: a music folder that cannot take the table's name (another entry
    // holds it) keeps its own spelling. What RunSteps runs.
    std::vector<Rename> in_order;

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
    std::vector<Reason> problems;  // every reason of either target, once each, then what was not read
    // The finds that the mod's music takes for the mod's names, or would take
    // were it possible: where the mod's files were found.
    std::vector<Rename> mod_finds;
    std::vector<std::string> finds_from_backups;  // folders among theirs that look like a backup of the game's files

    bool only_mod_files = false;  // both music folders, but none of the game's files: the mod's own download
    bool music_folders_clash = false;  // two entries spell one music folder, and both hold the game's files

    bool IsGameFolder() const { return missing_folders.empty() && !only_mod_files; }
    bool operator==(const FolderReport&) const = default;
    const TargetPlan& Plan(Target target) const { return target == Target::kNormal ? normal : mod; }
};

// Looks at each managed name once and renames nothing. Without both folders no
// name is examined and nothing is possible. Lists the game folder and its music
// folders, asks `identity` where a music folder's names lead (see
// FindMusicFolders), and searches further only where an exact name is wanting.
FolderReport ExamineFolder(const ExamineFunction& examine, const ListFunction& list,
                           const MountFunction& another_mount = {}, const IdentityFunction& identity = {});
// The working directory, through ExamineName, ListFolder, OnAnotherMount and IdentityOf.
FolderReport ExamineFolder();


}  // namespace vornhaskel::repair
