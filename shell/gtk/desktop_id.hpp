// The desktop entry's ID. Both programs take it as their program name, so that
// docks and Wayland compositors match their windows to the entry and its icon.
#pragma once

namespace vornhaskel {
inline constexpr char kDesktopId[] = "org.vornhaskel.vornhaskel";
}
