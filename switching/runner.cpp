#include "runner.hpp"

#include "rename_file.hpp"

namespace vornhaskel {

// One loop for the program, the repair tool and the tests alike: the program's
// overload is the tested one with the real rename plugged in.
void RunSequence(Sequence sequence) { RunSteps(sequence, RenameFile); }

void RunSequence(Sequence sequence, const RenameFunction& rename) { RunSteps(sequence, rename); }

void RunSteps(std::span<const RenameStep> steps, const RenameFunction& rename) {
    for (const RenameStep& step : steps) rename(step.old_path, step.new_path);
}

}  // namespace vornhaskel
