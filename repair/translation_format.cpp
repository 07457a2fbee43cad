#include <charconv>

#include "translation.hpp"

namespace vornhaskel::translation {

std::string Format(std::string_view pattern, std::initializer_list<Arg> args) {
    const Arg* const values = args.begin();
    std::string text;
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const std::size_t percent = pattern.find('%', i);
        text.append(pattern.substr(i, percent - i));
        if (percent == std::string_view::npos) break;
        std::string_view rest = pattern.substr(percent + 1);
        if (rest.starts_with('%')) {
            text += '%';
            i = percent + 2;
            continue;
        }
        // An optional position, "2$", then the conversion: "s" or "zu".
        std::size_t index = next;
        std::size_t position = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), position);
        const std::size_t digits = static_cast<std::size_t>(end - rest.data());
        const bool positional = error == std::errc() && position > 0 && digits < rest.size() && rest[digits] == '$';
        if (positional) {
            index = position - 1;
            rest.remove_prefix(digits + 1);
        }
        const std::size_t length = rest.starts_with('s') ? 1 : rest.starts_with("zu") ? 2 : 0;
        const std::size_t written = 1 + (positional ? digits + 1 : 0) + length;
        if (length == 0 || index >= args.size()) {
            text.append(pattern.substr(percent, written));  // shown as written: a fault to see, not to crash on
        } else {
            text += values[index].Text();
            if (!positional) ++next;
        }
        i = percent + written;
    }
    return text;
}

}  // namespace vornhaskel::translation
