// The C library's gettext, with the catalogs found beside the executable
// (../share/locale), as an unpacked archive and the build tree lay them out,
// else under the prefix the package installs to. The language is chosen as on
// Windows (CatalogFor), from LANGUAGE, then the locale's variables.
#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_choice.hpp"
#include "translation.hpp"

#ifndef VORNHASKEL_LOCALE_DIR
#define VORNHASKEL_LOCALE_DIR "/usr/share/locale"
#endif
#ifndef VORNHASKEL_LANGUAGES
#define VORNHASKEL_LANGUAGES ""
#endif

namespace vornhaskel::translation {

namespace {

constexpr char kDomain[] = "vornhaskel";

// Whether a catalog was chosen: else every message stays English, whatever
// other catalogs gettext could find for the player's languages.
bool translating = false;

// "<folder of the executable>/../share/locale" where that is a folder, else the installed place.
std::string CatalogFolder() {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
    if (length > 0 && static_cast<std::size_t>(length) < self.size()) {
        self.resize(static_cast<std::size_t>(length));
        const std::string beside = self.substr(0, self.rfind('/')) + "/../share/locale";
        struct stat status {};
        if (stat(beside.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return beside;
    }
    return VORNHASKEL_LOCALE_DIR;
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        if (end > start) parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The player's languages in order, as gettext reads them: LANGUAGE's list,
// then the first of LC_ALL, LC_MESSAGES and LANG that is set. That last is
// read here even where its locale is not installed, which gettext alone
// would take for no language at all.
std::vector<std::string> Preferred() {
    const char* language = std::getenv("LANGUAGE");
    std::vector<std::string> preferred = Split(language ? language : "", ':');
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        preferred.emplace_back(value);
        break;
    }
    return preferred;
}

}  // namespace

void Start() {
    // gettext ignores LANGUAGE under the "C" locale: where no locale is set,
    // or the one set is not installed, C.UTF-8 lets LANGUAGE choose, and keeps the words UTF-8.
    const char* locale = std::setlocale(LC_ALL, "");
    if (locale == nullptr || std::string_view(locale) == "C" || std::string_view(locale) == "POSIX")
        std::setlocale(LC_ALL, "C.UTF-8");
    const std::string chosen = CatalogFor(Preferred(), Split(VORNHASKEL_LANGUAGES, ' '));
    if (chosen.empty()) return;
    // The catalog chosen first, for these words and GTK's own; the player's list after it.
    const char* language = std::getenv("LANGUAGE");
    const std::string list = chosen + (language && *language ? ":" + std::string(language) : "");
    setenv("LANGUAGE", list.c_str(), 1);
    bindtextdomain(kDomain, CatalogFolder().c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
    textdomain(kDomain);
    translating = true;
}

// An empty message stays empty: gettext would give the catalog's header for it.
const char* Tr(const char* msgid) { return translating && *msgid ? dgettext(kDomain, msgid) : msgid; }

const char* TrC(const char* context, const char* msgid) {
    if (!translating || *msgid == '\0') return msgid;
    // As pgettext does: the key is the context and the message joined by EOT.
    const std::string key = std::string(context) + '\x04' + msgid;
    const char* found = dgettext(kDomain, key.c_str());
    return found == key.c_str() ? msgid : found;
}

const char* TrN(const char* singular, const char* plural, std::size_t n) {
    if (!translating) return n == 1 ? singular : plural;
    return dngettext(kDomain, singular, plural, static_cast<unsigned long>(n));
}

}  // namespace vornhaskel::translation
