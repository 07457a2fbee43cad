// Windows text, path and error helpers, declared without <windows.h>.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace vornhaskel {

// Error category for GetLastError() codes, whose messages are the system's own
// words from FormatMessageW, in UTF-8.
const std::error_category& Win32Category() noexcept;

// Error category for HRESULTs, with the system's words from FormatMessageW, or
// "Error 0x80004005" where it has none. One that wraps a Win32 error compares
// as that error.
const std::error_category& HresultErrorCategory() noexcept;

// UTF-8 to UTF-16; empty for text that is not valid UTF-8.
std::wstring Utf8ToWide(std::string_view utf8);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

}  // namespace vornhaskel
