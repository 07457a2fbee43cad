#include "runner.hpp"

#include "rename_file.hpp"

namespace vornhaskel {

// One loop for the program and the tests alike: the program's overload is the
// tested one with the real rename plugged in.
void RunSequence(Sequence sequence) { RunSequence(sequence, RenameFile); }

void RunSequence(Sequence sequence, const RenameFunction& rename) {
    for (const RenameStep& step : sequence) rename(step.old_path, step.new_path);
}

}  // namespace vornhaskel
