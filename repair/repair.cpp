#include "repair.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <tuple>
#include <utility>

#include "music_folders.hpp"

namespace vornhaskel::repair {

namespace {

// The steps of `sequence` that some track needs, in the sequence's order.
void KeepNeeded(Sequence sequence, const std::vector<Rename>& needed, std::vector<RenameStep>& steps) {
    for (const RenameStep& step : sequence)
        if (std::ranges::any_of(needed, [&](const Rename& move) {
                return move.old_path == step.old_path && move.new_path == step.new_path;
            }))
            steps.push_back(step);
}

// The target's own sequence, keeping the steps that some track needs. The one
// move a track can need that is not a step of it, a mod name back to the live
// name on the way to the normal music, is a step of the other sequence; it
// touches only its own track's names, so it comes first.
std::vector<RenameStep> StepsFor(Target target, const std::vector<Rename>& needed) {
    std::vector<RenameStep> steps;
    if (target == Target::kNormal) {
        KeepNeeded(RenameSequence, needed, steps);
        KeepNeeded(UnrenameSequence, needed, steps);
    } else {
        KeepNeeded(RenameSequence, needed, steps);
    }
    return steps;
}

// One track as examined: what its exact names hold, and which wanted name of
// the search stands for each absent one.
struct TrackLook {
    Seen seen;
    std::array<std::string, 3> files;  // file names of the table; empty where the track has no such name
    std::array<std::size_t, 3> wanted{SIZE_MAX, SIZE_MAX, SIZE_MAX};
};

// Every track as examined, with what its exact names make of it, and the names
// to search for where those cannot get a track to a target.
struct TrackLooks {
    std::array<TrackLook, kTrackCount> looks;
    std::array<TrackVerdict, kTrackCount> exact;
    std::vector<Wanted> wanted;
};

// A track's way to one target: the moves, the stand-ins that it renames first,
// or why it cannot get there.
struct TargetVerdict {
    Layout layout = Layout::kBroken;
    std::vector<Rename> moves;
    std::vector<Rename> found;
    std::optional<Reason> problem;
    bool only_at_mod_name = false;
    bool uses_stand_ins = false;
};

TargetVerdict For(Target target, const TrackVerdict& verdict) {
    const bool normal = target == Target::kNormal;
    return {verdict.layout, normal ? verdict.to_normal : verdict.to_mod, {},
            normal ? verdict.normal_problem : verdict.mod_problem, verdict.only_at_mod_name, false};
}

// What the tracks need for one target, gathered in track order.
struct Gathered {
    std::vector<Rename> moves;  // between the table's names
    std::vector<Rename> found;  // the music folders' renames, then each stand-in's
};

bool IsFile(const NameInfo& info) { return info.kind == NameKind::kFile; }

bool Is(const std::optional<Reason>& problem, Reason::Kind kind) { return problem && problem->kind == kind; }

// A folder whose path has a word that names a copy kept aside ("Backup",
// "music.bak"), rather than a download.
bool NamedLikeABackup(std::string_view folder) {
    std::string word;
    for (std::size_t i = 0; i <= folder.size(); ++i) {
        const char c = i < folder.size() ? folder[i] : ' ';
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            word += static_cast<char>(c | 0x20);
            continue;
        }
        if (word == "backup" || word == "backups" || word == "bak") return true;
        word.clear();
    }
    return false;
}

std::size_t IndexOf(std::string_view folder) { return folder == kMusicFolders[0] ? 0 : 1; }

// How each music folder spells the game's names of its tracks (see GameNames).
std::array<GameNames, 2> SpellingOf(const std::array<TrackLook, kTrackCount>& looks) {
    std::array<GameNames, 2> spelling{GameNames::kSpeltOtherwise, GameNames::kSpeltOtherwise};
    for (std::size_t i = 0; i < kTrackCount; ++i)
        if (IsFile(looks[i].seen[kLive]) || IsFile(looks[i].seen[kBackup]))
            spelling[IndexOf(TrackTable[i].folder)] = GameNames::kSpeltExactly;
    return spelling;
}

class Planner {
public:
    Planner(const ExamineFunction& examine, const ListFunction& list, const MountFunction& another_mount,
            const IdentityFunction& identity)
        : examine_(examine), list_(list), another_mount_(another_mount), identity_(identity) {}

