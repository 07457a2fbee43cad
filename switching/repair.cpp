#include "repair.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "music_folders.hpp"
#include "names.hpp"

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
    bool only_at_mod_name = false;            // the track's one file is at its mod name
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

// What was seen at a track's live, backup and mod names.
using Seen = std::array<NameInfo, 3>;
enum Role : std::size_t { kLive, kBackup, kMod };

// `spelt` are the track's names as the folder spells them, and `shown` names
// the files in the reasons: a name's stand-in where one is taken for it. The
// moves are always between the table's names.
TrackVerdict Judge(const Track& track, const Seen& seen, const Names& shown, const Names& spelt) {
    const Names names = NamesOf(track);
    TrackVerdict verdict;
    const auto blocked = [&](std::string problem) {
        verdict.normal_problem = verdict.mod_problem = std::move(problem);
        return verdict;
    };
    const NameInfo &live = seen[kLive], &backup = seen[kBackup], &mod = seen[kMod];
    for (const auto& [name, info] : {std::pair(&shown.live, &live), std::pair(&shown.backup, &backup),
                                     std::pair(&shown.mod, &mod)})
        if (info->kind == NameKind::kFolder || info->kind == NameKind::kUnknown) return blocked(Unusable(*name, *info));

    const bool l = live.kind == NameKind::kFile, o = backup.kind == NameKind::kFile, d = mod.kind == NameKind::kFile;
    if (!l && !o && !d) {
        verdict.layout = Layout::kLost;
        verdict.mod_problem = Lost(spelt.live);
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
            return blocked(shown.live + " and " + shown.backup + " both exist: move one of them out of the folder");
        }
        return verdict;
    }

    const std::string mod_missing =
        spelt.mod + " is missing: put the mod's file there before you switch to the mod's music";
    if (l && o && d)
        return blocked(shown.live + ", " + shown.backup + " and " + shown.mod +
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
        verdict.mod_problem = spelt.live + " is missing, and so is " + spelt.backup + ": " + shown.mod +
                              " is the track's only file. Normal music renames it back to " + spelt.live +
                              "; add the mod's file as " + spelt.mod + " only after that";
        verdict.only_at_mod_name = true;
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
    if (report.only_mod_files) return "This is not the game folder: its music folders hold only the mod's files.";
    if (report.music_folders_clash)
        return "The folder has two music folders of one name that both hold the game's files, so nothing can be "
               "switched.";
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
    if (lost > 0 && lost <= 3)  // more are named in the list of problems
        text += std::string(lost == 1 ? " This track has" : " These tracks have") + " no file at all: " + lost_names + ".";
    if (lost > 0) text += " Restore the game's own files with the game store's file check (\"verify the game's files\").";
    return text;
}


// One track as examined: what its exact names hold, and which wanted name of
// the search stands for each absent one.
struct TrackLook {
    Seen seen;
    std::array<std::string, 3> files;  // file names of the table; empty where the track has no such name
    std::array<std::size_t, 3> wanted{SIZE_MAX, SIZE_MAX, SIZE_MAX};
};

// A track's way to one target: the moves, the stand-ins that it renames first,
// or why it cannot get there.
struct TargetVerdict {
    Layout layout = Layout::kBroken;
    std::vector<Move> moves;
    std::vector<FoundRename> found;
    std::string problem;
    bool mod_file_not_in_place = false;
    bool only_at_mod_name = false;
    bool uses_stand_ins = false;
    std::string look_alikes;  // where several files could be a name the target needs: that name, and them
};

TargetVerdict For(Target target, const TrackVerdict& verdict) {
    const bool normal = target == Target::kNormal;
    return {verdict.layout, normal ? verdict.to_normal : verdict.to_mod,
            {}, normal ? verdict.normal_problem : verdict.mod_problem,
            verdict.mod_file_not_in_place, verdict.only_at_mod_name, false, {}};
}

bool IsFile(const NameInfo& info) { return info.kind == NameKind::kFile; }

// A path of a plan as the player reads it in the window: "MyMusicMod/streamsounds".
std::string Shown(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return Printable(path);
}

