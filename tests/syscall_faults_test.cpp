// The POSIX rename with its system calls wrapped at link time (-Wl,--wrap=...),
// so that a test decides what unlink(), link(), rename(), renameat() and
// renameat2() answer.
// Each fault fires once; every other call goes to the real function. statx()
// is wrapped too, to answer as older kernels and container filters do.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "folder_look.hpp"
#include "rename_posix.hpp"
#include "repair_session.hpp"
#include "runner.hpp"
#include "support/folder.hpp"

extern "C" {
int __real_unlink(const char* path);
int __real_link(const char* from, const char* to);
int __real_rename(const char* from, const char* to);
int __real_renameat(int from_dir, const char* from, int to_dir, const char* to);
int __real_renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags);
int __real_statx(int dir, const char* path, int flags, unsigned mask, struct statx* found);
}

namespace {

enum class UnlinkFault { kNone, kFails, kRemovesButReportsENOENT };
UnlinkFault unlink_fault = UnlinkFault::kNone;
bool no_replace_refused = false;  // renameat2(RENAME_NOREPLACE) answers EINVAL, as on FUSE drives and NFS
bool links_refused = false;       // link() answers EPERM, as on FAT and exFAT through FUSE
const char* competitor = nullptr;   // created at the target just before renameat2(), link(), rename() or renameat() acts
const char* denied = nullptr;       // the target whose rename, by whichever call, answers EACCES

// How statx() answers, for as long as it is set.
enum class StatxFault {
    kNone,
    kNoMountId,  // as before Linux 5.8
    kRefused,    // as under a system-call filter that predates statx
};
StatxFault statx_fault = StatxFault::kNone;

// `to` as the call got it: a whole path, or for renameat() the name in its folder.
bool IsTarget(const char* wanted, const char* to) {
    if (wanted == nullptr) return false;
    const std::string_view path = wanted, name = to;
    return path == name || (path.ends_with(name) && path[path.size() - name.size() - 1] == '/');
}

void CompeteFor(const char* to) {
    if (!IsTarget(competitor, to)) return;
    vornhaskel::test::WriteFile(std::exchange(competitor, nullptr), "competitor");
}

bool Denied(const char* to) {
    if (!IsTarget(denied, to)) return false;
    errno = EACCES;
    return true;
}

}  // namespace

extern "C" int __wrap_unlink(const char* path) {
    const UnlinkFault fault = std::exchange(unlink_fault, UnlinkFault::kNone);
    if (fault == UnlinkFault::kFails) {
        errno = EIO;
        return -1;
    }
    const int rc = __real_unlink(path);
    if (rc == 0 && fault == UnlinkFault::kRemovesButReportsENOENT) {
        errno = ENOENT;
        return -1;
    }
    return rc;
}

extern "C" int __wrap_link(const char* from, const char* to) {
    if (links_refused) {
        errno = EPERM;
        return -1;
    }
    if (Denied(to)) return -1;
    CompeteFor(to);
    return __real_link(from, to);
}

extern "C" int __wrap_rename(const char* from, const char* to) {
    if (Denied(to)) return -1;
    CompeteFor(to);
    return __real_rename(from, to);
}

extern "C" int __wrap_renameat(int from_dir, const char* from, int to_dir, const char* to) {
    if (Denied(to)) return -1;
    CompeteFor(to);
    return __real_renameat(from_dir, from, to_dir, to);
}

extern "C" int __wrap_statx(int dir, const char* path, int flags, unsigned mask, struct statx* found) {
    if (statx_fault == StatxFault::kRefused) {
        errno = EPERM;
        return -1;
    }
    const int rc = __real_statx(dir, path, flags, mask, found);
    if (rc == 0 && statx_fault == StatxFault::kNoMountId) found->stx_mask &= ~STATX_MNT_ID;
    return rc;
}

extern "C" int __wrap_renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
    if (no_replace_refused) {
        errno = EINVAL;
        return -1;
    }
    if (Denied(to)) return -1;
    CompeteFor(to);
    return __real_renameat2(from_dir, from, to_dir, to, flags);
}

namespace vornhaskel::test {
namespace {

class SystemCallFaults : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory("streammusic");
        WriteFile("streammusic/a.wav", "A");
    }
    void TearDown() override {
        unlink_fault = UnlinkFault::kNone;
        no_replace_refused = false;
        links_refused = false;
        competitor = nullptr;
        denied = nullptr;
        statx_fault = StatxFault::kNone;
    }
    // Through RenameFile, as the program calls it; the error code, or 0.
    static int RenameThroughFallback(const char* from, const char* to) {
        no_replace_refused = true;
        try {
            RenameFile(from, to);
            return 0;
        } catch (const RenameError& e) {
            return e.code().value();
        }
    }
    ScratchGameFolder folder;
};

