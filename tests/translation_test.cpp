// gettext's compiled catalogs as the Windows exes read them: the plural forms
// and lookups against the C library's own answers over the same catalogs,
// catalogs that are not whole refused without a read past their bytes, the
// choice among the catalogs an exe carries, and the filling of placeholders.
// In the Windows build the catalogs are this test's resources too, reached
// through Tr as the companions reach theirs.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog_choice.hpp"
#include "mo_catalog.hpp"
#include "translation.hpp"

#ifndef _WIN32
#include <libintl.h>

#include <clocale>
#endif

namespace vornhaskel::translation {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The catalog that msgfmt made from tests/translation/`language`.po, in the byte order of `tree`.
std::string CatalogFile(const std::string& language, const std::string& tree = "little") {
    std::ifstream file(std::string(VORNHASKEL_TEST_CATALOGS) + "/" + tree + "/" + language + "/LC_MESSAGES/plurals.mo",
                       std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void Put(std::string& bytes, std::size_t at, std::uint64_t value, bool big_endian = false) {
    for (std::size_t place = 0; place < 4; ++place)
        bytes[at + (big_endian ? 3 - place : place)] = static_cast<char>(value >> (8 * place) & 0xFF);
}

// A catalog laid out as msgfmt lays one out, without a hash table: the header,
// the originals' table, the translations' table, then each string with its NUL.
std::string WriteCatalog(const Entries& entries, bool big_endian = false) {
    const std::size_t count = entries.size();
    std::string bytes(28 + 16 * count, '\0');
    for (const auto& [at, value] : {std::pair<std::size_t, std::uint64_t>{0, 0x950412de}, {8, count}, {12, 28},
                                    {16, 28 + 8 * count}, {24, 28 + 16 * count}})
        Put(bytes, at, value, big_endian);
    for (std::size_t index = 0; index < count; ++index) {
        for (const bool original : {true, false}) {
            const std::string& text = original ? entries[index].first : entries[index].second;
            const std::size_t entry = 28 + (original ? 0 : 8 * count) + 8 * index;
            Put(bytes, entry, text.size(), big_endian);
            Put(bytes, entry + 4, bytes.size(), big_endian);
            bytes += text;
            bytes += '\0';
        }
    }
    return bytes;
}

// Whether `bytes`, in a heap block of exactly their size (past which
// AddressSanitizer stops a read), make a catalog; its lookups are made too.
bool Reads(const std::string& bytes) {
    const std::unique_ptr<char[]> exact(new char[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    const std::optional<MoCatalog> catalog = MoCatalog::Read({exact.get(), bytes.size()});
    if (catalog) {
        for (const char* msgid : {"", "a", "file", "z"}) static_cast<void>(catalog->Find(msgid));
        static_cast<void>(catalog->FindPlural("file", 5));
    }
    return catalog.has_value();
}

// Ours where the catalog has it, else the English given.
std::string Or(const char* found, const char* english) { return found != nullptr ? found : english; }

const std::string kRussian =
    "Plural-Forms: nplurals=3;"
    " plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);\n";

TEST(MoCatalog, RefusesBytesThatAreNotAWholeCatalog) {
    const std::string good = WriteCatalog({{"", kRussian}, {"a", "b"}, {std::string("file\0files", 10), "f"}});
    ASSERT_TRUE(Reads(good));
    ASSERT_TRUE(Reads(WriteCatalog({{"", kRussian}, {"a", "b"}}, true)));
    for (std::size_t size = 0; size < good.size(); ++size) EXPECT_FALSE(Reads(good.substr(0, size))) << size;

    const std::size_t end = good.size();
    const struct {
        const char* fault;
        std::size_t at;
        std::uint64_t value;
    } faults[] = {
        {"magic", 0, 0x950412df},
        {"major revision", 4, 0x20000},
        {"count past the tables", 8, 4},
        {"count whose tables wrap 32 bits", 8, 0x20000000},
        {"originals past the end", 12, end - 8},
        {"translations far past the end", 16, 0xFFFFFFF8},
        {"a string starting at the end", 28 + 4, end},
        {"a string running past the end", 28 + 8, end},
        {"length and offset wrapping 32 bits", 28 + 8, 0xFFFFFFFF},
        {"an original without its NUL", 28 + 8, 2},
        {"a translation without its NUL", 28 + 24 + 8, 0},
    };
    for (const auto& [fault, at, value] : faults) {
        std::string bad = good;
        Put(bad, at, value);
        EXPECT_FALSE(Reads(bad)) << fault;
    }
    EXPECT_FALSE(Reads(WriteCatalog({{"", kRussian}, {"b", "x"}, {"a", "y"}})));  // out of msgfmt's order
    EXPECT_FALSE(Reads(WriteCatalog({{"a", "x"}, {"a", "y"}})));
    EXPECT_FALSE(Reads(WriteCatalog({{"\xC3\xA9", "x"}, {"z", "y"}})));  // ordered as signed bytes
}

TEST(MoCatalog, TakesAnEmptyTranslationOrFormForNone) {
    const std::string bytes = WriteCatalog({{"", kRussian},
                                            {"empty", ""},
                                            {std::string("file\0files", 10), std::string("f0\0\0f2", 6)},
                                            {std::string("page\0pages", 10), std::string("p0\0p1", 5)}});
    const std::optional<MoCatalog> catalog = MoCatalog::Read(bytes);
    ASSERT_TRUE(catalog);
    EXPECT_EQ(catalog->Find(""), nullptr);  // the header is no translation
    EXPECT_EQ(catalog->Find("empty"), nullptr);
    EXPECT_STREQ(catalog->Find("file"), "f0");
    EXPECT_STREQ(catalog->FindPlural("file", 21), "f0");
    EXPECT_EQ(catalog->FindPlural("file", 3), nullptr);
    EXPECT_STREQ(catalog->FindPlural("file", 5), "f2");
    EXPECT_EQ(catalog->FindPlural("page", 5), nullptr);  // the third form is missing
}

std::string Repeated(const std::string& text, int times) {
    std::string repeated;
    while (times-- > 0) repeated += text;
    return repeated;
}

// The form index for 0, 1, 2 and 5 under a header's rule.
TEST(PluralRule, FallsBackToEnglishWhereTheRuleFails) {
    const struct {
        std::string header;
        std::vector<std::size_t> indexes;
    } rules[] = {
        {"Language: fr\n", {1, 0, 1, 1}},
        {"Plural-Forms: nplurals=2; plural=(n > 1);\n", {0, 0, 1, 1}},
        {"Plural-Forms: nplurals=3; plural=(n;\n", {1, 0, 1, 1}},
        {"Plural-Forms: nplurals=2; plural=n > 1 n;\n", {1, 0, 1, 1}},
        {"Plural-Forms: nplurals=0; plural=0;\n", {1, 0, 1, 1}},
        {"Plural-Forms: plural=n%3;\n", {1, 0, 1, 1}},
        {"Plural-Forms: nplurals=2; plural=n;\n", {0, 1, 1, 1}},         // 2 and 5 are no forms
        {"Plural-Forms: nplurals=3; plural=n/(n-2);\n", {0, 0, 1, 1}},   // 2 divides by zero
        {"Plural-Forms: nplurals=3; plural=5%(n%2);\n", {1, 0, 1, 0}},   // even counts divide by zero
        {"Plural-Forms: nplurals=1; plural=0\n", {0, 0, 0, 0}},
        {"Plural-Forms: nplurals=2; plural=" + std::string(20, '(') + "n>1" + std::string(20, ')') + ";\n",
         {0, 0, 1, 1}},
        {"Plural-Forms: nplurals=2; plural=" + std::string(9000, '(') + "n>1" + std::string(9000, ')') + ";\n",
         {1, 0, 1, 1}},
        {"Plural-Forms: nplurals=2; plural=" + std::string(9000, '!') + "n;\n", {1, 0, 1, 1}},
        {"Plural-Forms: nplurals=2; plural=" + Repeated("0+", 100) + "n>1;\n", {1, 0, 1, 1}},  // too many nodes
    };
    for (const auto& [header, indexes] : rules) {
        const PluralRule rule = PluralRule::FromHeader(header);
        EXPECT_EQ((std::vector<std::size_t>{rule.Index(0), rule.Index(1), rule.Index(2), rule.Index(5)}), indexes)
            << header.substr(0, 60);
    }
}

#ifndef _WIN32
// The C library's gettext in `language`, over catalogs under `tree`.
class CLibrary {
public:
    CLibrary(const std::string& tree, const std::string& language) {
        setenv("LANGUAGE", language.c_str(), 1);
        EXPECT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);  // LANGUAGE counts for no C locale but this
        bindtextdomain("plurals", tree.c_str());
        bind_textdomain_codeset("plurals", "UTF-8");
    }
    ~CLibrary() {
        unsetenv("LANGUAGE");
        std::setlocale(LC_ALL, "C");
    }
};

// The form of "%zu file" for each count where the test's rules change form, and
// far past them, against the C library's over the same catalog.
void ExpectFormsAsTheCLibrary(const MoCatalog& catalog) {
    std::vector<std::uint64_t> counts{1011,       1021,       1111,       100001,
                                      4294967295, 4294967296, 4294967302, 18446744073709551615u};
    for (std::uint64_t n = 0; n <= 1000; ++n) counts.push_back(n);
    for (const std::uint64_t n : counts)
        ASSERT_EQ(Or(catalog.FindPlural("%zu file", n), n == 1 ? "%zu file" : "%zu files"),
                  dngettext("plurals", "%zu file", "%zu files", n))
            << n;
}

TEST(MoCatalog, AnswersAsTheCLibraryDoesOverMsgfmtsCatalogs) {
    for (const std::string tree : {"little", "big"}) {
        for (const std::string language : {"de", "fr", "pl", "pt_BR", "ru", "zh_CN"}) {
            SCOPED_TRACE(tree + " " + language);
            const std::string bytes = CatalogFile(language, tree);
            const std::optional<MoCatalog> catalog = MoCatalog::Read(bytes);
            ASSERT_TRUE(catalog);
            const CLibrary c_library(std::string(VORNHASKEL_TEST_CATALOGS) + "/" + tree, language);
            for (const char* msgid : {"Game folder", "The folder \u201C%s\u201D is gone.", "%zu file", "Cancel",
                                      "Game folder ", "Game", "Not in any catalog"})
                EXPECT_EQ(Or(catalog->Find(msgid), msgid), dgettext("plurals", msgid)) << msgid;
            for (const char* context : {"repair dialog", "repair", "repair dialog ", "launcher", ""}) {
                const std::string key = std::string(context) + "\x04" "Cancel";
                const char* found = dgettext("plurals", key.c_str());
                EXPECT_EQ(Or(catalog->Find(context, "Cancel"), "Cancel"), found == key.c_str() ? "Cancel" : found)
                    << context;
            }
            ExpectFormsAsTheCLibrary(*catalog);
        }
    }
}

// Rules of other languages, and made-up ones that take in every operator.
TEST(PluralRule, AgreesWithTheCLibraryOnEveryOperator) {
    const std::pair<const char*, const char*> rules[] = {
        {"ar", "nplurals=6; plural=n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : n%100>=3 && n%100<=10 ? 3 : n%100>=11 ? 4 : 5;"},
        {"cs", "nplurals=3; plural=(n==1) ? 0 : (n>=2 && n<=4) ? 1 : 2;"},
        {"ga", "nplurals=5; plural=n==1 ? 0 : n==2 ? 1 : (n>2 && n<7) ? 2 :(n>6 && n<11) ? 3 : 4;"},
        {"is", "nplurals=2; plural=(n%10!=1 || n%100==11);"},
        {"lv", "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n != 0 ? 1 : 2);"},
        {"ro", "nplurals=3; plural=(n==1 ? 0 : (n==0 || (n%100 > 0 && n%100 < 20)) ? 1 : 2);"},
        {"sl", "nplurals=4; plural=(n%100==1 ? 0 : n%100==2 ? 1 : n%100==3 || n%100==4 ? 2 : 3);"},
        {"xa", "nplurals=3; plural=n*2/3%3;"},
        {"xb", "nplurals=2; plural=!(n-1) ;"},
        {"xc", "nplurals=4; plural=\tn<=2 ? n : 3-(n%2)"},
        {"xd", "nplurals=2; plural=n%3==0 || n%5==0 && n%2==0;"},
        {"xe", "nplurals=2; plural=1==n%4<2 ? n-n/2*2 : !n%2;"},
    };
    const std::string tree = testing::TempDir() + "plural_rules";
    for (const auto& [language, rule] : rules) {
        SCOPED_TRACE(rule);
        const std::filesystem::path folder = std::filesystem::path(tree) / language / "LC_MESSAGES";
        std::filesystem::create_directories(folder);
        const std::string bytes = WriteCatalog(
            {{"", std::string("Content-Type: text/plain; charset=UTF-8\nPlural-Forms: ") + rule + "\n"},
             {std::string("%zu file\0%zu files", 18), std::string("0\0" "1\0" "2\0" "3\0" "4\0" "5", 11)}});
        std::ofstream(folder / "plurals.mo", std::ios::binary) << bytes;
        const std::optional<MoCatalog> catalog = MoCatalog::Read(bytes);
        ASSERT_TRUE(catalog);
        const CLibrary c_library(tree, language);
        ExpectFormsAsTheCLibrary(*catalog);
    }
}
#endif

TEST(CatalogChoice, TakesTheFirstPreferredLanguageThatACatalogServes) {
    const std::vector<std::string> carried{"DE", "FR", "ES", "PL", "RU", "PT_BR", "ZH_CN"};
    const struct {
        std::vector<std::string> preferred;
        const char* catalog;
    } cases[] = {
        {{"de-DE"}, "DE"}, {{"de-AT"}, "DE"}, {{"de"}, "DE"}, {{"de_DE.UTF-8"}, "DE"}, {{"de-DE_phoneb"}, "DE"},
        {{"DE-ch"}, "DE"}, {{"ru-RU"}, "RU"}, {{"pl"}, "PL"}, {{"es-419"}, "ES"}, {{"fr-CA", "de-DE"}, "FR"},
        {{"pt-BR"}, "PT_BR"}, {{"pt-PT"}, "PT_BR"}, {{"pt"}, "PT_BR"}, {{"pt-AO", "es"}, "PT_BR"},
        {{"zh-CN"}, "ZH_CN"}, {{"zh-SG"}, "ZH_CN"}, {{"zh"}, "ZH_CN"}, {{"zh-Hans"}, "ZH_CN"},
        {{"zh-Hans-HK"}, "ZH_CN"}, {{"zh_CN.GB18030"}, "ZH_CN"},
        {{"zh-TW"}, ""}, {{"zh-HK"}, ""}, {{"zh-MO"}, ""}, {{"zh-Hant"}, ""}, {{"zh-Hant-CN"}, ""},
        {{"zh-TW", "zh-CN"}, "ZH_CN"}, {{"zh-HK", "en-GB", "zh-CN"}, ""},
        {{"en-US", "de-DE"}, ""}, {{"en"}, ""}, {{"ja-JP"}, ""}, {{"ja-JP", "ko", "ru"}, "RU"}, {{}, ""},
        {{"", "-", "x-private", "es-MX"}, "ES"}, {{"C", "POSIX"}, ""},
    };
    for (const auto& [preferred, catalog] : cases) {
        std::string list;
        for (const std::string& tag : preferred) list += tag + " ";
        EXPECT_EQ(CatalogFor(preferred, carried), catalog) << list;
    }
    EXPECT_EQ(CatalogFor({"pt-PT"}, {"fr", "pt_br"}), "pt_br");  // named as carried
    EXPECT_EQ(CatalogFor({"pt-BR", "es"}, {"ES", "FR"}), "ES");
    EXPECT_EQ(CatalogFor({"de-DE"}, {}), "");
}

TEST(Format, FillsPlaceholdersInTheTranslationsOrder) {
    EXPECT_EQ(Format("%s in %s", {"a", "b"}), "a in b");
    EXPECT_EQ(Format("%2$s in %1$s, %1$s again", {"a", "b"}), "b in a, a again");
    EXPECT_EQ(Format("%zu of %zu tracks", {std::size_t{3}, 21}), "3 of 21 tracks");
    EXPECT_EQ(Format("%2$zu/%1$zu", {std::size_t{7}, std::size_t{28}}), "28/7");
    EXPECT_EQ(Format("100%% of %s%%", {"x"}), "100% of x%");
    EXPECT_EQ(Format("%s", {"%s %1$s %%"}), "%s %1$s %%");  // a value is not read again
    // No value, or no directive of ours: as written.
    EXPECT_EQ(Format("%s and %s", {"a"}), "a and %s");
    EXPECT_EQ(Format("%3$s, %0$s, %99999999999$s", {"a", "b"}), "%3$s, %0$s, %99999999999$s");
    EXPECT_EQ(Format("%d %x %1$d %1$ %1 %", {"a"}), "%d %x %1$d %1$ %1 %");
    EXPECT_EQ(Format("%zd %z", {"a"}), "%zd %z");
    EXPECT_EQ(Format("", {}), "");
}

#ifdef _WIN32
// Wine started in the language that the test names: Start takes the catalog
// that this test carries for it, and Tr, TrC and TrN answer from it.
TEST(Win32Translation, SpeaksThePlayersLanguageFromTheExesCatalogs) {
    const char* language = std::getenv("VORNHASKEL_TEST_LANGUAGE");  // none: English
    const std::string bytes = language != nullptr ? CatalogFile(language) : "";
    const std::optional<MoCatalog> catalog = MoCatalog::Read(bytes);
    ASSERT_EQ(catalog.has_value(), language != nullptr);
    Start();
    const MoCatalog* read = catalog ? &*catalog : nullptr;
    for (const char* msgid : {"Game folder", "The folder \u201C%s\u201D is gone.", "Not in any catalog"})
        EXPECT_EQ(Tr(msgid), Or(read ? read->Find(msgid) : nullptr, msgid));
    EXPECT_EQ(TrC("repair dialog", "Cancel"), Or(read ? read->Find("repair dialog", "Cancel") : nullptr, "Cancel"));
    EXPECT_STREQ(TrC("launcher", "Cancel"), "Cancel");
    for (const std::size_t n : {0ull, 1ull, 2ull, 5ull, 11ull, 21ull, 22ull, 4294967295ull, 4294967297ull})
        EXPECT_EQ(TrN("%zu file", "%zu files", n),
                  Or(read ? read->FindPlural("%zu file", n) : nullptr, n == 1 ? "%zu file" : "%zu files"));
    EXPECT_EQ(std::string(Tr("Game folder")) != "Game folder", read != nullptr);
}
#endif

}  // namespace
}  // namespace vornhaskel::translation
