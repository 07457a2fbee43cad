#include "repair.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace vornhaskel::repair {

namespace {

struct Names {
    std::string live, backup, mod;  // mod is empty for a track the mod does not replace
};

Names NamesOf(const Track& track) {
    const std::string stem = std::string(track.folder) + "\\" + std::string(track.base);
    return {stem + ".wav", stem + ".original.wav", track.mod_replacement ? stem + ".mod.wav" : std::string()};
}

using Move = std::pair<std::string, std::string>;

// What one track needs for each target, or why it cannot get there.
struct TrackVerdict {
    Layout layout = Layout::kBroken;
    std::vector<Move> to_normal, to_mod;
    std::string normal_problem, mod_problem;  // empty where that target is possible
    bool mod_file_not_in_place = false;       // the mod's file is the one reason against the mod's music
    bool only_at_mod_name = false;            // the track's one file is at its mod name
};

// A name that is a folder, or that could not be examined, blocks its track.
std::string Unusable(const std::string& name, const NameInfo& info) {
    if (info.kind == NameKind::kFolder) return name + " is a folder, not a music file: move it out of the folder";
    return name + " cannot be examined: " + info.error.message();
}

// A track with none of its names has lost the game's own file: no rename can
// bring it back, but none of the normal music's renames needs it either.
std::string Lost(const std::string& live) {
    return live + " is missing, and so are all its other names: restore the game's own file with the game "
                  "store's file check (\"verify the game's files\")";
}

// What was seen at a track's live, backup and mod names.
using Seen = std::array<NameInfo, 3>;
enum Role : std::size_t { kLive, kBackup, kMod };

// `shown` names the files in the reasons: a name's stand-in where one is taken
// for it. The moves are always between the exact names.
TrackVerdict Judge(const Track& track, const Seen& seen, const Names& shown) {
    const Names names = NamesOf(track);
    TrackVerdict verdict;
    const auto blocked = [&](std::string problem) {
        verdict.normal_problem = verdict.mod_problem = std::move(problem);
        return verdict;
    };
    const NameInfo &live = seen[kLive], &backup = seen[kBackup], &mod = seen[kMod];
    for (const auto& [name, info] : {std::pair(&shown.live, &live), std::pair(&shown.backup, &backup),
                                     std::pair(&shown.mod, &mod)})
        if (info->kind == NameKind::kFolder || info->kind == NameKind::kUnknown) return blocked(Unusable(*name, *info));

    const bool l = live.kind == NameKind::kFile, o = backup.kind == NameKind::kFile, d = mod.kind == NameKind::kFile;
    if (!l && !o && !d) {
        verdict.layout = Layout::kLost;
        verdict.mod_problem = Lost(names.live);
        return verdict;
    }
    if (!track.mod_replacement) {
        if (l && !o) {
            verdict.layout = Layout::kNormal;
            verdict.to_mod = {{names.live, names.backup}};
        } else if (o && !l) {
            verdict.layout = Layout::kMod;
            verdict.to_normal = {{names.backup, names.live}};
        } else {
            return blocked(shown.live + " and " + shown.backup + " both exist: move one of them out of the folder");
        }
        return verdict;
    }

    const std::string mod_missing =
        names.mod + " is missing: put the mod's file there before you switch to the mod's music";
    if (l && o && d)
        return blocked(shown.live + ", " + shown.backup + " and " + shown.mod +
                       " all exist: move the one that does not belong out of the folder");
    if (l && d) {
        verdict.layout = Layout::kNormal;
        verdict.to_mod = {{names.live, names.backup}, {names.mod, names.live}};
    } else if (l && o) {
        verdict.layout = Layout::kMod;
        verdict.to_normal = {{names.live, names.mod}, {names.backup, names.live}};
    } else if (o && d) {
        verdict.layout = Layout::kBetween;
        verdict.to_normal = {{names.backup, names.live}};
        verdict.to_mod = {{names.mod, names.live}};
    } else if (o) {
        verdict.layout = Layout::kBetween;
        verdict.to_normal = {{names.backup, names.live}};
        verdict.mod_problem = mod_missing;
        verdict.mod_file_not_in_place = true;
    } else if (l) {
        // Names alone cannot tell the mod's file from the game's here: taken as
        // the game's own, it stays where it is, and nothing moves it.
        verdict.layout = Layout::kNormal;
        verdict.mod_problem = mod_missing;
        verdict.mod_file_not_in_place = true;
    } else {
        // The first rename back to the normal music moves the game's own file
        // to the mod name; a switch that stopped right after it leaves this. The
        // file may be the game's or the mod's: either way the normal music takes
        // it back to the live name, the reverse of that rename, and nothing may
        // be put at the mod name before then.
        verdict.layout = Layout::kBetween;
        verdict.to_normal = {{names.mod, names.live}};
        verdict.mod_problem = names.live + " is missing, and so is " + names.backup + ": " + shown.mod +
                              " is the track's only file. Normal music renames it back to " + names.live +
                              "; add the mod's file as " + names.mod + " only after that";
        verdict.only_at_mod_name = true;
    }
    return verdict;
}

// The steps of `sequence` that some track needs, in the sequence's order.
void KeepNeeded(Sequence sequence, const std::vector<Move>& needed, std::vector<RenameStep>& steps) {
    for (const RenameStep& step : sequence)
        if (std::find(needed.begin(), needed.end(), Move(step.old_path, step.new_path)) != needed.end())
            steps.push_back(step);
}

// The target's own sequence, keeping the steps that some track needs. The one
// move a track can need that is not a step of it, a mod name back to the live
// name on the way to the normal music, is a step of the other sequence; it
// touches only its own track's names, so it comes first.
std::vector<RenameStep> StepsFor(Target target, const std::vector<Move>& needed) {
    std::vector<RenameStep> steps;
    if (target == Target::kNormal) {
        KeepNeeded(RenameSequence, needed, steps);
        KeepNeeded(UnrenameSequence, needed, steps);
    } else {
        KeepNeeded(RenameSequence, needed, steps);
    }
    return steps;
}

std::string Count(std::size_t n, const char* what) {
    return std::to_string(n) + (n == 1 ? " track " : " tracks ") + what;
}

std::string Describe(const FolderReport& report, std::string_view has, std::string_view is) {
    if (report.only_mod_files) return "This is not the game folder: its music folders hold only the mod's files.";
    if (!report.IsGameFolder()) {
        if (report.missing_folders.size() == 2)
            return "This is not the game folder: it has no streammusic and streamsounds folders.";
        return "This is not the game folder: it has no " + report.missing_folders.front() + " folder.";
    }
    std::size_t normal = 0, mod = 0, between = 0, lost = 0, broken = 0;
    std::string lost_names;
    for (std::size_t i = 0; i < kTrackCount; ++i) {
        const Layout layout = report.layouts[i];
        normal += layout == Layout::kNormal;
        mod += layout == Layout::kMod;
        between += layout == Layout::kBetween;
        broken += layout == Layout::kBroken;
        if (layout != Layout::kLost) continue;
        lost_names += (lost++ == 0 ? "" : ", ") + NamesOf(TrackTable[i]).live;
    }
    if (normal == kTrackCount) return "The folder " + std::string(has) + " the normal music.";
    if (mod == kTrackCount) return "The folder " + std::string(has) + " the mod's music.";
    std::string text = "The folder " + std::string(is) + " mixed:";
    const char* separator = " ";
    const std::pair<std::size_t, const char*> parts[] = {{normal, "set for the normal music"},
                                                         {mod, "set for the mod's music"},
                                                         {between, "half-way between the two"},
                                                         {lost, "missing"},
                                                         {broken, "with a problem"}};
    for (const auto& [n, what] : parts) {
        if (n == 0) continue;
        text += separator + Count(n, what);
        separator = ", ";
    }
    text += ".";
    if (lost > 0 && lost <= 3)  // more are named in the list of problems
        text += std::string(lost == 1 ? " This track has" : " These tracks have") + " no file at all: " + lost_names + ".";
    if (lost > 0) text += " Restore the game's own files with the game store's file check (\"verify the game's files\").";
    return text;
}


// One track as examined: what its exact names hold, and which wanted name of
// the search stands for each absent one.
struct TrackLook {
    Seen seen;
    std::array<std::string, 3> files;  // file names of the table; empty where the track has no such name
    std::array<std::size_t, 3> wanted{SIZE_MAX, SIZE_MAX, SIZE_MAX};
};

// A track's way to one target: the moves, the stand-ins that it renames first,
// or why it cannot get there.
struct TargetVerdict {
    Layout layout = Layout::kBroken;
    std::vector<Move> moves;
    std::vector<FoundRename> found;
    std::string problem;
    bool mod_file_not_in_place = false;
    bool only_at_mod_name = false;
    bool uses_stand_ins = false;
};

TargetVerdict For(Target target, const TrackVerdict& verdict) {
    const bool normal = target == Target::kNormal;
    return {verdict.layout, normal ? verdict.to_normal : verdict.to_mod,
            {}, normal ? verdict.normal_problem : verdict.mod_problem,
            verdict.mod_file_not_in_place, verdict.only_at_mod_name, false};
}

class Planner {
public:
    Planner(const ExamineFunction& examine, const ListFunction& list, const MountFunction& another_mount)
        : examine_(examine), list_(list), another_mount_(another_mount) {}

