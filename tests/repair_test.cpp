#include <gtest/gtest.h>

#ifndef _WIN32
#include <libintl.h>
#include <sched.h>
#include <sys/mount.h>
#endif

#include <algorithm>
#include <atomic>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "click_look.hpp"
#include "game_folder.hpp"
#include "folder_look.hpp"
#include "music_folders.hpp"
#include "names.hpp"
#include "repair.hpp"
#include "repair_words.hpp"
#include "launch_session.hpp"
#include "repair_session.hpp"
#include "runner.hpp"
#include "search.hpp"
#include "support/folder.hpp"
#include "translation.hpp"

namespace vornhaskel::repair {
void PrintTo(const Candidate& candidate, std::ostream* out) { *out << candidate.path << " (" << int(candidate.kind) << ")"; }
}  // namespace vornhaskel::repair

namespace vornhaskel::test {
namespace {

using repair::FolderReport;

// Reasons as the dialogs say them.
std::vector<std::string> Words(const std::vector<repair::Reason>& reasons) { return repair::Sentences(reasons); }

// A text of the dialogs as the tests write it, on this platform: "\\" for the
// separator but in an escape ("\\x0A", "\\u202E"), and each path in a sentence
// between "‹" and "›", which stand for the marks that set it apart from the
// words on Linux and for nothing on Windows.
std::string Shown(std::string_view text) {
    [[maybe_unused]] const auto escape = [&text](std::size_t i) {
        const auto hex = [&text](std::size_t from, std::size_t n) {
            return from + n <= text.size() && std::all_of(text.begin() + from, text.begin() + from + n, [](char c) {
                       return std::isxdigit(static_cast<unsigned char>(c));
                   });
        };
        return i + 1 < text.size() && ((text[i + 1] == 'x' && hex(i + 2, 2)) || (text[i + 1] == 'u' && hex(i + 2, 4)));
    };
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i).starts_with("\u2039") || text.substr(i).starts_with("\u203A")) {
#ifndef _WIN32
            shown += text[i + 2] == '\xB9' ? "\u200E\u2066" : "\u2069";
#endif
            i += 2;
        } else {
#ifdef _WIN32
            shown += text[i];
#else
            shown += text[i] == '\\' && !escape(i) ? '/' : text[i];
#endif
        }
    }
    return shown;
}
using repair::Layout;
using repair::Target;

// The planner's eyes on the model, as ExamineName and ListFolder see a real folder.
repair::ExamineFunction Examine(const FolderState& state) {
    return [&state](std::string_view path) {
        const std::string name(path);
        return NameInfo{state.folders.contains(name) ? NameKind::kFolder
                        : state.files.contains(name) ? NameKind::kFile
                                                     : NameKind::kAbsent,
                        {}};
    };
}

ListFunction List(const FolderState& state) {
    return [&state](std::string_view folder, std::error_code& error) {
        std::vector<FolderEntry> entries;
        error.clear();
        if (!folder.empty() && !state.folders.contains(std::string(folder))) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
            return entries;
        }
        const auto add = [&](const std::string& path, EntryKind kind) {
            if (ParentOf(path) != folder) return;
            const auto listed = state.listed_as.find(path);
            entries.push_back({NameOf(path), listed == state.listed_as.end() ? kind : listed->second});
        };
        for (const auto& path : state.folders) add(path, EntryKind::kFolder);
        for (const auto& [path, contents] : state.files) add(path, EntryKind::kFile);
        return entries;
    };
}

// Where a name leads in the model: a name in another case on a drive that
// ignores case, a link or a bind mount to its target, one identity a path.
IdentityFunction Identify(const FolderState& state) {
    return [&state](std::string_view path, std::error_code& error) -> std::optional<Identity> {
        error.clear();
        std::string found(path);
        if (state.ignores_case) {
            for (const auto& folder : state.folders)
                if (EqualIgnoringCase(folder, path)) found = folder;
            for (const auto& [file, contents] : state.files)
                if (EqualIgnoringCase(file, path)) found = file;
        }
        if (const auto target = state.same_as.find(found); target != state.same_as.end()) found = target->second;
        const bool folder = state.folders.contains(found);
        if (!folder && !state.files.contains(found)) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
            return std::nullopt;
        }
        return Identity{1, std::hash<std::string>{}(found), folder};
    };
}

FolderReport Look(const FolderState& state) {
    return repair::ExamineFolder(Examine(state), List(state), {}, Identify(state));
}

