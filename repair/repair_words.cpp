#include "repair_words.hpp"

#include <algorithm>
#include <utility>

#include "names.hpp"
#include "translation.hpp"

// Every sentence here is whole, with placeholders, and translated: see
// translation.hpp. Paths fill the placeholders as a sentence holds them
// (InSentence). Where a sentence names a button of vornhaskel itself,
// "Rename (Enable-Mod)" or "Un-rename (Normal Music)", the name stays as the
// program shows it, untranslated; "Normal music" and "Mod music" are the
// repair tool's own buttons, translated as its captions are.

namespace vornhaskel::repair {

using translation::Format;
using translation::Tr;
using translation::TrN;

namespace {

// Joins a list's items as the player's language does: "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& items) {
    if (items.empty()) return {};
    std::string text = items.back();
    if (items.size() == 1) return text;
    // Translators: the last two items of a list, such as two paths or folders: "A and B".
    text = Format(Tr("%1$s and %2$s"), {items[items.size() - 2], text});
    for (std::size_t i = items.size() - 2; i-- > 0;)
        // Translators: an item of a list, then the rest of the list: "A, B and C".
        text = Format(Tr("%1$s, %2$s"), {items[i], text});
    return text;
}

// Joins items with commas alone: "a, b, c".
std::string Commas(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = items.size(); i-- > 0;)
        text = text.empty() ? items[i] : Format(Tr("%1$s, %2$s"), {items[i], text});
    return text;
}

// Joins the reasons a button is greyed out, each a clause without a full stop:
// "a, and b, and c".
std::string Clauses(const std::vector<std::string>& clauses) {
    std::string text;
    for (const std::string& clause : clauses)
        // Translators: joins two reasons why a button of the repair tool is greyed out, in one sentence.
        text = text.empty() ? clause : Format(Tr("%1$s, and %2$s"), {text, clause});
    return text;
}

// Two sentences in a row, set apart as the player's language sets them.
std::string Then(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) return first + second;
    // Translators: two whole sentences of one message in a row. A language that sets no space between
    // sentences writes "%1$s%2$s".
    return Format(Tr("%1$s %2$s"), {first, second});
}

// A path of the table's form, and a full path, as a sentence holds them.
std::string PathIn(std::string_view path) { return InSentence(ShownPath(path)); }
std::string FullPathIn(std::string_view path) { return InSentence(Printable(path)); }

// A folder of the search: "MyMod/sub", or the game folder itself.
std::string ShownFolder(std::string_view folder) {
    // Translators: stands for the game folder where a folder's path is shown, as in
    // "The mod's 7 files were found in the game folder."
    return folder.empty() ? Tr("the game folder") : PathIn(folder);
}

// Translators for every reason below: one line of the list under "Why a button is
// greyed out" in the repair tool, or a part of a sentence after "... is greyed
// out:" or "... is not available:", so without a full stop of its own. A path is
// shown as "streamsounds/mus_sbat_acad.mod.wav" and stays as it is.

std::string LookAlikeWords(const Reason& reason) {
    const std::string missing = PathIn(reason.paths.front());
    const std::size_t n = reason.paths.size() - 1;
    if (n == 1) {
        const std::string found = PathIn(reason.paths[1]);
        switch (reason.kinds.front()) {
        case EntryKind::kFile:
            // Translators: %1$s is the mod's file that is missing, %2$s a file with a name like it.
            return Format(Tr("%1$s is missing, and %2$s could be it, but so could another name: move it there yourself"),
                          {missing, found});
        case EntryKind::kFolder:
            // Translators: %1$s is the mod's file that is missing, %2$s a folder with its name.
            return Format(Tr("%1$s is missing, and %2$s has its name but is a folder: put the file itself there"),
                          {missing, found});
        case EntryKind::kLink:
            // Translators: %1$s is the mod's file that is missing, %2$s a link with its name.
            return Format(Tr("%1$s is missing, and %2$s has its name but is a link: put the file itself there"),
                          {missing, found});
        case EntryKind::kOther:
            break;
        }
        // Translators: %1$s is the mod's file that is missing, %2$s a device or the like with its name.
        return Format(Tr("%1$s is missing, and %2$s has its name but is neither a file nor a folder of the game's own "
                         "drive: put the file itself there"),
                      {missing, found});
    }
    std::vector<std::string> candidates;
    for (std::size_t i = 1; i <= n; ++i) candidates.push_back(PathIn(reason.paths[i]));
    // Translators: %1$s is the mod's file that is missing; %2$zu files (2 or more) with names like it
    // could be it, listed in %3$s with commas.
    return Format(TrN("%1$s is missing, and %2$zu could be it: %3$s. Keep the right one and move the others out of "
                      "the game folder",
                      "%1$s is missing, and %2$zu could be it: %3$s. Keep the right one and move the others out of "
                      "the game folder",
                      n),
                  {missing, n, Commas(candidates)});
}