    FolderReport Run() && {
        FindMusicFolders();
        if (!report_.IsGameFolder()) {
            report_.normal.reasons = report_.mod.reasons = report_.problems;
            return std::move(report_);
        }
        std::array<TrackLook, kTrackCount> looks;
        std::array<TrackVerdict, kTrackCount> exact;
        std::vector<Wanted> wanted;
        for (std::size_t i = 0; i < kTrackCount; ++i) {
            exact[i] = Judge(TrackTable[i], Look(TrackTable[i], looks[i]), NamesOf(TrackTable[i]));
            const bool stuck = !exact[i].normal_problem.empty() || !exact[i].mod_problem.empty() ||
                               exact[i].layout == Layout::kLost;
            for (std::size_t role = 0; stuck && role < 3; ++role) {
                if (looks[i].files[role].empty() || looks[i].seen[role].kind != NameKind::kAbsent) continue;
                looks[i].wanted[role] = wanted.size();
                wanted.push_back({on_disk_[IndexOf(TrackTable[i].folder)], looks[i].files[role], role == kMod});
            }
        }
        if (!wanted.empty()) search_ = Search(wanted, list_, another_mount_);

        std::vector<Move> to_normal, to_mod;
        std::vector<FoundRename> found_normal = folder_renames_, found_mod = folder_renames_;
        bool game_files = false, mod_files = false;
        for (std::size_t i = 0; i < kTrackCount; ++i) {
            TargetVerdict normal = ForTarget(Target::kNormal, TrackTable[i], looks[i], exact[i]);
            TargetVerdict mod = ForTarget(Target::kMod, TrackTable[i], looks[i], exact[i]);
            const Names names = NamesOf(TrackTable[i]);
            const auto holds = [&](Role role, const std::string& name) {
                const auto to_name = [&](const FoundRename& rename) { return rename.new_path == name; };
                return looks[i].seen[role].kind == NameKind::kFile || std::ranges::any_of(normal.found, to_name) ||
                       std::ranges::any_of(mod.found, to_name);
            };
            game_files = game_files || holds(kLive, names.live) || holds(kBackup, names.backup);
            mod_files = mod_files || (TrackTable[i].mod_replacement && holds(kMod, names.mod));
            report_.layouts[i] = normal.uses_stand_ins ? normal.layout : mod.uses_stand_ins ? mod.layout
                                                                                           : exact[i].layout;
            report_.tracks_lost += report_.layouts[i] == Layout::kLost;
            report_.mod_files_not_in_place += mod.mod_file_not_in_place;
            if (mod.only_at_mod_name && !mod.problem.empty()) report_.only_at_mod_name.push_back(names.mod);
            CountModFiles(mod.found);
            to_normal.insert(to_normal.end(), normal.moves.begin(), normal.moves.end());
            to_mod.insert(to_mod.end(), mod.moves.begin(), mod.moves.end());
            found_normal.insert(found_normal.end(), normal.found.begin(), normal.found.end());
            found_mod.insert(found_mod.end(), mod.found.begin(), mod.found.end());
            if (!normal.problem.empty()) report_.normal.reasons.push_back(normal.problem);
            if (!mod.problem.empty()) report_.mod.reasons.push_back(mod.problem);
            for (std::string* problem : {&normal.problem, &mod.problem})
                if (!problem->empty() && (report_.problems.empty() || report_.problems.back() != *problem))
                    report_.problems.push_back(std::move(*problem));
        }
        report_.problems.insert(report_.problems.end(), search_.problems.begin(), search_.problems.end());
        if (mod_files && !game_files) {
            // The mod's own download holds both music folders too. Its files
            // must never be taken for the game's, nor renamed to the game's names.
            report_.only_mod_files = true;
            report_.problems = {"streammusic and streamsounds hold the mod's files and none of the game's own: this "
                                "is the mod's folder, not the game folder"};
            report_.normal = report_.mod = TargetPlan{};
            report_.normal.reasons = report_.mod.reasons = report_.problems;
            return std::move(report_);
        }
        Finish(report_.normal, Target::kNormal, to_normal, std::move(found_normal));
        Finish(report_.mod, Target::kMod, to_mod, std::move(found_mod));
        return std::move(report_);
    }

private:
    static std::size_t IndexOf(std::string_view folder) { return folder == kMusicFolders[0] ? 0 : 1; }

