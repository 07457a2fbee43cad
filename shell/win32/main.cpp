// vornhaskel for Windows: the one window, frmMusic, in plain Win32.
//
// Start-up only shows the window. A click disables both buttons, hides the
// window, runs the button's rename sequence in the working directory and ends
// the process: exit code 0 on success, 1 after the error message box.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "process.hpp"
#include "runner.hpp"
#include "tracks.hpp"
#include "win32_error.hpp"

namespace {

using vornhaskel::Sequence;

constexpr wchar_t kClassName[] = L"frmMusic";
constexpr int kRenameId = 101;
constexpr int kUnrenameId = 102;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

// Geometry in twips (1/1440 inch), converted at the window's own DPI.
struct Twips {
    int left, top, width, height;
};
constexpr Twips kClientArea{0, 0, 4680, 3090};
constexpr Twips kRenameBox{1080, 240, 2055, 855};
constexpr Twips kUnrenameBox{1080, 1680, 2055, 855};

struct FrmMusic {
    HWND window = nullptr;
    HWND rename = nullptr;
    HWND unrename = nullptr;
    HWND focus = nullptr;  // the button to give focus back to on activation
    HFONT font = nullptr;
    // The monitor's DPI as last laid out for. Windows 8.1 has no GetDpiForWindow,
    // and WM_DPICHANGED is its only word on the window's monitor.
    UINT dpi = 96;
};
FrmMusic form;

int Scale(int twips, UINT dpi) { return ::MulDiv(twips, static_cast<int>(dpi), 1440); }

// Per-monitor DPI functions exist from Windows 10 1607 on; looked up at run time
// so that the program still starts on older systems.
template <typename Function>
Function User32(const char* name) {
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

UINT ScreenDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND window) {
    static const auto get_dpi_for_window = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    return get_dpi_for_window ? get_dpi_for_window(window) : ScreenDpi();
}

// The outer size of a window on a `dpi` monitor whose client area is kClientArea
// converted at `layout_dpi`.
SIZE FrameSize(UINT dpi, UINT layout_dpi) {
    static const auto adjust_for_dpi =
        User32<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, Scale(kClientArea.width, layout_dpi), Scale(kClientArea.height, layout_dpi)};
    if (adjust_for_dpi)
        adjust_for_dpi(&frame, kStyle, FALSE, 0, dpi);
    else
        ::AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The system's message font at `dpi`, so that both captions are whole.
LOGFONTW MessageFont(UINT dpi) {
    static const auto parameters_for_dpi =
        User32<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parameters_for_dpi) {
        parameters_for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    } else {
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        metrics.lfMessageFont.lfHeight =
            ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
    }
    return metrics.lfMessageFont;
}

// Twips convert at the window's DPI, or at a higher one where the message font
// is larger than Windows' default of 9 points at that DPI ("Make text bigger"),
// so that the window and both buttons grow with their wrapped captions. 9 points
// are 12 pixels at 96 dpi: a font `h` pixels high asks for h * 8 dpi. Wine's
// default font is smaller, so there the layout follows the DPI alone.
UINT LayoutDpi(UINT dpi, const LOGFONTW& font) {
    const UINT text_dpi = static_cast<UINT>(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight) * 8;
    return text_dpi > dpi ? text_dpi : dpi;
}

