#include "names.hpp"

#include <algorithm>
#include <cstdint>

namespace vornhaskel {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of the UTF-8 character that starts `text`, or 0 where none does.
std::size_t CharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                            : lead >= 0xF0 && lead < 0xF5     ? 4
                                                                              : 0;
    if (length == 0 || length > text.size()) return 0;
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
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
        const std::size_t length = CharacterLength(text.substr(i));
        const auto byte = static_cast<unsigned char>(text[i]);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            const char digits[] = "0123456789ABCDEF";
            shown += {'\\', 'x', digits[byte >> 4], digits[byte & 0xF]};
            ++i;
        } else {
            shown.append(text.substr(i, length));
            i += length;
        }
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

}  // namespace vornhaskel