    // Each music folder by its exact name, or else by the one entry of the game
    // folder that has its name in another case, which the plans then rename.
    void FindMusicFolders() {
        for (std::size_t f = 0; f < 2; ++f) {
            const std::string folder(kMusicFolders[f]);
            on_disk_[f] = folder;
            const NameInfo info = examine_(folder);
            if (info.kind == NameKind::kFolder) continue;
            if (info.kind == NameKind::kAbsent) {
                const std::vector<Candidate> candidates = FolderCandidates(folder, list_);
                if (candidates.size() == 1 && candidates.front().kind == EntryKind::kFolder) {
                    on_disk_[f] = candidates.front().path;
                    folder_renames_.push_back({on_disk_[f], folder});
                    continue;
                }
                if (candidates.size() == 1)
                    report_.problems.push_back(folder + " is missing, and " + candidates.front().path +
                                               " has its name in another case but is no plain folder of this drive "
                                               "(a file, a link or another drive), so it is left alone");
                else if (!candidates.empty())
                    report_.problems.push_back(WhyNoStandIn(folder, candidates));
            }
            report_.missing_folders.emplace_back(folder);
            if (info.kind == NameKind::kUnknown) report_.problems.push_back(Unusable(folder, info));
        }
    }

    Seen Look(const Track& track, TrackLook& look) const {
        look.files = {std::string(track.base) + ".wav", std::string(track.base) + ".original.wav",
                      track.mod_replacement ? std::string(track.base) + ".mod.wav" : std::string()};
        for (std::size_t role = 0; role < 3; ++role)
            if (!look.files[role].empty())
                look.seen[role] = examine_(on_disk_[IndexOf(track.folder)] + "\\" + look.files[role]);
        return look.seen;
    }

