// What each of the program's two buttons would do in a folder, worked out
// before its window opens, by following the two fixed sequences over the names
// the folder holds, with the program's own rule for a rename: the old name
// must be there and the new one free. Nothing is renamed or opened. A look is
// a look: if the folder changes before the click, the program does what it
// always does. The look decides nothing the program does.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "folder_look.hpp"
#include "tracks.hpp"

namespace vornhaskel {

// How the platform matches a path to a name: letter for letter on Linux, in any
// case on Windows.
enum class NameCase { kExact, kAnyCase };
#ifdef _WIN32
inline constexpr NameCase kPlatformNameCase = NameCase::kAnyCase;
#else
inline constexpr NameCase kPlatformNameCase = NameCase::kExact;
#endif

struct ButtonLook {
    enum class Outcome {
        kCompletes,       // all 28 renames would succeed
        kChangesNothing,  // the first rename would fail: nothing would change
        kStopsPartWay,    // some renames would succeed, then one would fail
    };
    Outcome outcome = Outcome::kCompletes;
    std::size_t done = 0;            // renames that would succeed before the stop; 28 where it completes
    std::optional<RenameStep> stop;  // the rename that would fail
    bool new_name_taken = false;     // it would fail because its new name is taken, not for want of its old one
};

struct ClickLook {
    ButtonLook rename;    // "Rename (Enable-Mod)"
    ButtonLook unrename;  // "Un-rename (Normal Music)"
    std::vector<std::string_view> unlisted;  // the music folders that are not there or could not be listed

    // Whether a click can do no harm: one button completes and the other
    // completes or changes nothing.
    bool Harmless() const;
};

// The names in each music folder, in the order of kMusicFolders; nullopt for a
// music folder that is not there or cannot be listed, where every rename fails.
using MusicNames = std::array<std::optional<std::vector<std::string>>, 2>;

ClickLook LookBeforeClick(const MusicNames& names, NameCase rule = kPlatformNameCase);

// The names of `folder`'s music folders, each listed by its path as the
// program reaches it ("folder/streammusic"); `folder` "" for the working directory.
MusicNames ListMusicNames(std::string_view folder, const ListFunction& list = ListFolder);

}  // namespace vornhaskel
