// Runs on a FUSE mount that real_fs.sh prepares: NTFS (ntfs-3g), exFAT or FAT.
// These drives lack RENAME_NOREPLACE, so RenameFile reaches its fallbacks here.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

#include "folder_look.hpp"
#include "rename_posix.hpp"
#include "repair.hpp"
#include "runner.hpp"
#include "support/folder.hpp"
#include "support/race.hpp"

namespace vornhaskel::test {
namespace {

class RealFileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        const char* root = std::getenv("VORNHASKEL_FS_ROOT");
        const char* kind = std::getenv("VORNHASKEL_FS_KIND");
        if (root == nullptr || kind == nullptr) GTEST_SKIP() << "run through real_fs.sh, which mounts the drive";
        kind_ = kind;
        folder_.emplace(root);
    }
    std::string kind_;
    std::optional<ScratchGameFolder> folder_;
};

// Which fallback RenameFile takes on this drive follows from these two answers.
TEST_F(RealFileSystem, LacksNoReplaceAndLinksOnlyOnNtfs) {
    WriteFile("probe", "p");
    EXPECT_EQ(posix::RenameNoReplace("probe", "probe2"), EINVAL);
    const int linked = ::link("probe", "probe3");
    if (kind_ == "ntfs") {
        EXPECT_EQ(linked, 0);
    } else {
        EXPECT_EQ(linked, -1);
        EXPECT_EQ(errno, EPERM);
    }
}

TEST_F(RealFileSystem, SwitchesBothWaysWithEveryFileIntact) {
    folder_->Write(NormalMusic());
    RunSequence(RenameSequence);
    EXPECT_EQ(folder_->Read(), ModActive());
    RunSequence(UnrenameSequence);
    EXPECT_EQ(folder_->Read(), NormalMusic());
}

// Every one of the 28 steps, with its new name taken just before it runs, fails
// and replaces nothing.
TEST_F(RealFileSystem, NeverReplacesAnExistingName) {
    for (Sequence sequence : {Sequence(RenameSequence), Sequence(UnrenameSequence)}) {
        FolderState state = sequence.data() == RenameSequence.data() ? NormalMusic() : ModActive();
        for (const RenameStep& step : sequence) {
            FolderState blocked = state;
            ASSERT_TRUE(blocked.files.emplace(std::string(step.new_path), "squatter").second);
            folder_->Write(blocked);
            try {
                RenameFile(step.old_path, step.new_path);
                ADD_FAILURE() << "no failure with " << step.new_path << " taken";
            } catch (const RenameError& e) {
                EXPECT_EQ(e.code(), std::errc::file_exists);
            }
            ASSERT_EQ(folder_->Read(), blocked) << step.new_path;
            ASSERT_TRUE(state.Apply(step));
        }
    }
}

// Which way RenameFile takes here, as the repair tool's last words report it:
// the new name is checked first only where the drive lacks both refusing
// renames and hard links (FAT and exFAT through FUSE, as the read-mes say).
TEST_F(RealFileSystem, ReportsTheRenamesThatCheckFirstOnFatAndExfat) {
    WriteFile("probe", "p");
    EXPECT_EQ(RenameFile("probe", "probe2"), kind_ == "ntfs" ? RenameWay::kOneStep : RenameWay::kCheckedFirst);
    EXPECT_EQ(ReadFile("probe2"), "p");
}

// Music folders spelt in capitals, at the normal music, at the mod's and with
// the game's tracks parked: where the drive ignores case it answers to the
// table's names already, and the repair plans rename no music folder (such a
// rename fails with "File exists" there); NTFS keeps case, and its plans take
// the table's names first. Either way the plan offered runs to its end.
TEST_F(RealFileSystem, RepairsMusicFoldersSpeltInCapitals) {
    const bool ignores_case = kind_ != "ntfs";
    const auto in_capitals = [](FolderState state) {
        state.Apply({"streammusic", "StreamMusic"});
        state.Apply({"streamsounds", "StreamSounds"});
        return state;
    };
    FolderState stock = NormalMusic();
    std::erase_if(stock.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    FolderState parked = stock;
    parked.Run(RenameSequence);
    const struct {
        const char* start;
        FolderState state;
        repair::Target target;
        FolderState after;  // spelt as the table spells it
    } rows[] = {
        {"normal music", NormalMusic(), repair::Target::kMod, ModActive()},
        {"the mod's music", ModActive(), repair::Target::kNormal, NormalMusic()},
        {"the game's tracks parked", parked, repair::Target::kNormal, stock},
    };
    for (const auto& row : rows) {
        for (const char* name : {"streammusic", "streamsounds", "StreamMusic", "StreamSounds"}) fs::remove_all(name);
        folder_->Write(in_capitals(row.state));
        const repair::FolderReport report = repair::ExamineFolder();
        ASSERT_TRUE(report.IsGameFolder()) << row.start;
        const repair::TargetPlan& plan = report.Plan(row.target);
        ASSERT_TRUE(plan.Offered()) << row.start;
        std::vector<std::string> folder_renames;
        for (const repair::Rename& rename : plan.in_order)
            if (rename.old_path.find('\\') == std::string::npos) folder_renames.push_back(rename.old_path);
        const std::vector<std::string> case_only{"StreamMusic", "StreamSounds"};
        EXPECT_EQ(folder_renames, ignores_case ? std::vector<std::string>{} : case_only) << row.start;
        for (const repair::TargetPlan* other : {&report.normal, &report.mod})
            for (const repair::Rename& rename : other->in_order)
                EXPECT_FALSE(ignores_case && rename.old_path.find('\\') == std::string::npos) << rename.old_path;
        RunSteps(plan.Renames(), RenameFile);
        EXPECT_EQ(folder_->Read(), ignores_case ? in_capitals(row.after) : row.after) << row.start;
        EXPECT_TRUE(repair::ExamineFolder().Plan(row.target).Reached()) << row.start;
    }
}

// NTFS through FUSE is where the link fallback really runs: a competing creator
// must lose there, as it does natively.
TEST_F(RealFileSystem, CompetingCreatorLosesOnNtfs) {
    if (kind_ != "ntfs") GTEST_SKIP() << "no hard links here: the check-first fallback, whose window the read-mes name";
    RaceCreators(RenameFile, folder_->root());
}

}  // namespace
}  // namespace vornhaskel::test