    // A path as it is once the music folders have their exact names.
    std::string AfterFolderRenames(const std::string& path) const {
        for (const FoundRename& folder : folder_renames_)
            if (path.starts_with(folder.old_path + "\\")) return folder.new_path + path.substr(folder.old_path.size());
        return path;
    }

    // The stand-ins this target may take where they get the track there, else
    // the exact names. The normal music never takes the mod's file, and the
    // mod's takes it only for a track whose game file is there under some name.
    // A name with candidates but no stand-in refuses a target that the exact
    // names cannot reach.
    TargetVerdict ForTarget(Target target, const Track& track, const TrackLook& look, const TrackVerdict& exact) const {
        TargetVerdict fallback = For(target, exact);
        const bool exact_will_do = fallback.problem.empty();
        Seen seen = look.seen;
        Names shown = NamesOf(track);
        const Names managed = NamesOf(track);
        std::string* shown_names[] = {&shown.live, &shown.backup, &shown.mod};
        const std::string* managed_names[] = {&managed.live, &managed.backup, &managed.mod};
        std::vector<FoundRename> found;
        std::string unsettled;
        for (std::size_t role = 0; role < 3; ++role) {
            const std::size_t i = look.wanted[role];
            if (i == SIZE_MAX || (target == Target::kNormal && role == kMod) || search_.candidates[i].empty()) continue;
            const Candidate* stand_in = StandIn(search_, i);
            if (stand_in == nullptr) {
                unsettled += (unsettled.empty() ? "" : "; ") + WhyNoStandIn(*managed_names[role], search_.candidates[i]);
                continue;
            }
            seen[role] = {NameKind::kFile, {}};
            *shown_names[role] = stand_in->path;
            found.push_back({AfterFolderRenames(stand_in->path), *managed_names[role]});
        }
        if (!unsettled.empty()) {
            if (!exact_will_do) fallback.problem = std::move(unsettled);
            return fallback;
        }
        if (found.empty()) return fallback;
        if (target == Target::kMod && seen[kLive].kind != NameKind::kFile && seen[kBackup].kind != NameKind::kFile)
            return fallback;
        TargetVerdict verdict = For(target, Judge(track, seen, shown));
        if (!verdict.problem.empty() && exact_will_do) return fallback;
        if (verdict.problem.empty()) verdict.found = std::move(found);
        verdict.uses_stand_ins = true;
        return verdict;
    }