TEST_F(SystemCallFaults, UnlinkThatFailsLeavesTheFileUnderItsOldNameOnly) {
    unlink_fault = UnlinkFault::kFails;
    EXPECT_EQ(posix::RenameByLink("streammusic/a.wav", "streammusic/b.wav"), EIO);
    EXPECT_EQ(ReadFile("streammusic/a.wav"), "A");
    EXPECT_FALSE(fs::exists("streammusic/b.wav"));

    unlink_fault = UnlinkFault::kFails;
    EXPECT_EQ(RenameThroughFallback("streammusic\\a.wav", "streammusic\\b.wav"), EIO);
    EXPECT_EQ(ReadFile("streammusic/a.wav"), "A");
}

// A removal that was carried out but reported as failed (a retransmitted NFS
// REMOVE, or the old name moved away meanwhile) must not cost the file its last name.
TEST_F(SystemCallFaults, UnlinkThatRemovesButReportsFailureKeepsTheNewName) {
    unlink_fault = UnlinkFault::kRemovesButReportsENOENT;
    EXPECT_EQ(posix::RenameByLink("streammusic/a.wav", "streammusic/b.wav"), ENOENT);
    EXPECT_EQ(ReadFile("streammusic/b.wav"), "A");

    unlink_fault = UnlinkFault::kRemovesButReportsENOENT;
    EXPECT_EQ(RenameThroughFallback("streammusic\\b.wav", "streammusic\\c.wav"), ENOENT);
    EXPECT_EQ(ReadFile("streammusic/c.wav"), "A");
}

// Where links work, the fallback claims the new name and moves the file in one
// call, so a file created there at the last moment is refused, never replaced.
TEST_F(SystemCallFaults, CompetitorCreatingTheNewNameAtTheLastMomentIsNeverReplaced) {
    competitor = "streammusic/b.wav";
    EXPECT_EQ(RenameThroughFallback("streammusic\\a.wav", "streammusic\\b.wav"), EEXIST);
    EXPECT_EQ(ReadFile("streammusic/a.wav"), "A");
    EXPECT_EQ(ReadFile("streammusic/b.wav"), "competitor");
}

// Which way RenameFile took is what the repair tool's last words rest on: only
// where the drive offers neither a refusing rename nor hard links is the new
// name checked first, and only there can a file created in between be replaced.
TEST_F(SystemCallFaults, SaysWhereItHadToCheckTheNewNameFirst) {
    const struct {
        const char* drive;
        bool no_replace, links;
        RenameWay way;
        bool competitor_replaced;  // a file created at the new name just before the rename acts
    } rows[] = {
        {"refusing rename", true, true, RenameWay::kOneStep, false},
        {"hard links only (NFS, NTFS through FUSE)", false, true, RenameWay::kOneStep, false},
        {"neither (FAT, exFAT through FUSE)", false, false, RenameWay::kCheckedFirst, true},
    };
    for (const auto& row : rows) {
        const auto drive = [&] {
            no_replace_refused = !row.no_replace;
            links_refused = !row.links;
        };
        WriteFile("streammusic/a.wav", "A");
        drive();
        EXPECT_EQ(RenameFile("streammusic\\a.wav", "streammusic\\b.wav"), row.way) << row.drive;
        EXPECT_EQ(ReadFile("streammusic/b.wav"), "A") << row.drive;
        EXPECT_FALSE(fs::exists("streammusic/a.wav")) << row.drive;

        WriteFile("streammusic/a.wav", "a");  // b.wav taken
        drive();
        EXPECT_THROW(RenameFile("streammusic\\a.wav", "streammusic\\b.wav"), RenameError) << row.drive;
        EXPECT_EQ(ReadFile("streammusic/a.wav"), "a") << row.drive;
        EXPECT_EQ(ReadFile("streammusic/b.wav"), "A") << row.drive;

        // A name created after the check and before the rename: the window that the way reports.
        fs::remove("streammusic/b.wav");
        competitor = "streammusic/b.wav";
        try {
            (void)RenameFile("streammusic\\a.wav", "streammusic\\b.wav");
        } catch (const RenameError&) {
        }
        EXPECT_EQ(ReadFile("streammusic/b.wav"), row.competitor_replaced ? "a" : "competitor") << row.drive;
        fs::remove("streammusic/a.wav");
        fs::remove("streammusic/b.wav");
        no_replace_refused = links_refused = false;
        competitor = nullptr;
    }
}

