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

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "common_windows.hpp"
#include "game_folder.hpp"
#include "repair_words.hpp"
#include "process.hpp"
#include "repair.hpp"
#include "repair_session.hpp"
#include "system_words.hpp"
#include "translation.hpp"
#include "win32_error.hpp"
#include "win32_paths.hpp"

namespace {

using vornhaskel::Utf8ToWide;
using vornhaskel::game_folder::Resolution;
using vornhaskel::repair::Answer;
using vornhaskel::repair::FolderReport;
using vornhaskel::repair::Target;
using vornhaskel::translation::Tr;
using vornhaskel::translation::TrC;

// Translators: the title of every window of the repair tool; vornhaskel is the program's name.
constexpr char kTitleWords[] = N_("vornhaskel repair");
std::wstring title;  // kTitleWords, translated once the language is chosen
constexpr int kNormalId = 101;
constexpr int kModId = 102;
constexpr int kChooseId = 103;

// One list a page at a time: at most `rows` rows from `first` on, which rows
// those are, and links to the pages before and after. In UTF-8, as the words
// come, and made wide once, for the dialog.
struct Paged {
    std::string heading;  // none for the reasons, whose expander names them
    std::vector<std::string> lines;
    bool reasons = false;  // the reasons, or the renames of found files
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
        text += vornhaskel::repair::PageLine(reasons, first + 1, end, lines.size());
        for (const auto& [shown, link, next] : {std::tuple(first > 0, "back", false),
                                                std::tuple(end < lines.size(), "next", true)}) {
            if (!shown) continue;
            text += " <a href=\"";
            text += link;
            text += list;
            text += "\">";
            text += vornhaskel::repair::PageLink(reasons, next);
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

// The expander's captions, translated once the language is chosen.
std::wstring show_reasons, hide_reasons;

// Wine's expander is a button of the dialog's own, sized too narrow for the font
// it draws with, so that its caption breaks after the first word and only that
// word shows: widened to hold its arrow, a square of its height, and the whole
// caption. Windows draws the expander itself, with no window of its own, and so
// is left as it is.
void WidenExpander(HWND dialog) {
    // Room for either caption and one character more, so that a longer one never reads as either.
    std::wstring caption(std::max(show_reasons.size(), hide_reasons.size()) + 2, L'\0');
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int length = ::GetWindowTextW(child, caption.data(), static_cast<int>(caption.size()));
        const std::wstring_view text_now(caption.data(), static_cast<std::size_t>(std::max(length, 0)));
        if (text_now != show_reasons && text_now != hide_reasons) continue;
        const HDC dc = ::GetDC(child);
        const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)));
        SIZE text{};
        ::GetTextExtentPoint32W(dc, caption.data(), length, &text);
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
    try {
        WidenExpander(dialog);
    } catch (...) {
        // out of memory: the expander stays as it is
    }
    vornhaskel::win32::WidenButtons(dialog);
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

// The button that closed the dialog: kNormalId, kModId, kChooseId, or IDCLOSE or
// IDCANCEL for none. Close is the default button, so that Enter alone renames
// nothing. `changed` when the folder was read again after the last choice.
int AskForTarget(const FolderReport& report, const Resolution& resolution, bool changed) {
    Shown dialog_shown;
    dialog_shown.report = &report;
    vornhaskel::repair::DialogWords words = vornhaskel::repair::ForDialog(report, resolution, changed);
    dialog_shown.lead = words.summary + "\n\n" + words.advice + "\n\n" + words.folder;
    const std::vector<vornhaskel::repair::RenameList>& renames = words.renames;
    dialog_shown.with_reasons = !words.reasons.empty();
    dialog_shown.lists.resize(renames.size() + dialog_shown.with_reasons);
    std::vector<std::size_t> sizes(dialog_shown.lists.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        Paged& list = dialog_shown.lists[i];
        list = i < renames.size() ? Paged{renames[i].heading, renames[i].lines, false}
                                  : Paged{"", std::move(words.reasons), true};
        sizes[i] = list.lines.size();
    }
    dialog_shown.SetRows(vornhaskel::repair::RowsShown(sizes));
    shown = &dialog_shown;

    const std::wstring normal = Utf8ToWide(
        // Translators: the repair dialog's button that renames the folder's files for the game's own music.
        // An ampersand marks the access key of each button of this dialog, unique among them.
        TrC("repair dialog", "&Normal music"));
    const std::wstring mod = Utf8ToWide(
        // Translators: the repair dialog's button that renames the folder's files for the mod's music.
        TrC("repair dialog", "&Mod music"));
    const std::wstring choose_folder = Utf8ToWide(
        // Translators: the repair dialog's button, where the folder leads to no game folder or to several,
        // that opens the folder chooser. The ampersand marks its access key.
        TrC("repair dialog without a game folder", "&Choose the game folder\u2026"));
    const std::wstring close = Utf8ToWide(
        // Translators: the repair dialog's button that ends the tool beside "Choose the game folder…", with
        // no access key: its letter would be taken by that button's.
        TrC("repair dialog without a game folder", "Close"));
    const TASKDIALOG_BUTTON targets[] = {{kNormalId, normal.c_str()}, {kModId, mod.c_str()}};
    // Close as a button of its own there: the common one is "&Close", whose Alt+C would be Choose's.
    const TASKDIALOG_BUTTON choose[] = {{kChooseId, choose_folder.c_str()}, {IDCLOSE, close.c_str()}};

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    // Without a Cancel button, a task dialog ignores Escape unless this is set.
    // The reasons go below the buttons, which then stay in sight as the reasons
    // open; the width keeps a path on one line. Links turn the pages of a list.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_EXPAND_FOOTER_AREA | TDF_ENABLE_HYPERLINKS;
    // The expander, where the reasons show, stands in the row of buttons too.
    const wchar_t* expander =
        !dialog_shown.with_reasons ? L"" : (show_reasons.size() > hide_reasons.size() ? show_reasons : hide_reasons).c_str();
    config.cxWidth = report.IsGameFolder()
                         ? vornhaskel::win32::TaskDialogWidth({normal.c_str(), mod.c_str(), expander}, 1)
                         : vornhaskel::win32::TaskDialogWidth({choose_folder.c_str(), close.c_str(), expander}, 0);
    config.dwCommonButtons = TDCBF_CLOSE_BUTTON;
    config.pszWindowTitle = title.c_str();
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
        config.pszCollapsedControlText = show_reasons.c_str();
        config.pszExpandedControlText = hide_reasons.c_str();
    }
    config.pfCallback = DialogEvents;

