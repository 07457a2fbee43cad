#include "win32_paths.hpp"

#include <array>

#include "names.hpp"

namespace vornhaskel {

bool Win32AltersName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.back() == '.' || name.back() == ' ') return true;
    // The device name is what comes before the first dot or colon, without the spaces before those.
    std::string_view base = name.substr(0, name.find_first_of(".:"));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    constexpr std::array<std::string_view, 6> kDevices{"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : kDevices)
        if (EqualIgnoringCase(base, device)) return true;
    if (base.size() < 4 || !(EqualIgnoringCase(base.substr(0, 3), "COM") || EqualIgnoringCase(base.substr(0, 3), "LPT")))
        return false;
    const std::string_view digit = base.substr(3);
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\u00B9" || digit == "\u00B2" ||
           digit == "\u00B3";
}

bool Win32AltersPath(std::string_view path) {
    for (;;) {
        const std::size_t end = path.find_first_of("\\/");
        if (Win32AltersName(path.substr(0, end))) return true;
        if (end == std::string_view::npos) return false;
        path.remove_prefix(end + 1);
    }
}

bool ReparsePointIsLink(std::uint32_t tag) {
    return tag == kReparseTagSymlink || tag == kReparseTagMountPoint || tag == 0;
}

}  // namespace vornhaskel