    FolderReport Run() && {
        FindMusicFolders();
        if (!report_.IsGameFolder() || report_.music_folders_clash) {
            report_.normal.reasons = report_.mod.reasons = report_.problems;
            return std::move(report_);
        }
        const TrackLooks tracks = LookAtEachTrack();
        if (!tracks.wanted.empty()) search_ = Search(tracks.wanted, list_, another_mount_);
        Gathered normal{{}, folder_renames_}, mod{{}, folder_renames_};
        const bool only_at_mod_name = JudgeEachTrack(tracks, SpellingOf(tracks.looks), normal, mod);
        report_.problems.insert(report_.problems.end(), search_.problems.begin(), search_.problems.end());
        if (only_at_mod_name) AskForNoModFile();
        FlagBackupsAmongFinds();
        Finish(report_.normal, Target::kNormal, std::move(normal));
        Finish(report_.mod, Target::kMod, std::move(mod));
        return std::move(report_);
    }

private:
    // The music folders as music_folders.hpp finds them. One spelt otherwise is
    // renamed to the table's name first, unless another entry holds that name:
    // then the plans keep its spelling.
    void FindMusicFolders() {
        std::error_code error;
        const std::vector<FolderEntry> root = list_("", error);
        if (error) {
            report_.missing_folders = {std::string(kMusicFolders[0]), std::string(kMusicFolders[1])};
            report_.problems.push_back({Reason::Kind::kGameFolderUnlisted, {}, error});
            return;
        }
        EntryIdentityFunction identity;
        if (identity_) identity = [this](std::string_view name, std::error_code& e) { return identity_(name, e); };
        const MusicFolders music = vornhaskel::FindMusicFolders(
            root, [this](std::string_view name, std::error_code& e) { return list_(name, e); }, identity);
        for (std::size_t f = 0; f < 2; ++f) {
            const MusicFolder& folder = music.folders[f];
            on_disk_[f] = folder.Found() ? folder.entry : folder.name;
            if (folder.NeedsRename(root))
                folder_renames_.push_back({folder.entry, folder.name});
            else
                spelt_as_found_[f] = folder.Found() && folder.entry != folder.name;
            if (folder.problem) report_.problems.push_back(*folder.problem);
            report_.music_folders_clash = report_.music_folders_clash || folder.clash;
        }
        report_.missing_folders = music.Missing();
        report_.only_mod_files = report_.missing_folders.empty() && music.ModDownload();
        if (report_.only_mod_files) report_.problems = {Reason(Reason::Kind::kModDownload)};
    }

    // Each track's names, looked at once, and judged. Where they leave a track
    // stuck, its absent names are wanted from the search.
    TrackLooks LookAtEachTrack() const {
        TrackLooks tracks;
        for (std::size_t i = 0; i < kTrackCount; ++i) {
            TrackLook& look = tracks.looks[i];
            const Names spelt = Spelt(NamesOf(TrackTable[i]));
            const TrackVerdict& exact = tracks.exact[i] = Judge(TrackTable[i], Look(TrackTable[i], look), spelt, spelt);
            const bool stuck = exact.normal_problem || exact.mod_problem || exact.layout == Layout::kLost;
            for (std::size_t role = 0; stuck && role < 3; ++role) {
                if (look.files[role].empty() || look.seen[role].kind != NameKind::kAbsent) continue;
                look.wanted[role] = tracks.wanted.size();
                tracks.wanted.push_back({on_disk_[IndexOf(TrackTable[i].folder)], look.files[role], role == kMod});
            }
        }
        return tracks;
    }