// In a few words, which files could be `name`: "2 files could be
// streamsounds/x.mod.wav: A and B", or why the one there cannot.
std::string CouldBe(const std::string& name, const std::vector<Candidate>& candidates) {
    if (candidates.size() == 1) return WhyNoStandIn(name, candidates);
    std::string text = std::to_string(candidates.size()) + " files could be " + name + ":";
    for (std::size_t i = 0; i < candidates.size(); ++i)
        text += (i == 0 ? " " : i + 1 == candidates.size() ? " and " : ", ") + candidates[i].path;
    return text;
}

// Parts of a folder's path that name a copy kept aside rather than a download.
bool NamedLikeABackup(std::string_view folder) {
    std::string lower(folder);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower.find("backup") != std::string::npos || lower.find("bak") != std::string::npos ||
           lower.find("orig") != std::string::npos || lower.find("copy") != std::string::npos;
}

class Planner {
public:
    Planner(const ExamineFunction& examine, const ListFunction& list, const MountFunction& another_mount)
        : examine_(examine), list_(list), another_mount_(another_mount) {}

    FolderReport Run() && {
        FindMusicFolders();
        if (!report_.IsGameFolder() || report_.music_folders_clash) {
            report_.normal.reasons = report_.mod.reasons = report_.problems;
            return std::move(report_);
        }
        std::array<TrackLook, kTrackCount> looks;
        std::array<TrackVerdict, kTrackCount> exact;
        std::vector<Wanted> wanted;
        for (std::size_t i = 0; i < kTrackCount; ++i) {
            const Names spelt = Spelt(NamesOf(TrackTable[i]));
            exact[i] = Judge(TrackTable[i], Look(TrackTable[i], looks[i]), spelt, spelt);
            const bool stuck = !exact[i].normal_problem.empty() || !exact[i].mod_problem.empty() ||
                               exact[i].layout == Layout::kLost;
            for (std::size_t role = 0; stuck && role < 3; ++role) {
                if (looks[i].files[role].empty() || looks[i].seen[role].kind != NameKind::kAbsent) continue;
                looks[i].wanted[role] = wanted.size();
                wanted.push_back({on_disk_[IndexOf(TrackTable[i].folder)], looks[i].files[role], role == kMod});
            }
        }
        if (!wanted.empty()) search_ = Search(wanted, list_, another_mount_);

        std::vector<Move> to_normal, to_mod;
        std::vector<FoundRename> found_normal = folder_renames_, found_mod = folder_renames_;
        std::vector<std::string> held_back;  // reasons that invite a copy onto a name, while a track's only file is at one
        for (std::size_t i = 0; i < kTrackCount; ++i) {
            TargetVerdict normal = ForTarget(Target::kNormal, TrackTable[i], looks[i], exact[i]);
            TargetVerdict mod = ForTarget(Target::kMod, TrackTable[i], looks[i], exact[i]);
            report_.layouts[i] = normal.uses_stand_ins ? normal.layout : mod.uses_stand_ins ? mod.layout
                                                                                           : exact[i].layout;
            report_.tracks_lost += report_.layouts[i] == Layout::kLost;
            report_.mod_files_not_in_place += mod.mod_file_not_in_place;
            if (mod.only_at_mod_name && !mod.problem.empty())
                report_.only_at_mod_name.push_back(Spelt(NamesOf(TrackTable[i])).mod);
            if (!mod.look_alikes.empty()) report_.look_alikes.push_back(mod.look_alikes);
            if (mod.mod_file_not_in_place) held_back.push_back(mod.problem);
            CountModFiles(mod.found);
            to_normal.insert(to_normal.end(), normal.moves.begin(), normal.moves.end());
            to_mod.insert(to_mod.end(), mod.moves.begin(), mod.moves.end());
            found_normal.insert(found_normal.end(), normal.found.begin(), normal.found.end());
            found_mod.insert(found_mod.end(), mod.found.begin(), mod.found.end());
            if (!normal.problem.empty()) report_.normal.reasons.push_back(normal.problem);
            if (!mod.problem.empty()) report_.mod.reasons.push_back(mod.problem);
            for (std::string* problem : {&normal.problem, &mod.problem})
                if (!problem->empty() && (report_.problems.empty() || report_.problems.back() != *problem))
                    report_.problems.push_back(std::move(*problem));
        }
        report_.problems.insert(report_.problems.end(), search_.problems.begin(), search_.problems.end());
        if (!report_.only_at_mod_name.empty()) {
            // A mod file put in now would meet a track's only file at its name:
            // until the normal music has taken that one back, nothing asks for one.
            for (const std::string& reason : held_back) {
                std::erase(report_.problems, reason);
                std::erase(report_.mod.reasons, reason);
            }
            report_.mod_files_not_in_place = 0;
            report_.mod_files_found = 0;
            report_.mod_files_found_in.clear();
        }
        for (std::string& problem : report_.problems) problem = Printable(problem);
        FlagBackupsAmongFinds();
        Finish(report_.normal, Target::kNormal, to_normal, std::move(found_normal));
        Finish(report_.mod, Target::kMod, to_mod, std::move(found_mod));
        return std::move(report_);
    }

private:
    static std::size_t IndexOf(std::string_view folder) { return folder == kMusicFolders[0] ? 0 : 1; }

