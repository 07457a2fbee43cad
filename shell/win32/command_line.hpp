// A command line for CreateProcessW, written so that the program started reads
// each argument back as it was.
#pragma once

#include <cstddef>
#include <string>

namespace vornhaskel::win32 {

// `argument` appended to `line` so that CommandLineToArgvW and the C runtime
// read it back as it is: quoted, with each run of backslashes that comes before
// a quote, the closing one included, doubled. Unquoted, "D:\" would reach the
// program as D:", and a path with a space as two arguments.
inline void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

}  // namespace vornhaskel::win32
