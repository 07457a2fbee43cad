#include "plural_rule.hpp"

#include <limits>

namespace vornhaskel::translation {

enum class PluralRule::Op : std::uint8_t {
    kNumber, kCount, kNot,
    kMultiply, kDivide, kRemainder, kAdd, kSubtract,
    kLess, kGreater, kLessOrEqual, kGreaterOrEqual, kEqual, kNotEqual,
    kAnd, kOr, kChoice,
};

// The expression read by precedence climbing over C's binary operators, with
// ?: (grouped from the right) below them and ! above, into a rule's nodes.
// The depth and the number of nodes are bounded, far above any language's
// rule, so that no header can exhaust the stack.
class PluralParser {
public:
    using Op = PluralRule::Op;

    PluralParser(std::string_view text, PluralRule& rule) : text_(text), rule_(rule) {}

    // Whether the text up to ";" or the line's end is a whole expression, now the rule's.
    bool Parse() {
        Choice();
        SkipSpaces();
        return !failed_ && (text_.empty() || text_.front() == ';' || text_.front() == '\n');
    }

private:
    static constexpr int kMaxDepth = 32;

    struct Binary {
        char token[3];
        Op op;
        std::uint8_t precedence;
    };
    // Each token ahead of any that begins it ("<=" before "<").
    static constexpr Binary kBinaries[] = {
        {"||", Op::kOr, 1},         {"&&", Op::kAnd, 2},         {"==", Op::kEqual, 3},
        {"!=", Op::kNotEqual, 3},   {"<=", Op::kLessOrEqual, 4}, {">=", Op::kGreaterOrEqual, 4},
        {"<", Op::kLess, 4},        {">", Op::kGreater, 4},      {"+", Op::kAdd, 5},
        {"-", Op::kSubtract, 5},    {"*", Op::kMultiply, 6},     {"/", Op::kDivide, 6},
        {"%", Op::kRemainder, 6},
    };

    std::uint8_t Fail() {
        failed_ = true;
        return 0;
    }

    std::uint8_t Add(Op op, std::uint8_t left = 0, std::uint8_t right = 0, std::uint8_t third = 0,
                     std::uint32_t number = 0) {
        if (failed_ || rule_.size_ == PluralRule::kMaxNodes) return Fail();
        rule_.nodes_[rule_.size_] = {op, left, right, third, number};
        return static_cast<std::uint8_t>(rule_.size_++);
    }

    void SkipSpaces() {
        while (!text_.empty() && (text_.front() == ' ' || text_.front() == '\t')) text_.remove_prefix(1);
    }

    bool Take(std::string_view token) {
        SkipSpaces();
        if (failed_ || !text_.starts_with(token)) return false;
        text_.remove_prefix(token.size());
        return true;
    }

    std::uint8_t Choice() {
        if (++depth_ > kMaxDepth) return Fail();
        std::uint8_t node = Operation(1);
        if (Take("?")) {
            const std::uint8_t yes = Choice();
            if (!Take(":")) return Fail();
            node = Add(Op::kChoice, node, yes, Choice());
        }
        --depth_;
        return node;
    }

    // Operands joined by binary operators of `lowest` precedence or above.
    std::uint8_t Operation(int lowest) {
        std::uint8_t node = Unary();
        for (;;) {
            SkipSpaces();
            const Binary* binary = nullptr;
            for (const Binary& candidate : kBinaries)
                if (text_.starts_with(candidate.token)) {
                    binary = &candidate;
                    break;
                }
            if (failed_ || binary == nullptr || binary->precedence < lowest) return node;
            text_.remove_prefix(std::string_view(binary->token).size());
            node = Add(binary->op, node, Operation(binary->precedence + 1));
        }
    }

    std::uint8_t Unary() {
        if (!Take("!")) return Primary();
        if (++depth_ > kMaxDepth) return Fail();
        const std::uint8_t node = Add(Op::kNot, Unary());
        --depth_;
        return node;
    }

