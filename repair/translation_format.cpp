#include <optional>

#include "translation.hpp"

namespace vornhaskel::translation {

namespace {

// A directive at the start of a pattern: how long it is, and the place of the
// value it takes (from 1 for %1$s), 0 for the next value.
struct Directive {
    std::size_t length;
    std::size_t place;
};

// The %s, %zu, %N$s or %N$zu that `pattern` starts with; none for anything else.
std::optional<Directive> ReadDirective(std::string_view pattern) {
    std::size_t at = 1;  // past the '%'
    std::size_t place = 0;
    if (at < pattern.size() && pattern[at] >= '1' && pattern[at] <= '9') {
        while (at < pattern.size() && pattern[at] >= '0' && pattern[at] <= '9' && place < 1000)
            place = place * 10 + static_cast<std::size_t>(pattern[at++] - '0');
        if (at == pattern.size() || pattern[at] != '$') return std::nullopt;
        ++at;
    }
    for (const std::string_view conversion : {"s", "zu"})
        if (pattern.substr(at).starts_with(conversion)) return Directive{at + conversion.size(), place};
    return std::nullopt;
}

}  // namespace

std::string Format(std::string_view pattern, std::initializer_list<Arg> args) {
    std::string text;
    text.reserve(pattern.size());
    std::size_t next = 0;
    for (;;) {
        const std::size_t percent = pattern.find('%');
        text.append(pattern.substr(0, percent));
        if (percent == std::string_view::npos) return text;
        pattern.remove_prefix(percent);
        if (pattern.starts_with("%%")) {
            text += '%';
            pattern.remove_prefix(2);
            continue;
        }
        const std::optional<Directive> directive = ReadDirective(pattern);
        if (!directive) {  // written as it is, from the '%' on
            text += '%';
            pattern.remove_prefix(1);
            continue;
        }
        const std::size_t index = directive->place == 0 ? next++ : directive->place - 1;
        if (index < args.size())
            text += args.begin()[index].Text();
        else
            text.append(pattern.substr(0, directive->length));
        pattern.remove_prefix(directive->length);
    }
}

}  // namespace vornhaskel::translation
