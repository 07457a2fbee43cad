#include "music_folders.hpp"

#include <algorithm>

#include "names.hpp"
#include "search.hpp"
#include "tracks.hpp"

namespace vornhaskel {

namespace {

bool StandsForTrackName(std::string_view name, bool mod) {
    return std::ranges::any_of(TrackTable, [name, mod](const Track& track) {
        const std::string base(track.base);
        if (mod) return track.mod_replacement && MayStandFor(name, base + ".mod.wav");
        return MayStandFor(name, base + ".wav") || MayStandFor(name, base + ".original.wav");
    });
}

// An entry that may be a music folder: a folder of this drive under the name in
// any case, or, under the exact name, which the renames follow, a link or a
// folder where another is mounted (a bind mount, another drive).
bool Usable(const FolderEntry& entry, std::string_view name, const EntryIdentityFunction& identity) {
    if (entry.kind == EntryKind::kFolder) return true;
    if (entry.name != name) return false;
    if (entry.kind == EntryKind::kLink) return true;
    if (entry.kind != EntryKind::kOther || !identity) return false;
    std::error_code error;
    const std::optional<Identity> where = identity(entry.name, error);
    return where && where->folder;
}

MusicFolder Find(std::string_view name, const std::vector<FolderEntry>& entries, const ListEntryFunction& list,
                 const EntryIdentityFunction& identity) {
    MusicFolder folder{std::string(name), {}, {}, false, {}, false};
    std::vector<repair::Candidate> unusable;
    struct Listed {
        std::string entry;
        ManagedNames holds;
    };
    std::vector<Listed> usable;
    for (const FolderEntry& entry : entries) {
        // A file under the exact name is no folder at all, and no look-alike of one either.
        if (!EqualIgnoringCase(entry.name, name) || (entry.kind == EntryKind::kFile && entry.name == name))
            continue;
        if (!Usable(entry, name, identity)) {
            unusable.push_back({entry.name, entry.kind});
            continue;
        }
        std::error_code error;
        const std::vector<FolderEntry> inside = list(entry.name, error);
        if (error && entry.kind == EntryKind::kLink) {
            folder.problem = repair::Reason{repair::Reason::Kind::kMusicFolderLinkNowhere, {entry.name}, error};
            continue;
        }
        // What cannot be listed may hold anything: it counts as holding the game's files.
        usable.push_back({entry.name, error ? ManagedNames{true, false} : ManagedNamesIn(inside)});
    }
    if (identity && usable.size() > 1) {
        // One folder reached under two names counts once, under the table's name where it is one of them.
        std::vector<std::optional<Identity>> where;
        for (const Listed& listed : usable) {
            std::error_code error;
            where.push_back(identity(listed.entry, error));
        }
        std::vector<Listed> once;
        for (std::size_t i = 0; i < usable.size(); ++i) {
            bool twice = false;
            for (std::size_t j = 0; j < usable.size() && !twice; ++j)
                twice = j != i && where[i] && where[j] == where[i] &&
                        (usable[j].entry == name || (usable[i].entry != name && j < i));
            if (!twice) once.push_back(std::move(usable[i]));
        }
        usable = std::move(once);
    }
    std::ranges::sort(usable, {}, &Listed::entry);
    const auto games = std::ranges::count_if(usable, [](const Listed& l) { return l.holds.game; });
    const auto exact = std::ranges::find(usable, name, &Listed::entry);
    const Listed* taken = nullptr;
    if (usable.size() == 1)
        taken = &usable.front();
    else if (games == 1)
        taken = &*std::ranges::find_if(usable, [](const Listed& l) { return l.holds.game; });
    else if (games == 0 && exact != usable.end())
        taken = &*exact;
    if (taken != nullptr) {
        folder.entry = taken->entry;
        folder.holds = taken->holds;
        folder.problem.reset();
        // FUSE drives give each spelling of a name an inode of its own, so where
        // no entry spells the table's name, its answering at all tells that the
        // drive ignores case and found the entry taken.
        if (identity && folder.entry != name && std::ranges::none_of(entries, [name](const FolderEntry& e) {
                return e.name == name;
            })) {
            std::error_code error;
            folder.name_answers = identity(name, error).has_value();
        }
        return folder;
    }
    if (games > 1) {
        folder.clash = true;
        std::vector<std::string> holding;
        for (const Listed& listed : usable)
            if (listed.holds.game) holding.push_back(listed.entry);
        holding.insert(holding.begin(), folder.name);
        folder.problem = repair::Reason{repair::Reason::Kind::kMusicFoldersClash, std::move(holding)};
    } else if (!usable.empty()) {
        std::vector<repair::Candidate> candidates;
        for (const Listed& listed : usable) candidates.push_back({listed.entry, EntryKind::kFolder});
        folder.problem = repair::LookAlikes(name, candidates);
    } else if (unusable.size() == 1) {
        folder.problem = repair::Reason{repair::Reason::Kind::kMusicFolderNotPlain, {folder.name, unusable.front().path}};
    } else if (!unusable.empty()) {
        folder.problem = repair::LookAlikes(name, unusable);
    }
    return folder;
}

}  // namespace

bool IsMusicFolderName(std::string_view name) {
    return std::ranges::any_of(kMusicFolders, [name](std::string_view music) { return EqualIgnoringCase(name, music); });
}

ManagedNames ManagedNamesIn(const std::vector<FolderEntry>& entries) {
    ManagedNames names;
    for (const FolderEntry& entry : entries) {
        names.game = names.game || StandsForTrackName(entry.name, false);
        names.mod = names.mod || StandsForTrackName(entry.name, true);
    }
    return names;
}

bool MusicFolder::NeedsRename([[maybe_unused]] const std::vector<FolderEntry>& entries) const {
#ifdef _WIN32
    return false;  // Windows finds the folder under the table's name in any case
#else
    return Found() && entry != name && !name_answers &&
           std::ranges::none_of(entries, [this](const FolderEntry& e) { return e.name == name; });
#endif
}

std::vector<std::string> MusicFolders::Missing() const {
    std::vector<std::string> missing;
    for (const MusicFolder& folder : folders)
        if (!folder.Found() && !folder.clash) missing.push_back(folder.name);
    return missing;
}

bool MusicFolders::ModDownload() const {
    bool mod = false;
    for (const MusicFolder& folder : folders) {
        if (!folder.Found() || folder.holds.game) return false;
        mod = mod || folder.holds.mod;
    }
    return mod;
}

MusicFolders FindMusicFolders(const std::vector<FolderEntry>& entries, const ListEntryFunction& list,
                              const EntryIdentityFunction& identity) {
    MusicFolders found;
    for (std::size_t i = 0; i < kMusicFolders.size(); ++i)
        found.folders[i] = Find(kMusicFolders[i], entries, list, identity);
    return found;
}

}  // namespace vornhaskel
