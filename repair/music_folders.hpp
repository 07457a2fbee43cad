// Which entries of a folder are its two music folders, and whether that folder
// is the mod's own download rather than a game folder. The folder resolution and
// the repair planner both ask this, so that they never disagree on either.
//
// A music folder's name matches in any case. Where two entries spell one name
// (possible on a case-sensitive drive: the game's "StreamSounds" and a
// "streamsounds" that unzipping the mod made), the music folder is the one
// that holds the game's own names; one that holds none of them is a place where
// the mod's files were left. Two entries that reach one folder (a link or a
// bind mount beside its target) are one music folder, under the table's name,
// which the renames use. Only lists folders and looks at where names lead:
// nothing is opened or renamed.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "reasons.hpp"
#include "folder_look.hpp"

namespace vornhaskel {

// Lists an entry of the folder looked at, by its name there.
using ListEntryFunction = std::function<std::vector<FolderEntry>(std::string_view name, std::error_code& error)>;

// Whether `name` is a music folder's name, in any case.
bool IsMusicFolderName(std::string_view name);

// What a folder's entries hold of the 21 tracks' names, in any case, a doubled
// ".wav" allowed: the game's own (live or backup) and the mod's.
struct ManagedNames {
    bool game = false;
    bool mod = false;
};
ManagedNames ManagedNamesIn(const std::vector<FolderEntry>& entries);

struct MusicFolder {
    std::string name;                 // the table's: "streammusic" or "streamsounds"
    std::string entry;                // the entry taken for it, as the folder spells it; "" where none is
    std::optional<repair::Reason> problem;  // why no entry was taken, where some entry spells its name
    bool clash = false;               // several entries spelling its name hold the game's names
    ManagedNames holds;               // what the entry taken holds; a folder that cannot be listed holds the game's
    bool name_answers = false;        // the table's name reaches something, though no entry spells it so

    bool Found() const { return !entry.empty(); }
    // The entry taken is renamed to the table's name first, where nothing else
    // holds that name and the drive does not answer to it already: a drive that
    // ignores case (FAT, exFAT) finds the entry under the table's name as it is,
    // and refuses the rename. Never on Windows, which ignores case everywhere.
    bool NeedsRename(const std::vector<FolderEntry>& entries) const;
};

struct MusicFolders {
    std::array<MusicFolder, 2> folders;  // in the order of kMusicFolders

    // The table's names of the music folders that no entry stands for; a clash
    // is no missing folder, but a problem of its own.
    std::vector<std::string> Missing() const;
    // Both music folders, holding the mod's names and none of the game's.
    bool ModDownload() const;
};

// Where a name of the folder looked at leads (IdentityOf, by its name there).
using EntryIdentityFunction = std::function<std::optional<Identity>(std::string_view name, std::error_code& error)>;

// `entries` are the folder's own; `list` lists one of them by name, and
// `identity` tells where one leads. Without `identity`, every entry is a
// folder of its own, an entry listed as neither folder nor link is none, and
// a music folder spelt otherwise is renamed.
MusicFolders FindMusicFolders(const std::vector<FolderEntry>& entries, const ListEntryFunction& list,
                              const EntryIdentityFunction& identity = {});

}  // namespace vornhaskel
