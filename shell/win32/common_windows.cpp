#include "common_windows.hpp"

#include <commctrl.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <system_error>
#include <utility>

#include "folder_flow.hpp"
#include "names.hpp"
#include "repair_words.hpp"
#include "system_words.hpp"
#include "translation.hpp"
#include "win32_error.hpp"

namespace vornhaskel::win32 {

using translation::Tr;
using translation::TrC;

namespace {

// Releases a COM object at the end of its scope.
template <typename Interface>
struct Held {
    Interface* object = nullptr;
    ~Held() {
        if (object) object->Release();
    }
};

// `what` is the lead of the message, the system's words for `result` follow.
void ThrowIfFailed(HRESULT result, const char* what) {
    if (FAILED(result)) flow::ThrowWithSystemWords(what, {static_cast<int>(result), HresultErrorCategory()});
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

struct Looking {
    const std::function<std::string()>* line = nullptr;
    const std::function<bool()>* done = nullptr;
    std::wstring shown;
    bool finished = false;
    std::exception_ptr failure;
};

HRESULT CALLBACK RefreshLooking(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR data) noexcept {
    if (notification == TDN_CREATED) return WidenButtonsOnceShown(dialog, notification, 0, 0, data);
    if (notification != TDN_TIMER) return S_OK;
    auto& looking = *reinterpret_cast<Looking*>(data);
    if (looking.finished) return S_OK;
    try {
        if (!(*looking.done)()) {
            std::wstring now = Utf8ToWide((*looking.line)());
            if (now != looking.shown) {
                looking.shown = std::move(now);
                ::SendMessageW(dialog, TDM_SET_ELEMENT_TEXT, TDE_CONTENT,
                               reinterpret_cast<LPARAM>(looking.shown.c_str()));
            }
            return S_OK;
        }
    } catch (...) {
        looking.failure = std::current_exception();
    }
    looking.finished = true;
    ::SendMessageW(dialog, TDM_CLICK_BUTTON, IDCANCEL, 0);
    return S_OK;
}

// The push buttons shown in a task dialog, in the dialog's client coordinates,
// each with the width its caption needs. A task dialog has a handful.
struct PushButtons {
    static constexpr int kMost = 16;
    struct Button {
        HWND window;
        RECT box;
        LONG needs;
    } buttons[kMost];
    int count = 0;
    HWND dialog = nullptr;
};

BOOL CALLBACK AddPushButton(HWND child, LPARAM found) noexcept {
    auto& shown = *reinterpret_cast<PushButtons*>(found);
    wchar_t class_name[16] = {};
    ::GetClassNameW(child, class_name, 16);
    const LONG type = ::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if (::GetParent(child) != shown.dialog || _wcsicmp(class_name, L"Button") != 0 || !::IsWindowVisible(child) ||
        (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON))
        return TRUE;
    wchar_t caption[256] = {};
    const int length = ::GetWindowTextW(child, caption, 256);
    const HDC dc = ::GetDC(child);
    if (dc == nullptr) return TRUE;
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)));
    RECT text{};  // as drawn: an access key's "&" takes no room
    ::DrawTextW(dc, caption, length, &text, DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(dc, previous);
    ::ReleaseDC(child, dc);
    auto& button = shown.buttons[shown.count++];
    button = {child, {}, text.right + 8};  // the edge and the focus rectangle, 4 pixels each side
    ::GetWindowRect(child, &button.box);
    ::MapWindowPoints(nullptr, shown.dialog, reinterpret_cast<POINT*>(&button.box), 2);
    return shown.count < PushButtons::kMost;
}

}  // namespace

