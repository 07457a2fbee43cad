// vornhaskel-repair.exe: brings a half-switched game folder back to one music.
//
// The folder is the working directory, or the one argument (a folder dropped
// onto the exe arrives as that argument). A task dialog says in one line what
// the folder holds and offers each music that a plan can still reach; choosing
// one runs that plan, and a message box then says what the folder holds, read
// afresh. Exit code 0 after a repair or when closed without acting, 1 after an
// error message.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "process.hpp"
#include "repair.hpp"
#include "runner.hpp"
#include "win32_error.hpp"

namespace {

using vornhaskel::Utf8ToWide;
using vornhaskel::repair::FolderReport;
using vornhaskel::repair::Target;

constexpr wchar_t kTitle[] = L"vornhaskel repair";
constexpr int kNormalId = 101;
constexpr int kModId = 102;

// The one message box of a run, with no owner, then the end.
[[noreturn]] void TellAndExit(const std::wstring& text, UINT icon, int exit_code) noexcept {
    ::MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | icon | MB_SETFOREGROUND | MB_TASKMODAL);
    ::ExitProcess(static_cast<UINT>(exit_code));
}

// Makes the folder given as the one argument, if any, the working directory.
void EnterGivenFolder() {
    if (__argc < 2) return;
    if (__argc > 2) TellAndExit(L"vornhaskel repair takes one game folder, not several.", MB_ICONERROR, 1);
    // "C:\My Game\" arrives as C:\My Game": Windows reads \" as a literal quote.
    // No Windows path holds a quote, so a trailing one stands for the backslash it
    // swallowed. (Dropped alone, "D:\" would become D:, which names the drive's
    // current folder, not its root.)
    std::wstring folder = __wargv[1];
    if (!folder.empty() && folder.back() == L'"') folder.back() = L'\\';
    if (!::SetCurrentDirectoryW(folder.c_str())) {
        const DWORD error = ::GetLastError();
        const std::error_code cause(static_cast<int>(error), vornhaskel::Win32Category());
        std::wstring text = L"Cannot open the folder ";
        TellAndExit(text.append(folder).append(L": ").append(Utf8ToWide(cause.message())), MB_ICONERROR, 1);
    }
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

// The summary, where the mod's files were found, the advice, and the renames
// of found files that a button makes first.
std::wstring Content(const FolderReport& report, bool changed) {
    const std::string found = vornhaskel::repair::FoundSummary(report);
    std::wstring content = Utf8ToWide(vornhaskel::repair::Summary(report) + (found.empty() ? "" : " " + found) +
                                      "\n\n" + (changed ? vornhaskel::repair::kFolderChanged : "") +
                                      vornhaskel::repair::Advice(report));
    for (const auto& list : vornhaskel::repair::FoundRenames(report))
        content.append(L"\n\n").append(Utf8ToWide(list.heading)).append(L"\n").append(BulletList(list.lines));
    return content;
}

// The button that closed the dialog: kNormalId, kModId, or IDCLOSE or IDCANCEL
// for none. Close is the default button, so that Enter alone renames nothing.
// `changed` when the folder was read again after the last choice.
int AskForTarget(const FolderReport& report, bool changed) {
    const std::wstring summary = Content(report, changed);
    const std::wstring problems = BulletList(report.problems);
    const TASKDIALOG_BUTTON targets[] = {{kNormalId, L"&Normal music"}, {kModId, L"&Mod music"}};

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
    if (report.IsGameFolder()) {  // outside a game folder it offers only Close
        config.pButtons = targets;
        config.cButtons = sizeof targets / sizeof targets[0];
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
        EnterGivenFolder();
        // The plan runs only on the folder the dialog showed: one that changed
        // meanwhile is shown again, and asked about afresh.
        FolderReport report = vornhaskel::repair::ExamineFolder();
        int chosen = AskForTarget(report, false);
        for (;;) {
            if (chosen != kNormalId && chosen != kModId) return 0;
            FolderReport now = vornhaskel::repair::ExamineFolder();
            if (now == report) break;
            report = std::move(now);
            chosen = AskForTarget(report, true);
        }
        const Target target = chosen == kNormalId ? Target::kNormal : Target::kMod;
        try {
            vornhaskel::RunSteps(report.Plan(target).Renames(), vornhaskel::RenameFile);
        } catch (const std::exception& failure) {
            const std::string text = vornhaskel::repair::AfterFailure(failure.what(), vornhaskel::repair::ExamineFolder());
            TellAndExit(Utf8ToWide(text), MB_ICONERROR, 1);
        }
        const FolderReport after = vornhaskel::repair::ExamineFolder();
        TellAndExit(Utf8ToWide(vornhaskel::repair::SummaryAfterRepair(after)), MB_ICONINFORMATION, 0);
    } catch (const std::exception& failure) {
        TellAndExit(Utf8ToWide(failure.what()), MB_ICONERROR, 1);
    }
}
