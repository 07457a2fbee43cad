#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "rename_file.hpp"
#include "runner.hpp"
#include "support/folder.hpp"

namespace vornhaskel::test {
namespace {

struct Outcome {
    std::size_t attempted = 0;           // calls that reached RenameFile, the failing one included
    std::optional<std::error_code> error;
    std::string what;
};

Outcome RunRecorded(Sequence sequence) {
    Outcome outcome;
    try {
        RunSequence(sequence, [&](std::string_view from, std::string_view to) {
            ++outcome.attempted;
            RenameFile(from, to);
        });
    } catch (const RenameError& e) {
        outcome.error = e.code();
        outcome.what = e.what();
    }
    return outcome;
}

// Runs `sequence` on disk and in the model from the same state, and checks that
// the disk ends exactly where the model says: same names, same contents.
Outcome ExpectRunMatchesModel(const ScratchGameFolder& folder, const FolderState& start, Sequence sequence) {
    folder.Write(start);
    FolderState expected = start;
    const std::size_t done = expected.Run(sequence);
    const Outcome outcome = RunRecorded(sequence);
    EXPECT_EQ(outcome.attempted, std::min<std::size_t>(done + 1, 28));
    EXPECT_EQ(outcome.error.has_value(), done < 28);
    EXPECT_EQ(folder.Read(), expected);
    return outcome;
}

FolderState StockOnly() {
    FolderState state = NormalMusic();
    std::erase_if(state.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    return state;
}

class Runner : public ::testing::Test {
protected:
    ScratchGameFolder folder;
};

TEST_F(Runner, SwitchesToTheModAndBackWithEveryFileIntact) {
    EXPECT_FALSE(ExpectRunMatchesModel(folder, NormalMusic(), RenameSequence).error);
    EXPECT_EQ(folder.Read(), ModActive());
    EXPECT_FALSE(ExpectRunMatchesModel(folder, ModActive(), UnrenameSequence).error);
    EXPECT_EQ(folder.Read(), NormalMusic());
}

TEST_F(Runner, RunInTheStateItLeavesFailsAtStepOneWithNothingChanged) {
    const Outcome again = ExpectRunMatchesModel(folder, ModActive(), RenameSequence);
    ASSERT_TRUE(again.error);
    EXPECT_EQ(*again.error, std::errc::file_exists);
    EXPECT_EQ(again.what.rfind("streammusic\\mus_area_ahto.wav -> streammusic\\mus_area_ahto.original.wav: ", 0), 0u)
        << again.what;

    const Outcome back = ExpectRunMatchesModel(folder, NormalMusic(), UnrenameSequence);
    ASSERT_TRUE(back.error);
    EXPECT_EQ(*back.error, std::errc::file_exists);
}

TEST_F(Runner, StockFilesWithoutTheModStopWhereTheFirstFileIsMissing) {
    const Outcome rename = ExpectRunMatchesModel(folder, StockOnly(), RenameSequence);
    EXPECT_EQ(rename.attempted, 22u);
    ASSERT_TRUE(rename.error);
    EXPECT_EQ(*rename.error, std::errc::no_such_file_or_directory);
    for (const Track& track : TrackTable) {
        const std::string stem = std::string(track.folder) + "\\" + std::string(track.base);
        EXPECT_FALSE(fs::exists(Native(stem + ".wav"))) << stem;
        EXPECT_TRUE(fs::exists(Native(stem + ".original.wav"))) << stem;
    }

    const Outcome unrename = ExpectRunMatchesModel(folder, StockOnly(), UnrenameSequence);
    EXPECT_EQ(unrename.attempted, 2u);
    EXPECT_EQ(ReadFile(Native("streammusic\\mus_area_ahto.mod.wav")), "stock mus_area_ahto");

    FolderState one_missing = NormalMusic();
    one_missing.files.erase("streammusic\\mus_bat_malak.wav");
    EXPECT_EQ(ExpectRunMatchesModel(folder, one_missing, RenameSequence).attempted, 11u);
}

// The overload the program calls, on a folder where stopping matters: a later
// step would succeed if the runner went on.
TEST_F(Runner, ProgramsOwnRunStopsAtTheFirstFailure) {
    FolderState one_missing = NormalMusic();
    one_missing.files.erase("streammusic\\mus_bat_malak.wav");
    folder.Write(one_missing);
    EXPECT_THROW(RunSequence(RenameSequence), RenameError);
    FolderState expected = one_missing;
    EXPECT_EQ(expected.Run(RenameSequence), 10u);
    EXPECT_EQ(folder.Read(), expected);
}

TEST_F(Runner, MissingMusicFolderFailsAtStepOne) {
    FolderState no_folder = NormalMusic();
    no_folder.RemoveFolder("streammusic");
    for (Sequence sequence : {Sequence(RenameSequence), Sequence(UnrenameSequence)}) {
        const Outcome outcome = ExpectRunMatchesModel(folder, no_folder, sequence);
        EXPECT_EQ(outcome.attempted, 1u);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(*outcome.error, std::errc::no_such_file_or_directory);
    }
}

TEST_F(Runner, FolderAtTheNewNameIsNeverReplaced) {
    folder.Write(NormalMusic());
    fs::create_directory(Native("streammusic\\mus_area_ahto.original.wav"));
    WriteFile(Native("streammusic\\mus_area_ahto.original.wav") / "keep", "kept");
    const Outcome outcome = RunRecorded(RenameSequence);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.attempted, 1u);
    EXPECT_EQ(ReadFile(Native("streammusic\\mus_area_ahto.wav")), "stock mus_area_ahto");
    EXPECT_EQ(ReadFile(Native("streammusic\\mus_area_ahto.original.wav") / "keep"), "kept");
}

// Random folder states against the model: whatever is on disk, the runner does
// exactly the prefix of steps that can succeed, and no contents are lost,
// duplicated or overwritten.
TEST_F(Runner, AnyFolderStateEndsWhereTheModelSays) {
#ifdef _WIN32
    constexpr int kStates = 150;  // every file operation crosses the Wine server
#else
    constexpr int kStates = 2000;
#endif
    std::mt19937 random(20261207);
    const std::vector<std::string> paths = AllPaths();
    const FolderState clean[] = {NormalMusic(), ModActive(), StockOnly()};
    std::size_t deepest = 0;
    for (int round = 0; round < kStates; ++round) {
        FolderState start;
        const bool uniform = round % 3 == 0;
        if (!uniform) start = clean[random() % 3];
        for (const std::string& path : paths) {
            const bool flip = uniform ? random() % 2 == 0 : random() % 40 == 0;
            if (!flip) continue;
            if (start.files.erase(path) == 0) start.files[path] = "extra " + path;
        }
        if (random() % 20 == 0) start.RemoveFolder(random() % 2 ? "streammusic" : "streamsounds");

        for (Sequence sequence : {Sequence(RenameSequence), Sequence(UnrenameSequence)}) {
            const Outcome outcome = ExpectRunMatchesModel(folder, start, sequence);
            deepest = std::max(deepest, outcome.attempted);
            if (HasFailure()) FAIL() << "stopped at state " << round;
        }
    }
    EXPECT_EQ(deepest, 28u);
}

// Fault injection through the seam: step k fails with each cause, nothing after it
// is attempted, and the very same failure reaches the caller.
TEST(RunnerFaults, StepKFailureStopsTheRunAndReachesTheCallerUnchanged) {
    const std::errc causes[] = {std::errc::no_such_file_or_directory, std::errc::file_exists,
                                std::errc::not_a_directory, std::errc::permission_denied};
    for (Sequence sequence : {Sequence(RenameSequence), Sequence(UnrenameSequence)})
        for (std::size_t k = 0; k < 28; ++k)
            for (const std::errc cause : causes) {
                std::vector<std::string_view> attempted;
                const std::error_code code = std::make_error_code(cause);
                try {
                    RunSequence(sequence, [&](std::string_view from, std::string_view to) {
                        attempted.push_back(from);
                        if (attempted.size() == k + 1) throw RenameError(code, from, to);
                    });
                    ADD_FAILURE() << "no failure at step " << k + 1;
                } catch (const RenameError& e) {
                    EXPECT_EQ(e.code(), code);
                    EXPECT_EQ(e.old_path(), sequence[k].old_path);
                    EXPECT_EQ(e.new_path(), sequence[k].new_path);
                }
                ASSERT_EQ(attempted.size(), k + 1);
                for (std::size_t i = 0; i <= k; ++i) EXPECT_EQ(attempted[i], sequence[i].old_path);
            }
}

TEST(RunnerFaults, AnyOtherExceptionPassesThroughAsWell) {
    int calls = 0;
    EXPECT_THROW(RunSequence(RenameSequence,
                             [&](std::string_view, std::string_view) {
                                 if (++calls == 5) throw std::bad_alloc();
                             }),
                 std::bad_alloc);
    EXPECT_EQ(calls, 5);
}

TEST(RenameErrorText, NamesBothPathsAndTheSystemsOwnWords) {
    const std::error_code code = std::make_error_code(std::errc::file_exists);
    const RenameError error(code, "streammusic\\mus_area_ahto.wav", "streammusic\\mus_area_ahto.original.wav");
    EXPECT_EQ(std::string(error.what()),
              "streammusic\\mus_area_ahto.wav -> streammusic\\mus_area_ahto.original.wav: " + code.message());
}

}  // namespace
}  // namespace vornhaskel::test
