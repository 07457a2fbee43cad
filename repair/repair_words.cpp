#include "repair_words.hpp"

#include <algorithm>
#include <utility>

#include "names.hpp"

namespace vornhaskel::repair {

namespace {

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

const char* KindWords(EntryKind kind) {
    switch (kind) {
    case EntryKind::kFile:
        return "a file";
    case EntryKind::kFolder:
        return "a folder";
    case EntryKind::kLink:
        return "a link";
    case EntryKind::kOther:
        break;
    }
    return "neither a file nor a folder of the game's own drive";
}

const char* UnspeltWords(Unspelt why) {
    switch (why) {
    case Unspelt::kBackslash:
        return "its name holds a backslash";
    case Unspelt::kReplacementCharacter:
        return "its name holds a character that cannot be spelt in UTF-8";
    case Unspelt::kNotUtf8:
    case Unspelt::kNo:
        break;
    }
    return "its name is not valid UTF-8";
}

// A path of the table's form, and a full path, as a sentence holds them.
std::string PathIn(std::string_view path) { return InSentence(ShownPath(path)); }
std::string FullPathIn(std::string_view path) { return InSentence(Printable(path)); }

// A folder of the search: "MyMod/sub", or "the game folder".
std::string ShownFolder(std::string_view folder) { return folder.empty() ? "the game folder" : PathIn(folder); }

constexpr char kNoneFromAway[] = "so no file found away from its own folder is used";

std::string LookAlikeWords(const Reason& reason) {
    const std::string missing = PathIn(reason.paths.front()) + " is missing, and ";
    const std::size_t n = reason.paths.size() - 1;
    if (n == 1 && reason.kinds.front() != EntryKind::kFile)
        return missing + PathIn(reason.paths[1]) + " has its name but is " + KindWords(reason.kinds.front()) +
               ": put the file itself there";
    if (n == 1) return missing + PathIn(reason.paths[1]) + " could be it, but so could another name: move it there yourself";
    std::string text = missing + std::to_string(n) + " could be it:";
    for (std::size_t i = 1; i <= n; ++i) text += (i == 1 ? " " : ", ") + PathIn(reason.paths[i]);
    return text + ". Keep the right one and move the others out of the game folder";
}

}  // namespace

std::string Sentence(const Reason& reason) {
    const auto path = [&reason](std::size_t i) { return PathIn(reason.paths.at(i)); };
    switch (reason.kind) {
    case Reason::Kind::kFolderAtName:
        return path(0) + " is a folder, not a music file: move it out of the folder";
    case Reason::Kind::kCannotExamine:
        return path(0) + " cannot be examined: " + reason.error.message();
    case Reason::Kind::kLost:
        return path(0) + " is missing, and so are all its other names: to restore the game's own file, choose Normal "
                         "music first, then let the game store check the game's files (\"verify the game's files\")";
    case Reason::Kind::kBothExist:
        return path(0) + " and " + path(1) + " both exist: move one of them out of the folder";
    case Reason::Kind::kAllExist:
        return path(0) + ", " + path(1) + " and " + path(2) +
               " all exist: move the one that does not belong out of the folder";
    case Reason::Kind::kModFileMissing:
        return path(0) + " is missing: put the mod's file there before you switch to the mod's music";
    case Reason::Kind::kOnlyAtModName:
        return path(0) + " is missing, and so is " + path(1) + ": " + path(2) +
               " is the track's only file. Normal music renames it back to " + path(0) + "; add the mod's file as " +
               path(3) + " only after that";
    case Reason::Kind::kLookAlikes:
        return LookAlikeWords(reason);
    case Reason::Kind::kOnlyAtModNameBesideLookAlikes: {
        std::vector<std::string> look_alikes;
        for (std::size_t i = 2; i < reason.paths.size(); ++i) look_alikes.push_back(path(i));
        return path(1) + " is the only file under its track's names, but " + Listed(look_alikes) +
               " could be the game's own track too, and names cannot tell which one is. Play them to tell, move the "
               "one that is not the game's own track out of the game folder, then start the repair tool again: "
               "Normal music then gives the game's own track the name " + path(0);
    }
    case Reason::Kind::kMusicFolderNotPlain:
        if (reason.paths.at(0) == reason.paths.at(1))
            return path(0) + " is no plain folder of the game folder's drive (another drive or folder is mounted "
                             "there, or it is a device), so it is left alone";
        return path(0) + " is missing, and " + path(1) + " has its name in another case but is no plain folder of this "
                                                         "drive (a file, a link or another drive), so it is left alone";
    case Reason::Kind::kMusicFolderLinkNowhere:
        return path(0) + " is a link that leads to no folder (" + reason.error.message() + "), so it is left alone";
    case Reason::Kind::kMusicFoldersClash: {
        std::vector<std::string> holding;
        for (std::size_t i = 1; i < reason.paths.size(); ++i) holding.push_back(path(i));
        return Listed(holding) + (holding.size() == 2 ? " both" : " all") +
               " hold the game's music files, but only one can be its " + path(0) +
               " folder: move the one that the game does not use out of the game folder";
    }
    case Reason::Kind::kModDownload:
        return "streammusic and streamsounds hold the mod's files and none of the game's own: this is the mod's "
               "folder, not the game folder";
    case Reason::Kind::kGameFolderUnlisted:
        return "The game folder cannot be listed: " + reason.error.message();
    case Reason::Kind::kGameFolderUnsearchable:
        return "The game folder cannot be searched: " + reason.error.message();
    case Reason::Kind::kFolderNotRead:
        if (reason.unspelt != Unspelt::kNo)
            return InSentence((reason.paths.at(0).empty() ? std::string() : ShownPath(reason.paths.at(0)) + ShownPath("\\")) +
                              Printable(reason.paths.at(1))) +
                   " was not read: " + UnspeltWords(reason.unspelt) + ", " + kNoneFromAway;
        return ShownFolder(reason.paths.at(0)) + " could not be read: " + reason.error.message() + ", " + kNoneFromAway;
    case Reason::Kind::kSearchStopped: {
        static_assert(kSearchEntryLimit == 50'000, "the words below give the limit");
        std::string text = "The search read the music folders in full but stopped after 50,000 other entries, " +
                           std::string(kNoneFromAway) + ": " + ShownFolder(reason.paths.at(0)) + " was read only in part";
        if (reason.count > 0)
            text += ", and " + (reason.count == 1 ? std::string("1 more folder") : std::to_string(reason.count) + " more folders") +
                    " not at all";
        return text;
    }
    }
    return {};
}

std::vector<std::string> Sentences(const std::vector<Reason>& reasons) {
    std::vector<std::string> sentences;
    for (const Reason& reason : reasons) sentences.push_back(Sentence(reason));
    return sentences;
}

namespace {

const char* NameOf(Target target) { return target == Target::kNormal ? "Normal music" : "Mod music"; }

std::string Count(std::size_t n, const char* what) {
    return std::to_string(n) + (n == 1 ? " track " : " tracks ") + what;
}

std::string Many(std::size_t n, const char* one, const char* several) {
    return n == 1 ? one : std::to_string(n) + several;
}

// Names cannot tell whose file a name holds: after the store's file check or a
// game update the live names hold the game's files whatever the names around
// them say, so a folder all of one music is said as what its names are set for.
std::string Describe(const FolderReport& report, std::string_view now) {
    if (report.only_mod_files) return "This is not the game folder: its music folders hold only the mod's files.";
    if (report.music_folders_clash)
        return "The folder has two music folders of one name that both hold the game's files, so nothing can be "
               "switched.";
    if (!report.IsGameFolder()) {
        if (report.missing_folders.size() == 2)
            return "This is not the game folder: it has no streammusic and streamsounds folders.";
        return "This is not the game folder: it has no " + report.missing_folders.front() + " folder.";
    }
    std::size_t normal = 0, mod = 0, between = 0, broken = 0;
    std::vector<std::string> lost;
    for (std::size_t i = 0; i < kTrackCount; ++i) {
        const Layout layout = report.layouts[i];
        normal += layout == Layout::kNormal;
        mod += layout == Layout::kMod;
        between += layout == Layout::kBetween;
        broken += layout == Layout::kBroken;
        if (layout == Layout::kLost) lost.push_back(PathIn(NamesOf(TrackTable[i]).live));
    }
    if (normal == kTrackCount) return "The names are " + std::string(now) + "set for the normal music.";
    if (mod == kTrackCount) return "The names are " + std::string(now) + "set for the mod's music.";
    std::string text = "The folder is " + std::string(now) + "mixed:";
    const char* separator = " ";
    const std::pair<std::size_t, const char*> parts[] = {{normal, "set for the normal music"},
                                                         {mod, "set for the mod's music"},
                                                         {between, "half-way between the two"},
                                                         {lost.size(), "missing"},
                                                         {broken, "with a problem"}};
    for (const auto& [n, what] : parts) {
        if (n == 0) continue;
        text += separator + Count(n, what);
        separator = ", ";
    }
    text += ".";
    std::string names;
    for (const std::string& name : lost) names += (names.empty() ? "" : ", ") + name;
    if (!lost.empty() && lost.size() <= 3)  // more are named in the list of problems
        text += std::string(lost.size() == 1 ? " This track has" : " These tracks have") + " no file at all: " + names + ".";
    if (!lost.empty())
        text += " To restore the game's own files, choose Normal music first, then let the game store check the game's "
                "files (\"verify the game's files\").";
    return text;
}

std::size_t CountOf(const std::vector<Reason>& reasons, Reason::Kind kind) {
    return static_cast<std::size_t>(std::ranges::count(reasons, kind, &Reason::kind));
}

// Why a target is greyed out, in a few words: the mod's files not in place, a
// game file lost, look-alikes, or else the problems listed. While a track's
// only file sits at its mod name, that alone is said.
std::string WhyNot(const FolderReport& report, Target target) {
    const std::vector<Reason>& reasons = report.Plan(target).reasons;
    std::string why;
    const auto add = [&why](const std::string& part) { why += (why.empty() ? "" : ", and ") + part; };
    std::vector<std::string> only;
    for (const Reason& reason : reasons)
        if (reason.kind == Reason::Kind::kOnlyAtModName) only.push_back(PathIn(reason.paths.at(3)));
    if (target == Target::kMod && !only.empty()) {
        std::string names;
        for (const std::string& name : only) names += (names.empty() ? "" : ", ") + name;
        add(names + (only.size() == 1 ? " is its track's only file" : " are their tracks' only files") +
            ", so choose Normal music first, and put no mod file in before then");
        return why;
    }
    std::size_t mod_files = 0, lost = 0, look_alikes = 0;
    if (target == Target::kMod) {
        mod_files = CountOf(reasons, Reason::Kind::kModFileMissing);
        lost = CountOf(reasons, Reason::Kind::kLost);
        look_alikes = CountOf(reasons, Reason::Kind::kLookAlikes);
    }
    if (mod_files == 7)
        add("the mod's 7 files are not in place");
    else if (mod_files > 0)
        add(std::to_string(mod_files) + " of the mod's 7 files " + (mod_files == 1 ? "is" : "are") + " not in place");
    // One name with several look-alikes is said in full; more are counted, and listed below.
    if (look_alikes > 1) add(std::to_string(look_alikes) + " of the mod's files could each be one of several files, as listed");
    for (const Reason& reason : reasons) {
        if (look_alikes != 1 || reason.kind != Reason::Kind::kLookAlikes) continue;
        if (reason.paths.size() == 2) {
            add(LookAlikeWords(reason));
            continue;
        }
        // "2 files could be streamsounds/x.mod.wav: A and B"
        std::vector<std::string> candidates;
        for (std::size_t i = 1; i < reason.paths.size(); ++i) candidates.push_back(PathIn(reason.paths[i]));
        add(std::to_string(candidates.size()) + " files could be " + PathIn(reason.paths.front()) + ": " +
            Listed(candidates));
    }
    if (lost > 0) add(Many(lost, "a track of the game has", " tracks of the game have") + " no file at all");
    if (reasons.size() > mod_files + lost + look_alikes) add("a track's files need sorting out first, as listed");
    return why;
}

}  // namespace

std::string Summary(const FolderReport& report) { return Describe(report, ""); }

std::string SummaryAfterRepair(const FolderReport& report) { return Describe(report, "now "); }

std::string SummaryAfterRepair(const FolderReport& report, Target chosen) {
    std::string text = SummaryAfterRepair(report);
    const TargetPlan& plan = report.Plan(chosen);
    if (plan.Reached()) return text;
    text += std::string(" ") + NameOf(chosen) + " is not reached yet: ";
    if (!plan.possible) return text + WhyNot(report, chosen) + ".";
    return text + std::to_string(plan.in_order.size()) + (plan.in_order.size() == 1 ? " file is" : " files are") +
           " still out of place. Start the repair tool again to finish.";
}

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
    if (report.mod.Offered() && !report.finds_from_backups.empty()) {
        std::vector<std::string> folders;
        for (const std::string& folder : report.finds_from_backups) folders.push_back(PathIn(folder));
        say("Mod music takes the mod's files from " + Listed(folders) +
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
    const std::size_t n = report.mod_finds.size();
    if (n == 0) return {};
    std::vector<std::string> folders;
    for (const Rename& find : report.mod_finds) {
        const auto split = find.old_path.rfind('\\');
        std::string folder = split == std::string::npos ? "the game folder" : PathIn(find.old_path.substr(0, split));
        if (std::ranges::find(folders, folder) == folders.end()) folders.push_back(std::move(folder));
    }
    const std::string text = n == 7 ? "The mod's 7 files were found in "
                             : n == 1 ? "1 of the mod's 7 files was found in "
                                      : std::to_string(n) + " of the mod's 7 files were found in ";
    return text + Listed(folders) + ".";
}

std::vector<RenameList> FoundRenames(const FolderReport& report) {
    const std::vector<Rename> none;
    const auto& normal = report.normal.Offered() ? report.normal.found : none;
    const auto& mod = report.mod.Offered() ? report.mod.found : none;
    const auto in = [](const std::vector<Rename>& renames, const Rename& rename) {
        return std::ranges::find(renames, rename) != renames.end();
    };
    RenameList both{"Normal music and Mod music first rename:", {}};
    RenameList normal_only{"Normal music first renames:", {}}, mod_only{"Mod music first renames:", {}};
    const auto line = [](const Rename& rename) {
        return PathIn(rename.old_path) + " will become " + PathIn(rename.new_path);
    };
    for (const Rename& rename : normal) (in(mod, rename) ? both : normal_only).lines.push_back(line(rename));
    for (const Rename& rename : mod)
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

std::string GreyedOut(const FolderReport& report, Target target) {
    const TargetPlan& plan = report.Plan(target);
    if (plan.Offered()) return {};
    const std::string lead = std::string(NameOf(target)) + " is greyed out: ";
    if (plan.Reached())
        return lead + (target == Target::kNormal ? "the names are set for the normal music already."
                                                 : "the names are set for the mod's music already.");
    if (plan.reasons.empty()) return lead + "it cannot be reached from here.";
    const std::size_t more = plan.reasons.size() - 1;
    return lead + Sentence(plan.reasons.front()) + "." +
           (more == 0 ? "" : more == 1 ? " 1 more reason is listed in this window."
                                       : " " + std::to_string(more) + " more reasons are listed in this window.");
}

std::string CannotOpenFolder(std::string_view folder, const std::error_code& error) {
    return "Cannot open the folder " + FullPathIn(folder) + ": " + error.message();
}

std::string AfterFailure(std::string_view failure, const FolderReport& now, bool checked_first) {
    return std::string(failure) + "\n\n" + SummaryAfterRepair(now) +
           (checked_first ? " On this drive each rename checked first that its new name was free, then renamed: a "
                            "file that another program put there in between would have been replaced."
                          : " No file was lost or replaced.") +
           " Start the repair tool again to finish.";
}

DialogWords ForDialog(const FolderReport& report, const game_folder::Resolution& resolution, bool changed) {
    DialogWords words;
    words.summary = Summary(report);
    if (const std::string found = FoundSummary(report); !found.empty()) words.advice = found + "\n\n";
    if (changed) words.advice += kFolderChanged;
    words.advice += Advice(report);
    if (report.IsGameFolder())
        for (const Target target : {Target::kNormal, Target::kMod})
            if (report.Plan(target).Reached()) words.advice += " " + GreyedOut(report, target);
    words.folder = game_folder::FolderLine(resolution);
    if (const std::string findings = game_folder::Findings(resolution); !findings.empty())
        words.folder += "\n" + findings;
    words.renames = FoundRenames(report);
    words.reasons_caption = report.IsGameFolder() ? "Why a button is greyed out" : "Details";
    words.reasons = Sentences(report.problems);
    return words;
}

std::string CannotFindBeside(std::string_view program, std::string_view launcher) {
    return "Cannot find " + std::string(program) + " beside " + std::string(launcher);
}

std::string CannotStart(std::string_view program, std::string_view folder) {
    std::string text = "Cannot start " + FullPathIn(program);
    if (!folder.empty()) text += " in " + FullPathIn(folder);
    return text;
}

std::string PageLine(bool reasons, std::size_t first, std::size_t last, std::size_t count) {
    return (reasons ? "Reasons " : "Renames ") + std::to_string(first) + " to " + std::to_string(last) + " of " +
           std::to_string(count) + ".";
}

std::string PageLink(bool reasons, bool next) {
    return std::string(next ? "Next " : "Previous ") + (reasons ? "reasons" : "renames");
}

std::string HeldBack(const ClickLook& look) {
    using enum ButtonLook::Outcome;
    if (!look.unlisted.empty())
        return "The " + std::string(look.unlisted.front()) +
               " folder is missing or cannot be read, so a click would fail or stop part way.";
    if (const ButtonLook& rename = look.rename; rename.outcome == kStopsPartWay) {
        if (rename.done == kTrackCount)
            return "The mod's 7 files are not in place: Rename (Enable-Mod) would put away the game's 21 tracks and "
                   "stop, leaving the game without music.";
        if (rename.done > kTrackCount)
            return "The mod's 7 files are not all in place: Rename (Enable-Mod) would put away the game's 21 tracks, "
                   "put " + std::to_string(rename.done - kTrackCount) + " of the mod's files in their place and stop, "
                   "leaving the game without music on " + std::to_string(2 * kTrackCount - rename.done) + " tracks.";
        return "Rename (Enable-Mod) would put away " + std::to_string(rename.done) +
               " of the game's tracks and stop at " + PathIn(rename.stop->old_path) +
               ", leaving the game without them.";
    }
    if (const ButtonLook& unrename = look.unrename; unrename.outcome == kStopsPartWay) {
        // Names cannot tell whose file the first one moves: the game's or the mod's.
        if (unrename.done == 1)
            return "Un-rename (Normal Music) would move " + PathIn(UnrenameSequence.front().old_path) +
                   " to the mod's name and stop at " + PathIn(unrename.stop->old_path) +
                   ", leaving the folder half switched.";
        return "Un-rename (Normal Music) would rename " + std::to_string(unrename.done) + " files and stop at " +
               PathIn(unrename.stop->old_path) + ", leaving the folder half switched.";
    }
    return "Neither button can change anything here: the first rename of each would fail, as after a switch "
           "that stopped part way.";
}

}  // namespace vornhaskel::repair

namespace vornhaskel::game_folder {

std::string FolderLine(const Resolution& resolution) {
    if (!resolution.FoundOne()) return "Folder: " + repair::FullPathIn(resolution.Taken());
    return "Game folder: " + (resolution.store.empty() ? repair::FullPathIn(resolution.Taken())
                                                       : FoundWhere(resolution.Taken(), resolution.store));
}

std::string FoundWhere(std::string_view folder, std::string_view store) {
    return repair::FullPathIn(folder) + " (" + std::string(store) + ")";
}

std::string NotWhole(std::string_view folder, std::string_view store) {
    return "The game folder " + FoundWhere(folder, store) +
           " is not whole: let the store verify the game's files, after Normal music where the mod's music is on.";
}

std::string LookingIn(std::string_view folder) {
    const std::string text = "Looking for the game where the stores installed it";
    return folder.empty() ? text + "\u2026" : text + ": " + repair::FullPathIn(folder);
}

std::string InstallsFound(std::size_t count) {
    return "The game is installed in " + std::to_string(count) + " folders. Choose the one to use:";
}

std::string Lacks(const Resolution& resolution) {
    const auto& missing = resolution.missing_folders;
    std::string text = repair::FullPathIn(resolution.folder) + " is not the game folder";
    if (resolution.mod_download) return text + ": its music folders hold only the mod's files.";
    if (missing.size() == 2) return text + ": it has no streammusic and streamsounds folders.";
    if (missing.size() == 1) return text + ": it has no " + missing.front() + " folder.";
    return text + ".";
}

std::string Findings(const Resolution& resolution) {
    if (resolution.found.empty()) return "No folder up to " + std::to_string(kDepthBelow) + " levels below it holds streammusic and streamsounds.";
    if (resolution.FoundOne()) return {};
    std::string text = std::to_string(resolution.found.size()) + " folders below it hold streammusic and streamsounds:";
    for (const std::string& folder : resolution.found) text += "\n\u2022 " + repair::FullPathIn(folder);
    return text;
}

}  // namespace vornhaskel::game_folder
