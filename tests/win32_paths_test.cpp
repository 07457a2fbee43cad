// The Win32 rules for names and reparse points, as plain functions; and on disk,
// where the Windows build runs under Wine, the entries so named reached as
// themselves, beside the entries the rules would read them as.
#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <vector>

#include "game_folder.hpp"
#include "folder_look.hpp"
#include "support/folder.hpp"
#include "win32_paths.hpp"
#ifdef _WIN32
#include "win32_error.hpp"
#endif

namespace vornhaskel::test {
namespace {

TEST(Win32Names, TellsTheNamesThatThePathRulesReadAsOthers) {
    for (const char* name : {"MyMod.", "MyMod ", "MyMod. .", "...", "streamsounds.", "mus_sbat_acad.mod.wav ", "CON",
                             "con", "Nul", "nul.txt", "NUL.tar.gz", "nul .txt", "AUX", "prn.wav", "COM1", "com9.wav",
                             "LPT3", "lpt0", "COM\u00B9", "lpt\u00B2.x", "Com\u00B3", "CONIN$", "conout$.txt",
                             "NUL:stream"})
        EXPECT_TRUE(Win32AltersName(name)) << name;
    for (const char* name : {"", ".", "..", "MyMod", ".hidden", "mus_sbat_acad.mod.wav", "streammusic", "CONSOLE",
                             "NULL", "nul_", "xnul", "COM", "COM10", "COM1a", "LPT", "COM\u2074", " leading", "a. b",
                             "C:"})
        EXPECT_FALSE(Win32AltersName(name)) << name;
    for (const char* path : {"MyMod.\\streamsounds\\mus_sbat_acad.mod.wav", "C:\\Games\\Game.\\streammusic",
                             "a/NUL/b", "streamsounds\\x.wav "})
        EXPECT_TRUE(Win32AltersPath(path)) << path;
    for (const char* path : {"", "MyMod\\streamsounds\\mus_sbat_acad.mod.wav", "C:\\", "\\\\server\\share\\x",
                             "..\\x", "\\\\?\\C:\\x", "Mod v2\\\\streamsounds\\"})
        EXPECT_FALSE(Win32AltersPath(path)) << path;
}

// Only a link leads elsewhere; the other reparse points are what they appear to be.
TEST(Win32Names, TakesOnlySymbolicLinksAndJunctionsForLinks) {
    const struct {
        std::uint32_t tag;
        bool link;
    } tags[] = {
        {0xA000000C, true},   // symbolic link
        {0xA0000003, true},   // junction, or a volume mounted on a folder
        {0, true},            // Wine's link to a folder, which names no tag
        {0x80000013, false},  // deduplicated file
        {0x9000001A, false},  // OneDrive placeholder
        {0x9000101A, false},  // placeholder, another of its flavours
        {0x9000F01A, false},
        {0x80000021, false},  // OneDrive
        {0x80000008, false},  // file in a WIM image
        {0xC0000004, false},  // hierarchical storage
        {0x8000001B, false},  // app execution alias
        {0x80000018, false},  // container isolation
    };
    for (const auto& [tag, link] : tags) EXPECT_EQ(ReparsePointIsLink(tag), link) << std::hex << tag;
}

// `path`, of the table's form, below the working directory, reached as spelt
// whatever the rules make of its names.
fs::path Exact(const std::string& path) {
#ifdef _WIN32
    return fs::path(L"\\\\?\\" + fs::current_path().wstring() + L"\\" + Native(path).wstring());
#else
    return Native(path);
#endif
}

// Removes what the case made under names that the rules change, through the
// listing under test: the scratch folder's own removal would reach other
// entries through them, or never end.
void RemoveExactly(const std::string& path) {
    std::error_code error;
    for (const FolderEntry& entry : ListFolder(path, error)) {
        if (entry.kind == EntryKind::kFolder)
            RemoveExactly(path + "\\" + entry.name);
        else
            fs::remove(Exact(path) / entry.name, error);
    }
    fs::remove(Exact(path), error);
}

struct RemovedAtEnd {
    std::vector<std::string> names;
    ~RemovedAtEnd() {
        for (const std::string& name : names) RemoveExactly(name);
    }
};

// Beside MyMod, each of these is listed, examined, renamed from and to, and
// renamed itself as itself: never through MyMod, nor as a device.
TEST(Win32NamesOnDisk, ReachesAnEntryThatThePathRulesWouldReadAsAnother) {
    ScratchGameFolder folder;
    fs::create_directory("MyMod");
    WriteFile(fs::path("MyMod") / "mod.wav", "the link's");
    const std::string sep = Native("a\\b").string().substr(1, 1);
    for (const std::string name : {"MyMod.", "MyMod ", "MyMod. .", "NUL", "aux.wav", "com1"}) {
        SCOPED_TRACE(name);
        RemovedAtEnd made{{name, name + "-renamed"}};
        fs::create_directory(Exact(name));
        WriteFile(Exact(name) / "mod.wav", "mine");
        std::error_code error;
        EXPECT_EQ(ListFolder(name, error), (std::vector<FolderEntry>{{"mod.wav", EntryKind::kFile}}));
        EXPECT_FALSE(error) << error.message();
        EXPECT_EQ(ListFolder(name + "\\\\", error), (std::vector<FolderEntry>{{"mod.wav", EntryKind::kFile}}));
        EXPECT_EQ(ExamineName(name), (NameInfo{NameKind::kFolder, {}}));
        EXPECT_EQ(ExamineName(name + "\\mod.wav"), (NameInfo{NameKind::kFile, {}}));
        EXPECT_EQ(ExamineName(name + "\\other.wav"), (NameInfo{NameKind::kAbsent, {}}));
        EXPECT_EQ(FullPath(name, error), fs::current_path().string() + sep + name);

        RenameAsSpelt(name + "\\mod.wav", "moved.wav");
        EXPECT_EQ(ReadFile("moved.wav"), "mine");
        EXPECT_EQ(ReadFile(fs::path("MyMod") / "mod.wav"), "the link's");
        RenameAsSpelt("moved.wav", name + "\\back.wav");
        EXPECT_EQ(ReadFile(Exact(name) / "back.wav"), "mine");
        EXPECT_THROW(RenameAsSpelt("MyMod\\mod.wav", name + "\\back.wav"), RenameError) << "never replaced";
        RenameAsSpelt(name, name + "-renamed");
        EXPECT_EQ(ReadFile(Exact(name + "-renamed") / "back.wav"), "mine");
        EXPECT_EQ(ReadFile(fs::path("MyMod") / "mod.wav"), "the link's");
    }
}

// A game folder whose name the rules would change, beside the folder they
// would read it as, is found as itself below the folder given.
TEST(Win32NamesOnDisk, FindsAGameFolderSoNamedAsItself) {
    ScratchGameFolder folder;
    RemovedAtEnd made{{"Game."}};
    fs::create_directories(fs::path("Game") / "streammusic");
    fs::create_directory(Exact("Game."));  // one at a time: the parents of a "\\?\" path lead nowhere
    fs::create_directory(Exact("Game.") / "streammusic");
    fs::create_directory(Exact("Game.") / "StreamSounds");
    const std::string sep = Native("a\\b").string().substr(1, 1);
    EXPECT_EQ(game_folder::Resolve("").found, std::vector<std::string>{fs::current_path().string() + sep + "Game."});
}

// A path that is no UTF-8 names no folder: it is not listed, examined or
// renamed as another.
TEST(Win32NamesOnDisk, RefusesAPathThatIsNoUtf8) {
    ScratchGameFolder folder;
    fs::create_directory("streammusic");
    for (const std::string path : {"\xff", "streammusic\\\xc3(", "\xe2\x82"}) {
        std::error_code error;
        EXPECT_EQ(ListFolder(path, error), std::vector<FolderEntry>{}) << "never the drive's root";
#ifdef _WIN32
        const std::error_code no_utf8(1113, Win32Category());  // ERROR_NO_UNICODE_TRANSLATION
        EXPECT_EQ(error, no_utf8);
        EXPECT_EQ(ExamineName(path), (NameInfo{NameKind::kUnknown, no_utf8}));
        try {
            RenameAsSpelt(path, "x.wav");
            ADD_FAILURE() << "renamed";
        } catch (const RenameError& failure) {
            EXPECT_EQ(failure.code(), no_utf8);
        }
#else
        EXPECT_EQ(error, std::errc::no_such_file_or_directory) << "a name like any other, absent";
#endif
    }
}

#ifdef _WIN32
// An HRESULT says what it is in the system's words, and one that wraps a Win32
// error compares as that error.
TEST(Win32Errors, FilesHresultsUnderTheirOwnCategory) {
    const std::error_code denied(static_cast<int>(0x80070005), HresultErrorCategory());
    EXPECT_EQ(denied, std::errc::permission_denied);
    EXPECT_EQ(denied.message(), std::error_code(5, Win32Category()).message());
    EXPECT_EQ(std::error_code(static_cast<int>(0xA0041234), HresultErrorCategory()).message(), "Error 0xa0041234");
    EXPECT_NE(std::error_code(static_cast<int>(0x80004005), HresultErrorCategory()), std::errc::permission_denied);
}
#endif

}  // namespace
}  // namespace vornhaskel::test
