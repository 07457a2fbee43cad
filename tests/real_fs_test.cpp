// Runs on a FUSE mount that real_fs.sh prepares: NTFS (ntfs-3g), exFAT or FAT.
// These drives lack RENAME_NOREPLACE, so RenameFile reaches its fallbacks here.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

#include "rename_file.hpp"
#include "rename_posix.hpp"
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

// NTFS through FUSE is where the link fallback really runs: a competing creator
// must lose there, as it does natively.
TEST_F(RealFileSystem, CompetingCreatorLosesOnNtfs) {
    if (kind_ != "ntfs") GTEST_SKIP() << "no hard links here: the lstat fallback's window is documented";
    RaceCreators(RenameFile, folder_->root());
}

}  // namespace
}  // namespace vornhaskel::test
