// The managed tracks and the two fixed rename sequences.
//
// The music that is active is recorded nowhere but in the names of 28 files.
// Each sequence assumes the folder state that the other one leaves behind;
// nothing here is derived from what is on disk.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace vornhaskel {

struct Track {
    std::string_view folder;  // "streammusic" or "streamsounds", under the working directory
    std::string_view base;    // live: base.wav, backup: base.original.wav, mod: base.mod.wav
    bool mod_replacement;     // whether the mod supplies a file for this track
};

// A path is "folder\file", relative to the working directory, used letter for letter.
struct RenameStep {
    std::string_view old_path;
    std::string_view new_path;

    bool operator==(const RenameStep&) const = default;
};

// The two music folders, directly under the working directory.
inline constexpr std::array<std::string_view, 2> kMusicFolders{"streammusic", "streamsounds"};

inline constexpr std::size_t kTrackCount = 21;
inline constexpr std::size_t kStepCount = 28;

using Sequence = std::span<const RenameStep, kStepCount>;

extern const std::array<Track, kTrackCount> TrackTable;

// Normal music -> mod active: park all 21 stock files, then move the 7 mod files onto live names.
extern const std::array<RenameStep, kStepCount> RenameSequence;

// Mod active -> normal music: folder by folder, each mod file leaves its live name
// before the stock file returns to it.
extern const std::array<RenameStep, kStepCount> UnrenameSequence;

}  // namespace vornhaskel
