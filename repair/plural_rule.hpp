// Which plural form of a translation a count takes: the rule a catalog names in
// its header, "Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : ...);".
// The expression is C's over one unsigned count n, with integers, ! ?: || &&
// == != < > <= >= + - * / % and parentheses, and is worked out as the C
// library's gettext does, in 64-bit unsigned arithmetic.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vornhaskel::translation {

class PluralRule {
public:
    // English's: the first form for 1 alone, the second for every other count.
    PluralRule() = default;

    // The rule of a catalog's header entry (its lines "Name: value"). English's
    // where there is no Plural-Forms line, or where its nplurals is not a
    // count above 0 or its plural does not parse, nests deeper than a rule
    // would, or is followed by anything but ";" or the line's end.
    static PluralRule FromHeader(std::string_view header);

    // The form for `n`. English's index (n != 1) where the expression divides
    // by zero for `n` or gives an index at or past nplurals: a count is never
    // left without words, though a catalog may have no form at that index.
    std::size_t Index(std::uint64_t n) const;

private:
    friend class PluralParser;
    enum class Op : std::uint8_t;
    struct Node {
        Op op;
        std::uint8_t left, right, third;  // operands, as places in nodes_
        std::uint32_t number;
    };
    // Far above any language's rule: Arabic's takes 36 nodes.
    static constexpr std::size_t kMaxNodes = 128;

    // The value of the node at `at` for `n`; none where it divides by zero.
    std::optional<std::uint64_t> Evaluate(std::size_t at, std::uint64_t n) const;

    std::array<Node, kMaxNodes> nodes_{};  // the expression, its root last
    std::size_t size_ = 0;                 // 0 for English's
    std::uint64_t forms_ = 2;
};

}  // namespace vornhaskel::translation
