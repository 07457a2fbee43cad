// Enter, Space and Escape act only on a fresh press, in the window and in every
// dialog box of both programs.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <bitset>
#include <cstddef>

namespace vornhaskel::win32 {

// Windows marks an auto-repeat, and a key that went down before this program had
// the keyboard, as already down (bit 30 of lParam); such presses are dropped, and
// so is the release of a press that was dropped, since Space clicks a button on
// release.
class FreshKeys {
public:
    bool Drops(const MSG& message) {
        if (!IsActivationKey(message.wParam)) return false;
        const std::size_t key = message.wParam;
        switch (message.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (message.lParam & (1L << 30)) return true;
            pressed_.set(key);
            return false;
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            const bool dropped = !pressed_.test(key);
            pressed_.reset(key);
            return dropped;
        }
        default:
            return false;
        }
    }

private:
    static bool IsActivationKey(WPARAM key) { return key == VK_RETURN || key == VK_SPACE || key == VK_ESCAPE; }
    std::bitset<256> pressed_;
};

}  // namespace vornhaskel::win32