    // The music folders as music_folders.hpp finds them. One spelt otherwise is
    // renamed to the table's name first, unless another entry holds that name:
    // then the plans keep its spelling.
    void FindMusicFolders() {
        std::error_code error;
        const std::vector<FolderEntry> root = list_("", error);
        if (error) {
            report_.missing_folders = {std::string(kMusicFolders[0]), std::string(kMusicFolders[1])};
            report_.problems.push_back("The game folder cannot be listed: " + error.message());
            return;
        }
        const MusicFolders music = vornhaskel::FindMusicFolders(
            root, [this](std::string_view name, std::error_code& e) { return list_(name, e); });
        for (std::size_t f = 0; f < 2; ++f) {
            const MusicFolder& folder = music.folders[f];
            on_disk_[f] = folder.Found() ? folder.entry : folder.name;
            if (folder.NeedsRename(root))
                folder_renames_.push_back({folder.entry, folder.name});
            else
                spelt_as_found_[f] = folder.Found() && folder.entry != folder.name;
            if (!folder.problem.empty()) report_.problems.push_back(Printable(folder.problem));
            report_.music_folders_clash = report_.music_folders_clash || folder.clash;
        }
        report_.missing_folders = music.Missing();
        report_.only_mod_files = report_.missing_folders.empty() && music.ModDownload();
        if (report_.only_mod_files)
            report_.problems = {"streammusic and streamsounds hold the mod's files and none of the game's own: this "
                                "is the mod's folder, not the game folder"};
    }

    // A path of the table ("streamsounds\\x.wav") as the plans spell it.
    std::string Spelt(std::string_view path) const {
        const auto split = path.find('\\');
        const std::size_t f = IndexOf(path.substr(0, split));
        if (!spelt_as_found_[f]) return std::string(path);
        return on_disk_[f] + std::string(path.substr(split));
    }

    Names Spelt(const Names& names) const {
        return {Spelt(names.live), Spelt(names.backup), names.mod.empty() ? std::string() : Spelt(names.mod)};
    }

    Seen Look(const Track& track, TrackLook& look) const {
        look.files = {std::string(track.base) + ".wav", std::string(track.base) + ".original.wav",
                      track.mod_replacement ? std::string(track.base) + ".mod.wav" : std::string()};
        for (std::size_t role = 0; role < 3; ++role)
            if (!look.files[role].empty())
                look.seen[role] = examine_(on_disk_[IndexOf(track.folder)] + "\\" + look.files[role]);
        return look.seen;
    }

    // A path as it is once the music folders have their exact names.
    std::string AfterFolderRenames(const std::string& path) const {
        for (const FoundRename& folder : folder_renames_)
            if (path.starts_with(folder.old_path + "\\")) return folder.new_path + path.substr(folder.old_path.size());
        return path;
    }

