// Cost of RunSequence against the bare system calls it wraps: both sequences
// back to back on a tmpfs game folder, versus the same 56 renameat2 calls in a
// plain loop. Ends with "RunSequence/raw ratio: X.XX" (medians).
#ifndef _GNU_SOURCE
#define _GNU_SOURCE 1
#endif
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <stdexcept>

#include "median.hpp"
#include "runner.hpp"
#include "support/folder.hpp"

namespace {

using namespace vornhaskel;

void BothSequences(benchmark::State& state) {
    for (auto _ : state) {
        RunSequence(RenameSequence);
        RunSequence(UnrenameSequence);
    }
}

void RawRenameat2(benchmark::State& state) {
    std::vector<std::pair<std::string, std::string>> calls;
    for (Sequence sequence : {Sequence(RenameSequence), Sequence(UnrenameSequence)})
        for (const RenameStep& step : sequence)
            calls.emplace_back(test::Native(step.old_path).string(), test::Native(step.new_path).string());
    for (auto _ : state)
        for (const auto& [from, to] : calls)
            if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
                state.SkipWithError("rename failed");
}

BENCHMARK(BothSequences)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(RawRenameat2)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    const test::ScratchGameFolder folder = ScratchOnTmpfs();
    folder.Write(test::NormalMusic());

    MedianReporter reporter;
    RunInterleaved(argc, argv, reporter);
    const double ratio = reporter.medians.at("BothSequences") / reporter.medians.at("RawRenameat2");
    std::printf("RunSequence/raw ratio: %.2f\n", ratio);
    return 0;
}
