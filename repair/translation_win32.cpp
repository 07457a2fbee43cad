// The companions' words on Windows: the catalogs are resources of type CATALOG
// in the exe, named DE, FR, PT_BR and so on, and the player's language is the
// first of the preferred UI languages that one serves.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "catalog_choice.hpp"
#include "mo_catalog.hpp"
#include "translation.hpp"

namespace vornhaskel::translation {

namespace {

constexpr const wchar_t* kCatalogType = L"CATALOG";

// Set once by Start and never freed: a window may still ask for words while the program ends.
const MoCatalog* g_catalog = nullptr;

// A language tag or resource name, ASCII as both are, in UTF-8.
std::string Narrow(std::wstring_view wide) {
    std::string narrow;
    for (const wchar_t c : wide) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

// The user's UI languages, most preferred first; the one UI language where the
// system keeps no list.
std::vector<std::string> PreferredLanguages() {
    std::vector<std::string> tags;
    ULONG count = 0, size = 0;
    if (::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) && size > 0) {
        std::wstring list(size, L'\0');
        if (::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, list.data(), &size)) {
            list.resize(std::min<std::size_t>(size, list.size()));
            for (std::size_t at = 0; at < list.size() && list[at] != L'\0';) {
                const std::size_t end = std::min(list.find(L'\0', at), list.size());
                tags.push_back(Narrow(std::wstring_view(list).substr(at, end - at)));
                at = end + 1;
            }
        }
    }
    if (tags.empty()) {
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
        const LCID language = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
        if (::LCIDToLocaleName(language, name, LOCALE_NAME_MAX_LENGTH, 0) > 0) tags.push_back(Narrow(name));
    }
    return tags;
}

BOOL CALLBACK AddCatalogName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) noexcept {
    try {
        if (reinterpret_cast<ULONG_PTR>(name) >> 16 != 0)  // named, not numbered
            reinterpret_cast<std::vector<std::string>*>(names)->push_back(Narrow(name));
        return TRUE;
    } catch (...) {
        return FALSE;  // out of memory: the names so far
    }
}

std::vector<std::string> CarriedCatalogs() {
    std::vector<std::string> names;
    ::EnumResourceNamesW(nullptr, kCatalogType, AddCatalogName, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

// The bytes of the catalog resource `name`, which live as long as the exe; empty where it cannot be loaded.
std::string_view CatalogBytes(const std::string& name) {
    const std::wstring wide(name.begin(), name.end());
    HRSRC found = ::FindResourceW(nullptr, wide.c_str(), kCatalogType);
    HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    return {static_cast<const char*>(bytes), ::SizeofResource(nullptr, found)};
}

}  // namespace

void Start() {
    if (g_catalog != nullptr) return;
    try {
        const std::string name = CatalogFor(PreferredLanguages(), CarriedCatalogs());
        if (name.empty()) return;
        if (std::optional<MoCatalog> catalog = MoCatalog::Read(CatalogBytes(name)))
            g_catalog = new MoCatalog(std::move(*catalog));
    } catch (...) {
        // Out of memory before the first window: the words stay English.
    }
}

const char* Tr(const char* msgid) {
    const char* translation = g_catalog != nullptr && msgid != nullptr ? g_catalog->Find(msgid) : nullptr;
    return translation != nullptr ? translation : msgid;
}

const char* TrC(const char* context, const char* msgid) {
    const char* translation =
        g_catalog != nullptr && context != nullptr && msgid != nullptr ? g_catalog->Find(context, msgid) : nullptr;
    return translation != nullptr ? translation : msgid;
}

const char* TrN(const char* singular, const char* plural, std::size_t n) {
    const char* translation =
        g_catalog != nullptr && singular != nullptr ? g_catalog->FindPlural(singular, n) : nullptr;
    return translation != nullptr ? translation : n == 1 ? singular : plural;
}

}  // namespace vornhaskel::translation