    // A find stands in only for a name that is missing and that the target
    // needs as a source: the game's file (live or backup name) for the normal
    // music, the mod's file for the mod's, and the game's file for the mod's
    // only where none of the track's names holds one. Where the exact names
    // already settle a track for the target, no find changes it, before or after
    // a run: a stray copy beside it stays where it is. A name with look-alikes
    // but no stand-in refuses a target only where no other find gets it there.
    TargetVerdict ForTarget(Target target, const Track& track, const TrackLook& look, const TrackVerdict& exact) const {
        TargetVerdict fallback = For(target, exact);
        if (exact.layout == Layout::kBroken && exact.normal_problem == exact.mod_problem) return fallback;
        // The file alone at a mod name may be the game's or the mod's: a find
        // of the game's own tells, and is taken back rather than that file.
        const bool unsure = exact.only_at_mod_name || exact.layout == Layout::kLost;
        if (fallback.problem.empty() && !(target == Target::kNormal && unsure)) return fallback;
        const bool game_file = IsFile(look.seen[kLive]) || IsFile(look.seen[kBackup]);
        const std::array<bool, 3> sources = target == Target::kNormal ? std::array{true, true, false}
                                                                       : std::array{!game_file, !game_file, true};
        Seen seen = look.seen;
        const Names spelt = Spelt(NamesOf(track));
        Names shown = spelt;
        std::string* shown_names[] = {&shown.live, &shown.backup, &shown.mod};
        const std::string* spelt_names[] = {&spelt.live, &spelt.backup, &spelt.mod};
        std::vector<FoundRename> found;
        std::string unsettled, look_alikes;
        for (std::size_t role = 0; role < 3; ++role) {
            const std::size_t i = look.wanted[role];
            if (i == SIZE_MAX || !sources[role] || search_.candidates[i].empty()) continue;
            const Candidate* stand_in = StandIn(search_, i);
            if (stand_in == nullptr) {
                unsettled += (unsettled.empty() ? "" : "; ") + WhyNoStandIn(*spelt_names[role], search_.candidates[i]);
                look_alikes += (look_alikes.empty() ? "" : ", and ") + CouldBe(*spelt_names[role], search_.candidates[i]);
                continue;
            }
            seen[role] = {NameKind::kFile, {}};
            *shown_names[role] = stand_in->path;
            found.push_back({AfterFolderRenames(stand_in->path), *spelt_names[role]});
        }
        const auto refused = [&](TargetVerdict verdict) {
            if (!unsettled.empty()) {
                verdict.problem = std::move(unsettled);
                verdict.look_alikes = std::move(look_alikes);
                verdict.mod_file_not_in_place = false;
            }
            return verdict;
        };
        if (found.empty())
            return fallback.problem.empty() || fallback.only_at_mod_name ? fallback : refused(std::move(fallback));
        TargetVerdict verdict = For(target, Judge(track, seen, shown, spelt));
        if (!verdict.problem.empty()) {
            // A find alone at the mod name is no track's only file: the exact names say why.
            if (fallback.problem.empty() || verdict.only_at_mod_name) return refused(std::move(fallback));
            return refused(std::move(verdict));
        }
        verdict.found = std::move(found);
        verdict.uses_stand_ins = true;
        return verdict;
    }

    void CountModFiles(const std::vector<FoundRename>& found) {
        for (const FoundRename& rename : found) {
            if (!rename.new_path.ends_with(".mod.wav")) continue;
            ++report_.mod_files_found;
            const auto split = rename.old_path.rfind('\\');
            std::string folder = split == std::string::npos ? std::string() : rename.old_path.substr(0, split);
            if (std::find(report_.mod_files_found_in.begin(), report_.mod_files_found_in.end(), folder) ==
                report_.mod_files_found_in.end())
                report_.mod_files_found_in.push_back(std::move(folder));
        }
    }

    // Names cannot tell the mod's file from a copy of the game's kept under the
    // mod's name: a folder of finds that looks like a backup is named, so the
    // player can look before choosing. The music folders are the files' own.
    void FlagBackupsAmongFinds() {
        for (const std::string& folder : report_.mod_files_found_in) {
            if (folder.empty()) continue;
            const std::string top = folder.substr(0, folder.find('\\'));
            if (top == on_disk_[0] || top == on_disk_[1]) continue;
            std::error_code error;
            const std::vector<FolderEntry> entries = list_(folder, error);
            if (NamedLikeABackup(folder) || (!error && ManagedNamesIn(entries).game))
                report_.mod_files_from_backups.push_back(folder);
        }
    }

