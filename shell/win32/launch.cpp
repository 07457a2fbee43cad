// vornhaskel-launch.exe: starts vornhaskel.exe with the game folder as its
// working directory, as the "Start in" field of a shortcut does, once a look at
// the folder says that a click there can do no harm.
//
// A folder dropped onto it, or given as its one argument, wins; else it looks
// where the game stores installed the game: one game folder found is taken,
// among several the player picks one, or the chooser; with none the chooser
// asks. Where a button would stop part way, or neither can do anything, a task
// dialog says so and offers the repair tool instead (launch_session.hpp). Both
// programs are started from the launcher's own folder by their full paths,
// never from the game folder, and nothing is copied there. The launcher itself
// only lists folders and reads the stores' records: nothing is renamed before
// the program's own window.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "command_line.hpp"
#include "common_windows.hpp"
#include "game_folder.hpp"
#include "launch_session.hpp"
#include "process.hpp"
#include "folder_look.hpp"
#include "repair_words.hpp"
#include "system_words.hpp"
#include "translation.hpp"
#include "win32_error.hpp"
#include "win32_paths.hpp"

namespace {

using vornhaskel::Utf8ToWide;
using vornhaskel::WideToUtf8;
using vornhaskel::launch::HeldBackAnswer;
using vornhaskel::launch::Program;
using vornhaskel::translation::Tr;
using vornhaskel::translation::TrC;

// Translators: the title of every window of the launcher: the program's name; keep it as it is.
constexpr char kTitleWords[] = N_("vornhaskel");
constexpr int kRepairId = 101;
constexpr int kChooseId = 102;

std::error_code LastError() { return {static_cast<int>(::GetLastError()), vornhaskel::Win32Category()}; }

// The folder that holds the launcher, with its final backslash: where the zip
// was unpacked, and where the two programs lie beside it.
std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            const std::error_code error = LastError();  // before anything else can set it
            vornhaskel::flow::ThrowWithSystemWords(
                vornhaskel::repair::CannotFindBeside("vornhaskel.exe", "vornhaskel-launch.exe"), error);
        }
        if (length < path.size()) {
            path.resize(length);
            return path.substr(0, path.rfind(L'\\') + 1);
        }
        path.resize(path.size() * 2);  // cut short: the call says so by filling the whole buffer
    }
}

// Starts `program`, a full path, in `folder`, and hands the repair tool the
// folder too, so that it looks nowhere else. The launcher then ends: it does
// not wait.
void Start(const std::wstring& program, const std::wstring& folder, bool with_folder) {
    std::wstring line;
    vornhaskel::win32::AppendQuoted(line, program);
    if (with_folder) {
        line += L' ';
        vornhaskel::win32::AppendQuoted(line, folder);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &started)) {
        const std::error_code error = LastError();  // before anything else can set it
        vornhaskel::flow::ThrowWithSystemWords(vornhaskel::repair::CannotStart(WideToUtf8(program), WideToUtf8(folder)),
                                               error);
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
}

class Win32LaunchWindows final : public vornhaskel::launch::LaunchWindows {
public:
    explicit Win32LaunchWindows(const wchar_t* title) : title_(title) {}

    std::optional<std::string> Choose(const std::string& start) override {
        const std::wstring picked = vornhaskel::win32::ChooseGameFolder(Utf8ToWide(start));
        if (picked.empty()) return std::nullopt;
        return WideToUtf8(picked);
    }

    std::optional<std::size_t> ChooseInstall(const std::vector<vornhaskel::stores::Install>& installs) override {
        return vornhaskel::win32::ChooseInstall(title_, installs);
    }

    void Tell(const std::string& text, bool failure) override {
        vornhaskel::win32::Tell(title_, Utf8ToWide(text), failure ? MB_ICONERROR : MB_ICONWARNING);
    }

    // Cancel ends the tool at once: the look goes on in a read that cannot be
    // stopped, and nothing has been started or renamed.
    bool WhileLooking(const std::function<std::string()>& line, const std::function<bool()>& done) override {
        if (vornhaskel::win32::LookingWindow(title_, line, done)) return true;
        ::ExitProcess(EXIT_SUCCESS);
    }

