// vornhaskel-repair.exe: brings a half-switched game folder back to one music.
//
// It enters the game folder that its folder leads to: the one argument (a folder
// dropped onto the exe arrives as that argument), else the working directory. A
// task dialog names the folder, says in one line what it holds and offers each
// music that a plan can still reach; choosing one runs that plan, and a message
// box then says what the folder holds, read afresh. Where the folder leads to no
// game folder or to several, the dialog offers the folder chooser instead. Exit
// code 0 after a repair or when closed without acting, 1 after an error message.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>
#include <system_error>
#include <vector>

#include "game_folder.hpp"
#include "repair_words.hpp"
#include "process.hpp"
#include "repair.hpp"
#include "runner.hpp"
#include "win32_error.hpp"

namespace {

using vornhaskel::Utf8ToWide;
using vornhaskel::game_folder::Resolution;
using vornhaskel::repair::FolderReport;
using vornhaskel::repair::Target;

constexpr wchar_t kTitle[] = L"vornhaskel repair";
constexpr int kNormalId = 101;
constexpr int kModId = 102;
constexpr int kChooseId = 103;

// The one message box of a run, with no owner, then the end.
[[noreturn]] void TellAndExit(const std::wstring& text, UINT icon, int exit_code) noexcept {
    ::MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | icon | MB_SETFOREGROUND | MB_TASKMODAL);
    ::ExitProcess(static_cast<UINT>(exit_code));
}

// The one argument in UTF-8, or "" for the working directory.
std::string GivenFolder() {
    if (__argc < 2) return {};
    if (__argc > 2) TellAndExit(L"vornhaskel repair takes one game folder, not several.", MB_ICONERROR, 1);
    // "C:\My Game\" arrives as C:\My Game": Windows reads \" as a literal quote.
    // No Windows path holds a quote, so a trailing one stands for the backslash it
    // swallowed. (Dropped alone, "D:\" would become D:, which names the drive's
    // current folder, not its root.)
    std::wstring folder = __wargv[1];
    if (!folder.empty() && folder.back() == L'"') folder.back() = L'\\';
    return vornhaskel::WideToUtf8(folder);
}

[[noreturn]] void CannotOpen(const std::string& folder, const std::error_code& cause) {
    TellAndExit(Utf8ToWide("Cannot open the folder " + folder + ": " + cause.message()), MB_ICONERROR, 1);
}

// Releases a COM object at the end of its scope.
template <typename Interface>
struct Held {
    Interface* object = nullptr;
    ~Held() {
        if (object) object->Release();
    }
};

void ThrowIfFailed(HRESULT result, const char* what) {
    if (FAILED(result)) throw std::system_error(static_cast<int>(result), vornhaskel::Win32Category(), what);
}

// The system's folder chooser, titled "Choose the game folder" and opened at
// `start`. Returns the folder chosen, or "" on Cancel.
std::wstring ChooseGameFolder(const std::wstring& start) {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::wstring chosen;
    HRESULT shown = S_OK;
    {
        Held<IFileOpenDialog> dialog;
        ThrowIfFailed(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog.object)),
                      "The folder chooser could not be shown");
        DWORD options = 0;
        dialog.object->GetOptions(&options);
        dialog.object->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        dialog.object->SetTitle(L"Choose the game folder");
        Held<IShellItem> folder;
        if (SUCCEEDED(::SHCreateItemFromParsingName(start.c_str(), nullptr, IID_PPV_ARGS(&folder.object))))
            dialog.object->SetFolder(folder.object);
        shown = dialog.object->Show(nullptr);
        Held<IShellItem> result;
        wchar_t* path = nullptr;
        if (SUCCEEDED(shown) && SUCCEEDED(dialog.object->GetResult(&result.object)) &&
            SUCCEEDED(result.object->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            chosen = path;
            ::CoTaskMemFree(path);
        }
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    if (shown != HRESULT_FROM_WIN32(ERROR_CANCELLED)) ThrowIfFailed(shown, "The folder chooser could not be shown");
    return chosen;
}

HWND task_dialog = nullptr;  // while it is shown