    void Finish(TargetPlan& plan, Target target, const std::vector<Move>& moves,
                std::vector<FoundRename> found) const {
        plan.possible = plan.reasons.empty();
        if (!plan.possible) return;
        plan.found = std::move(found);
        plan.steps = StepsFor(target, moves);
        plan.in_order = plan.found;
        for (const RenameStep& step : plan.steps) plan.in_order.push_back({Spelt(step.old_path), Spelt(step.new_path)});
    }

    const ExamineFunction& examine_;
    const ListFunction& list_;
    const MountFunction& another_mount_;
    FolderReport report_;
    std::array<std::string, 2> on_disk_;        // the music folders as the game folder spells them
    std::array<bool, 2> spelt_as_found_{};      // kept so by the plans, as the table's name is taken
    std::vector<FoundRename> folder_renames_;
    SearchResult search_;
};

}  // namespace

std::vector<RenameStep> TargetPlan::Renames() const {
    std::vector<RenameStep> renames;
    for (const FoundRename& rename : in_order) renames.push_back({rename.old_path, rename.new_path});
    return renames;
}

FolderReport ExamineFolder(const ExamineFunction& examine, const ListFunction& list,
                           const MountFunction& another_mount) {
    return Planner(examine, list, another_mount).Run();
}

FolderReport ExamineFolder() { return ExamineFolder(ExamineName, ListFolder, OnAnotherMount); }

namespace {

const char* NameOf(Target target) { return target == Target::kNormal ? "Normal music" : "Mod music"; }

std::string Many(std::size_t n, const char* one, const char* several) {
    return n == 1 ? one : std::to_string(n) + several;
}

// Why a target is greyed out, in a few words: the mod's files not in place, a
// game file lost, or else the problems listed.
std::string WhyNot(const FolderReport& report, Target target) {
    const std::size_t all = report.Plan(target).reasons.size();
    std::string why;
    const auto add = [&why](const std::string& part) { why += (why.empty() ? "" : ", and ") + part; };
    if (target == Target::kMod && !report.only_at_mod_name.empty()) {
        // A mod file copied in now would replace a track's only file: nothing
        // else is asked for until the normal music has taken it back.
        std::string names;
        for (const std::string& name : report.only_at_mod_name) names += (names.empty() ? "" : ", ") + name;
        add(names + (report.only_at_mod_name.size() == 1 ? " is its track's only file"
                                                         : " are their tracks' only files") +
            ", so choose Normal music first, and put no mod file in before then");
        return why;
    }
    std::size_t mod_files = 0, lost = 0, look_alikes = 0;
    if (target == Target::kMod) {
        mod_files = report.mod_files_not_in_place;
        lost = report.tracks_lost;
        look_alikes = report.look_alikes.size();
    }
    if (mod_files == 7)
        add("the mod's 7 files are not in place");
    else if (mod_files > 0)
        add(std::to_string(mod_files) + " of the mod's 7 files " + (mod_files == 1 ? "is" : "are") + " not in place");
    if (target == Target::kMod)
        for (const std::string& which : report.look_alikes) add(which);
    if (lost > 0) add(Many(lost, "a track of the game has", " tracks of the game have") + " no file at all");
    if (all > mod_files + lost + look_alikes) add("a track's files need sorting out first, as listed");
    return why;
}

}  // namespace

