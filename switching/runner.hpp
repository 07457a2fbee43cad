// Performs rename steps against the working directory, one at a time.
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "tracks.hpp"

namespace vornhaskel {

// The rename primitive the runner calls for each step; RenameFile in the program.
// A test passes its own to make any step fail with any cause.
using RenameFunction = std::function<void(std::string_view old_path, std::string_view new_path)>;

// Calls rename for each step in order and stops at the first one that throws:
// later steps are not attempted, earlier ones stay done, and the exception
// reaches the caller untouched. No pre-check, no retry, no undo. The program runs
// whole sequences through it, the repair tool the steps of its plan.
void RunSteps(std::span<const RenameStep> steps, const RenameFunction& rename);

// Steps 1 to 28 of a sequence, through RunSteps.
void RunSequence(Sequence sequence);
void RunSequence(Sequence sequence, const RenameFunction& rename);

}  // namespace vornhaskel
