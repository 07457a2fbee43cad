// Error category for GetLastError() codes, whose messages are the system's own
// words from FormatMessageW, in UTF-8. Declared without <windows.h>.
#pragma once

#include <system_error>

namespace vornhaskel {

const std::error_category& Win32Category() noexcept;

}  // namespace vornhaskel