    // Each track's way to either target, gathered in track order into the
    // plans, its layout and its reasons, each said once in the problems
    // whichever targets it refuses. Whether a track's only file is at its mod
    // name.
    bool JudgeEachTrack(const TrackLooks& tracks, const std::array<GameNames, 2>& spelling, Gathered& to_normal,
                        Gathered& to_mod) {
        bool only_at_mod_name = false;
        for (std::size_t i = 0; i < kTrackCount; ++i) {
            const GameNames spelt = spelling[IndexOf(TrackTable[i].folder)];
            TargetVerdict normal = ForTarget(Target::kNormal, TrackTable[i], tracks.looks[i], tracks.exact[i], spelt);
            TargetVerdict mod = ForTarget(Target::kMod, TrackTable[i], tracks.looks[i], tracks.exact[i], spelt);
            report_.layouts[i] = normal.uses_stand_ins ? normal.layout
                                 : mod.uses_stand_ins  ? mod.layout
                                                       : tracks.exact[i].layout;
            only_at_mod_name = only_at_mod_name || Is(mod.problem, Reason::Kind::kOnlyAtModName);
            for (const Rename& find : mod.found)
                if (find.new_path.ends_with(".mod.wav")) report_.mod_finds.push_back(find);
            for (const auto& [verdict, into, plan] :
                 {std::tuple(&normal, &to_normal, &report_.normal), std::tuple(&mod, &to_mod, &report_.mod)}) {
                into->moves.insert(into->moves.end(), verdict->moves.begin(), verdict->moves.end());
                into->found.insert(into->found.end(), verdict->found.begin(), verdict->found.end());
                if (!verdict->problem) continue;
                plan->reasons.push_back(*verdict->problem);
                if (report_.problems.empty() || report_.problems.back() != *verdict->problem)
                    report_.problems.push_back(*verdict->problem);
            }
        }
        return only_at_mod_name;
    }

    // A mod file put in now would meet a track's only file at its name: until
    // the normal music has taken that one back, nothing asks for one, nor says
    // where the mod's files are.
    void AskForNoModFile() {
        const auto asks_for_a_mod_file = [](const Reason& r) { return r.kind == Reason::Kind::kModFileMissing; };
        std::erase_if(report_.problems, asks_for_a_mod_file);
        std::erase_if(report_.mod.reasons, asks_for_a_mod_file);
        report_.mod_finds.clear();
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
        for (const Rename& folder : folder_renames_)
            if (path.starts_with(folder.old_path + "\\")) return folder.new_path + path.substr(folder.old_path.size());
        return path;
    }

    // The track's way to `target`, its exact names' unless finds stand in for
    // some of its names (StandInsFor). A name with look-alikes but no stand-in
    // refuses a target only where no other find gets it there.
    TargetVerdict ForTarget(Target target, const Track& track, const TrackLook& look, const TrackVerdict& exact,
                            GameNames spelling) const {
        TargetVerdict fallback = For(target, exact);
        if (target == Target::kNormal && exact.only_at_mod_name && spelling == GameNames::kSpeltExactly)
            return BesideLookAlikes(track, look, std::move(fallback));
        const std::array<bool, 3> may_stand_in = StandInsFor(target, track, look.seen, exact, spelling);
        Seen seen = look.seen;
        const Names spelt = Spelt(NamesOf(track));
        Names shown = spelt;
        std::vector<Rename> found;
        std::optional<Reason> unsettled;  // the first name with look-alikes but no stand-in
        for (const Role role : {kLive, kBackup, kMod}) {
            const std::size_t i = look.wanted[role];
            if (!may_stand_in[role] || i == SIZE_MAX || search_.candidates[i].empty()) continue;
            const Candidate* stand_in = StandIn(search_, i);
            if (stand_in == nullptr) {
                if (!unsettled) unsettled = LookAlikes(spelt[role], search_.candidates[i]);
                continue;
            }
            seen[role] = {NameKind::kFile, {}};
            shown[role] = stand_in->path;
            found.push_back({AfterFolderRenames(stand_in->path), spelt[role]});
        }
        const auto refused = [&](TargetVerdict verdict) {
            if (unsettled) verdict.problem = unsettled;
            return verdict;
        };
        if (found.empty())
            return !fallback.problem || fallback.only_at_mod_name ? fallback : refused(std::move(fallback));
        TargetVerdict verdict = For(target, Judge(track, seen, shown, spelt));
        if (verdict.problem) {
            // A find alone at the mod name is no track's only file: the exact names say why.
            if (!fallback.problem || verdict.only_at_mod_name) return refused(std::move(fallback));
            return refused(std::move(verdict));
        }
        verdict.found = std::move(found);
        verdict.uses_stand_ins = true;
        return verdict;
    }

