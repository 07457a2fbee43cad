#include "search.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace vornhaskel::repair {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of the UTF-8 character that starts `text`, or 0 where none does.
std::size_t CharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                            : lead >= 0xF0 && lead < 0xF5     ? 4
                                                                              : 0;
    if (length == 0 || length > text.size()) return 0;
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// Why `name` does not come back letter for letter through a path, or null
// where it does: only valid UTF-8 without U+FFFD, the mark of a name that
// Windows could not spell in UTF-8, and without a backslash, does.
const char* WhyNotSpelt(std::string_view name) {
    if (name.find('\\') != std::string_view::npos) return "its name holds a backslash";
    if (name.find("\xEF\xBF\xBD") != std::string_view::npos)
        return "its name holds a character that cannot be spelt in UTF-8";
    for (std::size_t i = 0, length; i < name.size(); i += length)
        if ((length = CharacterLength(name.substr(i))) == 0) return "its name is not valid UTF-8";
    return nullptr;
}

bool SpeltExactly(std::string_view name) { return WhyNotSpelt(name) == nullptr; }

// A name in a line for the player: a control character, or a byte that is no
// character, as "\xNN", so that nothing in a name can start a line of its own.
std::string Escaped(std::string_view name) {
    std::string text;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = CharacterLength(name.substr(i));
        const auto byte = static_cast<unsigned char>(name[i]);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            const char digits[] = "0123456789ABCDEF";
            text += {'\\', 'x', digits[byte >> 4], digits[byte & 0xF]};
            ++i;
        } else {
            text.append(name.substr(i, length));
            i += length;
        }
    }
    return text;
}

// A folder of the search as the player reads it: "MyMod/sub", "the game folder".
std::string Shown(std::string_view folder) {
    if (folder.empty()) return "the game folder";
    std::string text = Escaped(folder);
    std::replace(text.begin(), text.end(), '\\', '/');  // its names hold none of their own
    return text;
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

constexpr char kNoneFromAway[] = "so no file found away from its own folder is used";

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
            result_.problems.push_back("The game folder cannot be searched: " + error.message());
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
                NotRead(Shown(folder) + " could not be read: " + error.message());
            else
                Visit(folder, 1, entries, queue, {}, PlainFolder(root, folder), false);
        }
        if (!root_whole) Stop("", queue.size());
        for (std::size_t next = 0; root_whole && next < queue.size(); ++next) {
            const auto [folder, depth] = queue[next];
            const std::vector<FolderEntry> entries = Sorted(list_(folder, error));
            if (error) {
                NotRead(Shown(folder) + " could not be read: " + error.message());
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
    void NotRead(const std::string& why) {
        read_all_ = false;
        result_.problems.push_back(why + ", " + kNoneFromAway);
    }

    // Says what the stop left unread: the rest of `folder`, and the folders
    // still waiting, with all below them.
    void Stop(const std::string& folder, std::size_t waiting) {
        result_.stopped = true;
        read_all_ = false;
        static_assert(kSearchEntryLimit == 50'000, "the words below give the limit");
        std::string words = "The search read the music folders in full but stopped after 50,000 other entries, " +
                            std::string(kNoneFromAway) + ": " + Shown(folder) + " was read only in part";
        if (waiting > 0)
            words += ", and " + (waiting == 1 ? std::string("1 more folder") : std::to_string(waiting) + " more folders") +
                     " not at all";
        result_.problems.push_back(std::move(words));
    }

    // Where a folder was not read, a find away from its own folder may not be
    // the only one: only the finds in a name's own music folder are kept.
    void WithholdFindsFromAway() {
        for (std::size_t i = 0; i < wanted_.size(); ++i)
            std::erase_if(result_.candidates[i], [&](const Candidate& candidate) {
                const std::string_view path = candidate.path, folder = wanted_[i].folder;
                return !(path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '\\' &&
                         path.find('\\', folder.size() + 1) == std::string_view::npos);
            });
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
            if (const char* why = WhyNotSpelt(entry.name)) {
                // A file so named is no look-alike of a table name, all of which
                // are plain ASCII; a folder so named cannot be entered.
                if (enter)
                    NotRead((folder.empty() ? "" : Shown(folder) + "/") + Escaped(entry.name) + " was not read: " + why);
                continue;
            }
            const std::string path = Join(folder, entry.name);
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
