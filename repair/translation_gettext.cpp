// The C library's gettext, with the catalogs found beside the executable
// (../share/locale), as an unpacked archive and the build tree lay them out,
// else under the prefix the package installs to.
#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <string>
#include <string_view>

#include "translation.hpp"

#ifndef VORNHASKEL_LOCALE_DIR
#define VORNHASKEL_LOCALE_DIR "/usr/share/locale"
#endif

namespace vornhaskel::translation {

namespace {

constexpr char kDomain[] = "vornhaskel";

// "<folder of the executable>/../share/locale" where that folder holds one of
// the catalogs, else the installed place.
std::string CatalogFolder() {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
    if (length > 0 && static_cast<std::size_t>(length) < self.size()) {
        self.resize(static_cast<std::size_t>(length));
        const std::string beside = self.substr(0, self.rfind('/')) + "/../share/locale";
        if (access((beside + "/de/LC_MESSAGES/vornhaskel.mo").c_str(), R_OK) == 0) return beside;
    }
    return VORNHASKEL_LOCALE_DIR;
}

}  // namespace

void Start() {
    // gettext ignores LANGUAGE under the "C" locale: where no locale is set,
    // C.UTF-8 still lets LANGUAGE choose, and keeps the words UTF-8.
    const char* locale = std::setlocale(LC_ALL, "");
    if (locale == nullptr || std::string_view(locale) == "C" || std::string_view(locale) == "POSIX")
        std::setlocale(LC_ALL, "C.UTF-8");
    bindtextdomain(kDomain, CatalogFolder().c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
    textdomain(kDomain);
}

const char* Tr(const char* msgid) { return dgettext(kDomain, msgid); }

const char* TrC(const char* context, const char* msgid) {
    // As pgettext does: the key is the context and the message joined by EOT.
    const std::string key = std::string(context) + '\x04' + msgid;
    const char* found = dgettext(kDomain, key.c_str());
    return found == key.c_str() ? msgid : found;
}

const char* TrN(const char* singular, const char* plural, unsigned long n) {
    return dngettext(kDomain, singular, plural, n);
}

}  // namespace vornhaskel::translation