    // The normal music of a track whose only file is at its mod name, in a
    // folder that spells the game's names exactly. The file may be the game's
    // own, parked there by a switch back that stopped: a look-alike of the
    // game's file beside it may be a stray, and names cannot tell which is
    // which. The normal music takes that file back only where no look-alike
    // competes with it; the mod's music waits for the normal music.
    TargetVerdict BesideLookAlikes(const Track& track, const TrackLook& look, TargetVerdict fallback) const {
        const Names spelt = Spelt(NamesOf(track));
        std::vector<std::string> paths{spelt.live, spelt.mod};
        for (const Role role : {kLive, kBackup})
            if (look.wanted[role] != SIZE_MAX)
                for (const Candidate& candidate : search_.candidates[look.wanted[role]]) paths.push_back(candidate.path);
        if (paths.size() == 2) return fallback;
        fallback.problem = Reason(Reason::Kind::kOnlyAtModNameBesideLookAlikes, std::move(paths));
        fallback.moves.clear();
        return fallback;
    }

    // Names cannot tell the mod's file from a copy of the game's kept under the
    // mod's name: a folder of finds that looks like a backup is named, so the
    // player can look before choosing. The music folders are the files' own.
    void FlagBackupsAmongFinds() {
        for (const Rename& find : report_.mod_finds) {
            const auto split = find.old_path.rfind('\\');
            if (split == std::string::npos) continue;
            const std::string folder = find.old_path.substr(0, split), top = folder.substr(0, folder.find('\\'));
            if (top == on_disk_[0] || top == on_disk_[1] || std::ranges::count(report_.finds_from_backups, folder))
                continue;
            std::error_code error;
            const std::vector<FolderEntry> entries = list_(folder, error);
            if (NamedLikeABackup(folder) || (!error && ManagedNamesIn(entries).game))
                report_.finds_from_backups.push_back(folder);
        }
    }

    void Finish(TargetPlan& plan, Target target, Gathered gathered) const {
        plan.possible = plan.reasons.empty();
        if (!plan.possible) return;
        plan.found = std::move(gathered.found);
        plan.steps = StepsFor(target, gathered.moves);
        plan.in_order = plan.found;
        for (const RenameStep& step : plan.steps) plan.in_order.push_back({Spelt(step.old_path), Spelt(step.new_path)});
    }

    const ExamineFunction& examine_;
    const ListFunction& list_;
    const MountFunction& another_mount_;
    const IdentityFunction& identity_;
    FolderReport report_;
    // Set by FindMusicFolders, and read by every later step.
    std::array<std::string, 2> on_disk_;    // the music folders as the game folder spells them
    std::array<bool, 2> spelt_as_found_{};  // kept so by the plans, as the table's name is taken
    std::vector<Rename> folder_renames_;
    SearchResult search_;
};

}  // namespace

std::vector<RenameStep> TargetPlan::Renames() const {
    std::vector<RenameStep> renames;
    for (const Rename& rename : in_order) renames.push_back({rename.old_path, rename.new_path});
    return renames;
}

FolderReport ExamineFolder(const ExamineFunction& examine, const ListFunction& list,
                           const MountFunction& another_mount, const IdentityFunction& identity) {
    return Planner(examine, list, another_mount, identity).Run();
}

FolderReport ExamineFolder() { return ExamineFolder(ExamineName, ListFolder, OnAnotherMount, IdentityOf); }

}  // namespace vornhaskel::repair
