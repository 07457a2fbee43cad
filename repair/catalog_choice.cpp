#include "catalog_choice.hpp"

#include <string_view>

namespace vornhaskel::translation {

namespace {

bool IsLetters(std::string_view text) {
    for (const char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    return !text.empty();
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t at = 0; at < a.size(); ++at)
        if (Upper(a[at]) != Upper(b[at])) return false;
    return true;
}

// The parts of a tag that choose a catalog, in the tag's own case. A POSIX
// locale's encoding and modifier (".UTF-8", "@euro") and a Windows sort order
// ("_phoneb") are passed over.
struct Tag {
    std::string_view language, script, region;
};

Tag ReadTag(std::string_view text) {
    text = text.substr(0, text.find_first_of(".@"));
    Tag tag;
    for (bool first = true;; first = false) {
        const std::size_t end = text.find_first_of("-_");
        const std::string_view part = text.substr(0, end);
        if (first)
            tag.language = part;
        else if (part.size() == 4 && IsLetters(part) && tag.script.empty() && tag.region.empty())
            tag.script = part;
        else if (part.size() == 2 && IsLetters(part) && tag.region.empty())
            tag.region = part;
        if (end == std::string_view::npos) return tag;
        text.remove_prefix(end + 1);
    }
}

}  // namespace

std::string CatalogFor(const std::vector<std::string>& preferred, const std::vector<std::string>& carried) {
    const auto carried_as = [&](std::string_view name) -> const std::string* {
        for (const std::string& catalog : carried)
            if (SameIgnoringCase(catalog, name)) return &catalog;
        return nullptr;
    };
    for (const std::string& text : preferred) {
        const Tag tag = ReadTag(text);
        const std::string* catalog = nullptr;
        if (SameIgnoringCase(tag.language, "en")) return {};
        if (SameIgnoringCase(tag.language, "zh")) {
            const bool traditional =
                SameIgnoringCase(tag.script, "hant") ||
                (tag.script.empty() && (SameIgnoringCase(tag.region, "TW") || SameIgnoringCase(tag.region, "HK") ||
                                        SameIgnoringCase(tag.region, "MO")));
            catalog = carried_as(traditional ? "ZH_TW" : "ZH_CN");
        } else if (IsLetters(tag.language)) {
            if (!tag.region.empty()) catalog = carried_as(std::string(tag.language) + "_" + std::string(tag.region));
            if (catalog == nullptr) catalog = carried_as(tag.language);
            if (catalog == nullptr && SameIgnoringCase(tag.language, "pt")) catalog = carried_as("PT_BR");
        }
        if (catalog != nullptr) return *catalog;
    }
    return {};
}

}  // namespace vornhaskel::translation
