#include <gtest/gtest.h>

#include <algorithm>
#include <span>
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
        if (path.find('\\') == std::string_view::npos && state.folders.contains(std::string(path)))
            return NameInfo{NameKind::kFolder, {}};
        return NameInfo{state.files.contains(std::string(path)) ? NameKind::kFile : NameKind::kAbsent, {}};
    };
}

// Runs a plan on the model; every step must find its file and a free name.
void ExpectPlanRunsCleanly(FolderState& state, const std::vector<RenameStep>& plan, const std::string& where) {
    for (const RenameStep& step : plan) ASSERT_TRUE(state.Apply(step)) << where << ": " << step.old_path;
}

// A plan keeps steps of the target's own sequence, in that sequence's order. The
// normal music may first take mod names back to live names: steps of the other.
void ExpectStepsOfTheSequence(std::span<const RenameStep> plan, Target target) {
    if (target == Target::kNormal) {
        std::size_t back = 0;
        while (back < plan.size() && plan[back].old_path.ends_with(".mod.wav")) ++back;
        ExpectStepsOfTheSequence(plan.first(back), Target::kMod);
        plan = plan.subspan(back);
    }
    const Sequence sequence = target == Target::kNormal ? Sequence(UnrenameSequence) : Sequence(RenameSequence);
    auto next = sequence.begin();
    for (const RenameStep& step : plan) {
        next = std::find_if(next, sequence.end(), [&](const RenameStep& s) {
            return s.old_path == step.old_path && s.new_path == step.new_path;
        });
        ASSERT_NE(next, sequence.end()) << step.old_path << " out of order or not the program's own";
        ++next;
    }
}

// The README's steps by hand back to the normal music, in a model folder: each
// X.wav with an X.original.wav beside it to X.mod.wav, then each X.original.wav
// to X.wav, then each X.mod.wav left without an X.wav to X.wav.
void RenameByHandToNormal(FolderState& state) {
    const auto each = [&state](const char* from, const char* to, auto when) {
        for (const auto& [path, contents] : FolderState(state).files) {
            if (!path.ends_with(from)) continue;
            const std::string stem = path.substr(0, path.size() - std::string_view(from).size());
            if (when(stem)) state.Apply({path, stem + to});
        }
    };
    const auto has = [&state](const char* suffix) {
        return [&state, suffix](const std::string& stem) { return state.files.contains(stem + suffix); };
    };
    each(".wav", ".mod.wav", [&](const std::string& stem) {
        return !stem.ends_with(".original") && !stem.ends_with(".mod") && has(".original.wav")(stem);
    });
    each(".original.wav", ".wav", [](const std::string&) { return true; });
    each(".mod.wav", ".wav", [&](const std::string& stem) { return !has(".wav")(stem); });
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
                ExpectStepsOfTheSequence(plan.steps, target);
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
            }
            if (v >= 2) {  // one stock file gone: the normal music for the rest, never the mod's
                EXPECT_TRUE(report.normal.possible) << where;
                EXPECT_FALSE(report.mod.possible) << where;
            }
            if (v <= 1) {
                FolderState by_hand = state;
                RenameByHandToNormal(by_hand);
                EXPECT_EQ(by_hand, variant.normal) << where << ", by hand";
            }
            if (v == 1) {
                EXPECT_TRUE(report.normal.possible) << where;
                EXPECT_FALSE(report.mod.possible) << where;
                for (const Track& track : TrackTable) {
                    if (!track.mod_replacement) continue;
                    const std::string mod = std::string(track.folder) + "\\" + std::string(track.base) + ".mod.wav";
                    // The file at a mod name may be the game's own here: no reason calls it the mod's.
                    EXPECT_TRUE(std::any_of(report.mod.reasons.begin(), report.mod.reasons.end(),
                                            [&](const std::string& r) {
                                                return r.starts_with(mod + " is missing") ||
                                                       r.find(mod + " is the track's only file") != r.npos;
                                            }))
                        << where << ": " << mod;
                }
            }
        }
    }
}

