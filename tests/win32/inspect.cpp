// Test helper that runs under Wine next to vornhaskel.exe.
//   inspect window            waits for frmMusic "Form1" and prints what it reads, as JSON;
//                             caption_fit is [inner width, inner height, text width, text height]
//   inspect dialog [TITLE]    waits for the message box or task dialog TITLE ("vornhaskel" if
//                             not given) and prints its text (the last), all its texts, its
//                             buttons' captions, the enabled ones, the default one, whether it
//                             shows an icon, its frame [left, top, right, bottom], and for each
//                             button shown its caption, its frame and what its caption needs:
//                             "controls": [{"caption", "rect", "kind": "push", "link" (a command
//                             link) or "other", "text": [width, height] as the caption is drawn,
//                             "fit": [width, height] of the room inside the button}]
//   inspect dialog TITLE PRESS  the same, once the button captioned PRESS, or the link
//                             PRESS of a text, has been clicked
//   inspect setting-change    sends frmMusic WM_SETTINGCHANGE(SPI_SETNONCLIENTMETRICS), as
//                             Windows does when the text size changes; then as window
//   inspect dpi-changed DPI   sends frmMusic WM_DPICHANGED for a DPI monitor, as Windows does
//                             when the window moves to one; then as window
//   inspect hold PATH SECONDS opens PATH without delete sharing, as a running game
//                             would, prints "held", and keeps it open
//   inspect languages         the user's preferred UI languages, most preferred first
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 1 ? size - 1 : 0), '\0');
    if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string Json(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
            continue;
        }
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string Text(HWND window) {
    wchar_t buffer[4096] = {};
    ::SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer));
    return Utf8(buffer);
}

UINT Dpi(HWND window) {
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    if (found) return reinterpret_cast<GetDpiForWindow>(reinterpret_cast<void (*)()>(found))(window);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

// The caption's size as the button would draw it: its own font, wrapped at the
// width inside its frame (4 pixels each side: the edge and the focus rectangle).
std::string CaptionFit(HWND button, const RECT& box) {
    wchar_t caption[256] = {};
    ::GetWindowTextW(button, caption, 256);
    const HDC dc = ::GetDC(button);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0)));
    const long inner_width = box.right - box.left - 8, inner_height = box.bottom - box.top - 8;
    RECT text{0, 0, inner_width, 0};
    ::DrawTextW(dc, caption, -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    ::SelectObject(dc, previous);
    ::ReleaseDC(button, dc);
    char fit[96];
    std::snprintf(fit, sizeof fit, "[%ld, %ld, %ld, %ld]", inner_width, inner_height, text.right - text.left,
                  text.bottom - text.top);
    return fit;
}

std::string Describe(HWND form, HWND button, HWND focus) {
    RECT box{};
    ::GetWindowRect(button, &box);
    ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
    const LONG style = ::GetWindowLongW(button, GWL_STYLE);
    wchar_t class_name[64] = {};
    ::GetClassNameW(button, class_name, 64);
    char geometry[128];
    std::snprintf(geometry, sizeof geometry, "[%ld, %ld, %ld, %ld]", box.left, box.top, box.right - box.left,
                  box.bottom - box.top);
    return "{\"class\": " + Json(Utf8(class_name)) + ", \"caption\": " + Json(Text(button)) +
           ", \"rect\": " + geometry + ", \"caption_fit\": " + CaptionFit(button, box) + ", \"enabled\": " + (::IsWindowEnabled(button) ? "true" : "false") +
           ", \"visible\": " + (::IsWindowVisible(button) ? "true" : "false") +
           ", \"tabstop\": " + ((style & WS_TABSTOP) ? "true" : "false") +
           ", \"default\": " + ((style & 0x0F) == BS_DEFPUSHBUTTON ? "true" : "false") +
           ", \"focused\": " + (button == focus ? "true" : "false") + "}";
}

HWND WaitForForm() {
    HWND form = nullptr;
    for (int tries = 0; tries < 600 && !form; ++tries) {
        form = ::FindWindowW(L"frmMusic", L"Form1");
        if (!form) ::Sleep(50);
    }
    if (!form) std::puts("{\"error\": \"no frmMusic window titled Form1\"}");
    return form;
}

