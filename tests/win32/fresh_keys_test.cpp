// Which key messages the fresh-press filter drops, for each key that acts:
// a press that began before the window had the keyboard, or an auto-repeat,
// must neither act on its down nor, for Space, on its up.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "fresh_keys.hpp"

namespace {

using vornhaskel::win32::FreshKeys;

constexpr LPARAM kFresh = 1;                              // repeat count 1, the key was up
constexpr LPARAM kAlreadyDown = 1 | (LPARAM{1} << 30);    // auto-repeat, or held from before
constexpr LPARAM kUp = 1 | (LPARAM{3} << 30);             // a release: previous state down, transition

struct Key {
    UINT message;
    LPARAM flags;
    bool dropped;
};

struct Case {
    const char* name;
    std::vector<Key> keys;  // to one filter that has seen nothing before
};

const Case kCases[] = {
    {"held from before: every repeat and the release dropped",
     {{WM_KEYDOWN, kAlreadyDown, true}, {WM_KEYDOWN, kAlreadyDown, true}, {WM_KEYUP, kUp, true}}},
    {"fresh press and release pass", {{WM_KEYDOWN, kFresh, false}, {WM_KEYUP, kUp, false}}},
    {"fresh press held: its repeats dropped, its release passes",
     {{WM_KEYDOWN, kFresh, false}, {WM_KEYDOWN, kAlreadyDown, true}, {WM_KEYUP, kUp, false}}},
    {"a fresh press after a dropped one passes",
     {{WM_KEYDOWN, kAlreadyDown, true}, {WM_KEYUP, kUp, true}, {WM_KEYDOWN, kFresh, false}, {WM_KEYUP, kUp, false}}},
    {"with Alt held, alike",
     {{WM_SYSKEYDOWN, kAlreadyDown, true}, {WM_SYSKEYUP, kUp, true}, {WM_SYSKEYDOWN, kFresh, false},
      {WM_SYSKEYUP, kUp, false}}},
};

class FreshKeysTest : public testing::TestWithParam<WPARAM> {};

TEST_P(FreshKeysTest, DropsPressesThatWereNotFreshAndTheirReleases) {
    for (const Case& sequence : kCases) {
        FreshKeys filter;
        for (std::size_t step = 0; step < sequence.keys.size(); ++step) {
            const Key& key = sequence.keys[step];
            const MSG message{nullptr, key.message, GetParam(), key.flags, 0, {}};
            EXPECT_EQ(filter.Drops(message), key.dropped) << sequence.name << ", message " << step + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EnterSpaceEscape, FreshKeysTest, testing::Values(VK_RETURN, VK_SPACE, VK_ESCAPE));

TEST(FreshKeys, OtherKeysAlwaysPass) {
    FreshKeys filter;
    for (const WPARAM key : {WPARAM{VK_TAB}, WPARAM{'N'}, WPARAM{VK_MENU}})
        for (const UINT message : {UINT{WM_KEYDOWN}, UINT{WM_KEYUP}, UINT{WM_SYSKEYDOWN}, UINT{WM_SYSKEYUP}})
            EXPECT_FALSE(filter.Drops(MSG{nullptr, message, key, kAlreadyDown, 0, {}})) << key << ", " << message;
}

}  // namespace