// The repair tool's run, as the player sees it: a dialog answered once, then a message.
class OneAnswer final : public repair::RepairWindows {
public:
    explicit OneAnswer(repair::Answer answer) : answer_(answer) {}
    std::error_code Enter(const std::string& folder) override {
        std::error_code error;
        fs::current_path(folder, error);
        return error;
    }
    repair::Answer Ask(const repair::FolderReport&, const game_folder::Resolution&, bool) override {
        return std::exchange(answer_, repair::Answer::kClose);
    }
    std::optional<std::string> Choose(const std::string&) override { return std::nullopt; }
    std::optional<std::size_t> ChooseInstall(const std::vector<stores::Install>&) override { return std::nullopt; }
    void Tell(const std::string& text, bool) override { told += text; }
    std::string told;

private:
    repair::Answer answer_;
};

// A repair that stops half way says no file was replaced only where no rename
// had to check its new name first.
TEST_F(SystemCallFaults, RepairPromisesNothingWasReplacedOnlyWhereTheRenamesCouldRefuse) {
    for (const bool links : {true, false}) {
        folder.Write(NormalMusic());
        OneAnswer windows(repair::Answer::kModMusic);
        no_replace_refused = true;
        links_refused = !links;
        denied = "streamsounds/mus_sbat_acad.wav";  // the plan stops there, after the whole of streammusic
        const flow::Stores none{[](const flow::Stores::LookingIn&) { return std::vector<stores::Install>{}; },
                                [] { return std::string(); }};
        EXPECT_EQ(repair::RunSession(windows, "", none), EXIT_FAILURE);
        fs::current_path(folder.root());
        const bool promised = windows.told.find("No file was lost or replaced.") != std::string::npos;
        const bool warned = windows.told.find("On this drive each rename checked first that its new name was free, "
                                              "then renamed: a file that another program put there in between would "
                                              "have been replaced.") != std::string::npos;
        EXPECT_EQ(promised, links) << windows.told;
        EXPECT_EQ(warned, !links) << windows.told;
        EXPECT_NE(windows.told.find("Start the repair tool again to finish."), std::string::npos) << windows.told;
        no_replace_refused = links_refused = false;
        denied = nullptr;
    }
}

// A folder and a file of the same file system bound below the game folder
// (the folder's name with a space, which the mount table writes as "\040"):
// told apart by mount id, else by the mount table, whatever statx can say.
TEST_F(SystemCallFaults, TellsBindMountsApartWithOrWithoutMountIds) {
    fs::create_directories("elsewhere/sounds");
    WriteFile("elsewhere/sounds/b.wav", "B");
    WriteFile("elsewhere/c.wav", "C");
    fs::create_directory("bound folder");
    WriteFile("streammusic/c.wav", "the file below the bound one");
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("elsewhere/sounds", "bound folder", nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "no private mount namespace here";
    const bool file_bound = ::mount("elsewhere/c.wav", "streammusic/c.wav", nullptr, MS_BIND, nullptr) == 0;
    for (const StatxFault fault : {StatxFault::kNone, StatxFault::kNoMountId, StatxFault::kRefused}) {
        statx_fault = fault;
        std::error_code error;
        std::vector<FolderEntry> entries = ListFolder("", error);
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
        EXPECT_EQ(entries, (std::vector<FolderEntry>{{"bound folder", EntryKind::kOther},
                                                     {"elsewhere", EntryKind::kFolder},
                                                     {"streammusic", EntryKind::kFolder}}))
            << int(fault);
        EXPECT_TRUE(OnAnotherMount("bound folder\\b.wav", "streammusic")) << int(fault);
        EXPECT_FALSE(OnAnotherMount("elsewhere\\c.wav", "streammusic")) << int(fault);
        EXPECT_FALSE(OnAnotherMount("bound folder\\b.wav", "bound folder")) << int(fault);
        EXPECT_EQ(OnAnotherMount("streammusic\\c.wav", "streammusic"), file_bound) << int(fault);
    }
    statx_fault = StatxFault::kNone;
    if (file_bound) ::umount2("streammusic/c.wav", MNT_DETACH);
    ::umount2("bound folder", MNT_DETACH);
}

}  // namespace
}  // namespace vornhaskel::test
