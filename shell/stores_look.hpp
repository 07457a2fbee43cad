// The stores' look, run beside the windows: on a cold drive it can take
// seconds. Where it takes longer than kQuietLook, the tool's window says where
// it is looking and offers Cancel; where it is quicker, nothing shows.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "folder_flow.hpp"
#include "stores.hpp"

namespace vornhaskel::flow {

inline constexpr std::chrono::milliseconds kQuietLook{500};

// Runs `find` on a thread of its own, told where it is looking through the
// function it is given. Where it has not ended within `quiet`,
// windows.WhileLooking shows the line repair::LookingIn gives for the folder
// it reads now, until it ends. Returns what it found (an exception it threw is
// thrown here), or nothing on Cancel: the look cannot be stopped in a read, so
// it is left to run on, and the tool is to end without renaming anything. Where
// no thread can start, the look runs here, with no window.
std::optional<stores::Found> FindBesideTheWindows(FolderWindows& windows, const Stores::Find& find,
                                                  std::chrono::milliseconds quiet = kQuietLook);

}  // namespace vornhaskel::flow
