#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/folder.hpp"
#include "tracks.hpp"

namespace vornhaskel::test {
namespace {

std::string Name(const Track& track, std::string_view suffix) {
    return std::string(track.folder) + "\\" + std::string(track.base) + std::string(suffix);
}

struct Step {
    std::string from, to;
    bool operator==(const Step&) const = default;
};

std::vector<Step> Steps(Sequence sequence) {
    std::vector<Step> steps;
    for (const RenameStep& step : sequence) steps.push_back({std::string(step.old_path), std::string(step.new_path)});
    return steps;
}

TEST(TrackTable, HoldsFifteenStreammusicAndSixStreamsoundsTracksWithSevenModReplacements) {
    std::map<std::string_view, int> per_folder;
    int replaced = 0;
    for (const Track& track : TrackTable) {
        ++per_folder[track.folder];
        replaced += track.mod_replacement;
    }
    EXPECT_EQ(per_folder["streammusic"], 15);
    EXPECT_EQ(per_folder["streamsounds"], 6);
    EXPECT_EQ(replaced, 7);
    EXPECT_TRUE(TrackTable.front().mod_replacement);
    EXPECT_EQ(TrackTable.front().base, "mus_area_ahto");
}

TEST(Sequences, AnchorStepsReadLetterForLetter) {
    EXPECT_EQ(RenameSequence[0].old_path, "streammusic\\mus_area_ahto.wav");
    EXPECT_EQ(RenameSequence[0].new_path, "streammusic\\mus_area_ahto.original.wav");
    EXPECT_EQ(RenameSequence[15].old_path, "streamsounds\\mus_sbat_acad.wav");
    EXPECT_EQ(RenameSequence[21].old_path, "streammusic\\mus_area_ahto.mod.wav");
    EXPECT_EQ(RenameSequence[21].new_path, "streammusic\\mus_area_ahto.wav");
    EXPECT_EQ(RenameSequence[27].new_path, "streamsounds\\mus_sbat_valsith.wav");

    EXPECT_EQ(UnrenameSequence[0].old_path, "streammusic\\mus_area_ahto.wav");
    EXPECT_EQ(UnrenameSequence[0].new_path, "streammusic\\mus_area_ahto.mod.wav");
    EXPECT_EQ(UnrenameSequence[15].old_path, "streammusic\\mus_area_ahto.original.wav");
    EXPECT_EQ(UnrenameSequence[15].new_path, "streammusic\\mus_area_ahto.wav");
    EXPECT_EQ(UnrenameSequence[21].old_path, "streamsounds\\mus_sbat_valsith.wav");
    EXPECT_EQ(UnrenameSequence[21].new_path, "streamsounds\\mus_sbat_valsith.mod.wav");
    EXPECT_EQ(UnrenameSequence[27].old_path, "streamsounds\\mus_sbat_valsith.original.wav");
}

// The literal tables against the phase rules that describe them.
TEST(Sequences, FollowThePhaseRulesOverTheTrackTable) {
    std::vector<Step> rename;
    for (const Track& t : TrackTable) rename.push_back({Name(t, ".wav"), Name(t, ".original.wav")});
    for (const Track& t : TrackTable)
        if (t.mod_replacement) rename.push_back({Name(t, ".mod.wav"), Name(t, ".wav")});
    EXPECT_EQ(Steps(RenameSequence), rename);

    std::vector<Step> unrename;
    const Track& ahto = TrackTable[0];
    unrename.push_back({Name(ahto, ".wav"), Name(ahto, ".mod.wav")});
    for (const Track& t : TrackTable)
        if (t.folder == "streammusic" && !t.mod_replacement) unrename.push_back({Name(t, ".original.wav"), Name(t, ".wav")});
    unrename.push_back({Name(ahto, ".original.wav"), Name(ahto, ".wav")});
    for (const Track& t : TrackTable)
        if (t.folder == "streamsounds") unrename.push_back({Name(t, ".wav"), Name(t, ".mod.wav")});
    for (const Track& t : TrackTable)
        if (t.folder == "streamsounds") unrename.push_back({Name(t, ".original.wav"), Name(t, ".wav")});
    EXPECT_EQ(Steps(UnrenameSequence), unrename);
}

TEST(Sequences, NeverMoveAFileBetweenFolders) {
    for (Sequence sequence : {Sequence(RenameSequence), Sequence(UnrenameSequence)})
        for (const RenameStep& step : sequence) {
            EXPECT_EQ(FolderOf(step.old_path), FolderOf(step.new_path)) << step.old_path;
            EXPECT_EQ(std::count(step.old_path.begin(), step.old_path.end(), '\\'), 1);
            EXPECT_EQ(std::count(step.new_path.begin(), step.new_path.end(), '\\'), 1);
        }
}

// From the state a sequence expects, every step finds its file and a free name,
// and every one of the 28 files moves exactly once.
void ExpectCleanRun(FolderState state, Sequence sequence) {
    std::map<std::string, int> moves;
    for (const RenameStep& step : sequence) {
        ASSERT_TRUE(state.files.contains(std::string(step.old_path))) << step.old_path;
        ASSERT_FALSE(state.files.contains(std::string(step.new_path))) << step.new_path;
        ++moves[state.files[std::string(step.old_path)]];
        ASSERT_TRUE(state.Apply(step));
    }
    EXPECT_EQ(moves.size(), 28u);
    for (const auto& [contents, count] : moves) EXPECT_EQ(count, 1) << contents;
}

TEST(Sequences, EachRunsCleanlyFromTheStateItExpects) {
    ExpectCleanRun(NormalMusic(), RenameSequence);
    ExpectCleanRun(ModActive(), UnrenameSequence);
}

TEST(Sequences, ModActiveHoldsBackupsAndModFilesOnly) {
    const FolderState active = ModActive();
    EXPECT_EQ(active.files.size(), 28u);
    for (const Track& t : TrackTable) {
        EXPECT_EQ(active.files.at(Name(t, ".original.wav")), "stock " + std::string(t.base));
        if (t.mod_replacement)
            EXPECT_EQ(active.files.at(Name(t, ".wav")), "mod " + std::string(t.base));
        else
            EXPECT_FALSE(active.files.contains(Name(t, ".wav"))) << t.base;
    }
}

TEST(Sequences, OneAfterTheOtherRestoresEveryName) {
    FolderState state = NormalMusic();
    ASSERT_EQ(state.Run(RenameSequence), 28u);
    ASSERT_EQ(state.Run(UnrenameSequence), 28u);
    EXPECT_EQ(state, NormalMusic());

    state = ModActive();
    ASSERT_EQ(state.Run(UnrenameSequence), 28u);
    ASSERT_EQ(state.Run(RenameSequence), 28u);
    EXPECT_EQ(state, ModActive());
}

TEST(Sequences, RunFromTheWrongStateStopsAtStepOne) {
    FolderState active = ModActive();
    EXPECT_EQ(active.Run(RenameSequence), 0u);
    FolderState normal = NormalMusic();
    EXPECT_EQ(normal.Run(UnrenameSequence), 0u);
}

// The two rules the read-mes give players for finishing a stopped switch by hand,
// applied by file name alone, as a player sees the folder. Every rename must find
// its file and a free name.
bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::vector<std::string> StemsWith(const FolderState& state, std::string_view suffix) {
    std::vector<std::string> stems;
    for (const auto& [path, contents] : state.files)
        if (EndsWith(path, suffix)) stems.push_back(path.substr(0, path.size() - suffix.size()));
    return stems;
}

void ExpectRename(FolderState& state, const std::string& from, const std::string& to) {
    EXPECT_TRUE(state.Apply({from, to})) << from << " -> " << to;
}

// Each X.wav that has an X.original.wav beside it to X.mod.wav, then each X.original.wav to X.wav.
void RestoreNormalMusicByHand(FolderState& state) {
    for (const std::string& x : StemsWith(state, ".original.wav"))
        if (state.files.contains(x + ".wav")) ExpectRename(state, x + ".wav", x + ".mod.wav");
    for (const std::string& x : StemsWith(state, ".original.wav")) ExpectRename(state, x + ".original.wav", x + ".wav");
}

// Each X.wav that has no X.original.wav to X.original.wav, then each X.mod.wav to X.wav.
void EnableTheModByHand(FolderState& state) {
    for (const std::string& x : StemsWith(state, ".wav"))
        if (!EndsWith(x, ".original") && !EndsWith(x, ".mod") && !state.files.contains(x + ".original.wav"))
            ExpectRename(state, x + ".wav", x + ".original.wav");
    for (const std::string& x : StemsWith(state, ".mod.wav")) ExpectRename(state, x + ".mod.wav", x + ".wav");
}

// Every state either sequence can stop in, whole ones included: the rules reach
// each music exactly, every file under its own name, and clicking the program's
// buttons again never finishes a half-done switch.
TEST(HandRules, FinishEveryStateEitherSequenceCanStopIn) {
    const std::pair<FolderState, Sequence> runs[] = {{NormalMusic(), RenameSequence},
                                                     {ModActive(), UnrenameSequence}};
    for (const auto& [start, sequence] : runs)
        for (std::size_t done = 0; done <= kStepCount; ++done) {
            SCOPED_TRACE(testing::Message() << (sequence.data() == RenameSequence.data() ? "Rename" : "Un-rename")
                                            << " stopped after " << done << " steps");
            FolderState stopped = start;
            for (std::size_t step = 0; step < done; ++step) ASSERT_TRUE(stopped.Apply(sequence[step]));

            FolderState normal = stopped;
            RestoreNormalMusicByHand(normal);
            EXPECT_EQ(normal, NormalMusic());
            FolderState active = stopped;
            EnableTheModByHand(active);
            EXPECT_EQ(active, ModActive());

            if (done == 0 || done == kStepCount) continue;
            for (Sequence again : {Sequence(RenameSequence), Sequence(UnrenameSequence)}) {
                FolderState clicked = stopped;
                EXPECT_LT(clicked.Run(again), kStepCount);
            }
        }
}

}  // namespace
}  // namespace vornhaskel::test
