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
};

// A name that is a folder, or that could not be examined, blocks its track.
std::string Unusable(const std::string& name, const NameInfo& info) {
    if (info.kind == NameKind::kFolder) return name + " is a folder, not a music file: move it out of the folder";
    return name + " cannot be examined: " + info.error.message();
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
    if (!track.mod_replacement) {
        if (l && !o) {
            verdict.layout = Layout::kNormal;
            verdict.to_mod = {{names.live, names.backup}};
        } else if (o && !l) {
            verdict.layout = Layout::kMod;
            verdict.to_normal = {{names.backup, names.live}};
        } else if (l) {
            return blocked(names.live + " and " + names.backup + " both exist: move one of them out of the folder");
        } else {
            return blocked(names.live + " is missing, and so is " + names.backup);
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
    } else if (l) {
        // Names alone cannot tell the mod's file from the game's here: taken as
        // the game's own, it stays where it is, and nothing moves it.
        verdict.layout = Layout::kNormal;
        verdict.mod_problem = mod_missing;
    } else if (d) {
        return blocked(names.live + " is missing, and so is " + names.backup + ": only the mod's file " + names.mod +
                       " is left");
    } else {
        return blocked(names.live + " is missing, and so are " + names.backup + " and " + names.mod);
    }
    return verdict;
}

// The target's own sequence, keeping the steps that some track needs. Every move
// a track can need is a step of that sequence.
std::vector<RenameStep> StepsOfSequence(Sequence sequence, const std::vector<Move>& needed) {
    std::vector<RenameStep> steps;
    for (const RenameStep& step : sequence)
        if (std::find(needed.begin(), needed.end(), Move(step.old_path, step.new_path)) != needed.end())
            steps.push_back(step);
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
    std::size_t normal = 0, mod = 0, between = 0, broken = 0;
    for (const Layout layout : report.layouts) {
        normal += layout == Layout::kNormal;
        mod += layout == Layout::kMod;
        between += layout == Layout::kBetween;
        broken += layout == Layout::kBroken;
    }
    if (normal == kTrackCount) return "The folder " + std::string(has) + " the normal music.";
    if (mod == kTrackCount) return "The folder " + std::string(has) + " the mod's music.";
    std::string text = "The folder " + std::string(is) + " mixed:";
    const char* separator = " ";
    const std::pair<std::size_t, const char*> parts[] = {{normal, "set for the normal music"},
                                                         {mod, "set for the mod's music"},
                                                         {between, "half-way between the two"},
                                                         {broken, "with a problem"}};
    for (const auto& [n, what] : parts) {
        if (n == 0) continue;
        text += separator + Count(n, what);
        separator = ", ";
    }
    return text + ".";
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
        for (std::string* problem : {&verdict.normal_problem, &verdict.mod_problem})
            if (!problem->empty() && (report.problems.empty() || report.problems.back() != *problem))
                report.problems.push_back(std::move(*problem));
    }
    report.normal.possible = report.normal.reasons.empty();
    if (report.normal.possible) report.normal.steps = StepsOfSequence(UnrenameSequence, to_normal);
    report.mod.possible = report.mod.reasons.empty();
    if (report.mod.possible) report.mod.steps = StepsOfSequence(RenameSequence, to_mod);
    return report;
}

FolderReport ExamineFolder() { return ExamineFolder(ExamineName); }

std::string Advice(const FolderReport& report) {
    if (!report.IsGameFolder())
        return "Start the repair tool in the folder that holds streammusic and streamsounds, or hand it that folder.";
    if (report.normal.Offered() || report.mod.Offered())
        return "Close the game first. A button renames only the files that are out of place, with the same renames "
               "as vornhaskel, and never replaces a file.";
    if (!report.problems.empty())
        return "Nothing here can be switched until the problems listed are put right. Then start the repair tool "
               "again.";
    return "Nothing needs repairing.";
}

std::string Summary(const FolderReport& report) { return Describe(report, "has", "is"); }

std::string SummaryAfterRepair(const FolderReport& report) { return Describe(report, "now has", "is now"); }

}  // namespace vornhaskel::repair
