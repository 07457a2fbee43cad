// Test helpers: scratch game folders on disk and an in-memory model of one.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tracks.hpp"

namespace vornhaskel::test {

namespace fs = std::filesystem;

// A table path ("folder\file") as this platform spells it.
inline fs::path Native(std::string_view table_path) {
    std::string text(table_path);
    if (const auto split = text.find('\\'); split != std::string::npos) text[split] = '/';
    return fs::path(text).make_preferred();
}

inline std::string FolderOf(std::string_view table_path) {
    return std::string(table_path.substr(0, table_path.find('\\')));
}

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

// path -> contents. A folder is present when it is in `folders`.
struct FolderState {
    std::set<std::string> folders{"streammusic", "streamsounds"};
    std::map<std::string, std::string> files;

    bool operator==(const FolderState&) const = default;

    void RemoveFolder(const std::string& folder) {
        folders.erase(folder);
        std::erase_if(files, [&](const auto& file) { return FolderOf(file.first) == folder; });
    }

    // Applies one no-replace rename; false (and no change) where it must fail.
    bool Apply(const RenameStep& step) {
        if (!folders.contains(FolderOf(step.old_path))) return false;
        const auto from = files.find(std::string(step.old_path));
        if (from == files.end() || files.contains(std::string(step.new_path))) return false;
        std::string contents = std::move(from->second);
        files.erase(from);
        files.emplace(std::string(step.new_path), std::move(contents));
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
        for (const auto& [path, contents] : state.files) WriteFile(root_ / Native(path), contents);
    }

    // Reads back every managed name, plus anything else found in the two folders.
    FolderState Read() const {
        FolderState state;
        state.folders.clear();
        for (const auto& folder : {"streammusic", "streamsounds"}) {
            if (!fs::is_directory(root_ / folder)) continue;
            state.folders.insert(folder);
            for (const auto& entry : fs::directory_iterator(root_ / folder)) {
                const std::string key = std::string(folder) + "\\" + entry.path().filename().string();
                state.files[key] = entry.is_regular_file() ? ReadFile(entry.path()) : std::string("<not a file>");
            }
        }
        return state;
    }

private:
    fs::path root_;
    fs::path previous_;
};

}  // namespace vornhaskel::test