// Why a folder was not read as it is named; %s is the name.
std::string NotRead(const Reason& reason) {
    const std::string name =
        InSentence((reason.paths.at(0).empty() ? std::string() : ShownPath(reason.paths.at(0)) + ShownPath("\\")) +
                   Printable(reason.paths.at(1)));
    switch (reason.unspelt) {
    case Unspelt::kBackslash:
        // Translators: %s is a folder's name, with the backslash it holds.
        return Format(Tr("%s was not read: its name holds a backslash, so no file found away from its own folder is "
                         "used"),
                      {name});
    case Unspelt::kReplacementCharacter:
        // Translators: %s is a folder's name, with the character Windows could not spell.
        return Format(Tr("%s was not read: its name holds a character that cannot be spelt in UTF-8, so no file found "
                         "away from its own folder is used"),
                      {name});
    case Unspelt::kNotUtf8:
    case Unspelt::kNo:
        break;
    }
    // Translators: %s is a folder's name, its odd bytes written out as \xNN.
    return Format(Tr("%s was not read: its name is not valid UTF-8, so no file found away from its own folder is used"),
                  {name});
}

}  // namespace

std::string Sentence(const Reason& reason) {
    const auto path = [&reason](std::size_t i) { return PathIn(reason.paths.at(i)); };
    switch (reason.kind) {
    case Reason::Kind::kFolderAtName:
        // Translators: %s is the music file's name, where a folder stands.
        return Format(Tr("%s is a folder, not a music file: move it out of the folder"), {path(0)});
    case Reason::Kind::kCannotExamine:
        // Translators: %1$s is a file's name; %2$s the system's own words for why.
        return Format(Tr("%1$s cannot be examined: %2$s"), {path(0), reason.error.message()});
    case Reason::Kind::kLost:
        // Translators: %s is a track's name that the game plays. "Normal music" is the repair tool's
        // button, as translated; the quoted words are the store's command, as the store names it.
        return Format(Tr("%s is missing, and so are all its other names: to restore the game's own file, choose Normal "
                         "music first, then let the game store check the game's files (\"verify the game's files\")"),
                      {path(0)});
    case Reason::Kind::kBothExist:
        // Translators: %1$s and %2$s are two names of one track.
        return Format(Tr("%1$s and %2$s both exist: move one of them out of the folder"), {path(0), path(1)});
    case Reason::Kind::kAllExist:
        // Translators: %1$s, %2$s and %3$s are the three names of one track.
        return Format(Tr("%1$s, %2$s and %3$s all exist: move the one that does not belong out of the folder"),
                      {path(0), path(1), path(2)});
    case Reason::Kind::kModFileMissing:
        // Translators: %s is the name the mod's file must have.
        return Format(Tr("%s is missing: put the mod's file there before you switch to the mod's music"), {path(0)});
    case Reason::Kind::kOnlyAtModName:
        // Translators: %1$s is the track's name the game plays, %2$s its parked name, %3$s the file at
        // the mod's name (the track's only file), %4$s the mod's name, where the mod's file goes later.
        // This protects the game's own track: keep "only after that".
        return Format(Tr("%1$s is missing, and so is %2$s: %3$s is the track's only file. Normal music renames it back "
                         "to %1$s; add the mod's file as %4$s only after that"),
                      {path(0), path(1), path(2), path(3)});
    case Reason::Kind::kLookAlikes:
        return LookAlikeWords(reason);
    case Reason::Kind::kOnlyAtModNameBesideLookAlikes: {
        std::vector<std::string> look_alikes;
        for (std::size_t i = 2; i < reason.paths.size(); ++i) look_alikes.push_back(path(i));
        // Translators: %1$s is the file at the mod's name, the track's only file; %2$s one or more
        // files with names like the track's (a list); %3$s the track's name that the game plays.
        return Format(Tr("%1$s is the only file under its track's names, but %2$s could be the game's own track too, "
                         "and names cannot tell which one is. Play them to tell, move the one that is not the game's "
                         "own track out of the game folder, then start the repair tool again: Normal music then gives "
                         "the game's own track the name %3$s"),
                      {path(1), Listed(look_alikes), path(0)});
    }
    case Reason::Kind::kMusicFolderNotPlain:
        if (reason.paths.at(0) == reason.paths.at(1))
            // Translators: %s is a music folder: streammusic or streamsounds.
            return Format(Tr("%s is no plain folder of the game folder's drive (another drive or folder is mounted "
                             "there, or it is a device), so it is left alone"),
                          {path(0)});
        // Translators: %1$s is a music folder's name; %2$s an entry with that name in another case.
        return Format(Tr("%1$s is missing, and %2$s has its name in another case but is no plain folder of this drive "
                         "(a file, a link or another drive), so it is left alone"),
                      {path(0), path(1)});
    case Reason::Kind::kMusicFolderLinkNowhere:
        // Translators: %1$s is a music folder's name; %2$s the system's own words for why.
        return Format(Tr("%1$s is a link that leads to no folder (%2$s), so it is left alone"),
                      {path(0), reason.error.message()});
    case Reason::Kind::kMusicFoldersClash: {
        std::vector<std::string> holding;
        for (std::size_t i = 1; i < reason.paths.size(); ++i) holding.push_back(path(i));
        if (holding.size() == 2)
            // Translators: %1$s lists two folders ("A and B"); %2$s is the music folder's name.
            return Format(Tr("%1$s both hold the game's music files, but only one can be its %2$s folder: move the one "
                             "that the game does not use out of the game folder"),
                          {Listed(holding), path(0)});
        // Translators: %1$s lists three or more folders ("A, B and C"); %2$s is the music folder's name.
        return Format(Tr("%1$s all hold the game's music files, but only one can be its %2$s folder: move the one "
                         "that the game does not use out of the game folder"),
                      {Listed(holding), path(0)});
    }
    case Reason::Kind::kModDownload:
        // Translators: where the folder given is the mod's download, not the game folder.
        return Tr("streammusic and streamsounds hold the mod's files and none of the game's own: this is the mod's "
                  "folder, not the game folder");
    case Reason::Kind::kGameFolderUnlisted:
        // Translators: %s is the system's own words for why.
        return Format(Tr("The game folder cannot be listed: %s"), {reason.error.message()});
    case Reason::Kind::kGameFolderUnsearchable:
        // Translators: %s is the system's own words for why.
        return Format(Tr("The game folder cannot be searched: %s"), {reason.error.message()});
    case Reason::Kind::kFolderNotRead:
        if (reason.unspelt != Unspelt::kNo) return NotRead(reason);
        if (reason.paths.at(0).empty())
            // Translators: %s is the system's own words for why.
            return Format(Tr("The game folder could not be read: %s, so no file found away from its own folder is used"),
                          {reason.error.message()});
        // Translators: %1$s is a folder in the game folder; %2$s the system's own words for why.
        return Format(Tr("%1$s could not be read: %2$s, so no file found away from its own folder is used"),
                      {path(0), reason.error.message()});
    case Reason::Kind::kSearchStopped: {
        static_assert(kSearchEntryLimit == 50'000, "the words below give the limit");
        const std::string folder = ShownFolder(reason.paths.at(0));
        if (reason.count == 0)
            // Translators: %s is the folder read in part, or "the game folder".
            return Format(Tr("The search read the music folders in full but stopped after 50,000 other entries, so no "
                             "file found away from its own folder is used: %s was read only in part"),
                          {folder});
        // Translators: %1$s is the folder read in part, or "the game folder"; %2$zu how many folders were not read.
        return Format(TrN("The search read the music folders in full but stopped after 50,000 other entries, so no "
                          "file found away from its own folder is used: %1$s was read only in part, and %2$zu more "
                          "folder not at all",
                          "The search read the music folders in full but stopped after 50,000 other entries, so no "
                          "file found away from its own folder is used: %1$s was read only in part, and %2$zu more "
                          "folders not at all",
                          reason.count),
                      {folder, reason.count});
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

// Names cannot tell whose file a name holds: after the store's file check or a
// game update the live names hold the game's files whatever the names around
// them say, so a folder all of one music is said as what its names are set for.
// `now` after a repair, where the folder was read afresh.
std::string Describe(const FolderReport& report, bool now) {
    // Translators for the sentences of this function: the first line of the repair tool's
    // window, on what the game folder's names are set for. The "now" forms follow a repair.
    // Translators: the first line of the repair tool's window, for the mod's download.
    if (report.only_mod_files) return Tr("This is not the game folder: its music folders hold only the mod's files.");
    if (report.music_folders_clash)
        // Translators: the first line of the repair tool's window.
        return Tr("The folder has two music folders of one name that both hold the game's files, so nothing can be "
                  "switched.");
    if (!report.IsGameFolder()) {
        if (report.missing_folders.size() == 2)
            // Translators: the first line of the repair tool's window.
            return Tr("This is not the game folder: it has no streammusic and streamsounds folders.");
        // Translators: %s is streammusic or streamsounds.
        return Format(Tr("This is not the game folder: it has no %s folder."), {report.missing_folders.front()});
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
    if (normal == kTrackCount && now)
        // Translators: the first line of the repair tool's window after a repair.
        return Tr("The names are now set for the normal music.");
    if (normal == kTrackCount)
        // Translators: the first line of the repair tool's window: what the game folder's names are set for.
        return Tr("The names are set for the normal music.");
    if (mod == kTrackCount && now)
        // Translators: the first line of the repair tool's window after a repair.
        return Tr("The names are now set for the mod's music.");
    if (mod == kTrackCount)
        // Translators: the first line of the repair tool's window: what the game folder's names are set for.
        return Tr("The names are set for the mod's music.");
    std::vector<std::string> parts;
    if (normal > 0)
        // Translators: a part of a mixed folder\'s line, "The folder is mixed: %s."; %zu is a count of tracks.
        parts.push_back(Format(TrN("%zu track set for the normal music", "%zu tracks set for the normal music", normal), {normal}));
    if (mod > 0)
        // Translators: a part of a mixed folder\'s line, "The folder is mixed: %s."; %zu is a count of tracks.
        parts.push_back(Format(TrN("%zu track set for the mod's music", "%zu tracks set for the mod's music", mod), {mod}));
    if (between > 0)
        // Translators: a part of a mixed folder\'s line, "The folder is mixed: %s."; %zu is a count of tracks.
        parts.push_back(Format(TrN("%zu track half-way between the two", "%zu tracks half-way between the two", between), {between}));
    if (lost.size() > 0)
        // Translators: a part of a mixed folder\'s line, "The folder is mixed: %s."; %zu is a count of tracks.
        parts.push_back(Format(TrN("%zu track missing", "%zu tracks missing", lost.size()), {lost.size()}));
    if (broken > 0)
        // Translators: a part of a mixed folder\'s line, "The folder is mixed: %s."; %zu is a count of tracks.
        parts.push_back(Format(TrN("%zu track with a problem", "%zu tracks with a problem", broken), {broken}));
    const char* const mixed = now
                                  // Translators: the first line of the repair tool's window after a repair; %s lists
                                  // the parts, such as "14 tracks set for the normal music, 7 tracks missing".
                                  ? Tr("The folder is now mixed: %s.")
                                  // Translators: the first line of the repair tool's window; %s lists the parts, such
                                  // as "14 tracks set for the normal music, 7 tracks missing".
                                  : Tr("The folder is mixed: %s.");
    std::string text = Format(mixed, {Commas(parts)});
    if (!lost.empty() && lost.size() <= 3)  // more are named in the list of problems
        // Translators: %s names the tracks (1 to 3) that have no file under any of their names.
        text = Then(text, Format(TrN("This track has no file at all: %s.", "These tracks have no file at all: %s.",
                                     lost.size()),
                                 {Commas(lost)}));
    if (!lost.empty())
        // Translators: "Normal music" is the repair tool's button, as translated.
        text = Then(text, Tr("To restore the game's own files, choose Normal music first, then let the game store "
                             "check the game's files (\"verify the game's files\")."));
    return text;
}

std::size_t CountOf(const std::vector<Reason>& reasons, Reason::Kind kind) {
    return static_cast<std::size_t>(std::ranges::count(reasons, kind, &Reason::kind));
}

// Why a target is greyed out, in a few words: the mod's files not in place, a
// game file lost, look-alikes, or else the problems listed. While a track's
// only file sits at its mod name, that alone is said.
// Translators for the clauses of this function: why a button of the repair tool is
// greyed out, after "Mod music is not available:", without a full stop.
std::string WhyNot(const FolderReport& report, Target target) {
    const std::vector<Reason>& reasons = report.Plan(target).reasons;
    std::vector<std::string> only;
    for (const Reason& reason : reasons)
        if (reason.kind == Reason::Kind::kOnlyAtModName) only.push_back(PathIn(reason.paths.at(3)));
    if (target == Target::kMod && !only.empty())
        // Translators: %s names the files at the mod's names that are their tracks' only files. This
        // protects the game's own tracks: keep "put no mod file in before then".
        return Format(TrN("%s is its track's only file, so choose Normal music first, and put no mod file in before then",
                          "%s are their tracks' only files, so choose Normal music first, and put no mod file in before "
                          "then",
                          only.size()),
                      {Commas(only)});
    std::vector<std::string> why;
    std::size_t mod_files = 0, lost = 0, look_alikes = 0;
    if (target == Target::kMod) {
        mod_files = CountOf(reasons, Reason::Kind::kModFileMissing);
        lost = CountOf(reasons, Reason::Kind::kLost);
        look_alikes = CountOf(reasons, Reason::Kind::kLookAlikes);
    }
    if (mod_files == 7)
        // Translators: why Mod music is greyed out, after "Mod music is not available:", without a full stop.
        why.push_back(Tr("the mod's 7 files are not in place"));
    else if (mod_files > 0)
        // Translators: %zu is from 1 to 6.
        why.push_back(Format(TrN("%zu of the mod's 7 files is not in place", "%zu of the mod's 7 files are not in place",
                                 mod_files),
                             {mod_files}));
    // One name with several look-alikes is said in full; more are counted, and listed below.
    if (look_alikes > 1)
        // Translators: why Mod music is greyed out, without a full stop; %zu is 2 or more.
        why.push_back(Format(TrN("%zu of the mod's files could each be one of several files, as listed",
                                 "%zu of the mod's files could each be one of several files, as listed", look_alikes),
                             {look_alikes}));
    for (const Reason& reason : reasons) {
        if (look_alikes != 1 || reason.kind != Reason::Kind::kLookAlikes) continue;
        if (reason.paths.size() == 2) {
            why.push_back(LookAlikeWords(reason));
            continue;
        }
        std::vector<std::string> candidates;
        for (std::size_t i = 1; i < reason.paths.size(); ++i) candidates.push_back(PathIn(reason.paths[i]));
        // Translators: %1$zu files (2 or more) could be the mod's file %2$s; %3$s lists them ("A and B").
        why.push_back(Format(TrN("%1$zu files could be %2$s: %3$s", "%1$zu files could be %2$s: %3$s", candidates.size()),
                             {candidates.size(), PathIn(reason.paths.front()), Listed(candidates)}));
    }
    if (lost > 0)
        // Translators: why Mod music is greyed out, without a full stop; %zu is a count of tracks.
        why.push_back(Format(TrN("a track of the game has no file at all", "%zu tracks of the game have no file at all", lost),
                             {lost}));
    // Translators: why a button is greyed out, without a full stop.
    if (reasons.size() > mod_files + lost + look_alikes) why.push_back(Tr("a track's files need sorting out first, as listed"));
    return Clauses(why);
}

}  // namespace

std::string Summary(const FolderReport& report) { return Describe(report, false); }

std::string SummaryAfterRepair(const FolderReport& report) { return Describe(report, true); }

std::string SummaryAfterRepair(const FolderReport& report, Target chosen) {
    std::string text = SummaryAfterRepair(report);
    const TargetPlan& plan = report.Plan(chosen);
    if (plan.Reached()) return text;
    const bool normal = chosen == Target::kNormal;
    if (!plan.possible)
        // Translators: after a repair, why the button chosen did not reach its music; %s says why.
        return Then(text, Format(normal ? Tr("Normal music is not reached yet: %s.")
                                        // Translators: after a repair, why Mod music was not reached; %s says why.
                                        : Tr("Mod music is not reached yet: %s."),
                                 {WhyNot(report, chosen)}));
    const std::size_t n = plan.in_order.size();
    return Then(text,
           // Translators: after a repair that did not reach Normal music; %zu files are still to rename.
           Format(normal ? TrN("Normal music is not reached yet: %zu file is still out of place. Start the repair tool "
                               "again to finish.",
                               "Normal music is not reached yet: %zu files are still out of place. Start the repair "
                               "tool again to finish.",
                               n)
                         // Translators: after a repair that did not reach Mod music; %zu files are still to rename.
                         : TrN("Mod music is not reached yet: %zu file is still out of place. Start the repair tool "
                               "again to finish.",
                               "Mod music is not reached yet: %zu files are still out of place. Start the repair tool "
                               "again to finish.",
                               n),
                  {n}));
}

std::string Advice(const FolderReport& report) {
    // Translators for the sentences of this function: the repair tool's advice, below its first line.
    // Translators: the repair tool's advice for a folder that is not the game folder.
    if (!report.IsGameFolder()) return Tr("Choose the game folder: the one that holds streammusic and streamsounds.");
    std::vector<std::string> sentences;
    const bool offered = report.normal.Offered() || report.mod.Offered();
    const bool found = !FoundRenames(report).empty();
    // Translators: "vornhaskel" is the program's name. This protects the player's files: keep
    // "never replaces a file".
    if (offered && found)
        // Translators: the repair tool's advice. "vornhaskel" is the program's name. This protects the player's
        // files: keep "never replaces a file".
        sentences.push_back(Tr("Close the game first. A button first gives the files found their exact names, then renames "
                               "only the files that are out of place, with the same renames as vornhaskel, and never "
                               "replaces a file."));
    else if (offered)
        // Translators: the repair tool's advice. "vornhaskel" is the program's name. This protects the player's
        // files: keep "never replaces a file".
        sentences.push_back(Tr("Close the game first. A button renames only the files that are out of place, with the same "
                               "renames as vornhaskel, and never replaces a file."));
    if (report.mod.Offered() && !report.finds_from_backups.empty()) {
        std::vector<std::string> folders;
        for (const std::string& folder : report.finds_from_backups) folders.push_back(PathIn(folder));
        // Translators: %s lists the folders the mod's files would come from ("A and B").
        sentences.push_back(Format(Tr("Mod music takes the mod's files from %s, which looks like a copy of the game's files: "
                                      "before you choose it, check that they are the mod's."),
                                   {Listed(folders)}));
    }
    if (!report.normal.possible)
        // Translators: %s says why, as one or more clauses.
        sentences.push_back(Format(Tr("Normal music is not available: %s."), {WhyNot(report, Target::kNormal)}));
    if (!report.mod.possible)
        // Translators: %s says why, as one or more clauses.
        sentences.push_back(Format(Tr("Mod music is not available: %s."), {WhyNot(report, Target::kMod)}));
    if (!offered && !report.normal.Reached() && !report.mod.Reached())
        // Translators: the repair tool's advice where neither button can be chosen.
        sentences.push_back(Tr("Nothing here can be switched until the problems listed are put right. Then start the repair "
                               "tool again."));
    // Translators: the repair tool's advice where the folder is all of one music.
    if (sentences.empty()) return Tr("Nothing needs repairing.");
    std::string text;
    for (const std::string& sentence : sentences) text = Then(text, sentence);
    return text;
}

std::string FoundSummary(const FolderReport& report) {
    const std::size_t n = report.mod_finds.size();
    if (n == 0) return {};
    std::vector<std::string> folders;
    for (const Rename& find : report.mod_finds) {
        const auto split = find.old_path.rfind('\\');
        std::string folder = split == std::string::npos ? Tr("the game folder") : PathIn(find.old_path.substr(0, split));
        if (std::ranges::find(folders, folder) == folders.end()) folders.push_back(std::move(folder));
    }
    // Translators: in the repair tool's window; %s lists the folders ("A and B") where the mod's files were found.
    if (n == 7) return Format(Tr("The mod's 7 files were found in %s."), {Listed(folders)});
    // Translators: in the repair tool's window; %1$zu is from 1 to 6, %2$s lists the folders ("A and B").
    return Format(TrN("%1$zu of the mod's 7 files was found in %2$s.", "%1$zu of the mod's 7 files were found in %2$s.", n),
                  {n, Listed(folders)});
}

std::vector<RenameList> FoundRenames(const FolderReport& report) {
    const std::vector<Rename> none;
    const auto& normal = report.normal.Offered() ? report.normal.found : none;
    const auto& mod = report.mod.Offered() ? report.mod.found : none;
    const auto in = [](const std::vector<Rename>& renames, const Rename& rename) {
        return std::ranges::find(renames, rename) != renames.end();
    };
    // Translators: headings in the repair tool's window over the list of renames that a button
    // (Normal music, Mod music) makes first; a line of the list follows each.
    RenameList both{Tr("Normal music and Mod music first rename:"), {}};
    // Translators: a heading in the repair tool's window over the renames that Normal music makes first.
    RenameList normal_only{Tr("Normal music first renames:"), {}};
    // Translators: a heading in the repair tool's window over the renames that Mod music makes first.
    RenameList mod_only{Tr("Mod music first renames:"), {}};
    const auto line = [](const Rename& rename) {
        // Translators: a line of the list of renames; %1$s is a file's path now, %2$s the path it will have.
        return Format(Tr("%1$s will become %2$s"), {PathIn(rename.old_path), PathIn(rename.new_path)});
    };
    for (const Rename& rename : normal) (in(mod, rename) ? both : normal_only).lines.push_back(line(rename));
    for (const Rename& rename : mod)
        if (!in(normal, rename)) mod_only.lines.push_back(line(rename));
    if (!both.lines.empty()) {
        // Translators: a heading after "Normal music and Mod music first rename:" and its list.
        normal_only.heading = Tr("Normal music also first renames:");
        // Translators: a heading after "Normal music and Mod music first rename:" and its list.
        mod_only.heading = Tr("Mod music also first renames:");
    }
    std::vector<RenameList> lists;
    for (RenameList* list : {&both, &normal_only, &mod_only})
        if (!list->lines.empty()) lists.push_back(std::move(*list));
    return lists;
}

std::string GreyedOut(const FolderReport& report, Target target) {
    const TargetPlan& plan = report.Plan(target);
    if (plan.Offered()) return {};
    const bool normal = target == Target::kNormal;
    // Translators for the sentences of this function: why the repair tool's button Normal music or
    // Mod music is greyed out, read as the button's description and in the window.
    if (plan.Reached())
        // Translators: the description of the repair tool's button Normal music, read by a screen reader and shown in
        // the window.
        return normal ? Tr("Normal music is greyed out: the names are set for the normal music already.")
                      // Translators: the description of the repair tool's button Mod music, read by a screen reader
                      // and shown in the window.
                      : Tr("Mod music is greyed out: the names are set for the mod's music already.");
    if (plan.reasons.empty())
        // Translators: the description of the repair tool's button Normal music.
        return normal ? Tr("Normal music is greyed out: it cannot be reached from here.")
                      // Translators: the description of the repair tool's button Mod music.
                      : Tr("Mod music is greyed out: it cannot be reached from here.");
    // Translators: the description of the repair tool's button Normal music; %s is the first reason, as listed in the
    // window.
    std::string text = Format(normal ? Tr("Normal music is greyed out: %s.")
                                     // Translators: the description of the repair tool's button Mod music; %s is the
                                     // first reason, as listed in the window.
                                     : Tr("Mod music is greyed out: %s."),
                              {Sentence(plan.reasons.front())});
    if (const std::size_t more = plan.reasons.size() - 1; more > 0)
        // Translators: follows "... is greyed out: REASON."; %zu is a count of reasons.
        text = Then(text, Format(TrN("%zu more reason is listed in this window.",
                                     "%zu more reasons are listed in this window.", more),
                                 {more}));
    return text;
}

std::string CannotOpenFolder(std::string_view folder, const std::error_code& error) {
    // Translators: %1$s is a folder's full path; %2$s the system's own words for why.
    return Format(Tr("Cannot open the folder %1$s: %2$s"), {FullPathIn(folder), error.message()});
}

std::string AfterFailure(std::string_view failure, const FolderReport& now, bool checked_first) {
    // Translators: the message after a rename of the repair failed; %s is the failure, with the
    // file's names and the system's own words. What the folder holds now and the sentences below follow.
    const std::string failed = Format(Tr("A rename failed, so the repair stopped: %s"), {failure});
    const char* const promise =
        // Translators: after a failed repair, on a drive where a rename could not refuse to replace a file itself.
        checked_first ? Tr("On this drive each rename checked first that its new name was free, then renamed: a file "
                           "that another program put there in between would have been replaced.")
                      // Translators: after a failed repair. Keep its force: nothing was lost or replaced.
                      : Tr("No file was lost or replaced.");
    // Translators: ends the message after a failed repair.
    return failed + "\n\n" + Then(Then(SummaryAfterRepair(now), promise), Tr("Start the repair tool again to finish."));
}

DialogWords ForDialog(const FolderReport& report, const game_folder::Resolution& resolution, bool changed) {
    DialogWords words;
    words.summary = Summary(report);
    if (const std::string found = FoundSummary(report); !found.empty()) words.advice = found + "\n\n";
    std::string advice = Then(changed ? Tr(kFolderChanged) : "", Advice(report));
    if (report.IsGameFolder())
        for (const Target target : {Target::kNormal, Target::kMod})
            if (report.Plan(target).Reached()) advice = Then(advice, GreyedOut(report, target));
    words.advice += advice;
    words.folder = game_folder::FolderLine(resolution);
    if (const std::string findings = game_folder::Findings(resolution); !findings.empty())
        words.folder += "\n" + findings;
    words.renames = FoundRenames(report);
    // Translators: the caption over the list of problems in the repair tool's window: for a game
    // folder, and for a folder that is not the game folder.
    words.reasons_caption = report.IsGameFolder() ? Tr("Why a button is greyed out")
                                                  // Translators: the caption over the list of problems in the repair
                                                  // tool's window, for a folder that is not the game folder.
                                                  : Tr("Details");
    words.reasons = Sentences(report.problems);
    return words;
}

std::string CannotFindBeside(std::string_view program, std::string_view launcher) {
    // Translators: the launcher's message; %1$s is the program's name, %2$s the launcher's: the
    // program is not beside the launcher. The system's own words follow.
    return Format(Tr("Cannot find %1$s beside %2$s"), {program, launcher});
}

std::string CannotStart(std::string_view program, std::string_view folder) {
    // Translators: the launcher's message; %s is the program's full path. The system's own words follow.
    if (folder.empty()) return Format(Tr("Cannot start %s"), {FullPathIn(program)});
    // Translators: the launcher's message; %1$s is the program's full path, %2$s the game folder.
    return Format(Tr("Cannot start %1$s in %2$s"), {FullPathIn(program), FullPathIn(folder)});
}

std::string PageLine(bool reasons, std::size_t first, std::size_t last, std::size_t count) {
    // Translators: in the Windows repair tool, over a list shown a page at a time: "Reasons 9 to 16 of 21.".
    return Format(reasons ? Tr("Reasons %1$zu to %2$zu of %3$zu.")
                          // Translators: in the Windows repair tool, over the list of renames shown a page at a time.
                          : Tr("Renames %1$zu to %2$zu of %3$zu."),
                  {first, last, count});
}

std::string PageLink(bool reasons, bool next) {
    // Translators: the links that turn the pages of a list in the Windows repair tool.
    if (reasons) return next ? Tr("Next reasons")
                             // Translators: a link that turns the page of a list in the Windows repair tool.
                             : Tr("Previous reasons");
    // Translators: a link that turns the page of a list in the Windows repair tool.
    return next ? Tr("Next renames")
                // Translators: a link that turns the page of a list in the Windows repair tool.
                : Tr("Previous renames");
}

std::string HeldBack(const ClickLook& look) {
    using enum ButtonLook::Outcome;
    // Translators for the sentences of this function: the one sentence of the launcher's window
    // that holds a click back before vornhaskel's window opens. "Rename (Enable-Mod)" and
    // "Un-rename (Normal Music)" are vornhaskel's own buttons, which are never translated: keep them
    // in English, exactly as they are written.
    if (!look.unlisted.empty())
        // Translators: %s is streammusic or streamsounds.
        return Format(Tr("The %s folder is missing or cannot be read, so a click would fail or stop part way."),
                      {look.unlisted.front()});
    if (const ButtonLook& rename = look.rename; rename.outcome == kStopsPartWay) {
        if (rename.done == kTrackCount)
            // Translators: keep "Rename (Enable-Mod)" in English.
            return Tr("The mod's 7 files are not in place: Rename (Enable-Mod) would put away the game's 21 tracks and "
                      "stop, leaving the game without music.");
        if (rename.done > kTrackCount) {
            const std::size_t placed = rename.done - kTrackCount, silent = 2 * kTrackCount - rename.done;
            // Translators: keep "Rename (Enable-Mod)" in English. %1$zu of the mod's files (1 to 6) would be put
            // in place; %2$zu tracks (15 to 20) would have no music. The plural form follows %2$zu: word
            // %1$zu so that it reads right for any count, as "%1$zu of the 7".
            return Format(TrN("The mod's 7 files are not all in place: Rename (Enable-Mod) would put away the game's 21 "
                              "tracks, put %1$zu of the mod's files in their place and stop, leaving the game without "
                              "music on %2$zu track.",
                              "The mod's 7 files are not all in place: Rename (Enable-Mod) would put away the game's 21 "
                              "tracks, put %1$zu of the mod's files in their place and stop, leaving the game without "
                              "music on %2$zu tracks.",
                              silent),
                          {placed, silent});
        }
        // Translators: keep "Rename (Enable-Mod)" in English. %1$zu tracks (1 to 20) would be put away;
        // %2$s is the file where it would stop.
        return Format(TrN("Rename (Enable-Mod) would put away %1$zu of the game's tracks and stop at %2$s, leaving the "
                          "game without them.",
                          "Rename (Enable-Mod) would put away %1$zu of the game's tracks and stop at %2$s, leaving the "
                          "game without them.",
                          rename.done),
                      {rename.done, PathIn(rename.stop->old_path)});
    }
    if (const ButtonLook& unrename = look.unrename; unrename.outcome == kStopsPartWay) {
        // Names cannot tell whose file the first one moves: the game's or the mod's.
        if (unrename.done == 1)
            // Translators: keep "Un-rename (Normal Music)" in English. %1$s is the file it would move;
            // %2$s the file where it would stop.
            return Format(Tr("Un-rename (Normal Music) would move %1$s to the mod's name and stop at %2$s, leaving the "
                             "folder half switched."),
                          {PathIn(UnrenameSequence.front().old_path), PathIn(unrename.stop->old_path)});
        // Translators: keep "Un-rename (Normal Music)" in English. %1$zu files (2 to 27) would be renamed;
        // %2$s is the file where it would stop.
        return Format(TrN("Un-rename (Normal Music) would rename %1$zu files and stop at %2$s, leaving the folder half "
                          "switched.",
                          "Un-rename (Normal Music) would rename %1$zu files and stop at %2$s, leaving the folder half "
                          "switched.",
                          unrename.done),
                      {unrename.done, PathIn(unrename.stop->old_path)});
    }
    // Translators: the sentence of the launcher's window that holds a click back, where neither of vornhaskel's
    // buttons could rename anything.
    return Tr("Neither button can change anything here: the first rename of each would fail, as after a switch "
              "that stopped part way.");
}

}  // namespace vornhaskel::repair

namespace vornhaskel::game_folder {

using translation::Format;
using translation::Tr;
using translation::TrN;

std::string FolderLine(const Resolution& resolution) {
    // Translators: the repair tool's line that names the folder it looks at; %s is its full path.
    if (!resolution.FoundOne()) return Format(Tr("Folder: %s"), {repair::FullPathIn(resolution.Taken())});
    // Translators: the repair tool's line that names the game folder; %s is its full path, perhaps
    // followed by where it was found, as in "/home/sam/Games/game (Steam library)".
    return Format(Tr("Game folder: %s"), {resolution.store.empty() ? repair::FullPathIn(resolution.Taken())
                                                                   : FoundWhere(resolution.Taken(), resolution.store)});
}

std::string FoundWhere(std::string_view folder, std::string_view store) {
    // Translators: a game folder that a store's record led to; %1$s is its full path, %2$s the
    // store's place, such as "Steam library", "Heroic" or "Lutris".
    return Format(Tr("%1$s (%2$s)"), {repair::FullPathIn(folder), Tr(std::string(store).c_str())});
}

std::string NotWhole(std::string_view folder, std::string_view store) {
    // Translators: %s is the game folder's path and where it was found, as in
    // "/home/sam/Games/game (Steam library)". "Normal music" is the repair tool's button.
    return Format(Tr("The game folder %s is not whole: let the store verify the game's files, after Normal music where "
                     "the mod's music is on."),
                  {FoundWhere(folder, store)});
}

std::string LookingIn(std::string_view folder) {
    // Translators: the one line of the window shown while the companions look for the game where
    // the stores installed it, before the first folder is read.
    if (folder.empty()) return Tr("Looking for the game where the stores installed it\u2026");
    // Translators: the same, with the folder read now; %s is its full path.
    return Format(Tr("Looking for the game where the stores installed it: %s"), {repair::FullPathIn(folder)});
}

std::string InstallsFound(std::size_t count) {
    // Translators: leads the choice among the game folders found; %zu is 2 or more.
    return Format(TrN("The game is installed in %zu folder. Choose the one to use:",
                      "The game is installed in %zu folders. Choose the one to use:", count),
                  {count});
}

std::string Lacks(const Resolution& resolution) {
    const auto& missing = resolution.missing_folders;
    const std::string folder = repair::FullPathIn(resolution.folder);
    if (resolution.mod_download)
        // Translators: for a folder that is not the game folder; %s is its full path.
        return Format(Tr("%s is not the game folder: its music folders hold only the mod's files."), {folder});
    // Translators: for a folder that is not the game folder; %s is its full path.
    if (missing.size() == 2) return Format(Tr("%s is not the game folder: it has no streammusic and streamsounds folders."), {folder});
    // Translators: %1$s is a folder's full path; %2$s is streammusic or streamsounds.
    if (missing.size() == 1) return Format(Tr("%1$s is not the game folder: it has no %2$s folder."), {folder, missing.front()});
    // Translators: for a folder that is not the game folder; %s is its full path.
    return Format(Tr("%s is not the game folder."), {folder});
}

std::string Findings(const Resolution& resolution) {
    if (resolution.found.empty())
        // Translators: below "... is not the game folder"; %zu is how deep the tools looked (2).
        return Format(TrN("No folder up to %zu level below it holds streammusic and streamsounds.",
                          "No folder up to %zu levels below it holds streammusic and streamsounds.",
                          static_cast<std::size_t>(kDepthBelow)),
                      {kDepthBelow});
    if (resolution.FoundOne()) return {};
    // Translators: below "... is not the game folder", over a list of the folders, one a line.
    std::string text = Format(TrN("%zu folder below it holds streammusic and streamsounds:",
                                  "%zu folders below it hold streammusic and streamsounds:", resolution.found.size()),
                              {resolution.found.size()});
    for (const std::string& folder : resolution.found) text += "\n\u2022 " + repair::FullPathIn(folder);
    return text;
}

}  // namespace vornhaskel::game_folder