// Runs a plan on the model; every step must find its file and a free name.
void ExpectPlanRunsCleanly(FolderState& state, std::span<const RenameStep> plan, const std::string& where) {
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

// The folders a switch starts from: whole; without the mod's files; and
// without each stock file in turn.
std::vector<Variant> Variants() {
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
    return variants;
}

TEST(RepairPlanner, EveryHalfDoneStateReachesWhatItsFilesAllow) {
    const std::vector<Variant> variants = Variants();
    for (std::size_t v = 0; v < variants.size(); ++v) {
        const Variant& variant = variants[v];
        const FolderState& variant_active = variant.active;
        for (const auto& [where, state] : HalfDoneStates(variant)) {
            const FolderReport report = Look(state);
            ASSERT_TRUE(report.IsGameFolder()) << where;
            for (const Target target : {Target::kNormal, Target::kMod}) {
                const auto& plan = report.Plan(target);
                if (!plan.possible) continue;
                ExpectStepsOfTheSequence(plan.steps, target);
                FolderState after = state;
                ExpectPlanRunsCleanly(after, plan.Renames(), where);
                // Where names cannot tell the files apart, the game's own never ends up parked as the mod's.
                for (const auto& [path, text] : after.files) {
                    EXPECT_TRUE(!path.ends_with(".mod.wav") || text.starts_with("mod ")) << where << ": " << path;
                }
                const FolderReport again = Look(after);
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
                    const std::string mod = Shown("\u2039" + std::string(track.folder) + "\\" + std::string(track.base) + ".mod.wav\u203A");
                    const std::vector<std::string> reasons = Words(report.mod.reasons);
                    // The file at a mod name may be the game's own here: no reason calls it the mod's.
                    EXPECT_TRUE(std::any_of(reasons.begin(), reasons.end(),
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

MusicNames NamesOf(const FolderState& state, bool upper = false) {
    const auto spelt = [upper](std::string name) {
        if (upper) std::ranges::transform(name, name.begin(), [](unsigned char c) { return std::toupper(c); });
        return name;
    };
    MusicNames names;
    for (std::size_t i = 0; i < kMusicFolders.size(); ++i) {
        if (!state.folders.contains(std::string(kMusicFolders[i]))) continue;
        names[i].emplace();
        for (const auto& [path, contents] : state.files)
            if (FolderOf(path) == kMusicFolders[i]) names[i]->push_back(spelt(NameOf(path)));
    }
    return names;
}

// The look before the program's window, against the model's own run of each
// sequence, over every state a switch can stop in: a click is let through
// exactly at normal music with the mod's files in place and at the mod's music.
TEST(ClickLook, FollowsEachButtonOverEveryLeftState) {
    using enum ButtonLook::Outcome;
    const std::vector<Variant> variants = Variants();
    for (std::size_t v = 0; v < variants.size(); ++v) {
        for (const auto& [where, state] : HalfDoneStates(variants[v])) {
            for (const NameCase rule : {NameCase::kExact, NameCase::kAnyCase}) {
                const ClickLook look = LookBeforeClick(NamesOf(state, rule == NameCase::kAnyCase), rule);
                for (const auto& [button, sequence] : {std::pair(look.rename, Sequence(RenameSequence)),
                                                       std::pair(look.unrename, Sequence(UnrenameSequence))}) {
                    FolderState after = state;
                    const std::size_t done = after.Run(sequence);
                    EXPECT_EQ(button.done, done) << where;
                    EXPECT_EQ(button.outcome, done == kStepCount ? kCompletes : done == 0 ? kChangesNothing : kStopsPartWay)
                        << where;
                    if (done < kStepCount) {
                        EXPECT_EQ(button.stop, sequence[done]) << where;
                    }
                }
                const bool whole_end = v == 0 && (state == variants[v].normal || state == variants[v].active);
                EXPECT_EQ(look.Harmless(), whole_end) << where;
            }
        }
    }
    // Letter for letter, names in another case are not the table's.
    EXPECT_EQ(LookBeforeClick(NamesOf(NormalMusic(), true), NameCase::kExact).rename.outcome, kChangesNothing);
}

TEST(ClickLook, SaysWhatHoldsTheClickBack) {
    using enum ButtonLook::Outcome;
    FolderState no_mod = NormalMusic();
    std::erase_if(no_mod.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    const ClickLook parked = LookBeforeClick(NamesOf(no_mod));
    EXPECT_EQ(parked.rename.outcome, kStopsPartWay);
    EXPECT_EQ(parked.rename.done, 21u);
    EXPECT_FALSE(parked.rename.new_name_taken);
    EXPECT_EQ(repair::HeldBack(parked),
              "The mod's 7 files are not in place: Rename (Enable-Mod) would put away the game's 21 tracks and stop, "
              "leaving the game without music.");

    // Two of the mod's files moved in, then the third missing: the other tracks go quiet.
    FolderState no_desert_mod = NormalMusic();
    no_desert_mod.files.erase("streamsounds\\mus_sbat_desert.mod.wav");
    EXPECT_EQ(repair::HeldBack(LookBeforeClick(NamesOf(no_desert_mod))),
              "The mod's 7 files are not all in place: Rename (Enable-Mod) would put away the game's 21 tracks, put 2 "
              "of the mod's files in their place and stop, leaving the game without music on 19 tracks.");

    FolderState no_ahto_mod = NormalMusic();
    no_ahto_mod.files.erase("streammusic\\mus_area_ahto.mod.wav");
    EXPECT_EQ(repair::HeldBack(LookBeforeClick(NamesOf(no_ahto_mod))),
              "The mod's 7 files are not in place: Rename (Enable-Mod) would put away the game's 21 tracks and stop, "
              "leaving the game without music.");

    // Normal music with the mod's files, but one of them also at its live name's backup.
    FolderState doubled = NormalMusic();
    doubled.files["streamsounds\\mus_sbat_desert.original.wav"] = "stray";
    EXPECT_EQ(repair::HeldBack(LookBeforeClick(NamesOf(doubled))),
              Shown("Rename (Enable-Mod) would put away 16 of the game's tracks and stop at "
                    "‹streamsounds\\mus_sbat_desert.wav›, leaving the game without them."));

    // The mod's music on, but its first file gone from the live name's backup.
    FolderState active = ModActive();
    active.files.erase("streammusic\\mus_area_cant1.original.wav");
    EXPECT_EQ(repair::HeldBack(LookBeforeClick(NamesOf(active))),
              Shown("Un-rename (Normal Music) would move ‹streammusic\\mus_area_ahto.wav› to the mod's name and "
                    "stop at ‹streammusic\\mus_area_cant1.original.wav›, leaving the folder half switched."));

    // Both first renames fail after a switch that stopped part way, and also where no switch ran: a copy of
    // the first track kept under its backup's name at the normal music. The sentence holds for both.
    FolderState half = NormalMusic();
    half.Run(std::span(RenameSequence).first(5));
    FolderState kept_copy = NormalMusic();
    kept_copy.files["streammusic\\mus_area_ahto.original.wav"] = "copy";
    for (const FolderState& state : {half, kept_copy})
        EXPECT_EQ(repair::HeldBack(LookBeforeClick(NamesOf(state))),
                  "Neither button can change anything here: the first rename of each would fail, as after a "
                  "switch that stopped part way.");

    FolderState music_gone = NormalMusic();
    music_gone.RemoveFolder("streamsounds");
    EXPECT_EQ(repair::HeldBack(LookBeforeClick(NamesOf(music_gone))),
              "The streamsounds folder is missing or cannot be read, so a click would fail or stop part way.");
}

// What lies about a half-done state: the mod's files found once, twice, in a
// lower-case twin of the game's "StreamSounds", or a player's copy of a stock
// track beside its names.
struct Surroundings {
    const char* what;
    std::vector<std::string> mod_folders;  // each gets a copy of the mod's 7 files
    bool twin = false;                     // the game's streamsounds spelt "StreamSounds", the mod's six in "streamsounds"
    std::string stray;                     // a player's copy of a stock track beside its names
};

constexpr char kStray[] = "streamsounds\\mus_sbat_acad.original.wav.wav";
constexpr char kStrayOfAhto[] = "streammusic\\mus_area_ahto.original.wav.wav";  // the one track whose only file can sit at its mod name

FolderState Around(FolderState state, const Surroundings& around) {
    const auto add = [&state](const std::string& path, const std::string& contents) {
        for (std::string folder = ParentOf(path); !folder.empty(); folder = ParentOf(folder)) state.folders.insert(folder);
        state.files[path] = contents;
    };
    if (around.twin) {
        state.Apply({"streamsounds", "StreamSounds"});
        state.folders.insert("streamsounds");
    }
    for (const Track& track : TrackTable) {
        if (!track.mod_replacement) continue;
        const std::string name = std::string(track.base) + ".mod.wav", contents = "mod " + std::string(track.base);
        for (std::size_t i = 0; i < around.mod_folders.size(); ++i)
            add(around.mod_folders[i] + "\\" + std::string(track.folder) + "\\" + name, contents + (i ? " again" : ""));
        if (around.twin && track.folder == "streamsounds") add("streamsounds\\" + name, contents);
    }
    if (!around.stray.empty()) add(around.stray, "stock copy");
    return state;
}

// Checks a folder against what a run towards `target` must leave: the target
// reached on a fresh look, no game file at a mod name for the normal music, the
// mod's own files on the live names for the mod's, and the stray copy untouched.
void ExpectReached(const FolderState& after, Target target, const Surroundings& around, const std::string& where) {
    const FolderReport again = Look(after);
    EXPECT_TRUE(again.Plan(target).Reached()) << where << ": " << testing::PrintToString(Words(again.Plan(target).reasons));
    const std::string music = around.twin ? "StreamSounds" : "streamsounds";
    for (const Track& track : TrackTable) {
        const std::string stem = (track.folder == "streamsounds" ? music : std::string(track.folder)) + "\\" +
                                 std::string(track.base);
        const auto live = after.files.find(stem + ".wav"), mod = after.files.find(stem + ".mod.wav");
        if (target == Target::kNormal) {
            EXPECT_TRUE(mod == after.files.end() || mod->second.starts_with("mod ")) << where << ": " << stem;
        } else if (track.mod_replacement) {
            EXPECT_TRUE(live != after.files.end() && live->second.starts_with("mod ")) << where << ": " << stem;
        }
    }
    if (!around.stray.empty()) {
        EXPECT_EQ(after.files.count(around.stray), 1u) << where << ": the stray copy was moved";
    }
}

// Every state a switch can leave, amid each of the surroundings: each target
// offered is run, and run again with a failure after each of its renames and a
// fresh plan from there. No rename may fail in the model (none replaces a file),
// every run must end where the fresh look says the target is reached, and while
// the game's file sits at a mod name no line asks for the mod's file.
TEST(RepairPlanner, EveryLeftStateAmidStrayFilesReachesTheTargetChosenAfterAnyFailure) {
    FolderState stock_only = NormalMusic();
    std::erase_if(stock_only.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    FolderState parked = stock_only;
    parked.Run(RenameSequence);
    FolderState no_ahto = NormalMusic();
    no_ahto.files.erase("streammusic\\mus_area_ahto.mod.wav");
    FolderState ahto_parked = no_ahto;
    ahto_parked.Run(RenameSequence);
    const std::vector<Variant> variants{{"all files", NormalMusic(), ModActive()},
                                        {"no mod files", stock_only, parked},
                                        {"no ahto mod file", no_ahto, ahto_parked}};
    const std::vector<Surroundings> surroundings{
        {"as left", {}, false, ""},
        {"the mod in MyMod", {"MyMod"}, false, ""},
        {"the mod twice", {"MyMod", "Mod Copy"}, false, ""},
        {"the mod in a twin folder", {"MyMod"}, true, ""},
        {"a stray copy", {}, false, kStray},
        {"a stray copy and the mod in MyMod", {"MyMod"}, false, kStray},
        {"a stray copy of ahto", {}, false, kStrayOfAhto},
    };
    std::size_t runs = 0;
    for (const Variant& variant : variants) {
        for (const auto& [state_name, left] : HalfDoneStates(variant)) {
            for (const Surroundings& around : surroundings) {
                const FolderState state = Around(left, around);
                const std::string where = state_name + ", " + around.what;
                const FolderReport report = Look(state);
                ASSERT_TRUE(report.IsGameFolder()) << where;
                const bool game_file_at_a_mod_name = std::ranges::any_of(state.files, [](const auto& file) {
                    return file.first.ends_with(".mod.wav") && file.second.starts_with("stock ");
                });
                if (game_file_at_a_mod_name) {
                    std::string words = repair::Advice(report);
                    for (const std::string& problem : Words(report.problems)) words += "\n" + problem;
                    EXPECT_EQ(words.find("put the mod's file there"), std::string::npos) << where << ": " << words;
                }
                for (const Target target : {Target::kNormal, Target::kMod}) {
                    const auto& plan = report.Plan(target);
                    if (!plan.Offered()) continue;
                    const std::vector<RenameStep> renames = plan.Renames();
                    for (std::size_t failed_at = 0; failed_at <= renames.size(); ++failed_at) {
                        const std::string run = where + (target == Target::kNormal ? ", normal" : ", mod") +
                                                ", failed after " + std::to_string(failed_at);
                        FolderState after = state;
                        ExpectPlanRunsCleanly(after, std::span(renames).first(failed_at), run);
                        if (failed_at < renames.size()) {
                            const FolderReport again = Look(after);
                            ASSERT_TRUE(again.Plan(target).possible) << run;
                            ExpectPlanRunsCleanly(after, again.Plan(target).Renames(), run + ", again");
                        }
                        ExpectReached(after, target, around, run);
                        ++runs;
                    }
                }
            }
        }
    }
    EXPECT_GT(runs, 10'000u);
}

#ifndef _WIN32
// Every sentence the companions compose over every state a switch can leave,
// amid the surroundings above, in each language of the catalogs: every
// placeholder filled, and no sentence left as the English says it. (The
// Windows exes' own reader is tested against the C library's in translation_test.)
std::vector<std::string> EverySentence(const FolderReport& report, const ClickLook& look) {
    std::vector<std::string> texts{repair::Summary(report), repair::Advice(report), repair::FoundSummary(report)};
    for (const Target target : {Target::kNormal, Target::kMod}) {
        texts.push_back(repair::GreyedOut(report, target));
        texts.push_back(repair::SummaryAfterRepair(report, target));
    }
    for (const std::string& sentence : repair::Sentences(report.problems)) texts.push_back(sentence);
    for (const repair::RenameList& list : repair::FoundRenames(report)) {
        texts.push_back(list.heading);
        texts.insert(texts.end(), list.lines.begin(), list.lines.end());
    }
    if (!look.Harmless()) texts.push_back(repair::HeldBack(look));
    for (const bool checked_first : {false, true}) texts.push_back(repair::AfterFailure("", report, checked_first));
    std::erase(texts, "");
    return texts;
}

// Chooses the catalogs' language as the player's LANGUAGE does; "en" has none.
// gettext keeps what it found for each message until told that the catalogs
// changed, as its manual says, through this counter.
extern "C" int _nl_msg_cat_cntr;
void SpeakIn(const char* language) {
    setenv("LANGUAGE", language, 1);
    ++_nl_msg_cat_cntr;
}

// English again when the test ends, however it ends.
struct EnglishAfter {
    ~EnglishAfter() { SpeakIn("en"); }
};

TEST(Words, EverySentenceOverEveryLeftStateInEveryLanguage) {
    const EnglishAfter english_after;
    SpeakIn("de");  // a language with a catalog, so that Start takes the catalogs at all
    translation::Start();
    bindtextdomain("vornhaskel", VORNHASKEL_BUILD_LOCALE_DIR);
    std::vector<std::string> languages;
    std::ifstream linguas(VORNHASKEL_PO_DIR "/LINGUAS");
    for (std::string language; linguas >> language;)
        if (!language.starts_with('#')) languages.push_back(language);
    ASSERT_EQ(languages.size(), 7u);
    const std::regex raw(R"(%([0-9]+\$)?(s|zu|d))");
    const std::vector<Surroundings> surroundings{
        {"as left", {}, false, ""}, {"the mod twice", {"MyMod", "Mod Copy"}, false, ""}, {"a stray copy", {}, false, kStray}};
    std::size_t checked = 0;
    for (const Variant& variant : Variants()) {
        for (const auto& [state_name, left] : HalfDoneStates(variant)) {
            for (const Surroundings& around : surroundings) {
                const FolderState state = Around(left, around);
                const FolderReport report = Look(state);
                const ClickLook look = LookBeforeClick(NamesOf(state, false), NameCase::kExact);
                SpeakIn("en");
                const std::vector<std::string> english = EverySentence(report, look);
                for (const std::string& language : languages) {
                    SpeakIn(language.c_str());
                    const std::vector<std::string> texts = EverySentence(report, look);
                    const std::string where = state_name + ", " + around.what + ", " + language;
                    ASSERT_EQ(texts.size(), english.size()) << where;
                    for (std::size_t i = 0; i < texts.size(); ++i) {
                        EXPECT_FALSE(std::regex_search(texts[i], raw)) << where << ": " << texts[i];
                        EXPECT_NE(texts[i], english[i]) << where;
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 10'000u);
}
#endif

// Each layout of one track off the normal music, once: what each target makes of
// it, and what the dialog says.
TEST(RepairPlanner, JudgesEachLayoutOfOneTrack) {
    const std::string cant1 = "streammusic\\mus_area_cant1", acad = "streamsounds\\mus_sbat_acad";
    const std::string close_first = "Close the game first. A button renames only the files that are out of place, "
                                    "with the same renames as vornhaskel, and never replaces a file. ";
    const std::string stuck = " Nothing here can be switched until the problems listed are put right. Then start "
                              "the repair tool again.";
    const std::string lost = "› is missing, and so are all its other names: to restore the game's own file, choose "
                             "Normal music first, then let the game store check the game's files (\"verify the "
                             "game's files\")";
    const struct {
        const char* layout;
        std::vector<std::string> drop, add;
        bool normal_possible;
        std::vector<std::string> normal_steps;  // old paths
        std::string reason, summary, advice;
    } rows[] = {
        {"without mod, none", {cant1 + ".wav"}, {}, true, {}, "‹" + cant1 + ".wav" + lost,
         "The folder is mixed: 20 tracks set for the normal music, 1 track missing. This track has no file at all: ‹" +
             cant1 + ".wav›. To restore the game's own files, choose Normal music first, then let the game store "
             "check the game's files (\"verify the game's files\").",
         "Mod music is not available: a track of the game has no file at all."},
        {"without mod, L and O", {}, {cant1 + ".original.wav"}, false, {},
         "‹" + cant1 + ".wav› and ‹" + cant1 + ".original.wav› both exist: move one of them out of the folder",
         "The folder is mixed: 20 tracks set for the normal music, 1 track with a problem.",
         "Normal music is not available: a track's files need sorting out first, as listed. Mod music is not "
         "available: a track's files need sorting out first, as listed." + stuck},
        {"with mod, none", {acad + ".wav", acad + ".mod.wav"}, {}, true, {}, "‹" + acad + ".wav" + lost, "",
         "Mod music is not available: a track of the game has no file at all."},
        {"with mod, D alone", {acad + ".wav"}, {}, true, {acad + ".mod.wav"},
         "‹" + acad + ".wav› is missing, and so is ‹" + acad + ".original.wav›: ‹" + acad +
             ".mod.wav› is the track's only file. Normal music renames it back to ‹" + acad +
             ".wav›; add the mod's file as ‹" + acad + ".mod.wav› only after that",
         "The folder is mixed: 20 tracks set for the normal music, 1 track half-way between the two.",
         close_first + "Mod music is not available: ‹" + acad + ".mod.wav› is its track's only file, so choose Normal "
                       "music first, and put no mod file in before then."},
        {"with mod, all three", {}, {acad + ".original.wav"}, false, {},
         "‹" + acad + ".wav›, ‹" + acad + ".original.wav› and ‹" + acad +
             ".mod.wav› all exist: move the one that does not belong out of the folder",
         "", ""},
    };
    for (const auto& row : rows) {
        FolderState state = NormalMusic();
        for (const auto& path : row.drop) state.files.erase(path);
        for (const auto& path : row.add) state.files[path] = "extra";
        const FolderReport report = Look(state);
        EXPECT_EQ(report.normal.possible, row.normal_possible) << row.layout;
        EXPECT_FALSE(report.mod.possible) << row.layout;
        EXPECT_EQ(Words(report.problems), std::vector<std::string>{Shown(row.reason)}) << row.layout;
        std::vector<std::string> steps;
        for (const RenameStep& step : report.normal.steps) steps.emplace_back(step.old_path);
        EXPECT_EQ(steps, row.normal_steps) << row.layout;
        if (!row.summary.empty()) {
            EXPECT_EQ(repair::Summary(report), Shown(row.summary)) << row.layout;
        }
        if (!row.advice.empty()) {
            EXPECT_EQ(repair::Advice(report), Shown(row.advice)) << row.layout;
        }
    }
}

// For which names of one track a find may stand in, from what its exact names
// hold (L live, O backup, D mod; F a folder at the live name), in a music
// folder that spells the game's names exactly and in one that spells them
// otherwise: only an absent name that the target needs as a source, and only
// where the exact names neither block the track nor settle it.
TEST(RepairPlanner, LetsAFindStandInOnlyForAnAbsentSourceOfAnUnsettledTrack) {
    const auto track = [](std::string_view base) {
        return *std::ranges::find_if(TrackTable, [base](const Track& t) { return t.base == base; });
    };
    const Track cant1 = track("mus_area_cant1"), acad = track("mus_sbat_acad");
    const struct {
        const char* shape;
        const Track& track;
        std::string held;  // of "LOD": the names that hold a file; "F" for a folder at the live name
        Target target;
        std::string exactly, otherwise;  // of "LOD": the names a find may stand in for
    } rows[] = {
        {"normal music, towards it", cant1, "L", Target::kNormal, "", ""},
        {"normal music, towards the mod's", cant1, "L", Target::kMod, "", ""},
        {"lost, towards the normal music", cant1, "", Target::kNormal, "LO", "LO"},
        {"lost, towards the mod's", cant1, "", Target::kMod, "LO", "LO"},
        {"lost with a mod name, towards the normal music", acad, "", Target::kNormal, "LO", "LO"},
        {"lost with a mod name, towards the mod's", acad, "", Target::kMod, "LOD", "LOD"},
        {"live and backup both", cant1, "LO", Target::kNormal, "", ""},
        {"a folder at the live name", acad, "FD", Target::kNormal, "", ""},
        {"all three", acad, "LOD", Target::kMod, "", ""},
        {"the game's file alone, towards the normal music", acad, "L", Target::kNormal, "", ""},
        {"the game's file alone, towards the mod's", acad, "L", Target::kMod, "D", "D"},
        {"parked without the mod's file, towards the mod's", acad, "O", Target::kMod, "D", "D"},
        {"parked with the mod's file, towards the normal music", acad, "OD", Target::kNormal, "", ""},
        {"normal music with the mod's file, towards the mod's", acad, "LD", Target::kMod, "", ""},
        {"the only file at the mod name, towards the normal music", acad, "D", Target::kNormal, "", "LO"},
        {"the only file at the mod name, towards the mod's", acad, "D", Target::kMod, "", "LO"},
    };
    for (const auto& row : rows) {
        repair::Seen seen;
        for (const repair::Role role : {repair::kLive, repair::kBackup, repair::kMod})
            if (row.held.find("LOD"[role]) != std::string::npos) seen[role].kind = NameKind::kFile;
        if (row.held.find('F') != std::string::npos) seen[repair::kLive].kind = NameKind::kFolder;
        const repair::Names names = repair::NamesOf(row.track);
        const repair::TrackVerdict exact = repair::Judge(row.track, seen, names, names);
        for (const auto& [spelling, expected] : {std::pair(repair::GameNames::kSpeltExactly, row.exactly),
                                                 std::pair(repair::GameNames::kSpeltOtherwise, row.otherwise)}) {
            const std::array<bool, 3> stand_ins = repair::StandInsFor(row.target, row.track, seen, exact, spelling);
            std::string names_taken;
            for (const repair::Role role : {repair::kLive, repair::kBackup, repair::kMod})
                if (stand_ins[role]) names_taken += "LOD"[role];
            EXPECT_EQ(names_taken, expected)
                << row.shape << (spelling == repair::GameNames::kSpeltExactly ? ", spelt exactly" : ", spelt otherwise");
        }
    }
}

TEST(RepairPlanner, SaysWhatTheFolderHolds) {
    FolderState state = NormalMusic();
    EXPECT_EQ(repair::Summary(Look(state)), "The names are set for the normal music.");
    state.Run(std::span(RenameSequence).first(24));
    EXPECT_EQ(repair::Summary(Look(state)),
              "The folder is mixed: 17 tracks set for the mod's music, 4 tracks half-way between the two.");
    state.Run(std::span(RenameSequence).subspan(24));
    EXPECT_EQ(repair::SummaryAfterRepair(Look(state)), "The names are now set for the mod's music.");

    // The store's file check with the mod's music on writes the game's file at
    // every live name, over the mod's 7 files too; with the backups it doubled
    // moved out, as the words say, Mod music parks the game's files again. The
    // names cannot tell, and the words claim no more than the names.
    FolderState checked = state;
    for (const Track& track : TrackTable) checked.files[std::string(track.folder) + "\\" + std::string(track.base) + ".wav"] = "checked";
    EXPECT_EQ(repair::Summary(Look(checked)), "The folder is mixed: 7 tracks set for the mod's music, 14 tracks with a problem.");
    for (const Track& track : TrackTable)
        if (!track.mod_replacement) checked.files.erase(std::string(track.folder) + "\\" + std::string(track.base) + ".original.wav");
    const FolderReport moved_out = Look(checked);
    EXPECT_EQ(repair::Summary(moved_out), "The folder is mixed: 14 tracks set for the normal music, 7 tracks set for the mod's music.");
    ASSERT_TRUE(moved_out.mod.Offered());
    checked.Run(moved_out.mod.Renames());
    EXPECT_EQ(repair::SummaryAfterRepair(Look(checked)), "The names are now set for the mod's music.");
    EXPECT_EQ(checked.files.at("streamsounds\\mus_sbat_acad.wav"), "checked");

    FolderState stock = NormalMusic();
    std::erase_if(stock.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    FolderState parked = stock;
    parked.Run(RenameSequence);
    const FolderReport commonest = Look(parked);
    EXPECT_EQ(repair::Summary(commonest), "The folder is mixed: 14 tracks set for the mod's music, 7 tracks half-way between the two.");
    EXPECT_EQ(repair::Advice(commonest),
              "Close the game first. A button renames only the files that are out of place, with the same renames as "
              "vornhaskel, and never replaces a file. Mod music is not available: the mod's 7 files are not in "
              "place.");
    EXPECT_EQ(repair::Advice(Look(stock)),
              "Mod music is not available: the mod's 7 files are not in place.");

    // The mod's own download, with both music folders: never a game folder, and
    // its files never renamed to the game's names.
    FolderState download = NormalMusic();
    std::erase_if(download.files, [](const auto& file) { return !file.first.ends_with(".mod.wav"); });
    const FolderReport mods_only = Look(download);
    EXPECT_FALSE(mods_only.IsGameFolder() || mods_only.normal.possible || mods_only.mod.possible);
    EXPECT_EQ(repair::Summary(mods_only), "This is not the game folder: its music folders hold only the mod's files.");

    state.RemoveFolder("streamsounds");
    const FolderReport half = Look(state);
    EXPECT_FALSE(half.IsGameFolder() || half.normal.possible || half.mod.possible);
    EXPECT_EQ(repair::Summary(half), "This is not the game folder: it has no streamsounds folder.");
    state.RemoveFolder("streammusic");
    EXPECT_EQ(repair::Summary(Look(state)),
              "This is not the game folder: it has no streammusic and streamsounds folders.");
    state.files["streammusic"] = "a file, not the folder";
    state.folders.insert("streamsounds");
    EXPECT_EQ(repair::Summary(Look(state)),
              "This is not the game folder: it has no streammusic folder.");
    state.files.erase("streammusic");
    state.files["StreamMusic"] = "a file under the folder's name in another case";
    EXPECT_EQ(Words(Look(state).problems), std::vector<std::string>{Shown("‹streammusic› is missing, and ‹StreamMusic› has its "
                                                             "name in another case but is no plain folder of this drive "
                                                             "(a file, a link or another drive), so it is left alone")});
}

// A mistake players make, applied to a state: each file moved to where the
// player left it, more files left beside them, streammusic perhaps renamed.
struct Mistake {
    using Where = std::function<std::string(const std::string&)>;
    Mistake(std::string what_, FolderState start_, Where where_, std::vector<std::string> extra_ = {},
            std::string streammusic_as_ = "streammusic", std::vector<std::string> mod_candidates_ = {})
        : what(std::move(what_)), start(std::move(start_)), where(std::move(where_)), extra(std::move(extra_)),
          streammusic_as(std::move(streammusic_as_)), mod_candidates(std::move(mod_candidates_)) {}

    std::string what;
    FolderState start;
    Where where;
    std::vector<std::string> extra;           // never moved by any plan
    std::string streammusic_as;
    std::vector<std::string> mod_candidates;  // where the mod's music is refused: the candidates it names
};

void AddFolders(FolderState& state, std::string folder) {
    for (; !folder.empty(); folder = ParentOf(folder)) state.folders.insert(folder);
}

// Each of the mod's files that `state` holds at its name moved below `folder`,
// as unzipping the mod there leaves it: "MyMod\streamsounds\x.mod.wav".
void ModFilesIn(FolderState& state, const std::string& folder) {
    for (const std::string& path : AllPaths()) {
        if (!path.ends_with(".mod.wav") || !state.files.contains(path)) continue;
        AddFolders(state, folder + "\\" + FolderOf(path));
        state.Apply({path, folder + "\\" + path});
    }
}

// What of a mistake a plan leaves: all of it before any plan, the mod's files
// where the player left them after the normal music, only the extra files
// after the mod's.
enum class Left { kAll, kModFiles, kExtraFiles };

FolderState Made(const Mistake& mistake, const FolderState& state, Left left = Left::kAll) {
    FolderState made;
    made.folders = state.folders;
    for (const auto& [path, contents] : state.files) {
        const bool moved = left == Left::kAll || (left == Left::kModFiles && path.ends_with(".mod.wav"));
        const std::string to = moved ? mistake.where(path) : path;
        AddFolders(made, ParentOf(to));
        made.files[to] = contents;
    }
    for (const std::string& path : mistake.extra) {
        AddFolders(made, ParentOf(path));
        made.files[path] = "extra " + path;
    }
    if (left == Left::kAll) made.Apply({"streammusic", mistake.streammusic_as});
    return made;
}

std::string Upper(std::string path) {
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::toupper(c); });
    return path;
}

// The mistakes of the table's states that players make when they install the
// mod. Each target either gets there exactly, every file's contents under its
// own name and nothing else moved (the mod's files stay where they are for
// the normal music), or is refused with the candidates named.
TEST(RepairPlanner, SortsOutWhatPlayersMisplace) {
    const auto mods_in = [](std::string folder) {
        return [folder](const std::string& path) { return path.ends_with(".mod.wav") ? folder + path : path; };
    };
    const auto mod_names = [](auto rename) {
        return [rename](const std::string& path) { return path.ends_with(".mod.wav") ? rename(path) : path; };
    };
    FolderState parked = NormalMusic();  // a switch that stopped at the first mod file it could not find
    parked.Run(std::span(RenameSequence).first(21));
    const std::string acad = "streamsounds\\mus_sbat_acad.mod.wav";
    const std::vector<Mistake> mistakes{
        {"nested", NormalMusic(), mods_in("MyMusicMod\\")},
        {"nested, after a switch that stopped for want of them", parked, mods_in("Music Mod v2\\Data\\")},
        {"inside a music folder", NormalMusic(),
         mod_names([](const std::string& path) { return "streamsounds\\Music Mod v2\\" + NameOf(path); })},
        {"doubled extension", NormalMusic(), mod_names([](const std::string& path) { return path + ".wav"; })},
        {"capitals on the mod's", NormalMusic(),
         mod_names([](const std::string& path) { return FolderOf(path) + "\\" + Upper(NameOf(path)); })},
        {"capitals on the game's", NormalMusic(),
         [](const std::string& path) {
             return path.ends_with(".mod.wav") ? path : FolderOf(path) + "\\" + Upper(NameOf(path));
         }},
        {"capitals on everything, mod active", ModActive(),
         [](const std::string& path) { return FolderOf(path) + "\\" + Upper(NameOf(path)); }, {}, "StreamMusic"},
        {"the wrong music folder", NormalMusic(),
         mod_names([](const std::string& path) { return "streamsounds\\" + NameOf(path); })},
        {"a find seen twice", NormalMusic(), mods_in("MyMusicMod\\"), {"streamsounds\\Music Mod v2\\mus_sbat_acad.mod.wav"},
         "streammusic", {"MyMusicMod\\" + acad, "streamsounds\\Music Mod v2\\mus_sbat_acad.mod.wav"}},
        {"a folder under a mod file's name", NormalMusic(),
         mod_names([](const std::string& path) { return "MyMusicMod\\" + NameOf(path) + "\\" + NameOf(path); }), {},
         "streammusic", {"MyMusicMod\\mus_sbat_acad.mod.wav", "MyMusicMod\\mus_sbat_acad.mod.wav\\mus_sbat_acad.mod.wav"}},
        {"decoy backups", NormalMusic(), mods_in("MyMusicMod\\"),
         {"Backup\\streammusic\\mus_area_cant1.wav", "Backup\\streamsounds\\mus_sbat_acad.wav",
          "Backup\\mus_area_out.original.wav", "streamsounds\\mus_area_sewers.wav", "MUS_AREA_DESERT.WAV"}},
        {"decoy copies of the mod, mod active", ModActive(), [](const std::string& path) { return path; },
         {"MyMusicMod\\" + acad, "MyMusicMod\\streammusic\\mus_area_ahto.mod.wav", "mus_sbat_desert.mod.wav"}},
    };
    for (const Mistake& mistake : mistakes) {
        const FolderState state = Made(mistake, mistake.start);
        const FolderReport report = Look(state);
        ASSERT_TRUE(report.IsGameFolder()) << mistake.what;
        for (const Target target : {Target::kNormal, Target::kMod}) {
            const std::string where = mistake.what + (target == Target::kNormal ? ", normal music" : ", mod's music");
            const auto& plan = report.Plan(target);
            if (target == Target::kMod && !mistake.mod_candidates.empty()) {
                EXPECT_FALSE(plan.possible) << where;
                const std::vector<std::string> reasons = Words(plan.reasons);
                for (const std::string& candidate : mistake.mod_candidates)
                    EXPECT_TRUE(std::any_of(reasons.begin(), reasons.end(), [&](const std::string& reason) {
                        return reason.find(Shown("‹" + candidate + "›,")) != reason.npos ||
                               reason.find(Shown("‹" + candidate + "›.")) != reason.npos;
                    })) << where << ": " << candidate;
                continue;
            }
            ASSERT_TRUE(plan.possible) << where << ": " << testing::PrintToString(Words(plan.reasons));
            ExpectStepsOfTheSequence(plan.steps, target);
            FolderState after = state;
            ExpectPlanRunsCleanly(after, plan.Renames(), where);
            // The normal music leaves the mod's files where they were left, unless it parks them itself.
            const bool parked_mod_files = std::any_of(mistake.start.files.begin(), mistake.start.files.end(),
                                                      [](const auto& file) { return file.first.ends_with(".mod.wav"); });
            FolderState expected =
                target == Target::kNormal && parked_mod_files ? Made(mistake, NormalMusic(), Left::kModFiles)
                : Made(mistake, target == Target::kNormal ? NormalMusic() : ModActive(), Left::kExtraFiles);
            for (const std::string& folder : state.folders)
                expected.folders.insert(folder == mistake.streammusic_as ? "streammusic" : folder);
#ifdef _WIN32
            // Windows finds a music folder under its name in any case: it keeps its own spelling.
            expected.Apply({"streammusic", mistake.streammusic_as});
#endif
            EXPECT_EQ(after, expected) << where;
            EXPECT_TRUE(Look(after).Plan(target).Reached()) << where;
        }
    }
}

// Shapes that finds alone could get wrong, and what the planner makes of each:
// the plan for the normal music (its renames, old -> new), whether the mod's
// music is offered, and words that the summary, the advice or the problems
// must hold.
TEST(RepairPlanner, TakesOnlyTheFindsThatSettleATrack) {
    const std::string cant1 = "streammusic\\mus_area_cant1", ahto = "streammusic\\mus_area_ahto",
                      acad = "streamsounds\\mus_sbat_acad";
    const struct {
        const char* shape;
        std::function<void(FolderState&)> make;
        std::vector<std::string> normal;  // "old -> new", every rename of the plan; "reached" where none is needed
        bool mod_offered;
        std::vector<std::string> words;
    } rows[] = {
        {"a look-alike folder beside the game's file in capitals",
         [&](FolderState& s) {
             s.Apply({cant1 + ".wav", "streammusic\\MUS_AREA_CANT1.ORIGINAL.WAV"});
             s.folders.insert("streammusic\\Mus_area_cant1.wav");
         },
         {"streammusic\\MUS_AREA_CANT1.ORIGINAL.WAV -> " + cant1 + ".original.wav",
          cant1 + ".original.wav -> " + cant1 + ".wav"},
         true, {"1 track set for the mod's music"}},
        {"the track's only file at its mod name, and a look-alike of the game's file",
         [&](FolderState& s) { s.Apply({ahto + ".wav", "streammusic\\MUS_AREA_AHTO.ORIGINAL.WAV"}); },
         {}, false,
         {"‹" + ahto + ".mod.wav› is the only file under its track's names, but ‹streammusic\\MUS_AREA_AHTO.ORIGINAL.WAV› "
                       "could be the game's own track too"}},
        {"a stray copy of a stock track, the mod in its own folder",
         [&](FolderState& s) {
             ModFilesIn(s, "MyMod");
             s.files[acad + ".original.wav.wav"] = "stock copy";
         },
         {"reached"}, true, {"The names are set for the normal music.", "The mod's 7 files were found in ‹MyMod"}},
        {"a stray copy of a stock track, no mod",
         [&](FolderState& s) {
             std::erase_if(s.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
             s.files[acad + ".original.wav.wav"] = "stock copy";
         },
         {"reached"}, false, {"the mod's 7 files are not in place"}},
        {"two files that could be one mod file",
         [&](FolderState& s) {
             ModFilesIn(s, "MyMod");
             s.files["Mod Copy\\mus_sbat_acad.mod.wav"] = "mod again";
             s.folders.insert("Mod Copy");
         },
         {"reached"}, false,
         {"Mod music is not available: 2 files could be ‹" + acad +
          ".mod.wav›: ‹Mod Copy\\mus_sbat_acad.mod.wav› and ‹MyMod\\streamsounds\\mus_sbat_acad.mod.wav›."}},
        {"an old look-alike in the music folder, the mod in its own folder, and a folder that cannot be read",
         [&](FolderState& s) {
             ModFilesIn(s, "MyMod");
             s.files[acad + ".MOD.WAV"] = "old";
             s.files["Locked"] = "";
             s.listed_as["Locked"] = EntryKind::kFolder;  // listed, but it cannot be read
         },
         {"reached"}, false,
         {"6 of the mod's 7 files are not in place, and 2 files could be ‹" + acad + ".mod.wav›: ‹" + acad +
          ".MOD.WAV› and ‹MyMod\\" + acad + ".mod.wav›"}},
        {"the mod unpacked twice",
         [&](FolderState& s) {
             FolderState copy = s;
             ModFilesIn(copy, "Mod Copy");
             ModFilesIn(s, "MyMod");
             for (const auto& [path, contents] : copy.files)
                 if (path.starts_with("Mod Copy")) s.files[path] = contents;
             s.folders.insert(copy.folders.begin(), copy.folders.end());
         },
         {"reached"}, false,
         {"Mod music is not available: 7 of the mod's files could each be one of several files, as listed."}},
        {"the game's file alone at its mod name, the mod in its own folder",
         [&](FolderState& s) {
             ModFilesIn(s, "MyMod");
             s.Run(std::span(UnrenameSequence).first(1));
             s.files.erase(ahto + ".original.wav");
             s.Apply({ahto + ".wav", ahto + ".mod.wav"});
         },
         {ahto + ".mod.wav -> " + ahto + ".wav"}, false,
         {"Mod music is not available: ‹" + ahto + ".mod.wav› is its track's only file, so choose Normal music first, "
          "and put no mod file in before then."}},
        {"a file under the music folder's name beside the folder in capitals",
         [&](FolderState& s) {
             s.Apply({"streammusic", "StreamMusic"});
             s.files["streammusic"] = "a file";
         },
         {"reached"}, true, {"The names are set for the normal music."}},
        {"a link under the music folder's name that leads nowhere",
         [&](FolderState& s) {
             s.RemoveFolder("streammusic");
             s.files["streammusic"] = "";
             s.listed_as["streammusic"] = EntryKind::kLink;
         },
         {}, false, {"‹streammusic› is a link that leads to no folder"}},
        {"the game's music folders in capitals, the mod unzipped beside them in lower case",
         [&](FolderState& s) {
             std::map<std::string, std::string> mods;
             for (const auto& [path, contents] : s.files)
                 if (path.ends_with(".mod.wav")) mods[path] = contents;
             for (const auto& [path, contents] : mods) s.files.erase(path);
             s.Apply({"streammusic", "StreamMusic"});
             s.Apply({"streamsounds", "StreamSounds"});
             s.folders.insert({"streammusic", "streamsounds"});
             s.files.insert(mods.begin(), mods.end());
         },
         {"reached"}, true,
         {"The names are set for the normal music.",
          "‹streammusic\\mus_area_ahto.mod.wav› will become ‹StreamMusic\\mus_area_ahto.mod.wav›"}},
        {"twins that both hold the game's files",
         [&](FolderState& s) {
             s.folders.insert("StreamSounds");
             s.files["StreamSounds\\mus_sbat_acad.wav"] = "stock copy";
         },
         {}, false,
         {"‹StreamSounds› and ‹streamsounds› both hold the game's music files, but only one can be its ‹streamsounds› "
          "folder",
          "two music folders of one name"}},
        {"the mod's files in a folder that looks like a backup",
         [&](FolderState& s) {
             ModFilesIn(s, "Backup");
             s.files["Backup\\streammusic\\mus_area_cant1.wav"] = "stock copy";
         },
         {"reached"}, true,
         {"Mod music takes the mod's files from ‹Backup\\streammusic› and ‹Backup\\streamsounds›, which looks like a copy "
          "of the game's files: before you choose it, check that they are the mod's."}},
        {"a folder name that holds a line break",
         [&](FolderState& s) { ModFilesIn(s, "My\nMod \u2022 fake line"); },
         {"reached"}, true, {"‹My\\x0AMod \u2022 fake line\\streamsounds›"}},
    };
    for (const auto& row : rows) {
        FolderState state = NormalMusic();
        row.make(state);
        const FolderReport report = Look(state);
        std::vector<std::string> normal;
        if (report.normal.Reached()) normal.push_back("reached");
        if (report.normal.Offered())
            for (const RenameStep& step : report.normal.Renames())
                normal.push_back(std::string(step.old_path) + " -> " + std::string(step.new_path));
        EXPECT_EQ(normal, row.normal) << row.shape;
        EXPECT_EQ(report.mod.Offered(), row.mod_offered) << row.shape;
        std::string words = repair::Summary(report) + "\n" + repair::Advice(report) + "\n" + repair::FoundSummary(report);
        for (const auto& list : repair::FoundRenames(report))
            for (const std::string& line : list.lines) words += "\n" + line;
        for (const std::string& problem : Words(report.problems)) words += "\n" + problem;
        for (const std::string& expected : row.words)
            EXPECT_NE(words.find(Shown(expected)), std::string::npos) << row.shape << ":\n" << words;
    }
}

// A music folder reached under another name than its entry's: in capitals on a
// drive that ignores case, through a link or a bind mount beside it, or a bind
// mount alone. At normal music, at the mod's and with the game's tracks parked,
// it is one folder, no plan renames it where the drive answers to the table's
// name already, and each plan offered runs and reaches its target.
TEST(RepairPlanner, MusicFolderReachedUnderTwoNamesIsOneFolder) {
#ifdef _WIN32
    const std::vector<std::string> case_renamed;  // Windows ignores case everywhere
#else
    const std::vector<std::string> case_renamed{"StreamMusic -> streammusic", "StreamSounds -> streamsounds"};
#endif
    const auto in_capitals = [](bool ignores_case) {
        return [ignores_case](FolderState& s) {
            s.Apply({"streammusic", "StreamMusic"});
            s.Apply({"streamsounds", "StreamSounds"});
            s.ignores_case = ignores_case;
        };
    };
    // The folder's files under both names, as a listing through either shows them.
    const auto twice = [](EntryKind kind) {
        return [kind](FolderState& s) {
            for (const auto& [path, contents] : FolderState(s).files)
                if (FolderOf(path) == "streamsounds") s.files["StreamSounds" + path.substr(12)] = contents;
            s.folders.insert("StreamSounds");
            s.listed_as["streamsounds"] = kind;
            s.same_as["streamsounds"] = "StreamSounds";
        };
    };
    const struct {
        const char* shape;
        std::function<void(FolderState&)> make;
        std::vector<std::string> folder_renames;  // "old -> new", in every plan offered
    } rows[] = {
        {"music folders in capitals, a drive that ignores case", in_capitals(true), {}},
        {"music folders in capitals, a drive that keeps case", in_capitals(false), case_renamed},
        {"streamsounds a link to StreamSounds", twice(EntryKind::kLink), {}},
        {"streamsounds a bind mount of StreamSounds", twice(EntryKind::kOther), {}},
        {"streamsounds a bind mount alone", [](FolderState& s) { s.listed_as["streamsounds"] = EntryKind::kOther; }, {}},
    };
    FolderState stock = NormalMusic();
    std::erase_if(stock.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    FolderState parked = stock;
    parked.Run(RenameSequence);
    for (const auto& row : rows) {
        for (const auto& [start, state_at_start] :
             {std::pair("normal music", NormalMusic()), std::pair("the mod's music", ModActive()),
              std::pair("the game's tracks parked", parked)}) {
            const std::string where = std::string(row.shape) + ", at " + start;
            FolderState state = state_at_start;
            row.make(state);
            const FolderReport report = Look(state);
            ASSERT_TRUE(report.IsGameFolder()) << where << "\n" << Words(report.problems).front();
            EXPECT_FALSE(report.music_folders_clash) << where;
            EXPECT_TRUE(report.problems.empty() || start == std::string("the game's tracks parked")) << where;
            // Where the folders must take the table's names first, the program needs that too.
            const bool renamed = !row.folder_renames.empty();
            EXPECT_EQ(report.normal.Reached(), !renamed && start == std::string("normal music")) << where;
            EXPECT_EQ(report.mod.Reached(), !renamed && start == std::string("the mod's music")) << where;
            for (const Target target : {Target::kNormal, Target::kMod}) {
                const repair::TargetPlan& plan = report.Plan(target);
                if (!plan.Offered()) continue;
                std::vector<std::string> folder_renames;
                for (const RenameStep& step : plan.Renames())
                    if (ParentOf(step.old_path).empty())
                        folder_renames.push_back(std::string(step.old_path) + " -> " + std::string(step.new_path));
                EXPECT_EQ(folder_renames, row.folder_renames) << where;
                FolderState after = state;
                ExpectPlanRunsCleanly(after, plan.Renames(), where);
                EXPECT_TRUE(Look(after).Plan(target).Reached()) << where;
            }
        }
    }
    // Two folders of one name that are two indeed still clash; a device under the name is no music folder.
    FolderState twins = NormalMusic();
    twins.folders.insert("StreamSounds");
    twins.files["StreamSounds\\mus_sbat_acad.wav"] = "stock copy";
    EXPECT_TRUE(Look(twins).music_folders_clash);
    FolderState device = NormalMusic();
    device.RemoveFolder("streamsounds");
    device.files["streamsounds"] = "";
    device.listed_as["streamsounds"] = EntryKind::kOther;
    EXPECT_EQ(Look(device).missing_folders, std::vector<std::string>{"streamsounds"});
}

// What the dialog says of the files found: where the mod's are, and each rename
// that comes first.
TEST(RepairPlanner, NamesTheFilesFoundAndWhatTheyWillBecome) {
    FolderState state = NormalMusic();
    ModFilesIn(state, "MyMusicMod");
    FolderReport report = Look(state);
    EXPECT_EQ(repair::FoundSummary(report),
              Shown("The mod's 7 files were found in ‹MyMusicMod\\streammusic› and ‹MyMusicMod\\streamsounds›."));
    const auto renames = repair::FoundRenames(report);
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].heading, "Mod music first renames:");
    ASSERT_EQ(renames[0].lines.size(), 7u);
    EXPECT_EQ(renames[0].lines[1],
              Shown("‹MyMusicMod\\streamsounds\\mus_sbat_acad.mod.wav› will become ‹streamsounds\\mus_sbat_acad.mod.wav›"));
    EXPECT_EQ(repair::Advice(report),
              "Close the game first. A button first gives the files found their exact names, then renames only the "
              "files that are out of place, with the same renames as vornhaskel, and never replaces a file.");

    state.Apply({"MyMusicMod\\streamsounds\\mus_sbat_acad.mod.wav", "mus_sbat_acad.mod.wav"});
    state.files.erase("MyMusicMod\\streamsounds\\mus_sbat_desert.mod.wav");
    report = Look(state);
    EXPECT_EQ(repair::FoundSummary(report), Shown("6 of the mod's 7 files were found in ‹MyMusicMod\\streammusic›, the "
                                                  "game folder and ‹MyMusicMod\\streamsounds›."));
    EXPECT_TRUE(repair::FoundRenames(report).empty()) << "Mod music is not offered";
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
    EXPECT_EQ(Words(report.normal.reasons), std::vector<std::string>{
        Shown("‹streammusic\\mus_bat_acad.wav› is a folder, not a music file: move it out of the folder")});
    fs::remove(Native("streammusic\\mus_bat_acad.wav"));
#ifndef _WIN32
    fs::create_symlink("elsewhere", Native("streammusic\\mus_bat_acad.wav"));
    EXPECT_FALSE(repair::ExamineFolder().normal.possible) << "the link and the backup both claim the track";
    fs::remove(Native("streammusic\\mus_bat_acad.wav"));
#endif
    report = repair::ExamineFolder();
    ASSERT_TRUE(report.normal.Offered());
    RunSteps(report.normal.Renames(), RenameAsSpelt);
    EXPECT_EQ(folder.Read(), NormalMusic());
    EXPECT_TRUE(repair::ExamineFolder().normal.Reached());
#ifndef _WIN32
    fs::rename("streamsounds", "sounds-elsewhere");
    fs::create_directory_symlink("sounds-elsewhere", "streamsounds");
    EXPECT_TRUE(repair::ExamineFolder().normal.Reached()) << "the renames go through a linked folder too";
#endif
}

#ifndef _WIN32
// On this machine's own drive, streamsounds a link to StreamSounds, then a bind
// mount of it, then a bind mount of a folder outside the game folder: each time
// one music folder, the folder resolution finds the game folder, and the plans
// switch it both ways through that name.
TEST(RepairOnDisk, TakesAMusicFolderReachedThroughALinkOrABindMount) {
    ScratchGameFolder folder;
    folder.Write(NormalMusic());
    const auto switches_both_ways = [](const std::string& shape) {
        FolderReport report = repair::ExamineFolder();
        EXPECT_FALSE(report.music_folders_clash) << shape << ": " << Words(report.problems).front();
        EXPECT_TRUE(report.normal.Reached()) << shape;
        const game_folder::Resolution resolution = game_folder::Resolve("");
        EXPECT_TRUE(resolution.FoundOne()) << shape << ": " << game_folder::Lacks(resolution);
        ASSERT_TRUE(report.mod.Offered()) << shape;
        RunSteps(report.mod.Renames(), RenameAsSpelt);
        EXPECT_EQ(ReadFile(Native("streamsounds\\mus_sbat_acad.wav")), "mod mus_sbat_acad") << shape;
        report = repair::ExamineFolder();
        ASSERT_TRUE(report.mod.Reached() && report.normal.Offered()) << shape;
        RunSteps(report.normal.Renames(), RenameAsSpelt);
        EXPECT_TRUE(repair::ExamineFolder().normal.Reached()) << shape;
        EXPECT_EQ(ReadFile(Native("streamsounds\\mus_sbat_acad.wav")), "stock mus_sbat_acad") << shape;
    };
    fs::rename("streamsounds", "StreamSounds");
    fs::create_directory_symlink("StreamSounds", "streamsounds");
    switches_both_ways("a link");
    fs::remove("streamsounds");
    fs::create_directory("streamsounds");
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("StreamSounds", "streamsounds", nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "mounting is not permitted here (it needs root or a user namespace): no bind mount was tried";
    switches_both_ways("a bind mount beside its source");
    ::umount2("streamsounds", MNT_DETACH);
    const std::string elsewhere = folder.root().string() + "-sounds";
    fs::rename("StreamSounds", elsewhere);
    ASSERT_EQ(::mount(elsewhere.c_str(), "streamsounds", nullptr, MS_BIND, nullptr), 0);
    switches_both_ways("a bind mount of a folder elsewhere");
    ::umount2("streamsounds", MNT_DETACH);
    fs::remove_all(elsewhere);
}
#endif

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
#ifndef _WIN32
    // A full path is the system's own: a backslash there is part of a name.
    fs::create_directories("Games\\2/Game/streammusic");
    fs::create_directories("Games\\2/Game/streamsounds");
    const std::string games = (fs::current_path() / "Games\\2").string();
    EXPECT_EQ(ListFolder(games, error), (std::vector<FolderEntry>{{"Game", EntryKind::kFolder}}));
    EXPECT_FALSE(error);
    EXPECT_EQ(game_folder::Resolve(games).found, std::vector<std::string>{games + "/Game"});
#endif
}

// Every managed name wanted, the 7 mod names anywhere: the search sees only
// what a player may have misplaced, where the rules allow.
std::vector<repair::Wanted> EveryName() {
    std::vector<repair::Wanted> wanted;
    for (const std::string& path : AllPaths())
        wanted.push_back({FolderOf(path), NameOf(path), path.ends_with(".mod.wav")});
    return wanted;
}

TEST(RepairSearch, FindsWhatPlayersMisplacedWhereTheRulesAllow) {
    FolderState state = NormalMusic();
    state.files.clear();
    const struct {
        std::string path, stands_for;  // stands_for is empty where the file must not be found
        EntryKind kind = EntryKind::kFile;
    } rows[] = {
        {"streammusic\\MUS_AREA_CANT1.WAV", "streammusic\\mus_area_cant1.wav"},  // the game's own, in capitals
        {"streammusic\\mus_area_desert.original.wav.wav", "streammusic\\mus_area_desert.original.wav"},
        {"streamsounds\\mus_sbat_acad.mod.wav.wav", "streamsounds\\mus_sbat_acad.mod.wav"},
        {"streamsounds\\mus_area_ahto.mod.wav", "streammusic\\mus_area_ahto.mod.wav"},  // the wrong music folder
        {"streamsounds\\Music Mod v2\\mus_sbat_desert.mod.wav", "streamsounds\\mus_sbat_desert.mod.wav"},
        {"MyMusicMod\\streamsounds\\MUS_SBAT_DESERT.MOD.WAV", "streamsounds\\mus_sbat_desert.mod.wav"},
        {"mus_sbat_sforge.mod.wav", "streamsounds\\mus_sbat_sforge.mod.wav"},  // in the game folder itself
        {"a\\b\\c\\d\\mus_sbat_sithbs.mod.wav", "streamsounds\\mus_sbat_sithbs.mod.wav"},  // 4 levels down
        {"a\\b\\c\\d\\e\\mus_sbat_slehey.mod.wav", ""},                                 // 5 levels down
        {"Backup\\streammusic\\mus_area_out.wav", ""},  // the game's own names count only in their own folder
        {"Backup\\mus_area_sewers.original.wav", ""},
        {"streamsounds\\mus_area_sforge.wav", ""},
        {"linked\\mus_sbat_valsith.mod.wav", ""},
        {"mounted\\mus_sbat_valsith.mod.wav", ""},
        {"streamsounds\\mus_sbat_valsith.mod.wave", ""},
        {"streamsounds\\mus_sbat_valsith.wav.mod.wav", ""},
        // A file where another is mounted: no rename can move it, so it can be no stand-in.
        {"MyMusicMod\\streamsounds\\mus_sbat_valsith.mod.wav", "streamsounds\\mus_sbat_valsith.mod.wav",
         EntryKind::kOther},
    };
    for (const auto& row : rows) {
        for (std::string folder = ParentOf(row.path); !folder.empty(); folder = ParentOf(folder))
            state.folders.insert(folder);
        state.files[row.path] = "found";
    }
    state.folders.insert("streamsounds\\MUS_SBAT_SLEHEY.MOD.WAV");  // a folder under the name is still named
    state.listed_as = {{"linked", EntryKind::kLink}, {"mounted", EntryKind::kOther}};

    const std::vector<repair::Wanted> wanted = EveryName();
    const auto bound = [](std::string_view path, std::string_view folder) {
        return path == "MyMusicMod\\streamsounds\\mus_sbat_valsith.mod.wav" && folder == "streamsounds";
    };
    const repair::SearchResult result = repair::Search(wanted, List(state), bound);
    EXPECT_FALSE(result.stopped);
    EXPECT_TRUE(result.problems.empty());
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const std::string managed = wanted[i].folder + "\\" + wanted[i].name;
        std::vector<repair::Candidate> expected;
        for (const auto& row : rows)
            if (row.stands_for == managed) expected.push_back({row.path, row.kind});
        if (managed == "streamsounds\\mus_sbat_slehey.mod.wav")
            expected.push_back({"streamsounds\\MUS_SBAT_SLEHEY.MOD.WAV", EntryKind::kFolder});
        EXPECT_EQ(result.candidates[i], expected) << managed;  // nearest first: a music folder's own before others
        EXPECT_EQ(repair::StandIn(result, i) != nullptr,
                  expected.size() == 1 && expected[0].kind == EntryKind::kFile) << managed;
    }
}

// A listing made up as it is asked for: streamsounds holds two look-alikes of
// one name with 50,010 files sorting between them, and 12 folders beside it
// hold 5,000 files each in the row that reaches the limit, the mod's desert
// file in the first. The music folder is read whole whatever the limit. Where
// the search did not read every other folder it set out to, it names the one,
// and uses nothing it found away from a file's own folder.
TEST(RepairSearch, StopsAfterFiftyThousandEntriesAndSaysSo) {
    const std::string none_from_away = ", so no file found away from its own folder is used";
    const struct {
        const char* what;
        int files;             // in each data folder, besides the entries below
        FolderEntry in_data12;  // beside the folder data12\sub
        bool sub_unreadable;
        std::string problem;  // empty where every folder was read
    } rows[] = {
        {"every folder read", 0, {"notes.txt", EntryKind::kFile}, false, ""},
        {"a file name that is not UTF-8, no look-alike of any", 0, {"caf\xE9.wav", EntryKind::kFile}, false, ""},
        {"the entry limit", 5000, {"notes.txt", EntryKind::kFile}, false,
         "The search read the music folders in full but stopped after 50,000 other entries" + none_from_away +
             Shown(": ‹data19› was read only in part, and 4 more folders not at all")},
        {"a folder that cannot be listed", 0, {"notes.txt", EntryKind::kFile}, true,
         Shown("‹data12\\sub› could not be read: Permission denied") + none_from_away},
        {"a folder name that is not UTF-8", 0, {"caf\xE9", EntryKind::kFolder}, false,
         Shown("‹data12\\caf\\xE9› was not read: its name is not valid UTF-8") + none_from_away},
        {"a folder name with a backslash", 0, {"odd\\name", EntryKind::kFolder}, false,
         Shown("‹data12\\") + "odd\\name" + Shown("› was not read: its name holds a backslash") + none_from_away},
    };
    for (const auto& row : rows) {
        std::size_t listed = 0, calls_after_the_limit = 0;
        const ListFunction list = [&](std::string_view folder, std::error_code& error) {
            error.clear();
            std::vector<FolderEntry> entries;
            if (folder == "streamsounds") {
                entries.push_back({"MUS_SBAT_ACAD.MOD.WAV", EntryKind::kFile});
                for (int i = 0; i < 50'010; ++i) entries.push_back({"filler" + std::to_string(i), EntryKind::kFile});
                entries.push_back({"mus_sbat_acad.mod.wav.wav", EntryKind::kFile});
                return entries;
            }
            calls_after_the_limit += listed >= repair::kSearchEntryLimit;
            if (folder.empty()) {
                entries = {{"streammusic", EntryKind::kFolder}, {"streamsounds", EntryKind::kFolder}};
                for (int i = 0; i < 12; ++i) entries.push_back({"data" + std::to_string(i + 10), EntryKind::kFolder});
            } else if (folder == "data12\\sub" && row.sub_unreadable) {
                error = std::make_error_code(std::errc::permission_denied);
            } else if (folder.starts_with("data") && folder.size() == 6) {
                for (int i = 0; i < row.files; ++i) entries.push_back({"file" + std::to_string(i), EntryKind::kFile});
                if (folder == "data10") entries.push_back({"mus_sbat_desert.mod.wav", EntryKind::kFile});
                if (folder == "data12") entries.insert(entries.end(), {{"sub", EntryKind::kFolder}, row.in_data12});
            }
            listed += entries.size();
            return entries;
        };
        const repair::SearchResult result = repair::Search(
            {{"streamsounds", "mus_sbat_acad.mod.wav", true}, {"streamsounds", "mus_sbat_desert.mod.wav", true}}, list);
        EXPECT_EQ(result.stopped, row.files > 0) << row.what;
        EXPECT_EQ(Words(result.problems), std::vector<std::string>(!row.problem.empty(), row.problem)) << row.what;
        EXPECT_EQ(result.candidates[0], (std::vector<repair::Candidate>{
                                            {"streamsounds\\MUS_SBAT_ACAD.MOD.WAV", EntryKind::kFile},
                                            {"streamsounds\\mus_sbat_acad.mod.wav.wav", EntryKind::kFile}}))
            << row.what;
        EXPECT_EQ(repair::StandIn(result, 0), nullptr) << row.what << ": two files could be it";
        std::vector<repair::Candidate> desert;
        if (row.problem.empty()) desert.push_back({"data10\\mus_sbat_desert.mod.wav", EntryKind::kFile});
        EXPECT_EQ(result.candidates[1], desert) << row.what << ": a find away from its own folder may not be the only one";
        EXPECT_EQ(calls_after_the_limit, 0u) << row.what << ": no folder is listed once the limit is reached";
        EXPECT_LE(listed, repair::kSearchEntryLimit + 5002) << row.what;
    }
}

// Inside a linked music folder, only that folder's own names count: a file moved
// from there to the other one could cross drives.
TEST(RepairSearch, LooksInALinkedMusicFolderOnlyForItsOwnNames) {
    FolderState state;
    state.files = {{"streammusic\\mus_sbat_acad.mod.wav", "x"}, {"streammusic\\MUS_AREA_AHTO.MOD.WAV", "y"}};
    state.listed_as = {{"streammusic", EntryKind::kLink}};
    const repair::SearchResult result = repair::Search(
        {{"streamsounds", "mus_sbat_acad.mod.wav", true}, {"streammusic", "mus_area_ahto.mod.wav", true}}, List(state));
    EXPECT_TRUE(result.candidates[0].empty());
    EXPECT_EQ(result.candidates[1], (std::vector<repair::Candidate>{{"streammusic\\MUS_AREA_AHTO.MOD.WAV", EntryKind::kFile}}));
}

TEST(RepairSearch, MusicFoldersCountInAnyCase) {
    FolderState state;
    state.folders = {"StreamMusic", "STREAMMUSIC", "streamsounds", "streammusic.wav"};
    std::error_code error;
    const MusicFolders music = FindMusicFolders(List(state)("", error), List(state));
    EXPECT_EQ(music.folders[0].entry, "") << "two look-alikes and no exact name: neither is taken";
    EXPECT_EQ(Words({*music.folders[0].problem}),
              std::vector<std::string>{Shown("‹streammusic› is missing, and 2 could be it: ‹STREAMMUSIC›, ‹StreamMusic›. "
                                             "Keep the right one and move the others out of the game folder")});
    EXPECT_EQ(music.folders[1].entry, "streamsounds");
}

#ifndef _WIN32
// On disk, through ListFolder and OnAnotherMount: a link to a folder is not
// entered, nor a folder where another file system or a bind mount of this one
// is mounted; a file bound onto another is found but can stand in for no name;
// a music folder that is a bind mount itself takes no file from elsewhere. A
// folder named "odd\\name" cannot be read: its path would name odd/name.
TEST(RepairSearchOnDisk, StaysOnTheGameFoldersOwnDrive) {
    ScratchGameFolder folder;
    FolderState stock_only = NormalMusic();
    std::erase_if(stock_only.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    folder.Write(stock_only);
    const fs::path elsewhere = folder.root().string() + "-elsewhere";  // on the same file system
    fs::create_directories(elsewhere / "streamsounds");
    WriteFile(elsewhere / "streamsounds" / "mus_sbat_acad.mod.wav", "mod");
    WriteFile(elsewhere / "mus_sbat_valsith.mod.wav", "mod");
    fs::create_directory_symlink(elsewhere, "linked");
    fs::create_directories("odd/name");
    WriteFile("odd/name/mus_sbat_desert.mod.wav", "mod");
    fs::create_directory("mounted");
    fs::create_directory("bound");
    fs::create_directory("MyMod");
    WriteFile("MyMod/mus_sbat_valsith.mod.wav", "the file below the bound one");
    WriteFile("streamsounds/MUS_SBAT_SITHBS.MOD.WAV", "mod");  // in its own folder, on every mount it is on
    std::vector<std::string> mounts;
    const auto mount = [&mounts](const char* source, const std::string& target, const char* type, unsigned long flags) {
        if (::mount(source, target.c_str(), type, flags, nullptr) != 0) return false;
        mounts.push_back(target);
        return true;
    };
    const bool mounted = ::unshare(CLONE_NEWNS) == 0 &&
                         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                         mount("none", "mounted", "tmpfs", 0) &&
                         mount((elsewhere / "streamsounds").c_str(), "bound", nullptr, MS_BIND) &&
                         mount((elsewhere / "mus_sbat_valsith.mod.wav").c_str(), "MyMod/mus_sbat_valsith.mod.wav",
                               nullptr, MS_BIND);
    if (mounted) WriteFile("mounted/mus_sbat_sforge.mod.wav", "mod");
    const std::vector<repair::Wanted> wanted{{"streamsounds", "mus_sbat_acad.mod.wav", true},
                                             {"streamsounds", "mus_sbat_desert.mod.wav", true},
                                             {"streamsounds", "mus_sbat_sforge.mod.wav", true},
                                             {"streamsounds", "mus_sbat_valsith.mod.wav", true},
                                             {"streamsounds", "mus_sbat_sithbs.mod.wav", true}};
    const repair::SearchResult result = repair::Search(wanted, ListFolder, OnAnotherMount);
    fs::create_directory("odd\\name");
    const repair::SearchResult unreadable = repair::Search(wanted, ListFolder, OnAnotherMount);
    fs::remove("odd\\name");
    const bool music_bound = mounted && mount("streamsounds", "streamsounds", nullptr, MS_BIND);
    std::error_code error;
    const std::vector<FolderEntry> root = ListFolder("", error);
    const repair::SearchResult into_bound = repair::Search(wanted, ListFolder, OnAnotherMount);
    for (auto target = mounts.rbegin(); target != mounts.rend(); ++target) ::umount2(target->c_str(), MNT_DETACH);
    fs::remove_all(elsewhere);

    const repair::Candidate desert{"odd\\name\\mus_sbat_desert.mod.wav", EntryKind::kFile};
    const repair::Candidate valsith{"MyMod\\mus_sbat_valsith.mod.wav", mounted ? EntryKind::kOther : EntryKind::kFile};
    const std::vector<repair::Candidate> sithbs{{"streamsounds\\MUS_SBAT_SITHBS.MOD.WAV", EntryKind::kFile}};
    EXPECT_EQ(result.candidates, (std::vector<std::vector<repair::Candidate>>{{}, {desert}, {}, {valsith}, sithbs}));
    EXPECT_TRUE(result.problems.empty());
    EXPECT_EQ(unreadable.candidates, (std::vector<std::vector<repair::Candidate>>{{}, {}, {}, {}, sithbs}));
    EXPECT_EQ(Words(unreadable.problems), std::vector<std::string>{"\u200E\u2066odd\\name\u2069 was not read: its name holds a backslash, so no "
                                                            "file found away from its own folder is used"});
    if (!music_bound) GTEST_SKIP() << "no private mount namespace here: no other mount was tried";
    EXPECT_TRUE(std::ranges::find(root, FolderEntry{"streamsounds", EntryKind::kOther}) != root.end());
    EXPECT_EQ(into_bound.candidates, (std::vector<std::vector<repair::Candidate>>{{}, {}, {}, {}, sithbs}));
    EXPECT_TRUE(into_bound.problems.empty());
}
#endif

game_folder::Resolution ResolveIn(const FolderTree& tree, const std::string& given) {
    return game_folder::Resolve(FolderTree::Path(given), [&tree](std::string_view folder, std::error_code& error) {
        return tree.List(folder, error);
    });
}

// Each shape of the folders around a game folder, and where the folder given leads.
TEST(GameFolder, LeadsFromTheFolderGivenToTheOneGameFolder) {
    const auto game = [](const std::string& at) { return " " + at + "/streammusic/ " + at + "/streamsounds/"; };
    const std::vector<std::string> both{"streammusic", "streamsounds"}, sounds{"streamsounds"};
    const struct {
        const char* shape;
        std::string tree, given;
        std::vector<std::string> found, missing;
    } rows[] = {
        {"the game folder", game("/top/Game") + " /top/Game/chitin.key", "/top/Game", {"/top/Game"}, {}},
        {"written with a separator at the end", game("/top/Game"), "/top/Game/", {"/top/Game"}, {}},
        {"music folders in capitals", "/top/Game/StreamMusic/ /top/Game/STREAMSOUNDS/", "/top/Game", {"/top/Game"}, {}},
        {"a music folder of it, in another case", "/top/Game/StreamMusic/ /top/Game/STREAMSOUNDS/",
         "/top/Game/StreamMusic", {"/top/Game"}, both},
        {"a music folder at the root", "/streammusic/ /streamsounds/", "/streamsounds", {"/"}, both},
        {"a music folder without the other beside it", "/top/Mod/streammusic/", "/top/Mod/streammusic", {}, both},
        {"the folder above", game("/top/Game") + " /top/Other/ /top/notes.txt", "/top", {"/top/Game"}, both},
        {"two levels above", game("/top/Library/Game") + " /top/Library/Other/", "/top", {"/top/Library/Game"}, both},
        {"three levels above", game("/top/a/Library/Game"), "/top", {}, both},
        {"one music folder, the game below", "/top/streammusic/" + game("/top/Game"), "/top", {"/top/Game"}, sounds},
        {"two games below", game("/top/A") + game("/top/B/C"), "/top", {"/top/A", "/top/B/C"}, both},
        {"a game inside the game folder", game("/top/Game") + game("/top/Game/ModDownload"), "/top", {"/top/Game"},
         both},
        {"the mod's download beside the game", game("/top/Game") + " /top/Mod/streammusic/mus_area_ahto.mod.wav " +
                                                    "/top/Mod/streamsounds/MUS_SBAT_ACAD.MOD.WAV", "/top", {"/top/Game"},
         both},
        {"the mod's download alone", "/top/Mod/streammusic/mus_area_ahto.mod.wav /top/Mod/streamsounds/", "/top", {},
         both},
        {"the mod's download given", "/top/Mod/streammusic/mus_area_ahto.mod.wav /top/Mod/streamsounds/", "/top/Mod",
         {}, {}},
        {"the mod's download given, the game below it", "/top/Mod/streammusic/mus_area_ahto.mod.wav /top/Mod/streamsounds/" +
                                                          game("/top/Mod/Game"), "/top/Mod", {"/top/Mod/Game"}, {}},
        {"twins: the game's in capitals, the mod's in lower case",
         "/top/Game/StreamMusic/mus_area_ahto.wav /top/Game/StreamSounds/MUS_SBAT_ACAD.WAV.WAV "
         "/top/Game/streammusic/mus_area_ahto.mod.wav /top/Game/streamsounds/mus_sbat_acad.mod.wav", "/top/Game",
         {"/top/Game"}, {}},
        {"none", "/top/Game/streammusic/ /top/Game/Music/ /top/Game/readme.txt", "/top/Game", {}, sounds},
        {"a file named like a music folder", "/top/Game/streammusic/ /top/Game/streamsounds", "/top/Game", {}, sounds},
        {"a symlink below", game("/far/Game") + " /top/Game->/far/Game", "/top", {}, both},
        {"a symlink given", game("/far/Game") + " /top/Game->/far/Game", "/top/Game", {"/top/Game"}, {}},
        {"a linked music folder", "/top/Game/streammusic/ /top/Game/streamsounds->/far/sounds /far/sounds/",
         "/top/Game", {"/top/Game"}, {}},
        {"a linked music folder in another case", "/top/Game/streammusic/ /top/Game/StreamSounds->/far/sounds "
                                                  "/far/sounds/", "/top/Game", {}, sounds},
        {"another file system below", "?/top/Mount/" + game("/top/Mount/Game"), "/top", {}, both},
        {"a folder below that cannot be listed", "!/top/Locked/" + game("/top/Game"), "/top", {"/top/Game"}, both},
    };
    for (const auto& row : rows) {
        const game_folder::Resolution resolution = ResolveIn(FolderTree(row.tree), row.given);
        std::vector<std::string> found;
        for (const std::string& path : row.found) found.push_back(FolderTree::Path(path));
        EXPECT_FALSE(resolution.error) << row.shape;
        EXPECT_EQ(resolution.found, found) << row.shape;
        EXPECT_EQ(resolution.missing_folders, row.missing) << row.shape;
        std::string given = row.given;
        if (given.size() > 1 && given.ends_with('/')) given.pop_back();
        EXPECT_EQ(resolution.folder, FolderTree::Path(given)) << row.shape;
    }
}

// "" is the working directory: its entries are listed by their names alone.
TEST(GameFolder, ResolvesTheWorkingDirectoryGivenAsNothing) {
    const std::map<std::string, std::vector<FolderEntry>> folders{
        {"", {{"Game", EntryKind::kFolder}, {"streammusic", EntryKind::kFolder}}},
        {"Game", {{"streammusic", EntryKind::kFolder}, {"StreamSounds", EntryKind::kFolder}}},
        {Native("Game\\streammusic").string(), {{"mus_area_ahto.wav", EntryKind::kFile}}},
        {Native("Game\\StreamSounds").string(), {}},
        {"streammusic", {}}};
    std::vector<std::string> strays;  // paths listed that name no folder
    const auto list = [&](std::string_view folder, std::error_code& error) {
        const auto found = folders.find(std::string(folder));
        if (found == folders.end()) strays.emplace_back(folder);
        error = found == folders.end() ? std::make_error_code(std::errc::no_such_file_or_directory) : std::error_code();
        return found == folders.end() ? std::vector<FolderEntry>{} : found->second;
    };
    const game_folder::Resolution resolution = game_folder::Resolve("", list);
    EXPECT_EQ(resolution.found, std::vector<std::string>{"Game"});
    EXPECT_EQ(resolution.missing_folders, std::vector<std::string>{"streamsounds"});
    EXPECT_EQ(strays, std::vector<std::string>{});
}

TEST(GameFolder, SaysWhichFolderItTookAndWhatItFound) {
    const FolderTree tree("/top/A/streammusic/ /top/A/streamsounds/ /top/B/C/streammusic/ /top/B/C/streamsounds/ "
                          "/top/Empty/streammusic/ !/top/Locked/");
    const auto path = FolderTree::Path;
    const auto in = [&path](const char* folder) { return Shown("‹") + path(folder) + Shown("›"); };  // as a sentence holds it
    const auto found = ResolveIn(tree, "/top/A/streammusic");
    EXPECT_EQ(game_folder::FolderLine(found), "Game folder: " + in("/top/A"));
    EXPECT_EQ(found.Taken(), path("/top/A"));
    EXPECT_EQ(game_folder::Findings(found), "");

    const auto several = ResolveIn(tree, "/top");
    EXPECT_EQ(several.Taken(), path("/top"));
    EXPECT_EQ(game_folder::FolderLine(several), "Folder: " + in("/top"));
    EXPECT_EQ(game_folder::Lacks(several),
              in("/top") + " is not the game folder: it has no streammusic and streamsounds folders.");
    EXPECT_EQ(game_folder::Findings(several), "2 folders below it hold streammusic and streamsounds:\n\u2022 " +
                                                  in("/top/A") + "\n\u2022 " + in("/top/B/C"));

    const auto none = ResolveIn(tree, "/top/Empty");
    EXPECT_EQ(game_folder::Lacks(none), in("/top/Empty") + " is not the game folder: it has no streamsounds folder.");
    EXPECT_EQ(game_folder::Findings(none), "No folder up to 2 levels below it holds streammusic and streamsounds.");

    EXPECT_EQ(game_folder::FolderAbove(path("/top/A/")), path("/top"));
    EXPECT_EQ(game_folder::FolderAbove(path("/top")), path("/"));
    EXPECT_EQ(game_folder::FolderAbove(path("/")), path("/")) << "a root stays itself";

    const auto locked = ResolveIn(tree, "/top/Locked");
    EXPECT_EQ(locked.error, std::errc::permission_denied);
    EXPECT_TRUE(locked.found.empty());

    const auto download = ResolveIn(FolderTree("/Mod/streammusic/ /Mod/streamsounds/MUS_SBAT_ACAD.MOD.WAV"), "/Mod");
    EXPECT_EQ(game_folder::Lacks(download), in("/Mod") + " is not the game folder: its music folders hold only the "
                                                           "mod's files.");
}

// On disk, through FullPath and ListFolder: the working directory is the folder
// two levels above the game folder, a link below is passed by, and a link given
// is followed.
TEST(RepairOnDisk, FindsTheGameFolderBelowTheWorkingDirectory) {
    ScratchGameFolder folder;
    const fs::path game = fs::path("Library") / "Game";
    fs::create_directories(game / "streammusic");
    fs::create_directories(game / "StreamSounds");
    const std::string here = fs::current_path().string();
#ifndef _WIN32
    fs::create_directory_symlink(game, "Linked");
    EXPECT_EQ(game_folder::Resolve("Linked").found, std::vector<std::string>{(fs::current_path() / "Linked").string()})
        << "a link given is listed through, and named as given";
#endif
    const game_folder::Resolution resolution = game_folder::Resolve("");
    EXPECT_EQ(resolution.folder, here);
    EXPECT_EQ(resolution.found, std::vector<std::string>{(fs::current_path() / game).string()});
    EXPECT_EQ(game_folder::Resolve("no such folder").error, std::errc::no_such_file_or_directory);
#ifndef _WIN32
    fs::create_directory_symlink(fs::current_path() / game / "streammusic", "music");
    fs::create_directories(fs::path("Elsewhere") / "Game");
    fs::create_directory_symlink(fs::current_path() / "music", fs::path("Elsewhere") / "Game" / "streammusic");
    fs::create_directory(fs::path("Elsewhere") / "Game" / "streamsounds");
    EXPECT_EQ(game_folder::Resolve("Elsewhere/Game/streammusic").found,
              std::vector<std::string>{(fs::current_path() / "Elsewhere" / "Game").string()})
        << "a music folder given through a link leads to the folder that holds the link";
#endif
}

// Why a button is greyed out, for its description and the Windows dialog's text;
// and how the lists of a dialog that would not fit give up their rows.
TEST(RepairDialog, SaysWhyAButtonIsGreyedOutAndSharesOutTheRows) {
    FolderState state = NormalMusic();
    EXPECT_EQ(repair::GreyedOut(Look(state), Target::kNormal),
              "Normal music is greyed out: the names are set for the normal music already.");
    EXPECT_EQ(repair::GreyedOut(Look(state), Target::kMod), "");
    state.Run(RenameSequence);
    EXPECT_EQ(repair::GreyedOut(Look(state), Target::kMod),
              "Mod music is greyed out: the names are set for the mod's music already.");
    FolderState parked = NormalMusic();
    std::erase_if(parked.files, [](const auto& file) { return file.first.starts_with("streamsounds\\") &&
                                                                file.first.ends_with(".mod.wav"); });
    FolderReport report = Look(parked);
    ASSERT_EQ(report.mod.reasons.size(), 6u);
    EXPECT_EQ(repair::GreyedOut(report, Target::kMod),
              Shown("Mod music is greyed out: ‹streamsounds\\mus_sbat_acad.mod.wav› is missing: put the mod's file there "
                    "before you switch to the mod's music. 5 more reasons are listed in this window."));
    parked.files["streamsounds\\mus_sbat_acad.mod.wav"] = "mod";
    parked.files["streamsounds\\mus_sbat_desert.mod.wav"] = "mod";
    parked.files["streamsounds\\mus_sbat_sforge.mod.wav"] = "mod";
    parked.files["streamsounds\\mus_sbat_sithbs.mod.wav"] = "mod";
    parked.files["streamsounds\\mus_sbat_slehey.mod.wav"] = "mod";
    report = Look(parked);
    ASSERT_EQ(report.mod.reasons.size(), 1u);
    EXPECT_EQ(repair::GreyedOut(report, Target::kMod),
              Shown("Mod music is greyed out: ‹streamsounds\\mus_sbat_valsith.mod.wav› is missing: put the mod's file "
                    "there before you switch to the mod's music."));

    // Both platforms' dialogs say the same: a target reached is greyed out, and why, in the advice.
    game_folder::Resolution at_game;
    at_game.folder = "G";
    at_game.found = {"G"};
    const repair::DialogWords words = repair::ForDialog(Look(NormalMusic()), at_game, true);
    EXPECT_EQ(words.summary, "The names are set for the normal music.");
    EXPECT_TRUE(words.advice.starts_with("The folder changed while this window was open, so it has been read again. "))
        << words.advice;
    EXPECT_TRUE(words.advice.ends_with(" Normal music is greyed out: the names are set for the normal music already."))
        << words.advice;
    EXPECT_EQ(words.reasons_caption, "Why a button is greyed out");
    EXPECT_TRUE(words.renames.empty() && words.reasons.empty());

    EXPECT_EQ(repair::RowsShown({3, 21, 0, 8}), (std::vector<std::size_t>{3, 8, 0, 8}));
    std::vector<std::size_t> rows{8, 3, 8};
    std::vector<std::vector<std::size_t>> given_up;
    while (repair::GiveUpARow(rows)) given_up.push_back(rows);
    EXPECT_EQ(given_up.size(), 16u) << "down to one row each";
    EXPECT_EQ(given_up.front(), (std::vector<std::size_t>{8, 3, 7}));
    EXPECT_EQ(given_up[9], (std::vector<std::size_t>{3, 3, 3}));
    EXPECT_EQ(given_up[10], (std::vector<std::size_t>{3, 3, 2})) << "the longest first, the last of equals";
    EXPECT_EQ(rows, (std::vector<std::size_t>{1, 1, 1}));
    std::vector<std::size_t> none{0, 1};
    EXPECT_FALSE(repair::GiveUpARow(none));
}

// The player's side of a run, scripted: the dialog's answers and the chooser's
// folders in order ("Game" for the game folder, "" for Cancel), with a log of
// every window shown. <root> stands for the scratch folder in the log, and "/"
// for the platform's separator.
class ScriptedWindows final : public repair::RepairWindows {
public:
    ScriptedWindows(std::string root, std::string game, std::vector<repair::Answer> answers,
                    std::vector<std::string> chosen)
        : root_(std::move(root)), game_(std::move(game)), answers_(std::move(answers)), chosen_(std::move(chosen)) {}

    std::function<void()> while_asked;  // done to the folder while the first dialog is open
    std::vector<std::optional<std::size_t>> picks;  // among the installs found, in order: nothing for Cancel
    std::string refused;                // a folder that cannot be entered
    std::vector<std::string> log;

    std::error_code Enter(const std::string& folder) override {
        if (!refused.empty() && Shown(folder) == refused) return std::make_error_code(std::errc::permission_denied);
        std::error_code error;
        fs::current_path(folder, error);
        return error;
    }
    repair::Answer Ask(const FolderReport& report, const game_folder::Resolution& resolution, bool changed) override {
        log.push_back("ask " + Shown(game_folder::FolderLine(resolution)) + (changed ? ", changed" : "") +
                      (report.IsGameFolder() ? "" : ", no game folder"));
        if (while_asked) std::exchange(while_asked, nullptr)();
        return Next(answers_, repair::Answer::kClose);
    }
    std::optional<std::string> Choose(const std::string& start) override {
        log.push_back("choose at " + Shown(start));
        const std::string chosen = Next(chosen_, std::string());
        if (chosen.empty()) return std::nullopt;
        return Path(chosen);
    }
    std::optional<std::size_t> ChooseInstall(const std::vector<stores::Install>& installs) override {
        std::string shown = "pick among ";
        for (const stores::Install& install : installs)
            shown += (&install == &installs.front() ? "" : ", ") + Shown(game_folder::FoundWhere(install.folder, install.where));
        log.push_back(shown);
        return Next(picks, std::optional<std::size_t>());
    }
    // The stores' records, which lead to `installs` ("Game" or a folder of the scratch folder).
    std::vector<stores::Install> FindInstalls(std::vector<stores::Install> installs) {
        log.push_back("look in the stores");
        for (stores::Install& install : installs) install.folder = Path(install.folder);
        return installs;
    }
    // The same, with the game folders found not whole.
    stores::Found FindInstalls(std::vector<stores::Install> installs, std::vector<stores::Install> broken) {
        stores::Found found = FindInstalls(std::move(installs));
        for (stores::Install& install : broken) install.folder = Path(install.folder);
        found.broken = std::move(broken);
        return found;
    }
    void Tell(const std::string& text, bool failure) override {
        log.push_back((failure ? "failure: " : "message: ") + Shown(text));
    }
    // Another window's text, in the log as the others'.
    void Note(const std::string& text) { log.push_back(Shown(text)); }

private:
    std::string Path(const std::string& name) const { return name == "Game" ? game_ : (fs::path(root_) / name).string(); }

    template <typename T>
    static T Next(std::vector<T>& script, T otherwise) {
        if (script.empty()) return otherwise;
        T next = script.front();
        script.erase(script.begin());
        return next;
    }
    std::string Shown(std::string text) const {
        for (const auto& [path, name] : {std::pair(game_, "<root>/Game"), std::pair(root_, "<root>")})
            for (auto at = text.find(path); at != std::string::npos; at = text.find(path)) text.replace(at, path.size(), name);
        std::replace(text.begin(), text.end(), '\\', '/');
        // The log keeps the words, not the marks that set a path apart from
        // them, which the tests of the words hold.
        for (const std::string_view mark : {"\u200E", "\u2066", "\u2069"})
            for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark)) text.erase(at, mark.size());
        return text;
    }

    std::string root_, game_;
    std::vector<repair::Answer> answers_;
    std::vector<std::string> chosen_;  // "" for Cancel
};

// One run each from the scratch folder, which holds the game folder (the mod's
// files not in place, the game's parked), "Downloads" (no game folder) and
// "Locked" (a folder that cannot be entered), or from Downloads: where it
// starts, where the stores' records lead, what the player does, what the
// windows show, its exit status, and whether the game folder ends with the
// normal music.
TEST(RepairSession, ReturnsToTheDialogOrTheChooserWhereAFolderCannotBeOpened) {
    using enum repair::Answer;
    FolderState stock = NormalMusic();
    std::erase_if(stock.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    FolderState parked = stock;
    parked.Run(RenameSequence);
    const std::string none_such = game_folder::Resolve(Native("no such folder").string()).error.message();
    const std::string denied = std::make_error_code(std::errc::permission_denied).message();
    const std::string mixed = "The folder is mixed: 14 tracks set for the mod's music, 7 tracks half-way between the two.";
    struct Case {
        const char* name;
        std::string given = {};
        std::vector<repair::Answer> answers = {};
        std::vector<std::string> chosen = {};
        std::vector<std::string> log;
        int status;
        bool repaired;
        bool mod_file_arrives = false;  // while the first dialog is open
        std::vector<stores::Install> installs = {};  // where the stores' records lead
        std::vector<std::optional<std::size_t>> picks = {};
        bool in_downloads = false;  // started there, not in the scratch folder
        bool folder_goes = false;   // the game folder cannot be entered any more once the first dialog is up
        bool stores_first = false;  // started in the home folder
        std::string rename_fails = {};  // the old path of the plan's rename that fails, with Permission denied
    };
    const std::vector<stores::Install> two = {{"Other", "Heroic"}, {"Game", "Steam library"}};
    const std::string pick = "pick among <root>/Other (Heroic), <root>/Game (Steam library)";
    const Case cases[] = {
        {"the game folder below, repaired; the stores are not asked", "", {kNormalMusic}, {},
         {"ask Game folder: <root>/Game", "message: The names are now set for the normal music."}, 0, true, false,
         {{"Other", "Steam library"}}},
        {"closed", "Game", {kClose}, {}, {"ask Game folder: <root>/Game"}, 0, false},
        {"a folder given that is not there, then the game folder chosen", "no such folder", {kNormalMusic}, {"Game"},
         {"failure: Cannot open the folder <root>/no such folder: " + none_such, "choose at <root>",
          "ask Game folder: <root>/Game", "message: The names are now set for the normal music."}, 0, true},
        {"a folder given that is not there, and the chooser cancelled", "no such folder", {}, {""},
         {"failure: Cannot open the folder <root>/no such folder: " + none_such, "choose at <root>"}, 1, false},
        {"a folder chosen that is not there, then Cancel: the dialog again", "Downloads", {kChoose, kClose},
         {"no such folder", ""},
         {"ask Folder: <root>/Downloads, no game folder", "choose at <root>/Downloads",
          "failure: Cannot open the folder <root>/no such folder: " + none_such, "choose at <root>",
          "ask Folder: <root>/Downloads, no game folder"}, 0, false},
        {"a folder chosen that cannot be entered, then another", "Downloads", {kChoose, kNormalMusic},
         {"Locked", "Game"},
         {"ask Folder: <root>/Downloads, no game folder", "choose at <root>/Downloads",
          "failure: Cannot open the folder <root>/Locked: " + std::make_error_code(std::errc::permission_denied).message(),
          "choose at <root>", "ask Game folder: <root>/Game", "message: The names are now set for the normal music."}, 0, true},
        {"the chooser cancelled from the dialog: the same folder again", "Downloads", {kChoose, kClose}, {""},
         {"ask Folder: <root>/Downloads, no game folder", "choose at <root>/Downloads",
          "ask Folder: <root>/Downloads, no game folder"}, 0, false},
        {"the folder changed under the dialog: asked again, afresh", "Game", {kNormalMusic, kClose}, {},
         {"ask Game folder: <root>/Game", "ask Game folder: <root>/Game, changed"}, 0, false, true},
        {.name = "the folder on the screen gone (a card taken out), the chooser cancelled: the tool ends",
         .given = "Game", .answers = {kChoose}, .chosen = {"", ""},
         .log = {"ask Game folder: <root>/Game", "choose at <root>/Game",
                 "failure: Cannot open the folder <root>/Game: " +
                     std::make_error_code(std::errc::permission_denied).message(),
                 "choose at <root>"},
         .status = 1, .repaired = false, .folder_goes = true},
        {.name = "the folder above the game folder shown, then the game folder gone, the chooser cancelled: the tool ends",
         .given = "", .answers = {kChoose}, .chosen = {"", ""},
         .log = {"ask Game folder: <root>/Game", "choose at <root>/Game",
                 "failure: Cannot open the folder <root>/Game: " +
                     std::make_error_code(std::errc::permission_denied).message(),
                 "choose at <root>"},
         .status = 1, .repaired = false, .folder_goes = true},
        {.name = "started in the home folder: the install found wins over the game folder below", .answers = {kClose},
         .log = {"look in the stores", "ask Game folder: <root>/Game (Steam library)"},
         .status = 0, .repaired = false, .installs = {{"Game", "Steam library"}}, .stores_first = true},
        {.name = "started in the home folder, nothing installed: the game folder below", .answers = {kClose},
         .log = {"look in the stores", "ask Game folder: <root>/Game"},
         .status = 0, .repaired = false, .stores_first = true},
        {.name = "started in Downloads, the one install found taken and its store named", .answers = {kNormalMusic},
         .log = {"look in the stores", "ask Game folder: <root>/Game (Steam library)",
                 "message: The names are now set for the normal music."},
         .status = 0, .repaired = true, .installs = {{"Game", "Steam library"}}, .in_downloads = true},
        {.name = "two installs found, the second picked", .answers = {kClose},
         .log = {"look in the stores", pick, "ask Game folder: <root>/Game (Steam library)"},
         .status = 0, .repaired = false, .installs = two, .picks = {1}, .in_downloads = true},
        {.name = "two installs found, another folder chosen: the game, with no store named", .answers = {kNormalMusic},
         .chosen = {"Game"},
         .log = {"look in the stores", pick, "choose at <root>/Downloads", "ask Game folder: <root>/Game",
                 "message: The names are now set for the normal music."},
         .status = 0, .repaired = true, .installs = two, .picks = {2}, .in_downloads = true},
        {.name = "two installs found, the chooser cancelled: the choice again, then Cancel: nothing done",
         .chosen = {""}, .log = {"look in the stores", pick, "choose at <root>/Downloads", pick},
         .status = 0, .repaired = false, .installs = two, .picks = {2, std::nullopt}, .in_downloads = true},
        {.name = "none installed: the dialog on the working directory", .answers = {kClose},
         .log = {"look in the stores", "ask Folder: <root>/Downloads, no game folder"},
         .status = 0, .repaired = false, .in_downloads = true},
        {.name = "a folder given wins: the stores are not asked", .given = "Downloads", .answers = {kClose},
         .log = {"ask Folder: <root>/Downloads, no game folder"},
         .status = 0, .repaired = false, .installs = {{"Game", "Steam library"}}},
        {.name = "a rename of the plan fails: said with what is left, the renames before it done",
         .given = "Game", .answers = {kNormalMusic},
         .log = {"ask Game folder: <root>/Game",
                 "failure: A rename failed, so the repair stopped: streamsounds/mus_sbat_acad.original.wav -> "
                 "streamsounds/mus_sbat_acad.wav: " + denied + "\n\nThe folder is now mixed: 15 tracks set for the "
                 "normal music, 6 tracks half-way between the two. No file was lost or replaced. Start the repair tool "
                 "again to finish."},
         .status = 1, .repaired = false, .rename_fails = "streamsounds\\mus_sbat_acad.original.wav"},
    };
    const std::string arriving = "streammusic\\mus_area_ahto.mod.wav";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchGameFolder scratch;
        const std::string root = fs::current_path().string();
        fs::create_directories("Downloads");
        fs::create_directories("Locked");
        ScratchGameFolder game(scratch.root());
        game.Write(parked);
        fs::current_path(root);
        ScriptedWindows windows(root, game.root().string(), c.answers, c.chosen);
        windows.refused = "<root>/Locked";
        if (c.mod_file_arrives) windows.while_asked = [&] { WriteFile(game.root() / Native(arriving), "mod"); };
        if (c.folder_goes) windows.while_asked = [&] { windows.refused = "<root>/Game"; };
        windows.picks = c.picks;
        if (c.in_downloads) fs::current_path("Downloads");
        const flow::Stores records{[&](const flow::Stores::LookingIn&) { return windows.FindInstalls(c.installs); },
                                   [] { return std::string(); }};
        const auto rename = [&c](std::string_view old_path, std::string_view new_path) {
            if (old_path == c.rename_fails)
                throw RenameError(std::make_error_code(std::errc::permission_denied), old_path, new_path);
            return RenameFile(old_path, new_path);
        };
        EXPECT_EQ(repair::RunSession(windows, c.given == "Game" ? game.root().string() : c.given, records,
                                     c.stores_first, rename),
                  c.status);
        EXPECT_EQ(windows.log, c.log);
        FolderState expected = c.repaired ? stock : parked;
        if (c.mod_file_arrives) expected.files[arriving] = "mod";
        if (!c.rename_fails.empty())  // the normal music's renames run folder by folder: streammusic's are done
            for (const auto& [path, contents] : parked.files)
                if (FolderOf(path) == "streammusic")
                    expected.Apply({path, path.substr(0, path.find(".original.wav")) + ".wav"});
        EXPECT_EQ(game.Read(), expected);
    }
}

// The launcher's windows: the folder windows of the repair tool's script, and
// the window that holds a click back.
class ScriptedLaunch final : public launch::LaunchWindows {
public:
    ScriptedLaunch(ScriptedWindows& script, std::vector<launch::HeldBackAnswer> answers)
        : script_(script), answers_(std::move(answers)) {}

    std::optional<std::string> Choose(const std::string& start) override { return script_.Choose(start); }
    std::optional<std::size_t> ChooseInstall(const std::vector<stores::Install>& installs) override {
        return script_.ChooseInstall(installs);
    }
    void Tell(const std::string& text, bool failure) override { script_.Tell(text, failure); }
    std::error_code Enter(const std::string& folder) override { return script_.Enter(folder); }
    launch::HeldBackAnswer HoldBack(const game_folder::Resolution& resolution, const std::string& why) override {
        script_.Note("held back: " + game_folder::FolderLine(resolution) + ": " + why);
        if (answers_.empty()) return launch::HeldBackAnswer::kCancel;
        const launch::HeldBackAnswer next = answers_.front();
        answers_.erase(answers_.begin());
        return next;
    }

private:
    ScriptedWindows& script_;
    std::vector<launch::HeldBackAnswer> answers_;
};

// One launch each from a scratch folder that holds "Game" (in the case's state)
// and "Whole" (normal music, the mod's files in place): which windows show,
// what it starts, and that no file was renamed.
TEST(Launch, StartsTheProgramOnlyWhereAClickCanDoNoHarm) {
    using enum launch::HeldBackAnswer;
    using launch::Program;
    FolderState stock = NormalMusic();
    std::erase_if(stock.files, [](const auto& file) { return file.first.ends_with(".mod.wav"); });
    FolderState half = NormalMusic();
    half.Run(std::span(RenameSequence).first(3));
    const std::string no_mod = "The mod's 7 files are not in place: Rename (Enable-Mod) would put away the game's 21 "
                               "tracks and stop, leaving the game without music.";
    const std::string stopped = "Neither button can change anything here: the first rename of each would fail, as "
                                "after a switch that stopped part way.";
    struct Case {
        const char* name;
        FolderState state;
        std::optional<std::string> given = "Game";
        Program program = Program::kSwitcher;
        std::vector<launch::HeldBackAnswer> answers = {};
        std::vector<std::string> chosen = {};
        std::vector<std::string> log = {};
        launch::Ending ending = {};
        std::vector<stores::Install> installs = {};
        bool locked = false;  // the game folder cannot be entered
        std::vector<stores::Install> broken = {};  // where the stores' records lead to a game folder not whole
    };
    const std::string not_whole = " is not whole: let the store verify the game's files, after Normal music where "
                                  "the mod's music is on.";
    const Case cases[] = {
        {.name = "normal music, the mod's files in place", .state = NormalMusic(),
         .ending = {Program::kSwitcher, 0}},
        {.name = "the mod's music", .state = ModActive(), .ending = {Program::kSwitcher, 0}},
        {.name = "the mod's files not in place: the repair tool", .state = stock, .answers = {kRepair},
         .log = {"held back: Game folder: <root>/Game: " + no_mod}, .ending = {Program::kRepair, 0}},
        {.name = "a switch stopped part way, cancelled", .state = half, .answers = {kCancel},
         .log = {"held back: Game folder: <root>/Game: " + stopped}},
        {.name = "another folder chosen, whole", .state = half, .answers = {kChoose}, .chosen = {"Whole"},
         .log = {"held back: Game folder: <root>/Game: " + stopped, "choose at <root>/Game"},
         .ending = {Program::kSwitcher, 0}},
        {.name = "the chooser cancelled: the same folder held back again", .state = stock,
         .answers = {kChoose, kCancel}, .chosen = {""},
         .log = {"held back: Game folder: <root>/Game: " + no_mod, "choose at <root>/Game",
                 "held back: Game folder: <root>/Game: " + no_mod}},
        {.name = "the repair tool asked for: started with no look", .state = half, .program = Program::kRepair,
         .ending = {Program::kRepair, 0}},
        {.name = "no game folder given: said, and the chooser opens there", .state = NormalMusic(),
         .given = "Downloads", .chosen = {"Game"},
         .log = {"message: <root>/Downloads is not the game folder: it has no streammusic and streamsounds folders.\n"
                 "No folder up to 2 levels below it holds streammusic and streamsounds.",
                 "choose at <root>/Downloads"},
         .ending = {Program::kSwitcher, 0}},
        {.name = "a game folder that cannot be entered, then Cancel", .state = NormalMusic(), .chosen = {""},
         .log = {"failure: Cannot open the folder <root>/Game: " +
                     std::make_error_code(std::errc::permission_denied).message(),
                 "choose at <root>"},
         .ending = {std::nullopt, 1}, .locked = true},
        {.name = "the one install found", .state = stock, .given = std::nullopt, .log = {"look in the stores",
         "held back: Game folder: <root>/Game (Steam library): " + no_mod}, .installs = {{"Game", "Steam library"}}},
        {.name = "none installed: the chooser in the first library", .state = NormalMusic(), .given = std::nullopt,
         .chosen = {""}, .log = {"look in the stores", "choose at <root>/Library"}},
        {.name = "none installed whole: each found not whole named, then the chooser", .state = NormalMusic(),
         .given = std::nullopt, .chosen = {"Game"},
         .log = {"look in the stores",
                 "message: The game folder <root>/Half (Steam library)" + not_whole + "\nThe game folder <root>/Emptied (Lutris)" +
                     not_whole,
                 "choose at <root>/Library"},
         .ending = {Program::kSwitcher, 0}, .broken = {{"Half", "Steam library"}, {"Emptied", "Lutris"}}},
        {.name = "one installed whole: it is taken, and the one not whole is not named", .state = NormalMusic(),
         .given = std::nullopt, .log = {"look in the stores"}, .ending = {Program::kSwitcher, 0},
         .installs = {{"Game", "Steam library"}}, .broken = {{"Half", "Steam library"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchGameFolder scratch;
        const std::string root = fs::current_path().string();
        fs::create_directories("Downloads");
        fs::create_directories("Locked");
        ScratchGameFolder whole(scratch.root());
        whole.Write(NormalMusic());
        fs::current_path(root);
        fs::rename(whole.root(), "Whole");
        ScratchGameFolder game(scratch.root());
        game.Write(c.state);
        fs::current_path(root);
        ScriptedWindows script(root, game.root().string(), {}, c.chosen);
        script.refused = c.locked ? "<root>/Game" : "<root>/Locked";
        ScriptedLaunch windows(script, c.answers);
        const flow::Stores records{[&](const flow::Stores::LookingIn&) {
                                       return script.FindInstalls(c.installs, c.broken);
                                   },
                                   [&] { return (fs::path(root) / "Library").string(); }};
        const std::optional<std::string> given =
            c.given == "Game" ? std::optional(game.root().string())
                              : c.given ? std::optional((fs::path(root) / *c.given).string()) : std::nullopt;
        EXPECT_EQ(launch::RunLaunch(windows, c.program, given, root, records), c.ending);
        EXPECT_EQ(script.log, c.log);
        EXPECT_EQ(game.Read(), c.state);
        fs::current_path(root);
    }
}

// The launcher's windows over a look in the stores that the test holds until
// it lets it go: what the window for a long look showed, and its answer.
class LookWindows final : public launch::LaunchWindows {
public:
    std::optional<std::string> Choose(const std::string& start) override {
        log.push_back("chooser at " + start);
        return std::nullopt;
    }
    std::optional<std::size_t> ChooseInstall(const std::vector<stores::Install>&) override { return std::nullopt; }
    void Tell(const std::string& text, bool) override { log.push_back("message: " + text); }
    std::error_code Enter(const std::string& folder) override {
        log.push_back("enter " + folder);
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    launch::HeldBackAnswer HoldBack(const game_folder::Resolution&, const std::string&) override {
        return launch::HeldBackAnswer::kCancel;
    }
    // Waits for the look to say where it is, then lets it go, or answers Cancel.
    bool WhileLooking(const std::function<std::string()>& line, const std::function<bool()>& done) override {
        shown_after = std::chrono::steady_clock::now() - started;
        while (WithoutMarks(line()) == "Looking for the game where the stores installed it\u2026")
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        log.push_back("window: " + WithoutMarks(line()));
        if (cancel) return false;
        *go = true;
        while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        log.push_back("window closed");
        return true;
    }

    std::shared_ptr<std::atomic<bool>> go = std::make_shared<std::atomic<bool>>(false);
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::optional<std::chrono::steady_clock::duration> shown_after;
    bool cancel = false;
    std::vector<std::string> log;
};

// A look quicker than half a second shows nothing; a longer one shows the
// window after half a second, with the folder being read, until the look ends
// (its error reaches the caller; here it finds nothing, and the chooser opens)
// or Cancel, which ends the launcher with 0 and opens nothing, the look still
// held in its read.
TEST(StoresLook, ShowsAWindowOnlyWhereTheLookTakesLonger) {
    struct Case {
        const char* shape;
        bool slow, cancel, fails;
        std::vector<std::string> log;
    };
    const std::string window =
        "window: Looking for the game where the stores installed it: /media/player/CARD/SteamLibrary/steamapps/common";
    const std::vector<Case> cases = {
        {"quick", false, false, false, {"chooser at /home"}},
        {"slow", true, false, false, {window, "window closed", "chooser at /home"}},
        {"slow, then fails", true, false, true, {window, "window closed", "failure: the drive went away"}},
        {"slow, Cancel", true, true, false, {window}},
    };
    for (const Case& c : cases) {
        LookWindows windows;
        windows.cancel = c.cancel;
        const auto go = windows.go;
        const flow::Stores records{[go, c](const flow::Stores::LookingIn& looking_in) {
                                       looking_in("/media/player/CARD/SteamLibrary/steamapps/common");
                                       while (c.slow && !*go) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                       if (c.fails) throw std::runtime_error("the drive went away");
                                       return stores::Found();
                                   },
                                   [] { return std::string(); }};
        launch::Ending ending;
        try {
            ending = launch::RunLaunch(windows, launch::Program::kSwitcher, std::nullopt, "/home", records);
        } catch (const std::runtime_error& failure) {
            windows.log.push_back(std::string("failure: ") + failure.what());
        }
        *go = true;  // a look left behind by Cancel ends
        EXPECT_EQ(windows.log, c.log) << c.shape;
        EXPECT_EQ(ending, launch::Ending{}) << c.shape;
        EXPECT_EQ(windows.shown_after.has_value(), c.slow) << c.shape;
        if (windows.shown_after) {
            EXPECT_GE(*windows.shown_after, std::chrono::milliseconds(500)) << c.shape;
            EXPECT_LT(*windows.shown_after, std::chrono::milliseconds(1500)) << c.shape;
        }
    }
}

}  // namespace
}  // namespace vornhaskel::test
