// The launcher hands the repair tool the game folder on its command line: the
// tool must read back the very folder, whatever backslashes, spaces or quotes
// it holds. Read back here as the system reads a command line.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.hpp"

namespace {

std::vector<std::wstring> ReadBack(const std::wstring& line) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> read(arguments, arguments + (arguments ? count : 0));
    ::LocalFree(arguments);
    return read;
}

TEST(CommandLine, EachArgumentIsReadBackAsItWas) {
    const wchar_t* const folders[] = {
        L"C:\\Games\\The Game",
        L"D:\\",                               // a drive's root: its backslash before the closing quote
        L"\\\\server\\share\\",                // a share, two backslashes at the start
        L"\\\\?\\C:\\a long\\path\\",          // a long path's prefix
        L"C:\\Spiele \u2122 \u30b2\u30fc\u30e0",
        L"C:\\a\"b",                           // no Windows path holds a quote; a command line may
        L"C:\\a\\\"b\\\\",
        L"",
    };
    for (const wchar_t* folder : folders) {
        std::wstring line;
        vornhaskel::win32::AppendQuoted(line, L"C:\\Users\\Player\\Downloads\\vornhaskel-repair.exe");
        line += L' ';
        vornhaskel::win32::AppendQuoted(line, folder);
        const std::vector<std::wstring> read = ReadBack(line);
        ASSERT_EQ(read.size(), 2u) << line;
        EXPECT_EQ(read[0], L"C:\\Users\\Player\\Downloads\\vornhaskel-repair.exe") << line;
        EXPECT_EQ(read[1], folder) << line;
    }
}

}  // namespace
