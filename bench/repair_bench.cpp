// Cost of the repair tool's look at a game folder when it must search: the
// folder with 20,000 other files in 200 folders, the mod unpacked into a folder
// of its own, against a bare game folder where nothing is missing and nothing
// is searched. Both on tmpfs. Ends with "search/bare ratio: X.XX" (medians).
//
//   repair_bench [benchmark options]
//   repair_bench --make DIR    writes DIR/big and DIR/bare for bench/startup.py, and ends
#include <cstdio>
#include <cstring>
#include <string>

#include "median.hpp"
#include "repair.hpp"
#include "support/folder.hpp"

namespace {

using namespace vornhaskel;

// Normal music, nothing missing.
void MakeBare(const test::fs::path& root) {
    for (const auto& [path, contents] : test::NormalMusic().files) {
        test::fs::create_directories((root / test::Native(path)).parent_path());
        test::WriteFile(root / test::Native(path), contents);
    }
}

// The game's files alone in the music folders, the mod's 7 in MyMusicMod, and
// 20,000 more files two and three levels down.
void MakeBig(const test::fs::path& root) {
    for (const auto& [path, contents] : test::NormalMusic().files) {
        const test::fs::path where = path.ends_with(".mod.wav") ? root / "MyMusicMod" / test::Native(path)
                                                                : root / test::Native(path);
        test::fs::create_directories(where.parent_path());
        test::WriteFile(where, contents);
    }
    for (int a = 0; a < 20; ++a)
        for (int b = 0; b < 10; ++b) {
            const test::fs::path folder = root / "data" / ("pack" + std::to_string(a)) / ("part" + std::to_string(b));
            test::fs::create_directories(folder);
            for (int c = 0; c < 100; ++c) test::WriteFile(folder / ("file" + std::to_string(c) + ".bin"), "x");
        }
}

test::fs::path bare, big;

void Examine(benchmark::State& state, const test::fs::path& folder, bool searched) {
    test::fs::current_path(folder);
    for (auto _ : state) {
        const repair::FolderReport report = repair::ExamineFolder();
        if (!report.mod.Offered() || report.mod.found.size() != (searched ? 7u : 0u))
            state.SkipWithError("not the folder expected");
        benchmark::DoNotOptimize(report);
    }
}

void ExamineBare(benchmark::State& state) { Examine(state, bare, false); }
void ExamineWithSearch(benchmark::State& state) { Examine(state, big, true); }

BENCHMARK(ExamineBare)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(ExamineWithSearch)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0) {
        MakeBare(test::fs::path(argv[2]) / "bare");
        MakeBig(test::fs::path(argv[2]) / "big");
        return 0;
    }
    const test::ScratchGameFolder folder = ScratchOnTmpfs();
    bare = folder.root() / "bare";
    big = folder.root() / "big";
    MakeBare(bare);
    MakeBig(big);

    MedianReporter reporter;
    RunInterleaved(argc, argv, reporter);
    test::fs::current_path(folder.root());
    const double ratio = reporter.medians.at("ExamineWithSearch") / reporter.medians.at("ExamineBare");
    std::printf("search/bare ratio: %.2f\n", ratio);
    return 0;
}
