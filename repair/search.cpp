#include "search.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace vornhaskel::repair {

namespace {

// A path in the table's form, relative to the game folder, as the renames take it.
std::string TablePath(std::string_view folder, std::string_view name) {
    return folder.empty() ? std::string(name) : std::string(folder) + "\\" + std::string(name);
}

std::vector<FolderEntry> Sorted(std::vector<FolderEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

// Folders still to list, with their depth; a vector read from the front, as
// the search never needs more than the one pass.
using Queue = std::vector<std::pair<std::string, std::size_t>>;

class Searcher {
public:
    Searcher(const std::vector<Wanted>& wanted, const ListFunction& list, const MountFunction& another_mount)
        : wanted_(wanted), list_(list), another_mount_(another_mount) {
        result_.candidates.resize(wanted.size());
    }

    SearchResult Run() && {
        std::error_code error;
        const std::vector<FolderEntry> root = Sorted(list_("", error));
        if (error) {
            result_.problems.push_back({Reason::Kind::kGameFolderUnsearchable, {}, error});
            return std::move(result_);
        }
        std::vector<std::string> music;
        for (const Wanted& wanted : wanted_)
            if (std::find(music.begin(), music.end(), wanted.folder) == music.end()) music.push_back(wanted.folder);
        anywhere_ok_.resize(wanted_.size());
        for (std::size_t i = 0; i < wanted_.size(); ++i)
            anywhere_ok_[i] = wanted_[i].anywhere && PlainFolder(root, wanted_[i].folder);
        Queue queue;
        const bool root_whole = Visit("", 0, root, queue, music);
        // The music folders whatever the entry limit: their own names are looked for there.
        for (const std::string& folder : music) {
            std::vector<FolderEntry> entries = Sorted(list_(folder, error));
            if (error)
                NotRead({Reason::Kind::kFolderNotRead, {folder}, error});
            else
                Visit(folder, 1, entries, queue, {}, PlainFolder(root, folder), false);
        }
        if (!root_whole) Stop("", queue.size());
        for (std::size_t next = 0; root_whole && next < queue.size(); ++next) {
            const auto [folder, depth] = queue[next];
            const std::vector<FolderEntry> entries = Sorted(list_(folder, error));
            if (error) {
                NotRead({Reason::Kind::kFolderNotRead, {folder}, error});
            } else if (!Visit(folder, depth, entries, queue, {})) {
                Stop(folder, queue.size() - next - 1);
                break;
            }
        }
        if (!read_all_) WithholdFindsFromAway();
        MarkFilesOnAnotherMount();
        return std::move(result_);
    }

private:
    void NotRead(Reason why) {
        read_all_ = false;
        result_.problems.push_back(std::move(why));
    }

    // What the stop left unread: the rest of `folder`, and the folders still
    // waiting, with all below them.
    void Stop(const std::string& folder, std::size_t waiting) {
        result_.stopped = true;
        read_all_ = false;
        Reason stop(Reason::Kind::kSearchStopped, {folder});
        stop.count = waiting;
        result_.problems.push_back(std::move(stop));
    }

    // Where a folder was not read, a find away from its own folder may not be
    // the only one, and none of those is used. Beside a find in the name's own
    // music folder, one from away is kept, as no file, so that the two still
    // keep each other from standing in alone; without one it is dropped.
    void WithholdFindsFromAway() {
        for (std::size_t i = 0; i < wanted_.size(); ++i) {
            std::vector<Candidate>& candidates = result_.candidates[i];
            const auto own = [folder = std::string_view(wanted_[i].folder)](const Candidate& candidate) {
                const std::string_view path = candidate.path;
                return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '\\' &&
                       path.find('\\', folder.size() + 1) == std::string_view::npos;
            };
            if (std::none_of(candidates.begin(), candidates.end(), own)) {
                candidates.clear();
                continue;
            }
            for (Candidate& candidate : candidates)
                if (!own(candidate)) candidate.kind = EntryKind::kOther;
        }
    }

    // A rename cannot take a file to another mount: such a file is kept as a
    // candidate, so that it still keeps any other from standing in alone.
    void MarkFilesOnAnotherMount() {
        if (!another_mount_) return;
        for (std::size_t i = 0; i < wanted_.size(); ++i)
            for (Candidate& candidate : result_.candidates[i])
                if (candidate.kind == EntryKind::kFile && another_mount_(candidate.path, wanted_[i].folder))
                    candidate.kind = EntryKind::kOther;
    }

    static bool PlainFolder(const std::vector<FolderEntry>& root, std::string_view name) {
        return std::any_of(root.begin(), root.end(),
                           [&](const FolderEntry& e) { return e.name == name && e.kind == EntryKind::kFolder; });
    }

    // Matches one folder's entries and queues its subfolders, except those in
    // `skip`; false once the entry limit is reached, which only `counted`
    // entries count towards.
    bool Visit(const std::string& folder, std::size_t depth, const std::vector<FolderEntry>& entries, Queue& queue,
               const std::vector<std::string>& skip, bool descend = true, bool counted = true) {
        for (const FolderEntry& entry : entries) {
            if (counted && ++seen_ > kSearchEntryLimit) return false;
            const bool enter = descend && entry.kind == EntryKind::kFolder && depth < kSearchDepth;
            if (const Unspelt why = WhyNotSpelt(entry.name); why != Unspelt::kNo) {
                // A file so named is no look-alike of a table name, all of which
                // are plain ASCII; a folder so named cannot be entered.
                if (enter) {
                    Reason unread(Reason::Kind::kFolderNotRead, {folder, entry.name});
                    unread.unspelt = why;
                    NotRead(std::move(unread));
                }
                continue;
            }
            const std::string path = TablePath(folder, entry.name);
            for (std::size_t i = 0; i < wanted_.size(); ++i) {
                const bool own = folder == wanted_[i].folder;
                // Away from its own folder, only through plain folders: a rename from
                // inside a linked folder could reach outside the game folder's drive.
                if ((own || (anywhere_ok_[i] && descend)) && MayStandFor(entry.name, wanted_[i].name))
                    result_.candidates[i].push_back({path, entry.kind});
            }
            if (enter && std::find(skip.begin(), skip.end(), path) == skip.end()) queue.emplace_back(path, depth + 1);
        }
        return true;
    }

    const std::vector<Wanted>& wanted_;
    const ListFunction& list_;
    const MountFunction& another_mount_;
    std::vector<bool> anywhere_ok_;
    std::size_t seen_ = 0;
    bool read_all_ = true;
    SearchResult result_;
};

}  // namespace

SearchResult Search(const std::vector<Wanted>& wanted, const ListFunction& list, const MountFunction& another_mount) {
    return Searcher(wanted, list, another_mount).Run();
}

const Candidate* StandIn(const SearchResult& result, std::size_t i) {
    const auto& mine = result.candidates.at(i);
    if (mine.size() != 1 || mine.front().kind != EntryKind::kFile) return nullptr;
    for (std::size_t other = 0; other < result.candidates.size(); ++other)
        if (other != i && std::find(result.candidates[other].begin(), result.candidates[other].end(), mine.front()) !=
                              result.candidates[other].end())
            return nullptr;
    return &mine.front();
}

Reason LookAlikes(std::string_view missing, const std::vector<Candidate>& candidates) {
    Reason reason(Reason::Kind::kLookAlikes, {std::string(missing)});
    for (const Candidate& candidate : candidates) {
        reason.paths.push_back(candidate.path);
        reason.kinds.push_back(candidate.kind);
    }
    return reason;
}

}  // namespace vornhaskel::repair
