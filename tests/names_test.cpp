#include <gtest/gtest.h>

#include <string>

#include "names.hpp"

namespace vornhaskel::test {
namespace {

// What a list shows of a name: every character that would end a line, hide, or
// turn the rest of a row around is written out; every other character, in any
// script, is kept as it is.
TEST(Names, PrintableWritesOutWhatWouldBreakOrHideARow) {
    const struct {
        const char* what;
        std::string name, shown;
    } rows[] = {
        {"plain ASCII", "mus_sbat_acad.mod.wav", "mus_sbat_acad.mod.wav"},
        {"letters of other scripts", "\u05DE\u05D5\u05D6\u05D9\u05E7\u05D4 caf\u00E9 \u97F3\u697D \U0001F3B5",
         "\u05DE\u05D5\u05D6\u05D9\u05E7\u05D4 caf\u00E9 \u97F3\u697D \U0001F3B5"},
        {"a line feed, a tab and DEL", "a\nb\tc\x7F", "a\\x0Ab\\x09c\\x7F"},
        {"bytes that are no UTF-8", "caf\xE9 \xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80", "caf\\xE9 \\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},
        {"a character cut short", "mus\xE2\x80", "mus\\xE2\\x80"},
        {"the next line control and the line and paragraph separators", "a\u0085b\u2028c\u2029d",
         "a\\u0085b\\u2028c\\u2029d"},
        {"the other C1 controls", "\u0080\u009F", "\\u0080\\u009F"},
        {"the embeddings and overrides", "\u202A\u202B\u202C\u202D\u202E", "\\u202A\\u202B\\u202C\\u202D\\u202E"},
        {"the isolates", "\u2066\u2067\u2068\u2069", "\\u2066\\u2067\\u2068\\u2069"},
        {"the marks", "\u200E\u200F\u061C", "\\u200E\\u200F\\u061C"},
        {"a zero-width space at the end of a music folder's name", "streamsounds\u200B", "streamsounds\\u200B"},
        {"the zero-width joiners, the word joiner and the byte order mark", "\u200C\u200D\u2060\uFEFF",
         "\\u200C\\u200D\\u2060\\uFEFF"},
        {"a soft hyphen", "mus_sbat\u00AD_acad", "mus_sbat\\u00AD_acad"},
        {"invisible operators and the deprecated format characters", "\u2061\u2064\u206A\u206F",
         "\\u2061\\u2064\\u206A\\u206F"},
        {"format characters of other scripts", "\u0600\u06DD\u070F\u180E\uFFF9", "\\u0600\\u06DD\\u070F\\u180E\\uFFF9"},
        {"format characters beyond the first plane", "\U000E0001\U000E0041\U0001D173",
         "\\U000E0001\\U000E0041\\U0001D173"},
        {"neighbours of format characters, which are shown", "\u200A\u2010\u2027\u202F\u2065\uFEFE\u00AC",
         "\u200A\u2010\u2027\u202F\u2065\uFEFE\u00AC"},
    };
    for (const auto& row : rows) EXPECT_EQ(Printable(row.name), row.shown) << row.what;
}

// A path of the table's form as the dialogs show it, and as a sentence holds it.
TEST(Names, ShownPathUsesThePlatformsSeparatorAndASentenceSetsItApart) {
#ifdef _WIN32
    EXPECT_EQ(ShownPath("MyMod\\streamsounds\u200B\\x.mod.wav"), "MyMod\\streamsounds\\u200B\\x.mod.wav");
    EXPECT_EQ(InSentence("\u05DE\u05D5\\x.mod.wav"), "\u05DE\u05D5\\x.mod.wav");
#else
    EXPECT_EQ(ShownPath("MyMod\\streamsounds\u200B\\x.mod.wav"), "MyMod/streamsounds\\u200B/x.mod.wav");
    EXPECT_EQ(InSentence("\u05DE\u05D5/x.mod.wav"), "\u200E\u2066\u05DE\u05D5/x.mod.wav\u2069");
#endif
    EXPECT_EQ(ShownPath("a\u202Eb"), "a\\u202Eb") << "a name's own controls are written out, never taken for the marks";
    EXPECT_EQ(WithoutMarks("Cannot open the folder " + InSentence(Printable("/a\u2066\u200E\u2069b")) + ": Permission denied"),
              "Cannot open the folder /a\\u2066\\u200E\\u2069b: Permission denied");
}

}  // namespace
}  // namespace vornhaskel::test