// Each layout of one track off the normal music, once: what each target makes of
// it, and what the dialog says.
TEST(RepairPlanner, JudgesEachLayoutOfOneTrack) {
    const std::string cant1 = "streammusic\\mus_area_cant1", acad = "streamsounds\\mus_sbat_acad";
    const std::string close_first = "Close the game first. A button renames only the files that are out of place, "
                                    "with the same renames as vornhaskel, and never replaces a file. ";
    const std::string stuck = " Nothing here can be switched until the problems listed are put right. Then start "
                              "the repair tool again.";
    const std::string lost = " is missing, and so are all its other names: restore the game's own file with the game "
                             "store's file check (\"verify the game's files\")";
    const struct {
        const char* layout;
        std::vector<std::string> drop, add;
        bool normal_possible;
        std::vector<std::string> normal_steps;  // old paths
        std::string reason, summary, advice;
    } rows[] = {
        {"without mod, none", {cant1 + ".wav"}, {}, true, {}, cant1 + ".wav" + lost,
         "The folder is mixed: 20 tracks set for the normal music, 1 track missing. This track has no file at all: " +
             cant1 + ".wav. Restore the game's own files with the game store's file check (\"verify the game's "
             "files\").",
         "Mod music is not available: a track of the game has no file at all."},
        {"without mod, L and O", {}, {cant1 + ".original.wav"}, false, {},
         cant1 + ".wav and " + cant1 + ".original.wav both exist: move one of them out of the folder",
         "The folder is mixed: 20 tracks set for the normal music, 1 track with a problem.",
         "Normal music is not available: a track's files need sorting out first, as listed. Mod music is not "
         "available: a track's files need sorting out first, as listed." + stuck},
        {"with mod, none", {acad + ".wav", acad + ".mod.wav"}, {}, true, {}, acad + ".wav" + lost, "",
         "Mod music is not available: a track of the game has no file at all."},
        {"with mod, D alone", {acad + ".wav"}, {}, true, {acad + ".mod.wav"},
         acad + ".wav is missing, and so is " + acad + ".original.wav: " + acad +
             ".mod.wav is the track's only file. Normal music renames it back to " + acad +
             ".wav; add the mod's file as " + acad + ".mod.wav only after that",
         "The folder is mixed: 20 tracks set for the normal music, 1 track half-way between the two.",
         close_first + "Mod music is not available: 1 of the mod's 7 files is not in place."},
        {"with mod, all three", {}, {acad + ".original.wav"}, false, {},
         acad + ".wav, " + acad + ".original.wav and " + acad +
             ".mod.wav all exist: move the one that does not belong out of the folder",
         "", ""},
    };
    for (const auto& row : rows) {
        FolderState state = NormalMusic();
        for (const auto& path : row.drop) state.files.erase(path);
        for (const auto& path : row.add) state.files[path] = "extra";
        const FolderReport report = repair::ExamineFolder(Examine(state));
        EXPECT_EQ(report.normal.possible, row.normal_possible) << row.layout;
        EXPECT_FALSE(report.mod.possible) << row.layout;
        EXPECT_EQ(report.problems, std::vector<std::string>{row.reason}) << row.layout;
        std::vector<std::string> steps;
        for (const RenameStep& step : report.normal.steps) steps.emplace_back(step.old_path);
        EXPECT_EQ(steps, row.normal_steps) << row.layout;
        if (!row.summary.empty()) {
            EXPECT_EQ(repair::Summary(report), row.summary) << row.layout;
        }
        if (!row.advice.empty()) {
            EXPECT_EQ(repair::Advice(report), row.advice) << row.layout;
        }
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

    FolderState stock = NormalMusic();
    std::erase_if(stock.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    FolderState parked = stock;
    parked.Run(RenameSequence);
    const FolderReport commonest = repair::ExamineFolder(Examine(parked));
    EXPECT_EQ(repair::Summary(commonest), "The folder is mixed: 14 tracks set for the mod's music, 7 tracks half-way between the two.");
    EXPECT_EQ(repair::Advice(commonest),
              "Close the game first. A button renames only the files that are out of place, with the same renames as "
              "vornhaskel, and never replaces a file. Mod music is not available: the mod's 7 files are not in "
              "place.");
    EXPECT_EQ(repair::Advice(repair::ExamineFolder(Examine(stock))),
              "Mod music is not available: the mod's 7 files are not in place.");

    state.RemoveFolder("streamsounds");
    const FolderReport half = repair::ExamineFolder(Examine(state));
    EXPECT_FALSE(half.IsGameFolder() || half.normal.possible || half.mod.possible);
    EXPECT_EQ(repair::Summary(half), "This is not the game folder: it has no streamsounds folder.");
    state.RemoveFolder("streammusic");
    EXPECT_EQ(repair::Summary(repair::ExamineFolder(Examine(state))),
              "This is not the game folder: it has no streammusic and streamsounds folders.");
    state.files["streammusic"] = "a file, not the folder";
    state.folders.insert("streamsounds");
    EXPECT_EQ(repair::Summary(repair::ExamineFolder(Examine(state))),
              "This is not the game folder: it has no streammusic folder.");
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