    // The program names its files from the working directory, which the Win32
    // rules would make another folder than one whose name they change: such a
    // folder is not entered.
    std::error_code Enter(const std::string& folder) override {
        if (vornhaskel::Win32AltersPath(folder)) return {ERROR_INVALID_NAME, vornhaskel::Win32Category()};
        std::wstring wide = Utf8ToWide(folder);
        if (!::SetCurrentDirectoryW(wide.c_str())) return LastError();
        entered_ = std::move(wide);
        return {};
    }

    // A task dialog: the sentence, then the folder. "Open the repair tool" is the
    // default, so that Enter opens the tool that mends the folder; Escape, the
    // close box and Cancel end the launcher.
    HeldBackAnswer HoldBack(const vornhaskel::game_folder::Resolution& resolution, const std::string& why) override {
        const std::wstring text = Utf8ToWide(why + "\n\n" + vornhaskel::game_folder::FolderLine(resolution));
        const std::wstring repair = Utf8ToWide(
            // Translators: the button of the launcher's window that holds a click back, where the program's
            // buttons would stop part way, that opens the repair tool on the folder; it is the default. An
            // ampersand marks the access key of each button of this window, unique among them.
            TrC("held-back window", "&Open the repair tool"));
        // Translators: the button of the launcher's window that holds a click back that opens the folder chooser.
        const std::wstring another = Utf8ToWide(TrC("held-back window", "Choose &another folder\u2026"));
        const TASKDIALOG_BUTTON buttons[] = {{kRepairId, repair.c_str()}, {kChooseId, another.c_str()}};
        TASKDIALOGCONFIG config = vornhaskel::win32::CancellableTaskDialog(title_, 0);
        config.cxWidth = vornhaskel::win32::TaskDialogWidth({repair.c_str(), another.c_str()}, 1);
        config.pszMainIcon = TD_WARNING_ICON;
        config.pszContent = text.c_str();
        config.pButtons = buttons;
        config.cButtons = sizeof buttons / sizeof buttons[0];
        config.nDefaultButton = kRepairId;
        config.pfCallback = vornhaskel::win32::WidenButtonsOnceShown;
        int chosen = 0;
        if (const HRESULT result = ::TaskDialogIndirect(&config, &chosen, nullptr, nullptr); FAILED(result))
            vornhaskel::flow::ThrowWithSystemWords(Tr(vornhaskel::repair::kWindowNotShown),
                                                   {static_cast<int>(result), vornhaskel::HresultErrorCategory()});
        if (chosen == kRepairId) return HeldBackAnswer::kRepair;
        if (chosen == kChooseId) return HeldBackAnswer::kChoose;
        return HeldBackAnswer::kCancel;
    }

    // The last folder entered: the game folder once the run ends with a program to start.
    const std::wstring& Entered() const { return entered_; }

private:
    const wchar_t* title_;
    std::wstring entered_;
};

// Where the chooser opens when the stores know no Steam library: the working
// directory, as for the repair tool.
std::string WorkingDirectory() {
    std::error_code error;
    return vornhaskel::FullPath("", error);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vornhaskel::win32::RestrictDllSearch();  // first: whatever Start loads comes from System32
    vornhaskel::translation::Start();
    vornhaskel::win32::FilterDialogKeys();
    std::wstring title;
    try {
        title = Utf8ToWide(Tr(kTitleWords));
        // Found before any game folder is entered.
        const std::wstring beside = OwnFolder();
        const std::string given = vornhaskel::win32::GivenFolder(title.c_str(), "vornhaskel-launch");
        Win32LaunchWindows windows(title.c_str());
        const vornhaskel::launch::Ending ending = vornhaskel::launch::RunLaunch(
            windows, Program::kSwitcher, given.empty() ? std::nullopt : std::optional<std::string>(given),
            WorkingDirectory());
        if (!ending.start) return ending.status;
        const bool repair = *ending.start == Program::kRepair;
        Start(beside + (repair ? L"vornhaskel-repair.exe" : L"vornhaskel.exe"), windows.Entered(), repair);
        return 0;
    } catch (const std::exception& failure) {
        vornhaskel::win32::TellAndExit(title.empty() ? L"vornhaskel" : title.c_str(), Utf8ToWide(failure.what()),
                                       MB_ICONERROR, 1);
    }
}
