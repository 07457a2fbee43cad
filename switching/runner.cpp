#include "runner.hpp"

#include "rename_file.hpp"

namespace vornhaskel {

void RunSequence(Sequence sequence) {
    for (const RenameStep& step : sequence) RenameFile(step.old_path, step.new_path);
}

void RunSequence(Sequence sequence, const RenameFunction& rename) {
    for (const RenameStep& step : sequence) rename(step.old_path, step.new_path);
}

}  // namespace vornhaskel