void WidenButtons(HWND dialog) noexcept {
    PushButtons shown;
    shown.dialog = dialog;
    ::EnumChildWindows(dialog, AddPushButton, reinterpret_cast<LPARAM>(&shown));
    // Row by row, the rightmost first: each button keeps its right edge, less what the buttons to its right grew.
    auto* const buttons = shown.buttons;
    const auto before = [](const PushButtons::Button& a, const PushButtons::Button& b) {
        return a.box.top != b.box.top ? a.box.top < b.box.top : a.box.left > b.box.left;
    };
    for (int i = 1; i < shown.count; ++i)
        for (int j = i; j > 0 && before(buttons[j], buttons[j - 1]); --j) std::swap(buttons[j], buttons[j - 1]);
    for (int first = 0, end = 0; first < shown.count; first = end) {
        for (end = first; end < shown.count && buttons[end].box.top == buttons[first].box.top;) ++end;
        RECT placed[PushButtons::kMost];
        LONG grown = 0;
        for (int i = first; i < end; ++i) {
            const LONG more = std::max(buttons[i].needs - (buttons[i].box.right - buttons[i].box.left), 0L);
            placed[i] = {buttons[i].box.left - grown - more, buttons[i].box.top, buttons[i].box.right - grown,
                         buttons[i].box.bottom};
            grown += more;
        }
        if (grown == 0) continue;
        // The row keeps its spacing clear of the dialog's edge and of what stands beside it, as the expander.
        const LONG spacing = end - first > 1 ? std::max(buttons[first].box.left - buttons[first + 1].box.right, 0L) : 0;
        LONG clear = 0;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT box{};
            ::GetWindowRect(child, &box);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
            const bool in_row = std::any_of(buttons + first, buttons + end,
                                            [child](const PushButtons::Button& button) { return button.window == child; });
            if (!in_row && ::IsWindowVisible(child) && box.top < buttons[first].box.bottom &&
                buttons[first].box.top < box.bottom && box.left < buttons[end - 1].box.left)
                clear = std::max(clear, box.right);
        }
        if (placed[end - 1].left < clear + spacing) continue;  // no room: the row stays as it is
        for (int i = first; i < end; ++i)
            if (!::EqualRect(&placed[i], &buttons[i].box))
                ::SetWindowPos(buttons[i].window, nullptr, placed[i].left, placed[i].top, placed[i].right - placed[i].left,
                               placed[i].bottom - placed[i].top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

namespace {

constexpr UINT_PTR kWidenButtonsTimer = 0x7657;

void CALLBACK WidenButtonsNow(HWND dialog, UINT, UINT_PTR timer, DWORD) noexcept {
    ::KillTimer(dialog, timer);
    WidenButtons(dialog);
}

}  // namespace

HRESULT CALLBACK WidenButtonsOnceShown(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR) noexcept {
    // The dialog is laid out once its creation is told of.
    if (notification == TDN_CREATED) ::SetTimer(dialog, kWidenButtonsTimer, 0, WidenButtonsNow);
    return S_OK;
}

UINT TaskDialogWidth(std::initializer_list<const wchar_t*> captions, int common) {
    // What a task dialog spends on each button besides its caption, and between two, in dialog units; and the
    // narrowest a button is, which the system's own are.
    constexpr LONG kButtonMargins = 16, kButtonSpacing = 8, kNarrowestButton = 50;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return kTaskDialogWidth;
    const HFONT font = ::CreateFontIndirectW(&metrics.lfMessageFont);
    const HDC dc = ::GetDC(nullptr);
    if (font == nullptr || dc == nullptr) {
        if (dc != nullptr) ::ReleaseDC(nullptr, dc);
        if (font != nullptr) ::DeleteObject(font);
        return kTaskDialogWidth;
    }
    const HGDIOBJ previous = ::SelectObject(dc, font);
    // A dialog unit across is a quarter of the font's average character, measured as Windows measures it.
    SIZE alphabet{};
    ::GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    const LONG average = std::max((alphabet.cx / 26 + 1) / 2, 1L);
    LONG row = kButtonSpacing + common * (kNarrowestButton + kButtonSpacing);
    for (const wchar_t* caption : captions) {
        if (*caption == L'\0') continue;  // no such button
        RECT text{};  // as drawn: an access key's "&" takes no room, "&&" is one
        ::DrawTextW(dc, caption, -1, &text, DT_CALCRECT | DT_SINGLELINE);
        row += std::max((text.right * 4 + average - 1) / average + kButtonMargins, kNarrowestButton) + kButtonSpacing;
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(font);
    return std::max(kTaskDialogWidth, static_cast<UINT>(row));
}

TASKDIALOGCONFIG CancellableTaskDialog(const wchar_t* title, TASKDIALOG_FLAGS flags) {
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.dwFlags = flags | TDF_ALLOW_DIALOG_CANCELLATION;
    config.cxWidth = kTaskDialogWidth;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = title;
    return config;
}

bool LookingWindow(const wchar_t* title, const std::function<std::string()>& line, const std::function<bool()>& done) {
    if (done()) return true;
    Looking looking;
    looking.line = &line;
    looking.done = &done;
    looking.shown = Utf8ToWide(line());
    TASKDIALOGCONFIG config = CancellableTaskDialog(title, TDF_CALLBACK_TIMER);
    config.pszContent = looking.shown.c_str();
    config.pfCallback = RefreshLooking;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&looking);
    ThrowIfFailed(::TaskDialogIndirect(&config, nullptr, nullptr, nullptr), Tr(repair::kWindowNotShown));
    if (looking.failure) std::rethrow_exception(looking.failure);
    return looking.finished;
}

void Tell(const wchar_t* title, const std::wstring& text, UINT icon) noexcept {
    ::MessageBoxW(nullptr, text.c_str(), title, MB_OK | icon | MB_SETFOREGROUND | MB_TASKMODAL);
}

[[noreturn]] void TellAndExit(const wchar_t* title, const std::wstring& text, UINT icon, int exit_code) noexcept {
    Tell(title, text, icon);
    ::ExitProcess(static_cast<UINT>(exit_code));
}

std::string GivenFolder(const wchar_t* title, const char* tool) {
    if (__argc < 2) return {};
    // Translators: the message of the repair tool or the launcher when it is given more than one folder; %s is
    // the tool's name, "vornhaskel repair" or "vornhaskel-launch".
    if (__argc > 2) TellAndExit(title, Utf8ToWide(translation::Format(Tr("%s takes one game folder, not several."),
                                                                      {tool})),
                                MB_ICONERROR, 1);
    // "C:\My Game\" arrives as C:\My Game": Windows reads \" as a literal quote.
    // No Windows path holds a quote, so a trailing one stands for the backslash it
    // swallowed. (Dropped alone, "D:\" would become D:, which names the drive's
    // current folder, not its root.)
    std::wstring folder = __wargv[1];
    if (!folder.empty() && folder.back() == L'"') folder.back() = L'\\';
    return WideToUtf8(folder);
}

std::wstring ChooseGameFolder(const std::wstring& start) {
    const ComForThisThread com;
    std::wstring chosen;
    HRESULT shown = S_OK;
    {
        Held<IFileOpenDialog> dialog;
        ThrowIfFailed(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog.object)),
                      Tr(repair::kChooserNotShown));
        DWORD options = 0;
        dialog.object->GetOptions(&options);
        dialog.object->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        dialog.object->SetTitle(Utf8ToWide(Tr(repair::kChooserTitle)).c_str());
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
    if (shown != HRESULT_FROM_WIN32(ERROR_CANCELLED)) ThrowIfFailed(shown, Tr(repair::kChooserNotShown));
    return chosen;
}

std::optional<std::size_t> ChooseInstall(const wchar_t* title, const std::vector<stores::Install>& installs) {
    constexpr int kFirstFolderId = 200;
    const std::string content = game_folder::InstallsFound(installs.size()) + "\n" + flow::WhereFound(installs);
    std::vector<std::wstring> captions;
    for (const stores::Install& install : installs) {
        std::wstring caption;  // an & would mark an access key
        for (const wchar_t c : Utf8ToWide(Printable(install.folder))) caption.append(c == L'&' ? 2 : 1, c);
        captions.push_back(std::move(caption));
    }
    captions.emplace_back(
        // Translators: the button of the choice among the game folders that the stores' records lead to, after
        // one for each folder, that opens the folder chooser. An ampersand marks the access key of each button
        // of this window, unique among them.
        Utf8ToWide(TrC("choice among installs", "Choose &another folder\u2026")));
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (const std::wstring& caption : captions)
        buttons.push_back({kFirstFolderId + static_cast<int>(buttons.size()), caption.c_str()});
    const std::wstring text = Utf8ToWide(content);

    TASKDIALOGCONFIG config = CancellableTaskDialog(title, TDF_USE_COMMAND_LINKS);
    config.pszContent = text.c_str();
    config.pButtons = buttons.data();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.nDefaultButton = kFirstFolderId;
    config.pfCallback = WidenButtonsOnceShown;
    int chosen = 0;
    ThrowIfFailed(::TaskDialogIndirect(&config, &chosen, nullptr, nullptr), Tr(repair::kWindowNotShown));
    if (chosen < kFirstFolderId || chosen > kFirstFolderId + static_cast<int>(installs.size())) return std::nullopt;
    return static_cast<std::size_t>(chosen - kFirstFolderId);
}

}  // namespace vornhaskel::win32