    int chosen = 0;
    const HRESULT result = ::TaskDialogIndirect(&config, &chosen, nullptr, nullptr);
    shown = nullptr;
    if (FAILED(result))
        vornhaskel::flow::ThrowWithSystemWords(Tr(vornhaskel::repair::kWindowNotShown),
                                               {static_cast<int>(result), vornhaskel::HresultErrorCategory()});
    return chosen;
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
        const std::wstring picked = vornhaskel::win32::ChooseGameFolder(Utf8ToWide(start));
        if (picked.empty()) return std::nullopt;
        return vornhaskel::WideToUtf8(picked);
    }

    std::optional<std::size_t> ChooseInstall(const std::vector<vornhaskel::stores::Install>& installs) override {
        return vornhaskel::win32::ChooseInstall(title.c_str(), installs);
    }

    void Tell(const std::string& text, bool failure) override {
        vornhaskel::win32::Tell(title.c_str(), Utf8ToWide(text), failure ? MB_ICONERROR : MB_ICONINFORMATION);
    }

    // Cancel ends the tool at once: the look goes on in a read that cannot be
    // stopped, and nothing has been started or renamed.
    bool WhileLooking(const std::function<std::string()>& line, const std::function<bool()>& done) override {
        if (vornhaskel::win32::LookingWindow(title.c_str(), line, done)) return true;
        ::ExitProcess(EXIT_SUCCESS);
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vornhaskel::win32::RestrictDllSearch();  // first: whatever Start loads comes from System32
    vornhaskel::translation::Start();
    vornhaskel::win32::FilterDialogKeys();
    ::SetWindowsHookExW(WH_MSGFILTER, EscapeCloses, nullptr, ::GetCurrentThreadId());
    try {
        title = Utf8ToWide(Tr(kTitleWords));
        show_reasons = Utf8ToWide(Tr(vornhaskel::repair::kShowReasons));
        hide_reasons = Utf8ToWide(Tr(vornhaskel::repair::kHideReasons));
        Win32RepairWindows windows;
        return vornhaskel::repair::RunSession(windows, vornhaskel::win32::GivenFolder(title.c_str(), "vornhaskel repair"));
    } catch (const std::exception& failure) {
        vornhaskel::win32::TellAndExit(title.empty() ? L"vornhaskel repair" : title.c_str(), Utf8ToWide(failure.what()),
                                       MB_ICONERROR, 1);
    }
}
