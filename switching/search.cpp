#include "search.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace vornhaskel::repair {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Valid UTF-8 without U+FFFD, the mark of a name that Windows could not spell
// in UTF-8: only such a name comes back letter for letter through a path.
bool SpeltExactly(std::string_view name) {
    if (name.find('\\') != std::string_view::npos || name.find("\xEF\xBF\xBD") != std::string_view::npos)
        return false;
    for (std::size_t i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                                : lead >= 0xF0 && lead < 0xF5     ? 4
                                                                                  : 0;
        if (length == 0 || i + length > name.size()) return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(name[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string Join(std::string_view folder, std::string_view name) {
    return folder.empty() ? std::string(name) : std::string(folder) + "\\" + std::string(name);
}

std::vector<FolderEntry> Sorted(std::vector<FolderEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
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

// Folders still to list, with their depth; a vector read from the front, as
// the search never needs more than the one pass.
using Queue = std::vector<std::pair<std::string, std::size_t>>;

class Searcher {
public:
    Searcher(const std::vector<Wanted>& wanted, const ListFunction& list) : wanted_(wanted), list_(list) {
        result_.candidates.resize(wanted.size());
    }

    SearchResult Run() && {
        std::error_code error;
        const std::vector<FolderEntry> root = Sorted(list_("", error));
        if (error) {
            result_.problems.push_back("The game folder cannot be searched: " + error.message());
            return std::move(result_);
        }
        // The music folders first: their own names are looked for there whatever the entry limit.
        std::vector<std::string> music;
        for (const Wanted& wanted : wanted_)
            if (std::find(music.begin(), music.end(), wanted.folder) == music.end()) music.push_back(wanted.folder);
        anywhere_ok_.resize(wanted_.size());
        for (std::size_t i = 0; i < wanted_.size(); ++i)
            anywhere_ok_[i] = wanted_[i].anywhere && PlainFolder(root, wanted_[i].folder);
        Queue queue;
        if (!Visit("", 0, root, queue, music)) return Stopped();
        for (const std::string& folder : music) {
            std::vector<FolderEntry> entries = Sorted(list_(folder, error));
            if (error) {
                result_.problems.push_back(folder + " cannot be searched: " + error.message());
                continue;
            }
            if (!Visit(folder, 1, entries, queue, {}, PlainFolder(root, folder))) return Stopped();
        }
        for (std::size_t next = 0; next < queue.size(); ++next) {
            const auto [folder, depth] = queue[next];
            const std::vector<FolderEntry> entries = Sorted(list_(folder, error));
            if (!error && !Visit(folder, depth, entries, queue, {})) return Stopped();  // one that cannot be listed adds nothing
        }
        return std::move(result_);
    }

private:
    // After a stop, a find away from its own folder may not be the only one:
    // none of those is used, and the stop is among the problems.
    SearchResult Stopped() {
        for (std::size_t i = 0; i < wanted_.size(); ++i)
            std::erase_if(result_.candidates[i], [&](const Candidate& candidate) {
                const std::string_view path = candidate.path, folder = wanted_[i].folder;
                return !(path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '\\' &&
                         path.find('\\', folder.size() + 1) == std::string_view::npos);
            });
        return std::move(result_);
    }

    static bool PlainFolder(const std::vector<FolderEntry>& root, std::string_view name) {
        return std::any_of(root.begin(), root.end(),
                           [&](const FolderEntry& e) { return e.name == name && e.kind == EntryKind::kFolder; });
    }

    // Matches one folder's entries and queues its subfolders, except those in
    // `skip`; false once the entry limit is reached.
    bool Visit(const std::string& folder, std::size_t depth, const std::vector<FolderEntry>& entries,
               Queue& queue, const std::vector<std::string>& skip,
               bool descend = true) {
        for (const FolderEntry& entry : entries) {
            if (++seen_ > kSearchEntryLimit) {
                result_.stopped = true;
                static_assert(kSearchEntryLimit == 50'000, "the words below give the limit");
                result_.problems.push_back(
                    "The search stopped after 50,000 entries: folders further below the game folder were not looked "
                    "at");
                return false;
            }
            if (!SpeltExactly(entry.name)) continue;
            const std::string path = Join(folder, entry.name);
            for (std::size_t i = 0; i < wanted_.size(); ++i) {
                const bool own = folder == wanted_[i].folder;
                // Away from its own folder, only through plain folders: a rename from
                // inside a linked folder could reach outside the game folder's drive.
                if ((own || (anywhere_ok_[i] && descend)) && MayStandFor(entry.name, wanted_[i].name))
                    result_.candidates[i].push_back({path, entry.kind});
            }
            if (descend && entry.kind == EntryKind::kFolder && depth < kSearchDepth &&
                std::find(skip.begin(), skip.end(), path) == skip.end())
                queue.emplace_back(path, depth + 1);
        }
        return true;
    }

    const std::vector<Wanted>& wanted_;
    const ListFunction& list_;
    std::vector<bool> anywhere_ok_;
    std::size_t seen_ = 0;
    SearchResult result_;
};

}  // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

bool MayStandFor(std::string_view found, std::string_view wanted) {
    if (EqualIgnoringCase(found, wanted)) return true;
    // found is wanted + ".wav", and wanted itself ends in ".wav".
    constexpr std::string_view kWav = ".wav";
    return wanted.size() >= kWav.size() && found.size() == wanted.size() + kWav.size() &&
           EqualIgnoringCase(wanted.substr(wanted.size() - kWav.size()), kWav) &&
           EqualIgnoringCase(found.substr(0, wanted.size()), wanted) &&
           EqualIgnoringCase(found.substr(wanted.size()), kWav);
}

std::vector<Candidate> FolderCandidates(std::string_view name, const ListFunction& list) {
    std::error_code error;
    std::vector<Candidate> candidates;
    for (const FolderEntry& entry : Sorted(list("", error)))
        if (SpeltExactly(entry.name) && MayStandFor(entry.name, name)) candidates.push_back({entry.name, entry.kind});
    return candidates;
}

SearchResult Search(const std::vector<Wanted>& wanted, const ListFunction& list) {
    return Searcher(wanted, list).Run();
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

std::string WhyNoStandIn(std::string_view missing, const std::vector<Candidate>& candidates) {
    std::string text = std::string(missing) + " is missing, and ";
    if (candidates.size() == 1 && candidates.front().kind != EntryKind::kFile)
        return text + candidates.front().path + " has its name but is " + KindWords(candidates.front().kind) +
               ": put the file itself there";
    if (candidates.size() == 1)
        return text + candidates.front().path + " could be it, but so could another name: move it there yourself";
    text += std::to_string(candidates.size()) + " could be it:";
    const char* separator = " ";
    for (const Candidate& candidate : candidates) {
        text += separator + candidate.path;
        separator = ", ";
    }
    return text + ". Keep the right one and move the others out of the game folder";
}

}  // namespace vornhaskel::repair