int InspectWindow() {
    const HWND form = WaitForForm();
    if (!form) return 1;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(form, nullptr), &thread);

    RECT client{};
    ::GetClientRect(form, &client);
    std::string out = "{\"dpi\": " + std::to_string(Dpi(form)) + ", \"client\": [" + std::to_string(client.right) +
                      ", " + std::to_string(client.bottom) + "], \"title\": " + Json(Text(form)) +
                      ", \"style\": " + std::to_string(::GetWindowLongW(form, GWL_STYLE)) +
                      ", \"zoomed\": " + (::IsZoomed(form) ? "true" : "false") +
                      ", \"iconic\": " + (::IsIconic(form) ? "true" : "false") +
                      ", \"buttons\": [";
    // The children in tab order, starting from the first tab stop.
    HWND first = ::GetNextDlgTabItem(form, nullptr, FALSE);
    HWND child = first;
    int count = 0;
    do {
        out += (count++ ? ", " : "") + Describe(form, child, thread.hwndFocus);
        child = ::GetNextDlgTabItem(form, child, FALSE);
    } while (child && child != first && count < 10);
    int children = 0;
    for (HWND c = ::GetWindow(form, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++children;
    out += "], \"children\": " + std::to_string(children) + "}";
    std::puts(out.c_str());
    return 0;
}

// Sends frmMusic a message that Windows itself would send, then reads it as InspectWindow does.
int SendAndInspect(UINT message, WPARAM wparam, LPARAM lparam) {
    const HWND form = WaitForForm();
    if (!form) return 1;
    ::SendMessageW(form, message, wparam, lparam);
    return InspectWindow();
}

int DpiChanged(const wchar_t* dpi_text) {
    const HWND form = WaitForForm();
    if (!form) return 1;
    const auto dpi = static_cast<WORD>(std::wcstoul(dpi_text, nullptr, 10));
    RECT suggested{};  // where it is now; the program sizes itself for the new DPI
    ::GetWindowRect(form, &suggested);
    return SendAndInspect(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

struct Dialogs {
    explicit Dialogs(const wchar_t* wanted, const wchar_t* to_press = nullptr) : title(wanted), press(to_press) {}
    const wchar_t* title;
    const wchar_t* press;  // a button to click, if any: clicked, not read
    bool pressed = false;
    int count = 0;
    std::string text, texts, buttons, enabled;  // JSON lists of the shown texts' and buttons' captions
    std::string controls;                       // a JSON list: each button's caption, frame and fit
    std::string default_button;                 // the caption of the default push button
    bool icon = false;
    RECT frame{};
};

// Follows the link `name` of a SysLink as the keyboard does: the focus on its
// first link, Tab to the link, and Enter.
bool FollowLink(HWND control, const std::string& text, const std::string& name) {
    const std::size_t at = text.find(">" + name + "</a>");
    if (at == std::string::npos) return false;
    ::SendMessageW(control, WM_SETFOCUS, 0, 0);
    for (std::size_t link = text.find("<a"); link < at && text.find("<a", link + 1) < at; link = text.find("<a", link + 1))
        ::SendMessageW(control, WM_KEYDOWN, VK_TAB, 0);
    ::SendMessageW(control, WM_KEYDOWN, VK_RETURN, 0);
    return true;
}

// A button of a dialog as the player sees it: its frame on the screen and the
// room its caption needs. The caption is measured in the message font, which
// task dialogs and message boxes draw with (the button's own font is a handle
// of the other process, which this one cannot select). A push button draws its
// caption on one line, clipped at its edge (2 pixels each side); a command link
// wraps its caption beside its arrow, a square of the caption's line height,
// with a margin of the same each side; a task dialog's expander, drawn by the
// dialog, sets its caption beside an arrow as wide as the button is high.
std::string ButtonFit(HWND button) {
    wchar_t caption[512] = {};
    ::GetWindowTextW(button, caption, 512);
    RECT box{};
    ::GetWindowRect(button, &box);
    constexpr LONG kCommandLink = 0x0E, kDefaultCommandLink = 0x0F;  // BS_COMMANDLINK, BS_DEFCOMMANDLINK
    const LONG type = ::GetWindowLongW(button, GWL_STYLE) & 0x0F;
    const bool link = type == kCommandLink || type == kDefaultCommandLink;
    const bool push = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
    NONCLIENTMETRICSW settings{};
    settings.cbSize = sizeof settings;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof settings, &settings, 0);
    const HFONT font = ::CreateFontIndirectW(&settings.lfMessageFont);
    const HDC dc = ::GetDC(button);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    long inner_width = box.right - box.left - 4, inner_height = box.bottom - box.top - 4;
    if (link) inner_width -= 3 * metrics.tmHeight;
    if (!link && !push) {  // a task dialog's expander under Wine: its arrow, a square of its height, then the caption
        inner_width = box.right - box.left - (box.bottom - box.top);
        inner_height = box.bottom - box.top;
    }
    RECT text{0, 0, inner_width, 0};
    ::DrawTextW(dc, caption, -1, &text, DT_CALCRECT | (link ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, previous);
    ::ReleaseDC(button, dc);
    ::DeleteObject(font);
    char fit[256];
    std::snprintf(fit, sizeof fit,
                  "\"rect\": [%ld, %ld, %ld, %ld], \"kind\": \"%s\", \"text\": [%ld, %ld], \"fit\": [%ld, %ld]",
                  box.left, box.top, box.right, box.bottom, link ? "link" : push ? "push" : "other", text.right - text.left,
                  text.bottom - text.top, inner_width, inner_height);
    return "{\"caption\": " + Json(Text(button)) + ", " + fit + "}";
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
    auto& dialogs = *reinterpret_cast<Dialogs*>(found);
    wchar_t class_name[16] = {}, title[64] = {};
    ::GetClassNameW(window, class_name, 16);
    ::GetWindowTextW(window, title, 64);
    if (std::wcscmp(class_name, L"#32770") != 0 || std::wcscmp(title, dialogs.title) != 0 || !::IsWindowVisible(window))
        return TRUE;
    ++dialogs.count;
    ::GetWindowRect(window, &dialogs.frame);
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child)) continue;
        ::GetClassNameW(child, class_name, 16);
        const std::string text = Text(child);
        if (dialogs.press && _wcsicmp(class_name, L"Button") == 0 && text == Utf8(dialogs.press)) {
            ::SendMessageW(child, BM_CLICK, 0, 0);
            dialogs.pressed = true;
        }
        if (dialogs.press && _wcsicmp(class_name, L"SysLink") == 0 && !dialogs.pressed)
            dialogs.pressed = FollowLink(child, text, Utf8(dialogs.press));
        if (_wcsicmp(class_name, L"Button") == 0) {
            dialogs.controls += (dialogs.controls.empty() ? "" : ", ") + ButtonFit(child);
            dialogs.buttons += (dialogs.buttons.empty() ? "" : ", ") + Json(text);
            if (::IsWindowEnabled(child)) dialogs.enabled += (dialogs.enabled.empty() ? "" : ", ") + Json(text);
            if ((::GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) dialogs.default_button = text;
        }
        // A task dialog's texts are static controls, or links (SysLink) where they hold any.
        if (_wcsicmp(class_name, L"Static") != 0 && _wcsicmp(class_name, L"SysLink") != 0) continue;
        if (!text.empty()) {
            dialogs.text = text;
            dialogs.texts += (dialogs.texts.empty() ? "" : ", ") + Json(text);
        }
        if (::SendMessageW(child, STM_GETICON, 0, 0)) dialogs.icon = true;
    }
    return TRUE;
}

int InspectDialog(const wchar_t* title, const wchar_t* press) {
    Dialogs dialogs(title);
    for (int tries = 0; tries < 600 && dialogs.count == 0; ++tries) {
        dialogs = Dialogs(title, press);
        ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
        if (dialogs.count == 0) ::Sleep(50);
    }
    if (dialogs.pressed) {
        ::Sleep(300);  // laid out afresh
        dialogs = Dialogs(title);
        ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    }
    const RECT& frame = dialogs.frame;
    std::puts(("{\"count\": " + std::to_string(dialogs.count) + ", \"text\": " + Json(dialogs.text) +
               ", \"texts\": [" + dialogs.texts + "], \"buttons\": [" + dialogs.buttons + "], \"controls\": [" +
               dialogs.controls + "], \"enabled\": [" +
               dialogs.enabled + "], \"default\": " + Json(dialogs.default_button) + ", \"icon\": " + (dialogs.icon ? "true" : "false") + ", \"frame\": [" +
               std::to_string(frame.left) + ", " + std::to_string(frame.top) + ", " + std::to_string(frame.right) +
               ", " + std::to_string(frame.bottom) + "]}")
                  .c_str());
    return dialogs.count ? 0 : 1;
}

int Hold(const wchar_t* path, const wchar_t* seconds) {
    const HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot open: %lu\n", ::GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(std::wcstoul(seconds, nullptr, 10) * 1000));
    ::CloseHandle(file);
    return 0;
}

int Languages() {
    ULONG count = 0, size = 0;
    std::wstring list;
    if (::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) && size > 0) {
        list.assign(size, L'\0');
        if (!::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, list.data(), &size)) list.clear();
    }
    std::string out = "[";
    for (std::size_t at = 0; at < list.size() && list[at] != L'\0'; at = list.find(L'\0', at) + 1)
        out += (out.size() > 1 ? ", " : "") + Json(Utf8(list.c_str() + at));
    std::puts((out + "]").c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"window") == 0) return InspectWindow();
    if (argc <= 4 && argc >= 2 && std::wcscmp(argv[1], L"dialog") == 0)
        return InspectDialog(argc >= 3 ? argv[2] : L"vornhaskel", argc == 4 ? argv[3] : nullptr);
    if (argc == 2 && std::wcscmp(argv[1], L"setting-change") == 0)
        return SendAndInspect(WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    if (argc == 3 && std::wcscmp(argv[1], L"dpi-changed") == 0) return DpiChanged(argv[2]);
    if (argc == 4 && std::wcscmp(argv[1], L"hold") == 0) return Hold(argv[2], argv[3]);
    if (argc == 2 && std::wcscmp(argv[1], L"languages") == 0) return Languages();
    std::fputs("usage: inspect window | inspect dialog [TITLE [PRESS]] | inspect setting-change | inspect dpi-changed DPI | "
               "inspect hold PATH SECONDS | inspect languages\n", stderr);
    return 2;
}