    void CountModFiles(const std::vector<FoundRename>& found) {
        for (const FoundRename& rename : found) {
            if (!rename.new_path.ends_with(".mod.wav")) continue;
            ++report_.mod_files_found;
            const auto split = rename.old_path.rfind('\\');
            std::string folder = split == std::string::npos ? std::string() : rename.old_path.substr(0, split);
            if (std::find(report_.mod_files_found_in.begin(), report_.mod_files_found_in.end(), folder) ==
                report_.mod_files_found_in.end())
                report_.mod_files_found_in.push_back(std::move(folder));
        }
    }

    static void Finish(TargetPlan& plan, Target target, const std::vector<Move>& moves,
                       std::vector<FoundRename> found) {
        plan.possible = plan.reasons.empty();
        if (!plan.possible) return;
        plan.found = std::move(found);
        plan.steps = StepsFor(target, moves);
    }

    const ExamineFunction& examine_;
    const ListFunction& list_;
    const MountFunction& another_mount_;
    FolderReport report_;
    std::array<std::string, 2> on_disk_;  // the music folders as the game folder spells them
    std::vector<FoundRename> folder_renames_;
    SearchResult search_;
};

}  // namespace

std::vector<RenameStep> TargetPlan::Renames() const {
    std::vector<RenameStep> renames;
    for (const FoundRename& rename : found) renames.push_back({rename.old_path, rename.new_path});
    renames.insert(renames.end(), steps.begin(), steps.end());
    return renames;
}

FolderReport ExamineFolder(const ExamineFunction& examine, const ListFunction& list,
                           const MountFunction& another_mount) {
    return Planner(examine, list, another_mount).Run();
}

FolderReport ExamineFolder() { return ExamineFolder(ExamineName, ListFolder, OnAnotherMount); }

