// vornhaskel-repair.exe: brings a half-switched game folder back to one music.
//
// It starts from the one argument (a folder dropped onto the exe arrives as that
// argument), else the working directory, or where the game stores installed the
// game when that leads to no game folder. The run itself is RunSession's
// (repair_session.hpp); this file draws its windows. A task dialog names the
// folder, says in one line what it holds and offers each music that a plan can
// still reach, or the folder chooser where the folder leads to no game folder or
// to several. A task dialog cannot scroll, so its lists show a page of rows at a
// time, with links to the next and the previous page: the renames of found files
// in its content, the reasons in its expandable area. Message boxes say what
// the folder holds after a repair, or what failed.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <list>
#include <optional>
#include <string>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "game_folder.hpp"
#include "names.hpp"
#include "repair_words.hpp"
#include "process.hpp"
#include "repair.hpp"
#include "repair_session.hpp"
#include "win32_error.hpp"
#include "win32_paths.hpp"

namespace {

using vornhaskel::Utf8ToWide;
using vornhaskel::game_folder::Resolution;
using vornhaskel::repair::Answer;
using vornhaskel::repair::FolderReport;
using vornhaskel::repair::Target;

constexpr wchar_t kTitle[] = L"vornhaskel repair";
constexpr int kNormalId = 101;
constexpr int kModId = 102;
constexpr int kChooseId = 103;

// A message box with no owner, returning once dismissed.
void Tell(const std::wstring& text, UINT icon) noexcept {
    ::MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | icon | MB_SETFOREGROUND | MB_TASKMODAL);
}

[[noreturn]] void TellAndExit(const std::wstring& text, UINT icon, int exit_code) noexcept {
    Tell(text, icon);
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

// Releases a COM object at the end of its scope.
template <typename Interface>
struct Held {
    Interface* object = nullptr;
    ~Held() {
        if (object) object->Release();
    }
};

void ThrowIfFailed(HRESULT result, const char* what) {
    if (FAILED(result)) throw std::system_error(static_cast<int>(result), vornhaskel::HresultErrorCategory(), what);
}

// COM for the thread while it lives, however its scope is left.
class ComForThisThread {
public:
    ComForThisThread() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComForThisThread() {
        if (initialised_) ::CoUninitialize();
    }
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;

private:
    bool initialised_;
};

// The system's folder chooser, titled "Choose the game folder" and opened at
// `start`. Returns the folder chosen, or "" on Cancel.
std::wstring ChooseGameFolder(const std::wstring& start) {
    const ComForThisThread com;
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
    if (shown != HRESULT_FROM_WIN32(ERROR_CANCELLED)) ThrowIfFailed(shown, "The folder chooser could not be shown");
    return chosen;
}

// One list a page at a time: at most `rows` rows from `first` on, which rows
// those are, and links to the pages before and after. In UTF-8, as the words
// come, and made wide once, for the dialog.
struct Paged {
    std::string heading;  // none for the reasons, whose expander names them
    std::vector<std::string> lines;
    const char* counted = "";  // "Renames 1 to 8 of 21."
    const char* noun = "";     // "Next renames"
    std::size_t first = 0, rows = 0;

    // Appended to `text`, for the list at `index` of the dialog's.
    void Text(std::size_t index, std::string& text) const {
        text += heading;
        const std::size_t end = std::min(lines.size(), first + rows);
        for (std::size_t i = first; i < end; ++i) {
            if (i > first || !heading.empty()) text += '\n';
            text += "\u2022 ";
            text += lines[i];
        }
        if (rows >= lines.size()) return;
        const std::string list = std::to_string(index);
        text += '\n';
        text += counted;
        for (const auto& [words, n] : {std::pair(" ", first + 1), std::pair(" to ", end), std::pair(" of ", lines.size())}) {
            text += words;
            text += std::to_string(n);
        }
        text += '.';
        for (const auto& [shown, link, words] : {std::tuple(first > 0, "back", "\">Previous "),
                                                 std::tuple(end < lines.size(), "next", "\">Next ")}) {
            if (!shown) continue;
            text += " <a href=\"";
            text += link;
            text += list;
            text += words;
            text += noun;
            text += "</a>";
        }
    }

    void Turn(bool next) {
        if (next && first + rows < lines.size()) first += rows;
        if (!next) first = first > rows ? first - rows : 0;
    }
};

// What the dialog shows, kept while it shows: the task dialog reads its texts
// where they lie, so every text handed to it stays until it closes.
struct Shown {
    const FolderReport* report = nullptr;
    std::string lead;          // the summary, the advice and the folder
    std::vector<Paged> lists;  // the renames of found files, then the reasons, if any
    bool with_reasons = false;
    bool expanded = false;
    std::list<std::wstring> texts;

    const wchar_t* Keep(const std::string& text) { return texts.emplace_back(Utf8ToWide(text)).c_str(); }
    std::size_t Renames() const { return lists.size() - (with_reasons ? 1 : 0); }

    const wchar_t* Content() {
        std::string content = lead;
        for (std::size_t i = 0; i < Renames(); ++i) {
            content += "\n\n";
            lists[i].Text(i, content);
        }
        return Keep(content);
    }
    const wchar_t* Reasons() {
        std::string reasons;
        lists.back().Text(lists.size() - 1, reasons);
        return Keep(reasons);
    }

    // The rows of the lists in sight: the reasons only while expanded.
    std::vector<std::size_t> Rows() const {
        std::vector<std::size_t> rows(expanded ? lists.size() : Renames());
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = lists[i].rows;
        return rows;
    }
    void SetRows(const std::vector<std::size_t>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) lists[i].rows = rows[i];
    }
};

