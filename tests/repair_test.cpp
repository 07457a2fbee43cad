#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rename_file.hpp"
#include "repair.hpp"
#include "runner.hpp"
#include "support/folder.hpp"

namespace vornhaskel::test {
namespace {

using repair::FolderReport;
using repair::Layout;
using repair::Target;

// The planner's eyes on the model: a path without a backslash is a folder.
repair::ExamineFunction Examine(const FolderState& state) {
    return [&state](std::string_view path) {
        if (path.find('\\') == std::string_view::npos)
            return NameInfo{state.folders.contains(std::string(path)) ? NameKind::kFolder : NameKind::kAbsent, {}};
        return NameInfo{state.files.contains(std::string(path)) ? NameKind::kFile : NameKind::kAbsent, {}};
    };
}

// Runs a plan on the model; every step must find its file and a free name.
void ExpectPlanRunsCleanly(FolderState& state, const std::vector<RenameStep>& plan, const std::string& where) {
    for (const RenameStep& step : plan) ASSERT_TRUE(state.Apply(step)) << where << ": " << step.old_path;
}

// A plan keeps steps of the target's own sequence, in that sequence's order.
void ExpectStepsOfTheSequence(const std::vector<RenameStep>& plan, Sequence sequence) {
    auto next = sequence.begin();
    for (const RenameStep& step : plan) {
        next = std::find_if(next, sequence.end(), [&](const RenameStep& s) {
            return s.old_path == step.old_path && s.new_path == step.new_path;
        });
        ASSERT_NE(next, sequence.end()) << step.old_path << " out of order or not the program's own";
        ++next;
    }
}

struct Variant {
    std::string name;
    FolderState normal, active;  // the two states a switch starts from
};

// Every state a switch can stop in: from normal music and from mod active, the
// first k steps of the sequence that leaves it, up to the first that cannot run.
std::vector<std::pair<std::string, FolderState>> HalfDoneStates(const Variant& variant) {
    std::vector<std::pair<std::string, FolderState>> states;
    for (const auto& [start, sequence, label] :
         {std::tuple(variant.normal, Sequence(RenameSequence), "rename"),
          std::tuple(variant.active, Sequence(UnrenameSequence), "unrename")}) {
        FolderState state = start;
        for (std::size_t k = 0;; ++k) {
            states.emplace_back(variant.name + ", " + label + " after " + std::to_string(k), state);
            if (k == sequence.size() || !state.Apply(sequence[k])) break;
        }
    }
    return states;
}

TEST(RepairPlanner, EveryHalfDoneStateReachesWhatItsFilesAllow) {
    std::vector<Variant> variants{{"all files", NormalMusic(), ModActive()}};
    FolderState stock_only = NormalMusic();
    std::erase_if(stock_only.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    FolderState parked = stock_only;
    parked.Run(RenameSequence);  // as far as a switch gets without the mod's files
    variants.push_back({"no mod files", stock_only, parked});
    for (const Track& track : TrackTable) {
        const std::string stem = std::string(track.folder) + "\\" + std::string(track.base);
        FolderState normal = NormalMusic(), active = ModActive();
        normal.files.erase(stem + ".wav");
        active.files.erase(stem + ".original.wav");
        variants.push_back({"no stock " + std::string(track.base), normal, active});
    }
    for (std::size_t v = 0; v < variants.size(); ++v) {
        const Variant& variant = variants[v];
        const FolderState& variant_active = variant.active;
        for (const auto& [where, state] : HalfDoneStates(variant)) {
            const FolderReport report = repair::ExamineFolder(Examine(state));
            ASSERT_TRUE(report.IsGameFolder()) << where;
            for (const Target target : {Target::kNormal, Target::kMod}) {
                const auto& plan = report.Plan(target);
                if (!plan.possible) continue;
                ExpectStepsOfTheSequence(plan.steps, target == Target::kNormal ? Sequence(UnrenameSequence)
                                                                               : Sequence(RenameSequence));
                FolderState after = state;
                ExpectPlanRunsCleanly(after, plan.steps, where);
                // Where names cannot tell the files apart, the game's own never ends up parked as the mod's.
                for (const auto& [path, text] : after.files) {
                    EXPECT_TRUE(!path.ends_with(".mod.wav") || text.starts_with("mod ")) << where << ": " << path;
                }
                const FolderReport again = repair::ExamineFolder(Examine(after));
                EXPECT_TRUE(again.Plan(target).Reached()) << where;
                if (v == 0) {
                    EXPECT_EQ(after, target == Target::kNormal ? variant.normal : variant_active) << where;
                } else if (v == 1 && target == Target::kNormal) {
                    EXPECT_EQ(after, variant.normal) << where;
                }
            }
            if (v == 0) {
                EXPECT_TRUE(report.normal.possible && report.mod.possible) << where;
                EXPECT_EQ(report.normal.Reached(), state == variant.normal) << where;
                EXPECT_EQ(report.mod.Reached(), state == variant_active) << where;
            } else if (v == 1) {
                EXPECT_TRUE(report.normal.possible) << where;
                EXPECT_FALSE(report.mod.possible) << where;
                for (const Track& track : TrackTable) {
                    if (!track.mod_replacement) continue;
                    const std::string mod = std::string(track.folder) + "\\" + std::string(track.base) + ".mod.wav";
                    EXPECT_TRUE(std::any_of(report.mod.reasons.begin(), report.mod.reasons.end(),
                                            [&](const std::string& r) { return r.starts_with(mod + " is missing"); }))
                        << where << ": " << mod;
                }
            }
        }
    }
}

// Each layout the planner refuses, once: neither target is offered, and the
// reason names the track's files.
TEST(RepairPlanner, RefusesWhatNamesCannotSettle) {
    const std::string cant1 = "streammusic\\mus_area_cant1", acad = "streamsounds\\mus_sbat_acad";
    const struct {
        const char* layout;
        std::vector<std::string> drop, add;
        std::string reason;
    } rows[] = {
        {"without mod, none", {cant1 + ".wav"}, {}, cant1 + ".wav is missing, and so is " + cant1 + ".original.wav"},
        {"without mod, L and O", {}, {cant1 + ".original.wav"},
         cant1 + ".wav and " + cant1 + ".original.wav both exist: move one of them out of the folder"},
        {"with mod, none", {acad + ".wav", acad + ".mod.wav"}, {}, acad + ".wav is missing, and so are "},
        {"with mod, D alone", {acad + ".wav"}, {}, acad + ".wav is missing, and so is " + acad + ".original.wav"},
        {"with mod, all three", {}, {acad + ".original.wav"}, acad + ".wav, " + acad + ".original.wav and "},
    };
    for (const auto& row : rows) {
        FolderState state = NormalMusic();
        for (const auto& path : row.drop) state.files.erase(path);
        for (const auto& path : row.add) state.files[path] = "extra";
        const FolderReport report = repair::ExamineFolder(Examine(state));
        EXPECT_FALSE(report.normal.possible || report.mod.possible) << row.layout;
        ASSERT_EQ(report.problems.size(), 1u) << row.layout;
        EXPECT_TRUE(report.problems[0].starts_with(row.reason)) << row.layout << ": " << report.problems[0];
        EXPECT_EQ(report.normal.reasons, report.problems) << row.layout;
        EXPECT_EQ(repair::Summary(report), "The folder is mixed: 20 tracks set for the normal music, 1 track with a problem.");
    }
}

TEST(RepairPlanner, SaysWhatTheFolderHolds) {
    FolderState state = NormalMusic();
    EXPECT_EQ(repair::Summary(repair::ExamineFolder(Examine(state))), "The folder has the normal music.");
    state.Run(std::span(RenameSequence).first(24));
    EXPECT_EQ(repair::Summary(repair::ExamineFolder(Examine(state))),
              "The folder is mixed: 17 tracks set for the mod's music, 4 tracks half-way between the two.");
    state.Run(std::span(RenameSequence).subspan(24));
    EXPECT_EQ(repair::SummaryAfterRepair(repair::ExamineFolder(Examine(state))), "The folder now has the mod's music.");

    state.RemoveFolder("streamsounds");
    const FolderReport half = repair::ExamineFolder(Examine(state));
    EXPECT_FALSE(half.IsGameFolder() || half.normal.possible || half.mod.possible);
    EXPECT_EQ(repair::Summary(half), "This is not the game folder: it has no streamsounds folder.");
    state.RemoveFolder("streammusic");
    EXPECT_EQ(repair::Summary(repair::ExamineFolder(Examine(state))),
              "This is not the game folder: it has no streammusic and streamsounds folders.");
}

// On disk, through ExamineName and RenameFile: a folder at a managed name blocks
// its track with the reason, a symlink counts as a name of its own, and a plan
// leaves the disk where the model says.
TEST(RepairOnDisk, ReadsTheRealFolderAndRunsThePlan) {
    ScratchGameFolder folder;
    FolderState state = NormalMusic();
    state.Run(std::span(RenameSequence).first(22));  // stopped at the mod's second file
    folder.Write(state);
    fs::create_directory(Native("streammusic\\mus_bat_acad.wav"));
    FolderReport report = repair::ExamineFolder();
    EXPECT_FALSE(report.normal.possible);
    EXPECT_EQ(report.normal.reasons, std::vector<std::string>{
        "streammusic\\mus_bat_acad.wav is a folder, not a music file: move it out of the folder"});
    fs::remove(Native("streammusic\\mus_bat_acad.wav"));
#ifndef _WIN32
    fs::create_symlink("elsewhere", Native("streammusic\\mus_bat_acad.wav"));
    EXPECT_FALSE(repair::ExamineFolder().normal.possible) << "the link and the backup both claim the track";
    fs::remove(Native("streammusic\\mus_bat_acad.wav"));
#endif
    report = repair::ExamineFolder();
    ASSERT_TRUE(report.normal.Offered());
    RunSteps(report.normal.steps, RenameFile);
    EXPECT_EQ(folder.Read(), NormalMusic());
    EXPECT_TRUE(repair::ExamineFolder().normal.Reached());
#ifndef _WIN32
    fs::rename("streamsounds", "sounds-elsewhere");
    fs::create_directory_symlink("sounds-elsewhere", "streamsounds");
    EXPECT_TRUE(repair::ExamineFolder().normal.Reached()) << "the renames go through a linked folder too";
#endif
}

// The listing names what each entry is in itself: a link is never followed, a
// nested folder is reached through backslashes, and a missing folder says why.
TEST(RepairOnDisk, ListsAFolderWithoutFollowingAnything) {
    ScratchGameFolder folder;
    fs::create_directories(fs::path("Mod v2") / "streamsounds");
    WriteFile(fs::path("Mod v2") / "streamsounds" / "MUS_SBAT_ACAD.MOD.WAV", "mod");
    WriteFile(fs::path("Mod v2") / "read me.txt", "text");
#ifndef _WIN32
    fs::create_directory_symlink("streamsounds", fs::path("Mod v2") / "linked");
#endif
    std::error_code error;
    auto entries = ListFolder("Mod v2", error);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    std::vector<FolderEntry> expected{{"read me.txt", EntryKind::kFile}, {"streamsounds", EntryKind::kFolder}};
#ifndef _WIN32
    expected.insert(expected.begin(), {"linked", EntryKind::kLink});
#endif
    EXPECT_FALSE(error);
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(ListFolder("Mod v2\\streamsounds", error),
              (std::vector<FolderEntry>{{"MUS_SBAT_ACAD.MOD.WAV", EntryKind::kFile}}));
    EXPECT_EQ(ListFolder("", error).size(), 1u);
    EXPECT_TRUE(ListFolder("no such folder", error).empty());
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace vornhaskel::test
