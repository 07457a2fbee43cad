#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <charconv>
#include <string>

#include "rename_file.hpp"
#include "win32_error.hpp"

namespace vornhaskel {

namespace {

std::string Narrow(const wchar_t* text, int length) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

}  // namespace

std::string WideToUtf8(std::wstring_view wide) {
    return wide.empty() ? std::string() : Narrow(wide.data(), static_cast<int>(wide.size()));
}

// An empty result makes a rename fail with the system's own complaint about the name.
std::wstring Utf8ToWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = static_cast<int>(utf8.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), size);
    return wide;
}

namespace {

// For a code the system has no words for. std::to_chars, unlike std::to_string,
// brings no printf family into the executable.
std::string UnknownError(int code) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(code)).ptr;
    return "Windows error " + std::string(digits, end);
}

// The system's words for `code`, a Win32 error or an HRESULT, without the line
// break they end in; "" where it has none.
std::string SystemWords(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = ::FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return {};
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' '))
        --length;
    std::string text = Narrow(buffer, static_cast<int>(length));
    ::LocalFree(buffer);
    return text;
}

class Win32ErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int code) const override {
        std::string words = SystemWords(static_cast<DWORD>(code));
        return words.empty() ? UnknownError(code) : words;
    }

    std::error_condition default_error_condition(int code) const noexcept override {
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return std::errc::no_such_file_or_directory;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::errc::file_exists;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return std::errc::permission_denied;
        case ERROR_FILENAME_EXCED_RANGE:
            return std::errc::filename_too_long;
        default:
            return {code, *this};
        }
    }
};

}  // namespace

const std::error_category& Win32Category() noexcept {
    static const Win32ErrorCategory category;
    return category;
}

namespace {

class HresultCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "hresult"; }

    std::string message(int code) const override {
        if (std::string words = SystemWords(static_cast<DWORD>(code)); !words.empty()) return words;
        char digits[8];
        const auto unsigned_code = static_cast<std::uint32_t>(code);
        const auto end = std::to_chars(digits, digits + sizeof digits, unsigned_code, 16).ptr;
        return "Error 0x" + std::string(8 - static_cast<std::size_t>(end - digits), '0') + std::string(digits, end);
    }

    // A Win32 error wrapped in an HRESULT compares as that error.
    std::error_condition default_error_condition(int code) const noexcept override {
        if (HRESULT_FACILITY(code) == FACILITY_WIN32) return Win32Category().default_error_condition(HRESULT_CODE(code));
        return {code, *this};
    }
};

}  // namespace

const std::error_category& HresultErrorCategory() noexcept {
    static const HresultCategory category;
    return category;
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING refuses an existing target, and
// without MOVEFILE_COPY_ALLOWED it never falls back to copy and delete. The
// table's names are ASCII, and none is one that the Win32 path rules alter.
RenameWay RenameFile(std::string_view old_path, std::string_view new_path) {
    const std::wstring from = Utf8ToWide(old_path);
    const std::wstring to = Utf8ToWide(new_path);
    if (!::MoveFileExW(from.c_str(), to.c_str(), 0)) {
        // Read before anything else runs: allocating the exception or initialising
        // the category may reset the thread's last error.
        const DWORD error = ::GetLastError();
        throw RenameError(std::error_code(static_cast<int>(error), Win32Category()), old_path, new_path);
    }
    return RenameWay::kOneStep;
}

}  // namespace vornhaskel
