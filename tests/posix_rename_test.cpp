// The three POSIX rename strategies, driven one by one on this machine's file
// system, plus races against a competing creator.
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "rename_file.hpp"
#include "rename_posix.hpp"
#include "runner.hpp"
#include "support/folder.hpp"
#include "support/race.hpp"

namespace vornhaskel::test {
namespace {

using Strategy = int (*)(const char*, const char*) noexcept;

struct NamedStrategy {
    const char* name;
    Strategy rename;
};

void PrintTo(const NamedStrategy& strategy, std::ostream* out) { *out << strategy.name; }

const NamedStrategy kStrategies[] = {
    {"NoReplace", posix::RenameNoReplace},
    {"ByLink", posix::RenameByLink},
    {"AfterLstat", posix::RenameAfterLstat},
};

RenameFunction Through(Strategy strategy) {
    return [strategy](std::string_view from, std::string_view to) {
        if (const int error = strategy(Native(from).c_str(), Native(to).c_str()); error != 0)
            throw RenameError(std::error_code(error, std::system_category()), from, to);
    };
}

int Attempt(Strategy strategy, const char* from, const char* to) { return strategy(from, to); }

class EachStrategy : public ::testing::TestWithParam<NamedStrategy> {
protected:
    ScratchGameFolder folder;
    void SetUp() override {
        fs::create_directory("streammusic");
        WriteFile("streammusic/a.wav", "A");
    }
};

TEST_P(EachStrategy, MovesTheSameFileAndKeepsItsContents) {
    struct stat before {}, after {};
    ASSERT_EQ(::stat("streammusic/a.wav", &before), 0);
    EXPECT_EQ(Attempt(GetParam().rename, "streammusic/a.wav", "streammusic/b.wav"), 0);
    ASSERT_EQ(::stat("streammusic/b.wav", &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(after.st_nlink, 1u);
    EXPECT_FALSE(fs::exists("streammusic/a.wav"));
    EXPECT_EQ(ReadFile("streammusic/b.wav"), "A");
}

TEST_P(EachStrategy, RefusesEveryKindOfExistingTarget) {
    WriteFile("streammusic/file.wav", "B");
    fs::create_directory("streammusic/folder.wav");
    fs::create_symlink("file.wav", "streammusic/link.wav");
    fs::create_symlink("nowhere.wav", "streammusic/dangling.wav");
    for (const char* target : {"streammusic/file.wav", "streammusic/folder.wav", "streammusic/link.wav",
                               "streammusic/dangling.wav"}) {
        EXPECT_EQ(Attempt(GetParam().rename, "streammusic/a.wav", target), EEXIST) << target;
        EXPECT_EQ(ReadFile("streammusic/a.wav"), "A");
    }
    EXPECT_EQ(ReadFile("streammusic/file.wav"), "B");
    EXPECT_TRUE(fs::is_directory(fs::symlink_status("streammusic/folder.wav")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status("streammusic/dangling.wav")));
}

TEST_P(EachStrategy, ReportsMissingFileAndMissingFolder) {
    EXPECT_EQ(Attempt(GetParam().rename, "streammusic/none.wav", "streammusic/b.wav"), ENOENT);
    EXPECT_EQ(Attempt(GetParam().rename, "streamsounds/a.wav", "streamsounds/b.wav"), ENOENT);
    EXPECT_FALSE(fs::exists("streammusic/b.wav"));
}

TEST_P(EachStrategy, RenamesASymlinkItselfNotItsTarget) {
    fs::create_symlink("a.wav", "streammusic/link.wav");
    EXPECT_EQ(Attempt(GetParam().rename, "streammusic/link.wav", "streammusic/moved.wav"), 0);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status("streammusic/moved.wav")));
    EXPECT_EQ(ReadFile("streammusic/a.wav"), "A");
}

TEST_P(EachStrategy, RunsBothSequencesEndToEnd) {
    ScratchGameFolder game;
    game.Write(NormalMusic());
    RunSequence(RenameSequence, Through(GetParam().rename));
    EXPECT_EQ(game.Read(), ModActive());
    RunSequence(UnrenameSequence, Through(GetParam().rename));
    EXPECT_EQ(game.Read(), NormalMusic());
}

INSTANTIATE_TEST_SUITE_P(Posix, EachStrategy, ::testing::ValuesIn(kStrategies),
                         [](const ::testing::TestParamInfo<NamedStrategy>& param) { return std::string(param.param.name); });

TEST(PosixRenameFile, NonAsciiAndDeepWorkingDirectoriesWork) {
    fs::path deep = fs::temp_directory_path() / "Spiele \u2122 \u30B2\u30FC\u30E0";
    while (deep.native().size() < 600) deep /= "a-rather-long-folder-name-for-a-game-install";
    fs::create_directories(deep);
    {
        ScratchGameFolder game(deep);
        game.Write(NormalMusic());
        RunSequence(RenameSequence);
        EXPECT_EQ(game.Read(), ModActive());
    }
    fs::remove_all(fs::temp_directory_path() / "Spiele \u2122 \u30B2\u30FC\u30E0");
}

TEST(PosixRace, NativeRenameNeverReplacesACompetingFile) { RaceCreators(RenameFile, fs::temp_directory_path()); }

TEST(PosixRace, LinkFallbackNeverReplacesACompetingFile) {
    RaceCreators(Through(posix::RenameByLink), fs::temp_directory_path());
}

}  // namespace
}  // namespace vornhaskel::test