// The reasons grow the dialog downwards from where it was centred: moved up as
// far as it must to end within the monitor's work area, once it has its new size.
void CALLBACK KeepOnScreen(HWND dialog, UINT, UINT_PTR timer, DWORD) noexcept {
    ::KillTimer(dialog, timer);
    RECT frame{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetWindowRect(dialog, &frame) ||
        !::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const LONG up = std::min(frame.bottom - monitor.rcWork.bottom, frame.top - monitor.rcWork.top);
    if (up > 0)
        ::SetWindowPos(dialog, nullptr, frame.left, frame.top - up, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Called by Windows from C: nothing may propagate out of it, and nothing here throws.
HRESULT CALLBACK DialogEvents(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR data) noexcept {
    if (notification == TDN_DESTROYED) task_dialog = nullptr;
    if (notification == TDN_EXPANDO_BUTTON_CLICKED) ::SetTimer(dialog, 1, 0, KeepOnScreen);
    if (notification == TDN_CREATED) {
        task_dialog = dialog;
        const auto& report = *reinterpret_cast<const FolderReport*>(data);
        // Only a target that is possible and not reached yet can be chosen.
        ::SendMessageW(dialog, TDM_ENABLE_BUTTON, kNormalId, report.normal.Offered());
        ::SendMessageW(dialog, TDM_ENABLE_BUTTON, kModId, report.mod.Offered());
    }
    return S_OK;
}

// Wine's task dialog ignores Escape without a Cancel button, whatever its flags
// say. A fresh Escape becomes the close request (WM_CLOSE), which ends the dialog
// on both systems; the shared filter, next in the chain, drops a held one first.
LRESULT CALLBACK EscapeCloses(int code, WPARAM wparam, LPARAM lparam) noexcept {
    if (const LRESULT dropped = ::CallNextHookEx(nullptr, code, wparam, lparam); dropped || code != MSGF_DIALOGBOX)
        return dropped;
    const MSG& message = *reinterpret_cast<const MSG*>(lparam);
    if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE || !task_dialog ||
        ::GetAncestor(message.hwnd, GA_ROOT) != task_dialog)
        return 0;
    ::PostMessageW(task_dialog, WM_CLOSE, 0, 0);
    return 1;
}

// The reasons as bullets under the buttons, as many as keep the dialog on a
// 1024 x 768 screen at 150 % scale; the rest are counted.
constexpr std::size_t kShownReasons = 8;

std::wstring BulletList(const std::vector<std::string>& lines) {
    std::wstring list;
    const std::size_t shown = lines.size() > kShownReasons ? kShownReasons - 1 : lines.size();
    for (std::size_t i = 0; i < shown; ++i) list.append(list.empty() ? L"\u2022 " : L"\n\u2022 ").append(Utf8ToWide(lines[i]));
    if (const std::size_t more = lines.size() - shown; more > 0)
        list.append(L"\n\u2022 \u2026and ").append(Utf8ToWide(std::to_string(more))).append(L" more like these.");
    return list;
}

// The summary, where the mod's files were found, the advice, the folder taken
// with what was found below it, and the renames of found files that a button
// makes first.
std::wstring Content(const FolderReport& report, const Resolution& resolution, bool changed) {
    const std::string found = vornhaskel::repair::FoundSummary(report);
    const std::string findings = vornhaskel::game_folder::Findings(resolution);
    std::wstring content = Utf8ToWide(vornhaskel::repair::Summary(report) + (found.empty() ? "" : " " + found) +
                                      "\n\n" + (changed ? vornhaskel::repair::kFolderChanged : "") +
                                      vornhaskel::repair::Advice(report) + "\n\n" +
                                      vornhaskel::game_folder::FolderLine(resolution) +
                                      (findings.empty() ? "" : "\n" + findings));
    for (const auto& list : vornhaskel::repair::FoundRenames(report))
        content.append(L"\n\n").append(Utf8ToWide(list.heading)).append(L"\n").append(BulletList(list.lines));
    return content;
}

// The button that closed the dialog: kNormalId, kModId, kChooseId, or IDCLOSE or
// IDCANCEL for none. Close is the default button, so that Enter alone renames
// nothing. `changed` when the folder was read again after the last choice.
int AskForTarget(const FolderReport& report, const Resolution& resolution, bool changed) {
    const std::wstring summary = Content(report, resolution, changed);
    const std::wstring problems = BulletList(vornhaskel::repair::Sentences(report.problems));
    const TASKDIALOG_BUTTON targets[] = {{kNormalId, L"&Normal music"}, {kModId, L"&Mod music"}};
    // Close as a button of its own there: the common one is "&Close", whose Alt+C would be Choose's.
    const TASKDIALOG_BUTTON choose[] = {{kChooseId, L"&Choose the game folder\u2026"}, {IDCLOSE, L"Close"}};

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    // Without a Cancel button, a task dialog ignores Escape unless this is set.
    // The reasons go below the buttons, which then stay on the screen however
    // many there are; the width keeps a path on one line.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_EXPAND_FOOTER_AREA;
    config.cxWidth = 300;  // dialog units
    config.dwCommonButtons = TDCBF_CLOSE_BUTTON;
    config.pszWindowTitle = kTitle;
    config.pszContent = summary.c_str();
    if (report.IsGameFolder()) {
        config.pButtons = targets;
        config.cButtons = sizeof targets / sizeof targets[0];
    } else {
        config.dwCommonButtons = 0;
        config.pButtons = choose;
        config.cButtons = sizeof choose / sizeof choose[0];
    }
    config.nDefaultButton = IDCLOSE;
    if (!problems.empty()) config.pszExpandedInformation = problems.c_str();
    config.pfCallback = DialogEvents;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&report);

    int chosen = 0;
    if (const HRESULT result = ::TaskDialogIndirect(&config, &chosen, nullptr, nullptr); FAILED(result)) {
        const std::error_code cause(static_cast<int>(result), vornhaskel::Win32Category());
        throw std::system_error(cause, "The window could not be shown");
    }
    return chosen;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vornhaskel::win32::RestrictDllSearch();
    vornhaskel::win32::FilterDialogKeys();
    ::SetWindowsHookExW(WH_MSGFILTER, EscapeCloses, nullptr, ::GetCurrentThreadId());
    try {
        std::string folder = GivenFolder();
        for (;;) {
            const Resolution resolution = vornhaskel::game_folder::Resolve(folder);
            if (resolution.error) CannotOpen(resolution.folder, resolution.error);
            if (!::SetCurrentDirectoryW(Utf8ToWide(resolution.Taken()).c_str())) {
                const DWORD error = ::GetLastError();
                CannotOpen(resolution.Taken(), std::error_code(static_cast<int>(error), vornhaskel::Win32Category()));
            }
            folder = resolution.folder;  // a full path, whatever the working directory
            FolderReport report = vornhaskel::repair::ExamineFolder();
            const int chosen = vornhaskel::repair::AnswerOnAFreshLook(
                report, [&](const FolderReport& shown, bool changed) { return AskForTarget(shown, resolution, changed); },
                [](int answer) { return answer == kNormalId || answer == kModId; });
            if (chosen == kChooseId) {
                // Cancel shows the same folder again.
                if (const std::wstring picked = ChooseGameFolder(Utf8ToWide(resolution.Taken())); !picked.empty())
                    folder = vornhaskel::WideToUtf8(picked);
                continue;
            }
            if (chosen != kNormalId && chosen != kModId) return 0;
            const Target target = chosen == kNormalId ? Target::kNormal : Target::kMod;
            try {
                vornhaskel::RunSteps(report.Plan(target).Renames(), vornhaskel::RenameFile);
            } catch (const std::exception& failure) {
                const std::string text =
                    vornhaskel::repair::AfterFailure(failure.what(), vornhaskel::repair::ExamineFolder());
                TellAndExit(Utf8ToWide(text), MB_ICONERROR, 1);
            }
            const FolderReport after = vornhaskel::repair::ExamineFolder();
            TellAndExit(Utf8ToWide(vornhaskel::repair::SummaryAfterRepair(after, target)), MB_ICONINFORMATION, 0);
        }
    } catch (const std::exception& failure) {
        TellAndExit(Utf8ToWide(failure.what()), MB_ICONERROR, 1);
    }
}
