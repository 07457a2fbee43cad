// What both benchmark programs share: a console reporter that also keeps each
// benchmark's median, for the ratio that a program prints last, and a scratch
// game folder on tmpfs.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/vfs.h>
#include <vector>

#include "support/folder.hpp"

class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {}  // no colours: the last line is read by scripts

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "median") medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

// Runs the benchmarks with repetitions interleaved, so that drift in a shared
// machine's speed hits both sides alike.
inline void RunInterleaved(int argc, char** argv, MedianReporter& reporter) {
    std::vector<char*> arguments(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave.data());
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

// A scratch game folder on /dev/shm, so that no disk's speed enters the
// figures; the program ends with status 2 where /dev/shm is not a tmpfs.
inline vornhaskel::test::ScratchGameFolder ScratchOnTmpfs() {
    constexpr long kTmpfsMagic = 0x01021994;
    struct statfs info {};
    if (::statfs("/dev/shm", &info) != 0 || info.f_type != kTmpfsMagic) {
        std::fprintf(stderr, "/dev/shm is not a tmpfs\n");
        std::exit(2);
    }
    return vornhaskel::test::ScratchGameFolder("/dev/shm");
}