    std::uint8_t Primary() {
        if (Take("(")) {
            const std::uint8_t node = Choice();
            return Take(")") ? node : Fail();
        }
        if (Take("n")) return Add(Op::kCount);
        if (failed_ || text_.empty() || text_.front() < '0' || text_.front() > '9') return Fail();
        std::uint64_t number = 0;
        while (!text_.empty() && text_.front() >= '0' && text_.front() <= '9') {
            number = number * 10 + static_cast<std::uint64_t>(text_.front() - '0');
            if (number > std::numeric_limits<std::uint32_t>::max()) return Fail();  // no rule counts so far
            text_.remove_prefix(1);
        }
        return Add(Op::kNumber, 0, 0, 0, static_cast<std::uint32_t>(number));
    }

    std::string_view text_;
    PluralRule& rule_;
    int depth_ = 0;
    bool failed_ = false;
};

namespace {

// The count that `text` starts with, after spaces; none where it starts with no digit.
std::optional<std::uint64_t> LeadingCount(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    std::uint64_t count = 0;
    for (; !text.empty() && text.front() >= '0' && text.front() <= '9'; text.remove_prefix(1)) {
        if (count > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
        count = count * 10 + static_cast<std::uint64_t>(text.front() - '0');
    }
    return count;
}

}  // namespace

PluralRule PluralRule::FromHeader(std::string_view header) {
    constexpr std::string_view kField = "Plural-Forms:";
    while (!header.empty()) {
        const std::size_t end = header.find('\n');
        std::string_view line = header.substr(0, end);
        header.remove_prefix(end == std::string_view::npos ? header.size() : end + 1);
        if (!line.starts_with(kField)) continue;
        line.remove_prefix(kField.size());
        const std::size_t forms_at = line.find("nplurals=");
        const std::size_t plural_at = line.find("plural=");
        if (forms_at == std::string_view::npos || plural_at == std::string_view::npos) return {};
        const std::optional<std::uint64_t> forms = LeadingCount(line.substr(forms_at + 9));
        if (!forms || *forms == 0) return {};
        PluralRule rule;
        if (!PluralParser(line.substr(plural_at + 7), rule).Parse()) return {};
        rule.forms_ = *forms;
        return rule;
    }
    return {};
}

std::size_t PluralRule::Index(std::uint64_t n) const {
    if (size_ > 0) {
        const std::optional<std::uint64_t> index = Evaluate(size_ - 1, n);
        if (index && *index < forms_) return static_cast<std::size_t>(*index);
    }
    return n != 1 ? 1 : 0;
}

std::optional<std::uint64_t> PluralRule::Evaluate(std::size_t at, std::uint64_t n) const {
    const Node& node = nodes_[at];
    switch (node.op) {
        case Op::kNumber: return node.number;
        case Op::kCount: return n;
        case Op::kChoice: {
            const std::optional<std::uint64_t> condition = Evaluate(node.left, n);
            if (!condition) return std::nullopt;
            return Evaluate(*condition != 0 ? node.right : node.third, n);
        }
        case Op::kAnd:
        case Op::kOr: {
            const std::optional<std::uint64_t> left = Evaluate(node.left, n);
            if (!left) return std::nullopt;
            if ((*left != 0) == (node.op == Op::kOr)) return node.op == Op::kOr ? 1 : 0;
            const std::optional<std::uint64_t> right = Evaluate(node.right, n);
            if (!right) return std::nullopt;
            return *right != 0 ? 1 : 0;
        }
        default: break;
    }
    const std::optional<std::uint64_t> left = Evaluate(node.left, n);
    if (!left) return std::nullopt;
    if (node.op == Op::kNot) return *left == 0 ? 1 : 0;
    const std::optional<std::uint64_t> right = Evaluate(node.right, n);
    if (!right) return std::nullopt;
    const std::uint64_t a = *left, b = *right;
    switch (node.op) {
        case Op::kMultiply: return a * b;
        case Op::kDivide: return b == 0 ? std::nullopt : std::optional<std::uint64_t>(a / b);
        case Op::kRemainder: return b == 0 ? std::nullopt : std::optional<std::uint64_t>(a % b);
        case Op::kAdd: return a + b;
        case Op::kSubtract: return a - b;
        case Op::kLess: return a < b;
        case Op::kGreater: return a > b;
        case Op::kLessOrEqual: return a <= b;
        case Op::kGreaterOrEqual: return a >= b;
        case Op::kEqual: return a == b;
        case Op::kNotEqual: return a != b;
        default: return std::nullopt;
    }
}

}  // namespace vornhaskel::translation
