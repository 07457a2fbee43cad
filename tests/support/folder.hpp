// Test helpers: scratch game folders on disk, an in-memory model of one, and a
// model of the folders around it.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "folder_look.hpp"
#include "tracks.hpp"

namespace vornhaskel::test {

namespace fs = std::filesystem;

// A path of the table's form ("folder\\file", any number of parts) as this platform spells it.
inline fs::path Native(std::string_view table_path) {
    std::string text(table_path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return fs::path(text).make_preferred();
}

inline std::string FolderOf(std::string_view table_path) {
    return std::string(table_path.substr(0, table_path.find('\\')));
}

// "" for a name directly in the game folder.
inline std::string ParentOf(std::string_view path) {
    const auto split = path.rfind('\\');
    return split == std::string_view::npos ? std::string() : std::string(path.substr(0, split));
}

inline std::string NameOf(std::string_view path) { return std::string(path.substr(path.rfind('\\') + 1)); }

// Every managed path: 21 live, 21 backup and 7 mod names.
inline std::vector<std::string> AllPaths() {
    std::vector<std::string> paths;
    for (const Track& track : TrackTable) {
        const std::string stem = std::string(track.folder) + "\\" + std::string(track.base);
        paths.push_back(stem + ".wav");
        paths.push_back(stem + ".original.wav");
        if (track.mod_replacement) paths.push_back(stem + ".mod.wav");
    }
    return paths;
}

// What a game folder holds, by paths of the table's form: the two music
// folders and anything else players put below the game folder.
struct FolderState {
    std::set<std::string> folders{"streammusic", "streamsounds"};
    std::map<std::string, std::string> files;  // path -> contents
    // Entries that a listing shows as a link or as another file system's
    // ("linked", "mounted" -> kLink, kOther), whatever the sets above say of them.
    std::map<std::string, EntryKind> listed_as;
    // Names that reach another folder of the sets above (a link or a bind
    // mount -> its target), whatever their own entries hold.
    std::map<std::string, std::string> same_as;
    bool ignores_case = false;  // the drive answers to a name in any case, as FAT and exFAT do

    bool operator==(const FolderState&) const = default;

    bool Exists(const std::string& path) const { return files.contains(path) || folders.contains(path); }

    void RemoveFolder(const std::string& folder) {
        folders.erase(folder);
        std::erase_if(files, [&](const auto& file) { return FolderOf(file.first) == folder; });
    }

    // Applies one no-replace rename of a file or a folder, with all it holds;
    // false (and no change) where it must fail.
    bool Apply(const RenameStep& step) {
        const std::string from(step.old_path), to(step.new_path);
        const std::string parent = ParentOf(to);
        if (!Exists(from) || Exists(to) || (!parent.empty() && !folders.contains(parent))) return false;
        if (const auto file = files.find(from); file != files.end()) {
            std::string contents = std::move(file->second);
            files.erase(file);
            files.emplace(to, std::move(contents));
            return true;
        }
        const auto moved = [&](const std::string& path) {
            return path == from ? to : path.starts_with(from + "\\") ? to + path.substr(from.size()) : path;
        };
        std::set<std::string> new_folders;
        for (const auto& folder : folders) new_folders.insert(moved(folder));
        std::map<std::string, std::string> new_files;
        for (auto& [path, contents] : files) new_files.emplace(moved(path), std::move(contents));
        folders = std::move(new_folders);
        files = std::move(new_files);
        return true;
    }

    // Runs steps up to the first that cannot run; returns the number completed.
    std::size_t Run(std::span<const RenameStep> sequence) {
        std::size_t done = 0;
        while (done < sequence.size() && Apply(sequence[done])) ++done;
        return done;
    }
};

inline void PrintTo(const FolderState& state, std::ostream* out) {
    for (const auto& folder : state.folders) *out << "[" << folder << "] ";
    for (const auto& [path, kind] : state.listed_as) *out << "[" << path << " listed as " << int(kind) << "] ";
    for (const auto& [path, target] : state.same_as) *out << "[" << path << " reaches " << target << "] ";
    if (state.ignores_case) *out << "[ignores case] ";
    for (const auto& [path, contents] : state.files) *out << "\n  " << path << " = " << contents;
}

// Normal music: 21 stock files under live names, 7 mod files under mod names.
inline FolderState NormalMusic() {
    FolderState state;
    for (const Track& track : TrackTable) {
        const std::string stem = std::string(track.folder) + "\\" + std::string(track.base);
        state.files[stem + ".wav"] = "stock " + std::string(track.base);
        if (track.mod_replacement) state.files[stem + ".mod.wav"] = "mod " + std::string(track.base);
    }
    return state;
}

inline FolderState ModActive() {
    FolderState state = NormalMusic();
    state.Run(RenameSequence);
    return state;
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& path, std::string_view contents) {
    std::ofstream out(path, std::ios::binary);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

// A fresh folder under `parent` that becomes the working directory, as the game
// folder is for the program, and is removed afterwards.
class ScratchGameFolder {
public:
    explicit ScratchGameFolder(const fs::path& parent = fs::temp_directory_path()) {
        static std::mt19937_64 seed{std::random_device{}()};
        root_ = parent / ("vornhaskel-test-" + std::to_string(seed()));
        fs::create_directories(root_);
        previous_ = fs::current_path();
        fs::current_path(root_);
    }
    ~ScratchGameFolder() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(root_, ignored);
    }
    ScratchGameFolder(const ScratchGameFolder&) = delete;
    ScratchGameFolder& operator=(const ScratchGameFolder&) = delete;

    const fs::path& root() const { return root_; }

    void Write(const FolderState& state) const {
        // Emptied rather than removed where the folder stays: some FUSE drives refuse rmdir.
        for (const auto& folder : {"streammusic", "streamsounds"}) {
            if (!state.folders.contains(folder)) {
                fs::remove_all(root_ / folder);
                continue;
            }
            fs::create_directory(root_ / folder);
            for (const auto& entry : fs::directory_iterator(root_ / folder)) fs::remove_all(entry.path());
        }
        for (const auto& folder : state.folders) fs::create_directories(root_ / Native(folder));
        for (const auto& [path, contents] : state.files) WriteFile(root_ / Native(path), contents);
    }

    // Reads back every folder and file below the game folder; an entry that is
    // neither reads as a file "<not a file>".
    FolderState Read() const {
        FolderState state;
        state.folders.clear();
        for (auto entry = fs::recursive_directory_iterator(root_); entry != fs::recursive_directory_iterator();
             ++entry) {
            std::string key = entry->path().lexically_relative(root_).generic_string();
            std::replace(key.begin(), key.end(), '/', '\\');
            std::error_code error;  // a link in a loop or to nowhere is no folder and no file
            const bool link = entry->is_symlink(error);
            if (!link && entry->is_directory(error))
                state.folders.insert(key);
            else
                state.files[key] = !link && entry->is_regular_file(error) ? ReadFile(entry->path())
                                                                          : std::string("<not a file>");
        }
        return state;
    }

private:
    fs::path root_;
    fs::path previous_;
};

// Folders as the game folder's resolution lists them, from one line of full
// paths written with "/": "/a/" is a folder, "/a" a file, "/a->/b" a link to /b,
// "?/a/" a folder on another file system, "!/a/" a folder that cannot be listed.
// The folders above each entry are made for it. On Windows the paths it answers
// with, and the ones it is asked for, spell "/" as "\\".
class FolderTree {
public:
    explicit FolderTree(std::string_view listing) {
        std::istringstream items{std::string(listing)};
        for (std::string item; items >> item;) {
            EntryKind kind = item.ends_with('/') ? EntryKind::kFolder : EntryKind::kFile;
            if (item.starts_with('?')) kind = EntryKind::kOther;
            if (item.starts_with('!')) unreadable_.insert(Path(item.substr(1, item.size() - 2)));
            if (item.starts_with('?') || item.starts_with('!')) item.erase(0, 1);
            if (const auto arrow = item.find("->"); arrow != std::string::npos) {
                links_[Path(item.substr(0, arrow))] = Path(item.substr(arrow + 2));
                item.resize(arrow);
                kind = EntryKind::kLink;
            }
            if (item.ends_with('/')) item.pop_back();
            kinds_[Path(item)] = kind;
        }
        std::vector<std::string> given;
        for (const auto& entry : kinds_) given.push_back(entry.first);
        for (std::string path : given)
            while ((path = Above(path)) != Path("/")) kinds_.try_emplace(path, EntryKind::kFolder);
    }

    // "/a/b" as this platform spells it.
    static std::string Path(std::string path) {
#ifdef _WIN32
        std::replace(path.begin(), path.end(), '/', '\\');
#endif
        return path;
    }

    // Lists a folder as ListFolder does: a link given is followed, entries are not.
    std::vector<FolderEntry> List(std::string_view folder, std::error_code& error) const {
        error.clear();
        std::string path(folder);
        if (const auto link = links_.find(path); link != links_.end()) path = link->second;
        if (unreadable_.contains(path)) {
            error = std::make_error_code(std::errc::permission_denied);
            return {};
        }
        const auto kind = kinds_.find(path);
        if (path != Path("/") && (kind == kinds_.end() || kind->second == EntryKind::kFile)) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
            return {};
        }
        std::vector<FolderEntry> entries;
        for (const auto& [entry, entry_kind] : kinds_)
            if (entry != path && Above(entry) == path)
                entries.push_back({entry.substr(entry.find_last_of(Path("/")) + 1), entry_kind});
        return entries;
    }

private:
    static std::string Above(const std::string& path) {
        const auto at = path.find_last_of(Path("/"));
        return at == 0 ? Path("/") : path.substr(0, at);
    }

    std::map<std::string, EntryKind> kinds_;
    std::map<std::string, std::string> links_;
    std::set<std::string> unreadable_;
};

}  // namespace vornhaskel::test
