#include "names.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace vornhaskel {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of the UTF-8 character that starts `text`, or 0 where none does;
// its code point in `code`.
std::size_t CharacterLength(std::string_view text, std::uint32_t& code) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                            : lead >= 0xF0 && lead < 0xF5     ? 4
                                                                              : 0;
    if (length == 0 || length > text.size()) return 0;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

std::size_t CharacterLength(std::string_view text) {
    std::uint32_t code = 0;
    return CharacterLength(text, code);
}

// The characters that a list must not show as they are: the controls, the line
// and paragraph separators, and every format character of Unicode 15 (the
// bidirectional controls, zero-width spaces and joiners, the soft hyphen, the
// byte order mark, ...), which either end a line or are invisible and can make
// a name read as another, or the rest of a row read backwards.
constexpr std::pair<std::uint32_t, std::uint32_t> kUnshown[] = {
    {0x0000, 0x001F},   {0x007F, 0x009F},   {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},
    {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},
    {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
    {0x1D173, 0x1D17A}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
};

bool Unshown(std::uint32_t code) {
    return std::ranges::any_of(kUnshown, [code](const auto& range) { return code >= range.first && code <= range.second; });
}

void AppendHex(std::string& shown, std::uint32_t value, int digits) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) shown += kDigits[(value >> shift) & 0xF];
}

}  // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

bool MayStandFor(std::string_view found, std::string_view wanted) {
    if (EqualIgnoringCase(found, wanted)) return true;
    // found is wanted + ".wav", and wanted itself ends in ".wav".
    constexpr std::string_view kWav = ".wav";
    return wanted.size() >= kWav.size() && found.size() == wanted.size() + kWav.size() &&
           EqualIgnoringCase(wanted.substr(wanted.size() - kWav.size()), kWav) &&
           EqualIgnoringCase(found.substr(0, wanted.size()), wanted) &&
           EqualIgnoringCase(found.substr(wanted.size()), kWav);
}

Unspelt WhyNotSpelt(std::string_view name) {
    if (name.find('\\') != std::string_view::npos) return Unspelt::kBackslash;
    if (name.find("\xEF\xBF\xBD") != std::string_view::npos) return Unspelt::kReplacementCharacter;
    return IsUtf8(name) ? Unspelt::kNo : Unspelt::kNotUtf8;
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0, length; i < text.size(); i += length)
        if ((length = CharacterLength(text.substr(i))) == 0) return false;
    return true;
}

std::string Printable(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t code = 0;
        const std::size_t length = CharacterLength(text.substr(i), code);
        if (length == 0 || (code < 0x80 && Unshown(code))) {
            shown += "\\x";
            AppendHex(shown, static_cast<unsigned char>(text[i]), 2);
            ++i;
            continue;
        }
        if (Unshown(code)) {
            shown += code > 0xFFFF ? "\\U" : "\\u";
            AppendHex(shown, code, code > 0xFFFF ? 8 : 4);
        } else {
            shown.append(text.substr(i, length));
        }
        i += length;
    }
    return shown;
}

std::string ShownPath(std::string_view path) {
    std::string native(path);
#ifndef _WIN32
    std::replace(native.begin(), native.end(), '\\', '/');  // the table's paths hold no backslash of their own
#endif
    return Printable(native);
}

std::string InSentence(std::string shown) {
#ifdef _WIN32
    return shown;
#else
    return "\u200E\u2066" + shown + "\u2069";
#endif
}

std::string WithoutMarks(std::string sentence) {
    for (const std::string_view mark : {"\u200E", "\u2066", "\u2069"})
        for (auto at = sentence.find(mark); at != std::string::npos; at = sentence.find(mark, at)) sentence.erase(at, mark.size());
    return sentence;
}

}  // namespace vornhaskel
