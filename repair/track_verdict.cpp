#include "track_verdict.hpp"

#include <utility>

namespace vornhaskel::repair {

Names NamesOf(const Track& track) {
    const std::string stem = std::string(track.folder) + "\\" + std::string(track.base);
    return {stem + ".wav", stem + ".original.wav", track.mod_replacement ? stem + ".mod.wav" : std::string()};
}

TrackVerdict Judge(const Track& track, const Seen& seen, const Names& shown, const Names& spelt) {
    const Names names = NamesOf(track);
    TrackVerdict verdict;
    const auto blocked = [&](Reason problem) {
        verdict.normal_problem = verdict.mod_problem = std::move(problem);
        return verdict;
    };
    const NameInfo &live = seen[kLive], &backup = seen[kBackup], &mod = seen[kMod];
    // A name that is a folder, or that could not be examined, blocks its track.
    for (const auto& [name, info] : {std::pair(&shown.live, &live), std::pair(&shown.backup, &backup),
                                     std::pair(&shown.mod, &mod)}) {
        if (info->kind == NameKind::kFolder) return blocked({Reason::Kind::kFolderAtName, {*name}});
        if (info->kind == NameKind::kUnknown) return blocked({Reason::Kind::kCannotExamine, {*name}, info->error});
    }

    const bool l = live.kind == NameKind::kFile, o = backup.kind == NameKind::kFile, d = mod.kind == NameKind::kFile;
    if (!l && !o && !d) {
        // The game's own file is gone: no rename can bring it back, but none of
        // the normal music's renames needs it either.
        verdict.layout = Layout::kLost;
        verdict.mod_problem = Reason(Reason::Kind::kLost, {spelt.live});
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
            return blocked({Reason::Kind::kBothExist, {shown.live, shown.backup}});
        }
        return verdict;
    }

    const Reason mod_missing{Reason::Kind::kModFileMissing, {spelt.mod}};
    if (l && o && d) return blocked({Reason::Kind::kAllExist, {shown.live, shown.backup, shown.mod}});
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
    } else if (l) {
        // Names alone cannot tell the mod's file from the game's here: taken as
        // the game's own, it stays where it is, and nothing moves it.
        verdict.layout = Layout::kNormal;
        verdict.mod_problem = mod_missing;
    } else {
        // The first rename back to the normal music moves the game's own file
        // to the mod name; a switch that stopped right after it leaves this. The
        // file may be the game's or the mod's: either way the normal music takes
        // it back to the live name, the reverse of that rename, and nothing may
        // be put at the mod name before then.
        verdict.layout = Layout::kBetween;
        verdict.to_normal = {{names.mod, names.live}};
        verdict.mod_problem = Reason(Reason::Kind::kOnlyAtModName, {spelt.live, spelt.backup, shown.mod, spelt.mod});
        verdict.only_at_mod_name = true;
    }
    return verdict;
}

std::array<bool, 3> StandInsFor(Target target, const Track& track, const Seen& seen, const TrackVerdict& exact,
                                GameNames spelling) {
    if (exact.Blocked() || (exact.only_at_mod_name && spelling == GameNames::kSpeltExactly)) return {};
    const bool normal = target == Target::kNormal;
    const bool unsure = exact.only_at_mod_name || exact.layout == Layout::kLost;
    if (!(normal ? exact.normal_problem : exact.mod_problem) && !(normal && unsure)) return {};
    const bool game_file = seen[kLive].kind == NameKind::kFile || seen[kBackup].kind == NameKind::kFile;
    const std::array<bool, 3> sources = normal ? std::array{true, true, false} : std::array{!game_file, !game_file, true};
    std::array<bool, 3> stand_ins{};
    for (const Role role : {kLive, kBackup, kMod})
        stand_ins[role] = sources[role] && seen[role].kind == NameKind::kAbsent && (role != kMod || track.mod_replacement);
    return stand_ins;
}

}  // namespace vornhaskel::repair
