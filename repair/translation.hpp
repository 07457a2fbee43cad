// The companions' words in the player's language, from gettext's catalogs: the
// C library's on Linux, found beside the executable; on Windows the compiled
// catalogs carried in the exe itself. The program's own window reads none.
//
// Every sentence is whole, with placeholders that Format fills, so that a
// translation can put its words in its own order. A translators' comment
// ("Translators: ...") above each says where it shows and what each placeholder holds.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vornhaskel::translation {

// Chooses the player's language once, before the first window. On Linux, from
// the locale and LANGUAGE, as gettext does; on Windows, from the user's
// preferred UI languages. Where no catalog matches, the words stay English.
void Start();

// The translation of `msgid`, or `msgid` itself.
const char* Tr(const char* msgid);

// The same for a caption told apart by `context`: the buttons of one Win32
// dialog share a context, so that their access keys can be checked unique
// within it in every language.
const char* TrC(const char* context, const char* msgid);

// The form for `n` by the catalog's plural rule; English's, singular for 1,
// where no catalog matches. A size, as the counts are: on Windows an unsigned
// long holds 32 bits, and no count is cut to fit (on Linux the two are one type).
const char* TrN(const char* singular, const char* plural, std::size_t n);

// One value for a placeholder: text, or a count, written in digits.
class Arg {
public:
    Arg(std::string_view text) : text_(text) {}
    Arg(const std::string& text) : text_(text) {}
    Arg(const char* text) : text_(text) {}
    Arg(std::size_t count) : text_(std::to_string(count)) {}
    Arg(int count) : text_(std::to_string(count)) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Fills the placeholders of a (translated) sentence: %s and %zu take the next
// value, %1$s and %2$zu the value at that place, %% is a percent sign. A
// placeholder with no value stays as it is written, so a faulty catalog shows
// a visible fault, never a crash.
std::string Format(std::string_view pattern, std::initializer_list<Arg> args);

}  // namespace vornhaskel::translation

// Marks a literal for the catalogs where it stands; it is translated where it is shown.
#define N_(text) text