void Place(HWND button, const Twips& box, UINT dpi, HFONT font) {
    ::SetWindowPos(button, nullptr, Scale(box.left, dpi), Scale(box.top, dpi), Scale(box.width, dpi),
                   Scale(box.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// The outer size that Layout gives the window on a `dpi` monitor.
SIZE LaidOutFrame(UINT dpi) { return FrameSize(dpi, LayoutDpi(dpi, MessageFont(dpi))); }

// Sizes the window and places both buttons for a `dpi` monitor and the current
// message font; again whenever either changes.
void Layout(UINT dpi) {
    form.dpi = dpi;
    const LOGFONTW message_font = MessageFont(dpi);
    const UINT layout_dpi = LayoutDpi(dpi, message_font);
    const SIZE frame = FrameSize(dpi, layout_dpi);
    ::SetWindowPos(form.window, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const HFONT font = ::CreateFontIndirectW(&message_font);
    Place(form.rename, kRenameBox, layout_dpi, font);
    Place(form.unrename, kUnrenameBox, layout_dpi, font);
    if (form.font) ::DeleteObject(form.font);
    form.font = font;
}

// The top-level error handling: one message box with no owner, then the end.
[[noreturn]] void ReportAndExit(const char* description) noexcept {
    vornhaskel::win32::FilterDialogKeys();
    ::MessageBoxW(nullptr, vornhaskel::Utf8ToWide(description).c_str(), L"vornhaskel",
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TASKMODAL);
    ::ExitProcess(1);
}

[[noreturn]] void SwitchRequest(Sequence sequence) {
    ::EnableWindow(form.rename, FALSE);
    ::EnableWindow(form.unrename, FALSE);
    ::ShowWindow(form.window, SW_HIDE);
    vornhaskel::RunSequence(sequence);
    ::ExitProcess(0);
}

// Called by Windows from C: nothing may propagate out of it.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wparam) == BN_CLICKED && (LOWORD(wparam) == kRenameId || LOWORD(wparam) == kUnrenameId)) {
            try {
                SwitchRequest(LOWORD(wparam) == kRenameId ? Sequence(vornhaskel::RenameSequence)
                                                          : Sequence(vornhaskel::UnrenameSequence));
            } catch (const std::exception& failure) {
                ReportAndExit(failure.what());
            } catch (...) {
                ReportAndExit("unknown failure");
            }
        }
        return 0;
    case WM_ACTIVATE:
        // Keyboard focus stays on a button across deactivation, as in a dialog.
        if (LOWORD(wparam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus == form.rename || focus == form.unrename) form.focus = focus;
        } else {
            ::SetFocus(form.focus);
        }
        return 0;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(HIWORD(wparam));
        return 0;
    }
    case WM_GETDPISCALEDSIZE: {
        // The size that Layout picks, so that the move to the new monitor is one step.
        *reinterpret_cast<SIZE*>(lparam) = LaidOutFrame(static_cast<UINT>(wparam));
        return TRUE;
    }
    case WM_SETTINGCHANGE:
        if (wparam == SPI_SETNONCLIENTMETRICS) Layout(form.dpi);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

HWND PushButton(const wchar_t* caption, int id, HINSTANCE instance) {
    // BS_MULTILINE: a caption wider than its button wraps instead of being cut.
    return ::CreateWindowExW(0, WC_BUTTONW, caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE,
                             0, 0, 0, 0, form.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                             nullptr);
}

// 0, or the error code of the call that failed, read right after it.
DWORD CreateFrmMusic(HINSTANCE instance) {
    const HICON large = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    const HICON small = static_cast<HICON>(::LoadImageW(
        instance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.hIcon = large;
    window_class.hIconSm = small;
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kClassName;
    if (!::RegisterClassExW(&window_class)) return ::GetLastError();

    const SIZE frame = FrameSize(ScreenDpi(), ScreenDpi());
    form.window = ::CreateWindowExW(0, kClassName, L"Form1", kStyle, CW_USEDEFAULT, 0, frame.cx, frame.cy, nullptr,
                                    nullptr, instance, nullptr);
    if (!form.window) return ::GetLastError();
    // Created in tab order: rename, then unrename.
    form.rename = PushButton(L"Rename (Enable-Mod)", kRenameId, instance);
    if (!form.rename) return ::GetLastError();
    form.unrename = PushButton(L"Un-rename (Normal Music)", kUnrenameId, instance);
    if (!form.unrename) return ::GetLastError();
    form.focus = form.rename;

    // The window may sit on a monitor whose DPI differs from the primary one.
    Layout(WindowDpi(form.window));
    return 0;
}

// Tab moves between the buttons and Enter clicks the focused one, as in a
// dialog; Space is the button's own.
bool HandleKey(const MSG& message) {
    if (message.hwnd != form.rename && message.hwnd != form.unrename) return false;
    if (vornhaskel::win32::fresh_keys.Drops(message)) return true;
    if (message.message != WM_KEYDOWN) return false;
    if (message.wParam == VK_TAB) {
        ::SetFocus(::GetNextDlgTabItem(form.window, message.hwnd, ::GetKeyState(VK_SHIFT) < 0));
        return true;
    }
    if (message.wParam == VK_RETURN) {
        ::SendMessageW(message.hwnd, BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    vornhaskel::win32::RestrictDllSearch();
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (const DWORD error = CreateFrmMusic(instance); error != 0) {
        const std::error_code cause(static_cast<int>(error), vornhaskel::Win32Category());
        ReportAndExit(cause.message().c_str());
    }
    ::ShowWindow(form.window, SW_SHOWNORMAL);
    ::UpdateWindow(form.window);
    ::SetFocus(form.rename);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (HandleKey(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