namespace {

const char* NameOf(Target target) { return target == Target::kNormal ? "Normal music" : "Mod music"; }

std::string Many(std::size_t n, const char* one, const char* several) {
    return n == 1 ? one : std::to_string(n) + several;
}

// Why a target is greyed out, in a few words: the mod's files not in place, a
// game file lost, or else the problems listed.
std::string WhyNot(const FolderReport& report, Target target) {
    const std::size_t all = report.Plan(target).reasons.size();
    std::size_t mod_files = 0, lost = 0, only = 0;
    if (target == Target::kMod) {
        mod_files = report.mod_files_not_in_place;
        lost = report.tracks_lost;
        only = report.only_at_mod_name.size();
    }
    std::string why;
    const auto add = [&why](const std::string& part) { why += (why.empty() ? "" : ", and ") + part; };
    if (mod_files == 7)
        add("the mod's 7 files are not in place");
    else if (mod_files > 0)
        add(std::to_string(mod_files) + " of the mod's 7 files " + (mod_files == 1 ? "is" : "are") + " not in place");
    if (lost > 0) add(Many(lost, "a track of the game has", " tracks of the game have") + " no file at all");
    if (all > mod_files + lost + only) add("a track's files need sorting out first, as listed");
    if (only > 0) {
        // A mod file copied in now would replace a track's only file.
        std::string names;
        for (const std::string& name : report.only_at_mod_name) names += (names.empty() ? "" : ", ") + name;
        add(names + (only == 1 ? " is its track's only file" : " are their tracks' only files") +
            ", so choose Normal music first, and put no mod file in before then");
    }
    return why;
}

}  // namespace

std::string Advice(const FolderReport& report) {
    if (!report.IsGameFolder())
        return "Choose the game folder: the one that holds streammusic and streamsounds.";
    std::string text;
    const auto say = [&text](const std::string& sentence) { text += (text.empty() ? "" : " ") + sentence; };
    const bool offered = report.normal.Offered() || report.mod.Offered();
    const bool found = !FoundRenames(report).empty();
    if (offered && found)
        say("Close the game first. A button first gives the files found their exact names, then renames only the "
            "files that are out of place, with the same renames as vornhaskel, and never replaces a file.");
    else if (offered)
        say("Close the game first. A button renames only the files that are out of place, with the same renames as "
            "vornhaskel, and never replaces a file.");
    for (const Target target : {Target::kNormal, Target::kMod})
        if (!report.Plan(target).possible)
            say(std::string(NameOf(target)) + " is not available: " + WhyNot(report, target) + ".");
    if (!offered && !report.normal.Reached() && !report.mod.Reached())
        say("Nothing here can be switched until the problems listed are put right. Then start the repair tool "
            "again.");
    return text.empty() ? "Nothing needs repairing." : text;
}

namespace {

// A path of a plan as the player reads it in the window: "MyMusicMod/streamsounds".
std::string Shown(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace

std::string FoundSummary(const FolderReport& report) {
    const std::size_t n = report.mod_files_found;
    if (n == 0) return {};
    std::string text = n == 7 ? "The mod's 7 files were found in "
                       : n == 1 ? "1 of the mod's 7 files was found in "
                                : std::to_string(n) + " of the mod's 7 files were found in ";
    const std::vector<std::string>& folders = report.mod_files_found_in;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (i > 0) text += i + 1 == folders.size() ? " and " : ", ";
        text += folders[i].empty() ? "the game folder" : Shown(folders[i]);
    }
    return text + ".";
}

std::vector<RenameList> FoundRenames(const FolderReport& report) {
    std::vector<RenameList> lists;
    const auto lines_of = [](const TargetPlan& plan) {
        std::vector<std::string> lines;
        for (const FoundRename& rename : plan.found)
            lines.push_back(Shown(rename.old_path) + " will become " + Shown(rename.new_path));
        return lines;
    };
    const bool normal = report.normal.Offered() && !report.normal.found.empty();
    const bool mod = report.mod.Offered() && !report.mod.found.empty();
    if (normal && mod && report.normal.found == report.mod.found) {
        lists.push_back({"Normal music and Mod music first rename:", lines_of(report.normal)});
        return lists;
    }
    if (normal) lists.push_back({"Normal music first renames:", lines_of(report.normal)});
    if (mod) lists.push_back({"Mod music first renames:", lines_of(report.mod)});
    return lists;
}

std::string Summary(const FolderReport& report) { return Describe(report, "has", "is"); }

std::string SummaryAfterRepair(const FolderReport& report) { return Describe(report, "now has", "is now"); }

std::string AfterFailure(std::string_view failure, const FolderReport& now) {
    return std::string(failure) + "\n\n" + SummaryAfterRepair(now) +
           " No file was lost or replaced. Start the repair tool again to finish.";
}

}  // namespace vornhaskel::repair
