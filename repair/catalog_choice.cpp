#include "catalog_choice.hpp"

#include <string_view>

namespace vornhaskel::translation {

namespace {

struct Tag {
    std::string language;  // lower case: "pt"
    std::string script;    // lower case: "hans"; empty where the tag names none
    std::string region;    // upper case: "BR"; empty where the tag names none
};

bool IsLetters(std::string_view text) {
    for (const char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    return !text.empty();
}

std::string InCase(std::string_view text, bool upper) {
    std::string cased(text);
    for (char& c : cased) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return cased;
}

// The parts of a tag that choose a catalog; a POSIX locale's encoding and
// modifier (".UTF-8", "@euro") and a Windows sort order ("_phoneb") are passed over.
Tag ReadTag(std::string_view text) {
    text = text.substr(0, text.find_first_of(".@"));
    Tag tag;
    for (bool first = true; !text.empty(); first = false) {
        const std::size_t end = text.find_first_of("-_");
        const std::string_view part = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (first)
            tag.language = InCase(part, false);
        else if (part.size() == 4 && IsLetters(part) && tag.script.empty() && tag.region.empty())
            tag.script = InCase(part, false);
        else if ((part.size() == 2 && IsLetters(part)) && tag.region.empty())
            tag.region = InCase(part, true);
    }
    return tag;
}

// The catalogs that serve `tag`, the closest first.
std::vector<std::string> CatalogsServing(const Tag& tag) {
    if (tag.language == "zh") {
        const bool traditional = tag.script == "hant" || (tag.script.empty() && (tag.region == "TW" ||
                                                                                  tag.region == "HK" ||
                                                                                  tag.region == "MO"));
        return {traditional ? "ZH_TW" : "ZH_CN"};
    }
    const std::string language = InCase(tag.language, true);
    std::vector<std::string> names;
    if (!tag.region.empty()) names.push_back(language + "_" + tag.region);
    names.push_back(language);
    if (tag.language == "pt") names.push_back("PT_BR");
    return names;
}

}  // namespace

std::string CatalogFor(const std::vector<std::string>& preferred, const std::vector<std::string>& carried) {
    for (const std::string& text : preferred) {
        const Tag tag = ReadTag(text);
        if (tag.language == "en") return {};
        if (!IsLetters(tag.language)) continue;
        for (const std::string& name : CatalogsServing(tag))
            for (const std::string& catalog : carried)
                if (InCase(catalog, true) == name) return catalog;
    }
    return {};
}

}  // namespace vornhaskel::translation
