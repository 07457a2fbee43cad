#include "repair.hpp"

#include <algorithm>
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

TrackVerdict Judge(const Track& track, const ExamineFunction& examine) {
    const Names names = NamesOf(track);
    TrackVerdict verdict;
    const auto blocked = [&](std::string problem) {
        verdict.normal_problem = verdict.mod_problem = std::move(problem);
        return verdict;
    };
    const NameInfo live = examine(names.live), backup = examine(names.backup);
    const NameInfo mod = track.mod_replacement ? examine(names.mod) : NameInfo{};
    for (const auto& [name, info] : {std::pair(&names.live, &live), std::pair(&names.backup, &backup),
                                     std::pair(&names.mod, &mod)})
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
            return blocked(names.live + " and " + names.backup + " both exist: move one of them out of the folder");
        }
        return verdict;
    }

    const std::string mod_missing =
        names.mod + " is missing: put the mod's file there before you switch to the mod's music";
    if (l && o && d)
        return blocked(names.live + ", " + names.backup + " and " + names.mod +
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
        verdict.mod_problem = names.live + " is missing, and so is " + names.backup + ": " + names.mod +
                              " is the track's only file. Normal music renames it back to " + names.live +
                              "; add the mod's file as " + names.mod + " only after that";
        verdict.mod_file_not_in_place = true;
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
    if (lost > 3)
        text.append(" ").append(std::to_string(lost)).append(" tracks have no file at all, as listed.");
    else if (lost > 0)
        text += std::string(lost == 1 ? " This track has" : " These tracks have") + " no file at all: " + lost_names + ".";
    if (lost > 0) text += " Restore the game's own files with the game store's file check (\"verify the game's files\").";
    return text;
}

}  // namespace

FolderReport ExamineFolder(const ExamineFunction& examine) {
    FolderReport report;
    for (const char* folder : {"streammusic", "streamsounds"}) {
        const NameInfo info = examine(folder);
        if (info.kind == NameKind::kFolder) continue;
        report.missing_folders.emplace_back(folder);
        if (info.kind == NameKind::kUnknown) report.problems.push_back(Unusable(folder, info));
    }
    if (!report.IsGameFolder()) {
        report.normal.reasons = report.mod.reasons = report.problems;
        return report;
    }

    std::vector<Move> to_normal, to_mod;
    for (std::size_t i = 0; i < kTrackCount; ++i) {
        TrackVerdict verdict = Judge(TrackTable[i], examine);
        report.layouts[i] = verdict.layout;
        to_normal.insert(to_normal.end(), verdict.to_normal.begin(), verdict.to_normal.end());
        to_mod.insert(to_mod.end(), verdict.to_mod.begin(), verdict.to_mod.end());
        if (!verdict.normal_problem.empty()) report.normal.reasons.push_back(verdict.normal_problem);
        if (!verdict.mod_problem.empty()) report.mod.reasons.push_back(verdict.mod_problem);
        report.tracks_lost += verdict.layout == Layout::kLost;
        report.mod_files_not_in_place += verdict.mod_file_not_in_place;
        for (std::string* problem : {&verdict.normal_problem, &verdict.mod_problem})
            if (!problem->empty() && (report.problems.empty() || report.problems.back() != *problem))
                report.problems.push_back(std::move(*problem));
    }
    report.normal.possible = report.normal.reasons.empty();
    if (report.normal.possible) report.normal.steps = StepsFor(Target::kNormal, to_normal);
    report.mod.possible = report.mod.reasons.empty();
    if (report.mod.possible) report.mod.steps = StepsFor(Target::kMod, to_mod);
    return report;
}

FolderReport ExamineFolder() { return ExamineFolder(ExamineName); }

namespace {

const char* NameOf(Target target) { return target == Target::kNormal ? "Normal music" : "Mod music"; }

std::string Many(std::size_t n, const char* one, const char* several) {
    return n == 1 ? one : std::to_string(n) + several;
}

// Why a target is greyed out, in a few words: the mod's files not in place, a
// game file lost, or else the problems listed.
std::string WhyNot(const FolderReport& report, Target target) {
    const std::size_t all = report.Plan(target).reasons.size();
    std::size_t mod_files = 0, lost = 0;
    if (target == Target::kMod) {
        mod_files = report.mod_files_not_in_place;
        lost = report.tracks_lost;
    }
    std::string why;
    const auto add = [&why](const std::string& part) { why += (why.empty() ? "" : ", and ") + part; };
    if (mod_files == 7)
        add("the mod's 7 files are not in place");
    else if (mod_files > 0)
        add(std::to_string(mod_files) + " of the mod's 7 files " + (mod_files == 1 ? "is" : "are") + " not in place");
    if (lost > 0) add(Many(lost, "a track of the game has", " tracks of the game have") + " no file at all");
    if (all > mod_files + lost) add("a track's files need sorting out first, as listed");
    return why;
}

}  // namespace

std::string Advice(const FolderReport& report) {
    if (!report.IsGameFolder())
        return "Start the repair tool in the folder that holds streammusic and streamsounds, or hand it that folder.";
    std::string text;
    const auto say = [&text](const std::string& sentence) { text += (text.empty() ? "" : " ") + sentence; };
    const bool offered = report.normal.Offered() || report.mod.Offered();
    if (offered)
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

std::string Summary(const FolderReport& report) { return Describe(report, "has", "is"); }

std::string SummaryAfterRepair(const FolderReport& report) { return Describe(report, "now has", "is now"); }

std::string AfterFailure(std::string_view failure, const FolderReport& now) {
    return std::string(failure) + "\n\n" + SummaryAfterRepair(now) +
           " No file was lost or replaced. Start the repair tool again to finish.";
}

}  // namespace vornhaskel::repair
