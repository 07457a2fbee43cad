// A competing creator: another thread keeps creating files at a sequence's new
// names while the sequence runs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <random>
#include <thread>
#include <unistd.h>

#include "rename_file.hpp"
#include "runner.hpp"
#include "support/folder.hpp"

namespace vornhaskel::test {

// Whatever the interleaving, nothing the creator made is replaced and nothing is
// lost. How many trials the creator interrupts depends on the machine's load, so
// that count is recorded, not asserted; the system-call tests hit the window on purpose.
inline void RaceCreators(const RenameFunction& rename, const fs::path& parent, int trials = 300) {
    std::mt19937 random(7);
    int interrupted_midway = 0;
    for (int trial = 0; trial < trials; ++trial) {
        ScratchGameFolder game(parent);
        game.Write(NormalMusic());
        std::vector<std::string> targets;
        for (const RenameStep& step : RenameSequence) targets.push_back(Native(step.new_path).string());
        std::shuffle(targets.begin(), targets.end(), random);
        const auto delay = static_cast<unsigned>(random() % 4000);

        std::atomic<bool> go{false}, done{false};
        std::vector<std::string> created;
        std::thread creator([&] {
            while (!go.load()) {}
            for (unsigned spin = 0; spin < delay; ++spin) std::atomic_signal_fence(std::memory_order_seq_cst);
            while (!done.load())
                for (const std::string& target : targets) {
                    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
                    if (fd < 0) continue;
                    const std::string contents = "racer " + target;
                    EXPECT_EQ(::write(fd, contents.data(), contents.size()), static_cast<ssize_t>(contents.size()));
                    ::close(fd);
                    created.push_back(contents);
                }
        });
        go = true;
        std::optional<std::error_code> failure;
        std::size_t attempted = 0;
        try {
            RunSequence(RenameSequence, [&](std::string_view from, std::string_view to) {
                ++attempted;
                rename(from, to);
            });
        } catch (const RenameError& e) {
            failure = e.code();
        }
        done = true;
        creator.join();

        if (failure) {
            EXPECT_EQ(*failure, std::errc::file_exists);
            interrupted_midway += attempted > 1;
        }
        std::multiset<std::string> expected, found;
        for (const auto& [path, contents] : NormalMusic().files) expected.insert(contents);
        expected.insert(created.begin(), created.end());
        for (const auto& [path, contents] : game.Read().files) found.insert(contents);
        ASSERT_EQ(found, expected) << "trial " << trial;
    }
    ::testing::Test::RecordProperty("interrupted_midway", interrupted_midway);
}

}  // namespace vornhaskel::test
