// Every sentence the repair tools and the launcher show about a folder: what
// the planner, the search and the folder resolution decided, in words, in the
// player's language (translation.hpp). Paths are shown with this platform's
// separator, and a name's control characters written out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "click_look.hpp"
#include "game_folder.hpp"
#include "reasons.hpp"
#include "repair.hpp"
#include "translation.hpp"

namespace vornhaskel::repair {

// One reason as a sentence, without a full stop, for a list of problems.
std::string Sentence(const Reason& reason);
std::vector<std::string> Sentences(const std::vector<Reason>& reasons);

// One line for the window on what the folder holds, such as "The names are set
// for the normal music." or "The folder is mixed: 14 tracks set for the normal music, ...".
std::string Summary(const FolderReport& report);

// The same after a repair, read afresh from the folder: "The names are now set for ...".
std::string SummaryAfterRepair(const FolderReport& report);
// The same after a repair towards `chosen`: where the folder, read afresh, has
// not reached it, what is still out of place follows.
std::string SummaryAfterRepair(const FolderReport& report, Target chosen);

// What the player can do next, for the window's second line.
std::string Advice(const FolderReport& report);

// One line on the mod's files that were found away from their names, such as
// "The mod's 7 files were found in MyMusicMod/streamsounds and MyMusicMod/streammusic.";
// empty where none were.
std::string FoundSummary(const FolderReport& report);

// The renames that the offered plans make first, under a heading such as
// "Mod music first renames:", one line each: "MyMusicMod/streamsounds/mus_sbat_acad.mod.wav
// will become streamsounds/mus_sbat_acad.mod.wav". A rename that both make is
// said once, under "Normal music and Mod music first rename:". Empty where no
// plan makes any.
struct RenameList {
    std::string heading;
    std::vector<std::string> lines;
};
std::vector<RenameList> FoundRenames(const FolderReport& report);

// What the repair dialog says, composed once for both platforms.
struct DialogWords {
    std::string summary;  // what the names are set for, its first line
    // Where the mod's files were found, that the folder changed, what to do,
    // and why a target the names are set for already is greyed out.
    std::string advice;
    std::string folder;                 // the folder line, and what was found below a folder that is no game folder
    std::vector<RenameList> renames;    // FoundRenames
    std::string reasons_caption;        // "Why a button is greyed out", or "Details" for no game folder
    std::vector<std::string> reasons;   // every problem, one sentence each
};
DialogWords ForDialog(const FolderReport& report, const game_folder::Resolution& resolution, bool changed);

// Leads the advice when the folder was read again after a button was chosen and
// no longer matched what the window showed: it is asked about afresh.
// Translators: leads the repair tool's advice, before the rest of it.
inline constexpr char kFolderChanged[] = N_("The folder changed while this window was open, so it has been read again.");

// The message after a rename of the plan failed: that it failed, with the
// failure's own words, then what the folder holds now, read afresh. `checked_first` where a rename that ran had to
// check its new name before renaming (RenameWay::kCheckedFirst): then it cannot
// promise that no file was replaced.
std::string AfterFailure(std::string_view failure, const FolderReport& now, bool checked_first = false);

// Why a target's button is greyed out, naming it, such as "Normal music is
// greyed out: the names are set for the normal music already."; "" where it is offered.
// A target that cannot be reached gives its first reason and a count of the rest.
std::string GreyedOut(const FolderReport& report, Target target);

// "Cannot open the folder FOLDER: REASON", for a folder that could not be
// listed or entered, shown printable.
std::string CannotOpenFolder(std::string_view folder, const std::error_code& error);

// Why the launcher holds a click back, in one sentence: a music folder it
// could not read, else what a button that would stop part way would leave
// (Rename's first), else that neither can do anything. For a look that is not Harmless().
std::string HeldBack(const ClickLook& look);

// The words of the companions' own windows and failures, beside those about a
// folder, marked for the catalogs: translated (Tr) where they are shown.
// Translators: the title of the folder chooser of the launcher and the repair tool.
inline constexpr char kChooserTitle[] = N_("Choose the game folder");
// Translators: a message after the folder chooser, for a folder of a network place without a local path.
inline constexpr char kChosenFolderNotLocal[] = N_("The chosen folder is not on this computer's file system.");
// Translators: leads the system's own words where a window of the companions could not be shown.
inline constexpr char kWindowNotShown[] = N_("The window could not be shown");
// Translators: leads the system's own words where the folder chooser could not be shown.
inline constexpr char kChooserNotShown[] = N_("The folder chooser could not be shown");
// Translators: the repair tool's captions that open and close the list of reasons a button is greyed out.
inline constexpr char kShowReasons[] = N_("Show reasons");
// Translators: the same caption, while the list of reasons is open.
inline constexpr char kHideReasons[] = N_("Hide reasons");

// "Cannot find vornhaskel beside vornhaskel-launch", for a program that is not
// where the launcher was unpacked; the system's words follow.
std::string CannotFindBeside(std::string_view program, std::string_view launcher);

// "Cannot start PROGRAM" (in FOLDER, where one is given); the system's words follow.
std::string CannotStart(std::string_view program, std::string_view folder = {});

// A list shown a page at a time in the Windows dialog: "Renames 9 to 16 of 21."
// (of the found renames) or "Reasons 9 to 16 of 21.", and its links' captions,
// "Previous renames", "Next reasons".
std::string PageLine(bool reasons, std::size_t first, std::size_t last, std::size_t count);
std::string PageLink(bool reasons, bool next);

}  // namespace vornhaskel::repair

namespace vornhaskel::game_folder {

// The dialog's line that names the folder: "Game folder: PATH" once found, else
// "Folder: PATH"; where a store's record led to it, the store follows:
// "Game folder: PATH (Steam library)".
std::string FolderLine(const Resolution& resolution);

// A game folder that a store's record led to, as the choice among several
// lists it: "PATH (Steam library)".
std::string FoundWhere(std::string_view folder, std::string_view store);

// A game folder that a store's record leads to but that is not whole, in one
// sentence: "The game folder PATH (Steam library) is not whole: ...", with what
// to do about it.
std::string NotWhole(std::string_view folder, std::string_view store);

// The line of the window shown while the stores' look runs long: "Looking for
// the game where the stores installed it: PATH", the folder being read now;
// without a path before the first one.
std::string LookingIn(std::string_view folder);

// The lead of the choice among the game folders that the stores' records lead
// to: "The game is installed in 2 folders. Choose the one to use:".
std::string InstallsFound(std::size_t count);

// For a resolution that found no game folder or several: what the folder lacks,
// "PATH is not the game folder: it has no streamsounds folder.", and what was
// found below it, "No folder up to 2 levels below it holds streammusic and
// streamsounds." or "2 folders below it hold streammusic and streamsounds:" with
// one bulleted path a line.
std::string Lacks(const Resolution& resolution);
std::string Findings(const Resolution& resolution);

}  // namespace vornhaskel::game_folder
