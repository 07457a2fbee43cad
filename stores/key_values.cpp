#include "key_values.hpp"

#include <algorithm>
#include <utility>

#include "names.hpp"

namespace vornhaskel::stores::key_values {

namespace {

constexpr int kDeepest = 32;

enum class TokenKind { kEnd, kString, kOpen, kClose };

struct Token {
    TokenKind kind = TokenKind::kEnd;
    std::string text;
};

bool IsSpace(char c) { return static_cast<unsigned char>(c) <= ' '; }

class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {
        if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
    }

    Token Next() {
        for (;;) {
            while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
            if (at_ == text_.size()) return {};
            if (text_.substr(at_).starts_with("//")) {
                const std::size_t line_end = text_.find('\n', at_);
                at_ = line_end == std::string_view::npos ? text_.size() : line_end;
                continue;
            }
            const char c = text_[at_];
            if (c == '{' || c == '}') {
                ++at_;
                return {c == '{' ? TokenKind::kOpen : TokenKind::kClose, {}};
            }
            if (c == '"') return Quoted();
            Token bare = Bare();
            // A condition such as [$WIN32] after a value: the records read here are the same everywhere.
            if (bare.text.size() >= 2 && bare.text.front() == '[' && bare.text.back() == ']') continue;
            return bare;
        }
    }

private:
    Token Quoted() {
        Token token{TokenKind::kString, {}};
        for (++at_; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (c == '"') {
                ++at_;
                return token;
            }
            if (c == '\\' && at_ + 1 < text_.size() && (text_[at_ + 1] == '\\' || text_[at_ + 1] == '"')) c = text_[++at_];
            token.text += c;
        }
        return {};  // cut short: what it held may be only the start of a path
    }

    Token Bare() {
        const std::size_t start = at_;
        while (at_ < text_.size() && !IsSpace(text_[at_]) && text_[at_] != '"' && text_[at_] != '{' &&
               text_[at_] != '}')
            ++at_;
        return {TokenKind::kString, std::string(text_.substr(start, at_ - start))};
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// Reads the pairs of a block at `depth` (0 for the text itself) up to its
// closing brace. False where the reading ends within it.
bool ReadPairs(Tokens& tokens, std::vector<Pair>& pairs, int depth) {
    for (;;) {
        Token key = tokens.Next();
        switch (key.kind) {
        case TokenKind::kEnd:
            return false;
        case TokenKind::kClose:
            if (depth == 0) continue;  // a stray brace
            return true;
        case TokenKind::kOpen: {
            std::vector<Pair> without_key;
            if (depth + 1 >= kDeepest || !ReadPairs(tokens, without_key, depth + 1)) return false;
            continue;
        }
        case TokenKind::kString:
            break;
        }
        Token value = tokens.Next();
        switch (value.kind) {
        case TokenKind::kEnd:
            return false;
        case TokenKind::kClose:  // a key without a value
            if (depth == 0) continue;
            return true;
        case TokenKind::kString:
            pairs.push_back({std::move(key.text), std::move(value.text), {}, false});
            continue;
        case TokenKind::kOpen: {
            if (depth + 1 >= kDeepest) return false;
            Pair block{std::move(key.text), {}, {}, true};
            const bool closed = ReadPairs(tokens, block.pairs, depth + 1);
            pairs.push_back(std::move(block));
            if (!closed) return false;
            continue;
        }
        }
    }
}

bool IsNumber(std::string_view key) {
    return !key.empty() && std::ranges::all_of(key, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::vector<Pair> Read(std::string_view text) {
    Tokens tokens(text);
    std::vector<Pair> pairs;
    ReadPairs(tokens, pairs, 0);
    return pairs;
}

std::vector<std::string> LibraryPaths(std::string_view text) {
    std::vector<std::string> paths;
    for (const Pair& folders : Read(text)) {
        if (!folders.block || !EqualIgnoringCase(folders.key, "libraryfolders")) continue;
        for (const Pair& library : folders.pairs) {
            if (!library.block) {
                if (IsNumber(library.key) && !library.value.empty()) paths.push_back(library.value);
                continue;
            }
            const auto path = std::ranges::find_if(library.pairs, [](const Pair& pair) {
                return !pair.block && EqualIgnoringCase(pair.key, "path");
            });
            if (path != library.pairs.end() && !path->value.empty()) paths.push_back(path->value);
        }
    }
    return paths;
}

}  // namespace vornhaskel::stores::key_values
