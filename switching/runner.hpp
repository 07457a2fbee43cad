// Performs one rename sequence against the working directory.
#pragma once

#include <functional>
#include <string_view>

#include "tracks.hpp"

namespace vornhaskel {

// The rename primitive the runner calls for each step; RenameFile in the program.
// A test passes its own to make any step fail with any cause.
using RenameFunction = std::function<void(std::string_view old_path, std::string_view new_path)>;

// Calls rename for steps 1 to 28 in order and stops at the first one that throws:
// later steps are not attempted, earlier ones stay done, and the exception
// reaches the caller untouched. No pre-check, no retry, no undo.
void RunSequence(Sequence sequence);
void RunSequence(Sequence sequence, const RenameFunction& rename);

}  // namespace vornhaskel
