#include "mo_catalog.hpp"

namespace vornhaskel::translation {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;  // as read from a little-endian catalog
constexpr std::uint32_t kBigEndianMagic = 0xde120495;
constexpr std::size_t kHeaderSize = 28;  // magic, revision, count, both tables' offsets, hash size and offset

// What an original string is looked up by: its singular, before any plural.
std::string_view KeyOf(std::string_view original) { return original.substr(0, original.find('\0')); }

// Below, at or above 0 as `stored` sorts before, with or after the key
// context + '\x04' + msgid (msgid alone without a context), byte by byte as
// msgfmt sorts.
int CompareKey(std::string_view stored, const std::string_view* context, std::string_view msgid) {
    if (context != nullptr) {
        const std::string_view head = stored.substr(0, context->size());
        if (const int order = head.compare(*context); order != 0) return order;
        stored.remove_prefix(head.size());
        if (stored.empty()) return -1;
        if (stored.front() != '\x04') return static_cast<unsigned char>(stored.front()) < 4 ? -1 : 1;
        stored.remove_prefix(1);
    }
    return stored.compare(msgid);
}

}  // namespace

std::optional<MoCatalog> MoCatalog::Read(std::string_view bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    MoCatalog catalog(bytes);
    const std::uint32_t magic = catalog.Word(0);
    if (magic == kBigEndianMagic)
        catalog.big_endian_ = true;
    else if (magic != kMagic)
        return std::nullopt;
    if (catalog.Word(4) >> 16 > 1) return std::nullopt;  // a major revision this reader does not know
    catalog.count_ = catalog.Word(8);
    catalog.originals_ = catalog.Word(12);
    catalog.translations_ = catalog.Word(16);

    const std::uint64_t table_size = std::uint64_t{catalog.count_} * 8;
    for (const std::uint32_t table : {catalog.originals_, catalog.translations_}) {
        if (table + table_size > bytes.size()) return std::nullopt;
        for (std::uint32_t index = 0; index < catalog.count_; ++index) {
            const std::uint64_t length = catalog.Word(table + std::size_t{index} * 8);
            const std::uint64_t offset = catalog.Word(table + std::size_t{index} * 8 + 4);
            if (offset + length >= bytes.size() || bytes[static_cast<std::size_t>(offset + length)] != '\0')
                return std::nullopt;
        }
    }
    for (std::uint32_t index = 1; index < catalog.count_; ++index)
        if (KeyOf(catalog.String(catalog.originals_, index - 1)) >= KeyOf(catalog.String(catalog.originals_, index)))
            return std::nullopt;

    if (catalog.count_ > 0 && catalog.String(catalog.originals_, 0).empty())
        catalog.rule_ = PluralRule::FromHeader(catalog.String(catalog.translations_, 0));
    return catalog;
}

const char* MoCatalog::Find(std::string_view msgid) const noexcept {
    if (msgid.empty()) return nullptr;
    const std::size_t index = Lookup(nullptr, msgid);
    if (index == std::string_view::npos) return nullptr;
    const std::string_view translation = String(translations_, static_cast<std::uint32_t>(index));
    return KeyOf(translation).empty() ? nullptr : translation.data();
}

const char* MoCatalog::Find(std::string_view context, std::string_view msgid) const noexcept {
    const std::size_t index = Lookup(&context, msgid);
    if (index == std::string_view::npos) return nullptr;
    const std::string_view translation = String(translations_, static_cast<std::uint32_t>(index));
    return KeyOf(translation).empty() ? nullptr : translation.data();
}

const char* MoCatalog::FindPlural(std::string_view singular, std::uint64_t n) const noexcept {
    if (singular.empty()) return nullptr;
    const std::size_t index = Lookup(nullptr, singular);
    if (index == std::string_view::npos) return nullptr;
    std::string_view forms = String(translations_, static_cast<std::uint32_t>(index));
    for (std::size_t skipped = rule_.Index(n); skipped > 0; --skipped) {
        const std::size_t end = forms.find('\0');
        if (end == std::string_view::npos) return nullptr;
        forms.remove_prefix(end + 1);
    }
    return KeyOf(forms).empty() ? nullptr : forms.data();
}

std::uint32_t MoCatalog::Word(std::size_t at) const noexcept {
    const auto byte = [&](std::size_t place) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at + place]));
    };
    return big_endian_ ? byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3)
                       : byte(3) << 24 | byte(2) << 16 | byte(1) << 8 | byte(0);
}

std::string_view MoCatalog::String(std::uint32_t table, std::uint32_t index) const noexcept {
    const std::size_t entry = table + std::size_t{index} * 8;
    return {bytes_.data() + Word(entry + 4), Word(entry)};
}

std::size_t MoCatalog::Lookup(const std::string_view* context, std::string_view msgid) const noexcept {
    std::size_t low = 0, high = count_;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const int order = CompareKey(KeyOf(String(originals_, static_cast<std::uint32_t>(middle))), context, msgid);
        if (order == 0) return middle;
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return std::string_view::npos;
}

}  // namespace vornhaskel::translation
