// A compiled gettext catalog (.mo), read in place from bytes that outlive it,
// as an exe's resources do. The bytes are trusted in nothing: a catalog is
// taken whole or not at all, and once taken, every lookup stays inside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "plural_rule.hpp"

namespace vornhaskel::translation {

class MoCatalog {
public:
    // The catalog that `bytes` hold; none where they are not one: a magic
    // number in neither byte order, a format revision past 1, a table or a
    // string reaching past the end, a string without its terminating NUL, or
    // original strings out of msgfmt's order (byte by byte, each one once),
    // which the lookups' binary search relies on. The hash table is not read.
    static std::optional<MoCatalog> Read(std::string_view bytes);

    // The translation of `msgid` (the first form, for a message with plural
    // forms); null where the catalog has none, or an empty one, or `msgid` is
    // empty: the empty msgid names the header, which is no translation.
    const char* Find(std::string_view msgid) const noexcept;

    // The same for a message told apart by `context` ("context\x04msgid" in the catalog).
    const char* Find(std::string_view context, std::string_view msgid) const noexcept;

    // The form for `n`, by the header's plural rule, of the translation of the
    // message whose singular is `singular`; null where there is no translation
    // or the form at that index is missing or empty.
    const char* FindPlural(std::string_view singular, std::uint64_t n) const noexcept;

private:
    explicit MoCatalog(std::string_view bytes) : bytes_(bytes) {}

    std::uint32_t Word(std::size_t at) const noexcept;
    // String `index` of the table at `table`, all of it with any plural forms and without its final NUL.
    std::string_view String(std::uint32_t table, std::uint32_t index) const noexcept;
    // Where `key`'s translation is, once a context (if any) and the msgid are compared; npos where it is not.
    std::size_t Lookup(const std::string_view* context, std::string_view msgid) const noexcept;

    std::string_view bytes_;
    bool big_endian_ = false;
    std::uint32_t count_ = 0, originals_ = 0, translations_ = 0;
    PluralRule rule_;
};

}  // namespace vornhaskel::translation