HWND task_dialog = nullptr;  // while it is shown
Shown* shown = nullptr;      // what it shows

void ShowTexts(HWND dialog) {
    ::SendMessageW(dialog, TDM_SET_ELEMENT_TEXT, TDE_CONTENT, reinterpret_cast<LPARAM>(shown->Content()));
    if (shown->with_reasons)
        ::SendMessageW(dialog, TDM_SET_ELEMENT_TEXT, TDE_EXPANDED_INFORMATION,
                       reinterpret_cast<LPARAM>(shown->Reasons()));
}

constexpr wchar_t kShowReasons[] = L"Show reasons";
constexpr wchar_t kHideReasons[] = L"Hide reasons";

// Wine's expander is a button of the dialog's own, sized too narrow for the font
// it draws with, so that its caption breaks after the first word and only that
// word shows: widened to hold its arrow, a square of its height, and the whole
// caption. Windows draws the expander itself, with no window of its own, and so
// is left as it is.
void WidenExpander(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t caption[32] = {};
        const int length = ::GetWindowTextW(child, caption, 32);
        if (std::wcscmp(caption, kShowReasons) != 0 && std::wcscmp(caption, kHideReasons) != 0) continue;
        const HDC dc = ::GetDC(child);
        const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)));
        SIZE text{};
        ::GetTextExtentPoint32W(dc, caption, length, &text);
        ::SelectObject(dc, previous);
        ::ReleaseDC(child, dc);
        RECT box{};
        ::GetWindowRect(child, &box);
        const LONG height = box.bottom - box.top;
        if (const LONG width = height + height / 2 + text.cx; box.right - box.left < width)
            ::SetWindowPos(child, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The layout budget: where the dialog is taller than the monitor's work area,
// the lists in sight give up rows until it fits; then it moves to lie within it.
// Run once the dialog has its size: after it is created, and after each change.
void CALLBACK KeepOnScreen(HWND dialog, UINT, UINT_PTR timer, DWORD) noexcept {
    ::KillTimer(dialog, timer);
    RECT frame{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    const auto measure = [&] {
        return ::GetWindowRect(dialog, &frame) &&
               ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    };
    try {
        for (;;) {
            if (!measure()) return;
            if (frame.bottom - frame.top <= monitor.rcWork.bottom - monitor.rcWork.top) break;
            std::vector<std::size_t> rows = shown->Rows();
            if (!vornhaskel::repair::GiveUpARow(rows)) break;
            shown->SetRows(rows);
            ShowTexts(dialog);
        }
    } catch (...) {
        return;  // out of memory: the dialog stays as it is
    }
    WidenExpander(dialog);
    // Only as far as it must: up from below the work area, down from above it, in from its sides.
    LONG up = std::max(frame.bottom - monitor.rcWork.bottom, 0L);
    if (frame.top - up < monitor.rcWork.top) up = frame.top - monitor.rcWork.top;
    LONG left = std::max(frame.right - monitor.rcWork.right, 0L);
    if (frame.left - left < monitor.rcWork.left) left = frame.left - monitor.rcWork.left;
    if (up != 0 || left != 0)
        ::SetWindowPos(dialog, nullptr, frame.left - left, frame.top - up, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The dialog's size changes after the events that change it (the expander, a
// page turned, a text set), and under Wine only once they have been told of: a
// change of size, whatever its cause, brings the budget round again.
LRESULT CALLBACK WatchTheSize(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                              DWORD_PTR) noexcept {
    if (message == WM_WINDOWPOSCHANGED && !(reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_NOSIZE))
        ::SetTimer(dialog, 1, 0, KeepOnScreen);
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(dialog, WatchTheSize, id);
    return ::DefSubclassProc(dialog, message, wparam, lparam);
}

// A link of a page: "next2" or "back2" for list 2.
void TurnPage(HWND dialog, const wchar_t* link) {
    const bool next = std::wcsncmp(link, L"next", 4) == 0;
    if (!next && std::wcsncmp(link, L"back", 4) != 0) return;
    std::size_t list = 0;
    for (const wchar_t* digit = link + 4; *digit >= L'0' && *digit <= L'9'; ++digit) list = list * 10 + static_cast<std::size_t>(*digit - L'0');
    if (list >= shown->lists.size()) return;
    shown->lists[list].Turn(next);
    ShowTexts(dialog);
}

// Called by Windows from C: nothing may propagate out of it.
HRESULT CALLBACK DialogEvents(HWND dialog, UINT notification, WPARAM wparam, LPARAM lparam, LONG_PTR) noexcept {
    switch (notification) {
    case TDN_CREATED:
        task_dialog = dialog;
        ::SetWindowSubclass(dialog, WatchTheSize, 1, 0);
        // Only a target that is possible and not reached yet can be chosen.
        ::SendMessageW(dialog, TDM_ENABLE_BUTTON, kNormalId, shown->report->normal.Offered());
        ::SendMessageW(dialog, TDM_ENABLE_BUTTON, kModId, shown->report->mod.Offered());
        break;
    case TDN_EXPANDO_BUTTON_CLICKED:
        shown->expanded = wparam != 0;
        break;
    case TDN_HYPERLINK_CLICKED:
        try {
            TurnPage(dialog, reinterpret_cast<const wchar_t*>(lparam));
        } catch (...) {
            return S_OK;  // out of memory: the page stays
        }
        break;
    case TDN_DESTROYED:
        task_dialog = nullptr;
        return S_OK;
    default:
        return S_OK;
    }
    ::SetTimer(dialog, 1, 0, KeepOnScreen);
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

// The summary, where the mod's files were found, the advice with each target
// greyed out because the folder has it already, and the folder taken with what
// was found below it. Advice names the targets that cannot be reached.
std::string Lead(const FolderReport& report, const Resolution& resolution, bool changed) {
    const std::string found = vornhaskel::repair::FoundSummary(report);
    const std::string findings = vornhaskel::game_folder::Findings(resolution);
    std::string advice = vornhaskel::repair::Advice(report);
    if (report.IsGameFolder())
        for (const Target target : {Target::kNormal, Target::kMod})
            if (report.Plan(target).Reached()) advice += " " + vornhaskel::repair::GreyedOut(report, target);
    return vornhaskel::repair::Summary(report) + (found.empty() ? "" : " " + found) + "\n\n" +
           (changed ? vornhaskel::repair::kFolderChanged : "") + advice + "\n\n" +
           vornhaskel::game_folder::FolderLine(resolution) + (findings.empty() ? "" : "\n" + findings);
}

// The button that closed the dialog: kNormalId, kModId, kChooseId, or IDCLOSE or
// IDCANCEL for none. Close is the default button, so that Enter alone renames
// nothing. `changed` when the folder was read again after the last choice.
int AskForTarget(const FolderReport& report, const Resolution& resolution, bool changed) {
    Shown dialog_shown;
    dialog_shown.report = &report;
    dialog_shown.lead = Lead(report, resolution, changed);
    const std::vector<vornhaskel::repair::RenameList> renames = vornhaskel::repair::FoundRenames(report);
    dialog_shown.with_reasons = !report.problems.empty();
    dialog_shown.lists.resize(renames.size() + dialog_shown.with_reasons);
    std::vector<std::size_t> sizes(dialog_shown.lists.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        Paged& list = dialog_shown.lists[i];
        list = i < renames.size() ? Paged{renames[i].heading, renames[i].lines, "Renames", "renames"}
                                  : Paged{"", vornhaskel::repair::Sentences(report.problems), "Reasons", "reasons"};
        sizes[i] = list.lines.size();
    }
    dialog_shown.SetRows(vornhaskel::repair::RowsShown(sizes));
    shown = &dialog_shown;

    const TASKDIALOG_BUTTON targets[] = {{kNormalId, L"&Normal music"}, {kModId, L"&Mod music"}};
    // Close as a button of its own there: the common one is "&Close", whose Alt+C would be Choose's.
    const TASKDIALOG_BUTTON choose[] = {{kChooseId, L"&Choose the game folder\u2026"}, {IDCLOSE, L"Close"}};

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    // Without a Cancel button, a task dialog ignores Escape unless this is set.
    // The reasons go below the buttons, which then stay in sight as the reasons
    // open; the width keeps a path on one line. Links turn the pages of a list.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_EXPAND_FOOTER_AREA | TDF_ENABLE_HYPERLINKS;
    config.cxWidth = 300;  // dialog units
    config.dwCommonButtons = TDCBF_CLOSE_BUTTON;
    config.pszWindowTitle = kTitle;
    config.pszContent = dialog_shown.Content();
    if (report.IsGameFolder()) {
        config.pButtons = targets;
        config.cButtons = sizeof targets / sizeof targets[0];
    } else {
        config.dwCommonButtons = 0;
        config.pButtons = choose;
        config.cButtons = sizeof choose / sizeof choose[0];
    }
    config.nDefaultButton = IDCLOSE;
    if (dialog_shown.with_reasons) {
        config.pszExpandedInformation = dialog_shown.Reasons();
        config.pszCollapsedControlText = kShowReasons;
        config.pszExpandedControlText = kHideReasons;
    }
    config.pfCallback = DialogEvents;

    int chosen = 0;
    const HRESULT result = ::TaskDialogIndirect(&config, &chosen, nullptr, nullptr);
    shown = nullptr;
    if (FAILED(result)) {
        const std::error_code cause(static_cast<int>(result), vornhaskel::HresultErrorCategory());
        throw std::system_error(cause, "The window could not be shown");
    }
    return chosen;
}

// The choice among several game folders found: a task dialog that says where
// each was found, with a command link for each, captioned with its full path,
// then one for the chooser, and Cancel. The index of the folder picked,
// installs.size() for the chooser, or nothing on Cancel.
std::optional<std::size_t> ChooseInstall(const std::vector<vornhaskel::stores::Install>& installs) {
    constexpr int kFirstFolderId = 200;
    std::string content = vornhaskel::game_folder::InstallsFound(installs.size());
    std::vector<std::wstring> captions;
    for (const vornhaskel::stores::Install& install : installs) {
        content += "\n\u2022 " + vornhaskel::game_folder::FoundWhere(install.folder, install.where);
        std::wstring caption;  // an & would mark an access key
        for (const wchar_t c : Utf8ToWide(vornhaskel::Printable(install.folder))) caption.append(c == L'&' ? 2 : 1, c);
        captions.push_back(std::move(caption));
    }
    captions.emplace_back(L"Choose &another folder\u2026");
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (const std::wstring& caption : captions)
        buttons.push_back({kFirstFolderId + static_cast<int>(buttons.size()), caption.c_str()});
    const std::wstring text = Utf8ToWide(content);

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.dwFlags = TDF_USE_COMMAND_LINKS | TDF_ALLOW_DIALOG_CANCELLATION;
    config.cxWidth = 300;  // dialog units, as the repair dialog's
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = kTitle;
    config.pszContent = text.c_str();
    config.pButtons = buttons.data();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.nDefaultButton = kFirstFolderId;
    int chosen = 0;
    if (const HRESULT result = ::TaskDialogIndirect(&config, &chosen, nullptr, nullptr); FAILED(result))
        throw std::system_error(static_cast<int>(result), vornhaskel::HresultErrorCategory(), "The window could not be shown");
    if (chosen < kFirstFolderId || chosen > kFirstFolderId + static_cast<int>(installs.size())) return std::nullopt;
    return static_cast<std::size_t>(chosen - kFirstFolderId);
}

class Win32RepairWindows final : public vornhaskel::repair::RepairWindows {
public:
    // The renames then name their files from the working directory, which the
    // Win32 rules would make another folder than one whose name they change:
    // such a folder is not entered.
    std::error_code Enter(const std::string& folder) override {
        if (vornhaskel::Win32AltersPath(folder)) return {ERROR_INVALID_NAME, vornhaskel::Win32Category()};
        if (::SetCurrentDirectoryW(Utf8ToWide(folder).c_str())) return {};
        return {static_cast<int>(::GetLastError()), vornhaskel::Win32Category()};
    }

    Answer Ask(const FolderReport& report, const Resolution& resolution, bool changed) override {
        switch (AskForTarget(report, resolution, changed)) {
        case kNormalId:
            return Answer::kNormalMusic;
        case kModId:
            return Answer::kModMusic;
        case kChooseId:
            return Answer::kChoose;
        default:
            return Answer::kClose;
        }
    }

    std::optional<std::string> Choose(const std::string& start) override {
        const std::wstring picked = ChooseGameFolder(Utf8ToWide(start));
        if (picked.empty()) return std::nullopt;
        return vornhaskel::WideToUtf8(picked);
    }

    std::optional<std::size_t> ChooseInstall(const std::vector<vornhaskel::stores::Install>& installs) override {
        return ::ChooseInstall(installs);
    }

    void Tell(const std::string& text, bool failure) override {
        ::Tell(Utf8ToWide(text), failure ? MB_ICONERROR : MB_ICONINFORMATION);
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vornhaskel::win32::RestrictDllSearch();
    vornhaskel::win32::FilterDialogKeys();
    ::SetWindowsHookExW(WH_MSGFILTER, EscapeCloses, nullptr, ::GetCurrentThreadId());
    try {
        Win32RepairWindows windows;
        return vornhaskel::repair::RunSession(windows, GivenFolder(), [] { return vornhaskel::stores::FindInstalls(); });
    } catch (const std::exception& failure) {
        TellAndExit(Utf8ToWide(failure.what()), MB_ICONERROR, 1);
    }
}
