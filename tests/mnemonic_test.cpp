// The companions' captions, written with "&" for both platforms, as GTK reads them.
#include <gtest/gtest.h>

#include <string>

#include "common_window.hpp"

namespace {

TEST(Mnemonic, MarksTheKeyAsGtkDoesAndKeepsEveryOtherCharacter) {
    const struct {
        const char* caption;
        const char* gtk;
    } cases[] = {
        {"&Normal music", "_Normal music"},
        {"Choose &another folder\u2026", "Choose _another folder\u2026"},
        {"Normale M&usik", "Normale M_usik"},
        {"Close", "Close"},                             // no key at all
        {"Save && quit", "Save & quit"},                // a doubled ampersand is one
        {"&&Tom && &Jerry", "&Tom & _Jerry"},
        {"snake_case &x", "snake__case _x"},            // an underscore of its own is no key
        {"&\u00c9diter", "_\u00c9diter"},               // a key that is not ASCII
        {"Last &", "Last &"},                           // a last ampersand marks nothing
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(vornhaskel::Mnemonic(c.caption), c.gtk) << c.caption;
}

}  // namespace