std::string Advice(const FolderReport& report) {
    if (!report.IsGameFolder())
        return "Choose the game folder: the one that holds streammusic and streamsounds.";
    std::string text;
    const auto say = [&text](const std::string& sentence) { text += (text.empty() ? "" : " ") + sentence; };
    const bool offered = report.normal.Offered() || report.mod.Offered();
    const bool found = !FoundRenames(report).empty();
    if (offered && found)
        say("Close the game first. A button first gives the files found their exact names, then renames only the "
            "files that are out of place, with the same renames as vornhaskel, and never replaces a file.");
    else if (offered)
        say("Close the game first. A button renames only the files that are out of place, with the same renames as "
            "vornhaskel, and never replaces a file.");
    if (report.mod.Offered() && !report.mod_files_from_backups.empty()) {
        std::string folders;
        for (std::size_t i = 0; i < report.mod_files_from_backups.size(); ++i)
            folders += (i == 0 ? "" : i + 1 == report.mod_files_from_backups.size() ? " and " : ", ") +
                       Shown(report.mod_files_from_backups[i]);
        say("Mod music takes the mod's files from " + folders +
            ", which looks like a copy of the game's files: before you choose it, check that they are the mod's.");
    }
    for (const Target target : {Target::kNormal, Target::kMod})
        if (!report.Plan(target).possible)
            say(std::string(NameOf(target)) + " is not available: " + WhyNot(report, target) + ".");
    if (!offered && !report.normal.Reached() && !report.mod.Reached())
        say("Nothing here can be switched until the problems listed are put right. Then start the repair tool "
            "again.");
    return text.empty() ? "Nothing needs repairing." : text;
}

std::string FoundSummary(const FolderReport& report) {
    const std::size_t n = report.mod_files_found;
    if (n == 0) return {};
    std::string text = n == 7 ? "The mod's 7 files were found in "
                       : n == 1 ? "1 of the mod's 7 files was found in "
                                : std::to_string(n) + " of the mod's 7 files were found in ";
    const std::vector<std::string>& folders = report.mod_files_found_in;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (i > 0) text += i + 1 == folders.size() ? " and " : ", ";
        text += folders[i].empty() ? "the game folder" : Shown(folders[i]);
    }
    return text + ".";
}

std::vector<RenameList> FoundRenames(const FolderReport& report) {
    const std::vector<FoundRename> none;
    const auto& normal = report.normal.Offered() ? report.normal.found : none;
    const auto& mod = report.mod.Offered() ? report.mod.found : none;
    // A rename that both buttons make first is said once.
    const auto in = [](const std::vector<FoundRename>& renames, const FoundRename& rename) {
        return std::ranges::find(renames, rename) != renames.end();
    };
    RenameList both{"Normal music and Mod music first rename:", {}};
    RenameList normal_only{"Normal music first renames:", {}}, mod_only{"Mod music first renames:", {}};
    const auto line = [](const FoundRename& rename) {
        return Shown(rename.old_path) + " will become " + Shown(rename.new_path);
    };
    for (const FoundRename& rename : normal) (in(mod, rename) ? both : normal_only).lines.push_back(line(rename));
    for (const FoundRename& rename : mod)
        if (!in(normal, rename)) mod_only.lines.push_back(line(rename));
    if (!both.lines.empty()) {
        normal_only.heading = "Normal music also first renames:";
        mod_only.heading = "Mod music also first renames:";
    }
    std::vector<RenameList> lists;
    for (RenameList* list : {&both, &normal_only, &mod_only})
        if (!list->lines.empty()) lists.push_back(std::move(*list));
    return lists;
}

std::string Summary(const FolderReport& report) { return Describe(report, "has", "is"); }

std::string SummaryAfterRepair(const FolderReport& report) { return Describe(report, "now has", "is now"); }

std::string SummaryAfterRepair(const FolderReport& report, Target chosen) {
    std::string text = SummaryAfterRepair(report);
    const TargetPlan& plan = report.Plan(chosen);
    if (plan.Reached()) return text;
    text += std::string(" ") + NameOf(chosen) + " is not reached yet: ";
    if (!plan.possible) return text + WhyNot(report, chosen) + ".";
    return text + std::to_string(plan.in_order.size()) + (plan.in_order.size() == 1 ? " file is" : " files are") +
           " still out of place. Start the repair tool again to finish.";
}

std::string AfterFailure(std::string_view failure, const FolderReport& now) {
    return std::string(failure) + "\n\n" + SummaryAfterRepair(now) +
           " No file was lost or replaced. Start the repair tool again to finish.";
}

}  // namespace vornhaskel::repair
