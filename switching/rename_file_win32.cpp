#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <charconv>
#include <string>

#include "rename_file.hpp"
#include "names.hpp"
#include "win32_error.hpp"
#include "win32_paths.hpp"

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

namespace {

// `given` made absolute by GetFullPathNameW.
std::wstring FullWidePath(const std::wstring& given, std::error_code& error) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            error.assign(static_cast<int>(::GetLastError()), Win32Category());
            return {};
        }
        const bool fits = length < full.size();
        full.resize(length);  // else the size it needs, with its terminator
        if (fits) return full;
    }
}

}  // namespace

namespace {

// ExactPath in UTF-8, for a path with a name that the rules would change, which
// starts at `first`: the folder above that name made full by the rules, which
// spell it as they read it, then each name from there on letter for letter. A
// "." or "..", or a colon (a drive or a stream), would be taken as part of a
// name there: no such path is made.
std::string LiteralPath(std::string_view path, std::size_t first, std::error_code& error) {
    std::string exact = WideToUtf8(FullWidePath(first == 0 ? L"." : Utf8ToWide(path.substr(0, first)), error));
    if (error) return {};
    if (exact.starts_with("\\\\")) {
        if (!exact.starts_with("\\\\?\\") && !exact.starts_with("\\\\.\\")) exact.replace(0, 2, "\\\\?\\UNC\\");
    } else {
        exact.insert(0, "\\\\?\\");
    }
    for (std::string_view rest = path.substr(first); !rest.empty();) {
        const std::size_t end = rest.find_first_of("\\/");
        const std::string_view name = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (name.empty()) continue;
        if (name == "." || name == ".." || name.find(':') != std::string_view::npos) {
            error.assign(ERROR_INVALID_NAME, Win32Category());
            return {};
        }
        if (!exact.ends_with('\\')) exact += '\\';
        exact += name;
    }
    return exact;
}

// Where the first name of `path` that the rules would change starts, or npos.
std::size_t FirstAlteredName(std::string_view path) {
    if (path.starts_with("\\\\?\\") || path.starts_with("\\\\.\\")) return std::string_view::npos;  // taken as it is
    for (std::size_t first = 0;;) {
        const std::size_t end = path.find_first_of("\\/", first);
        if (Win32AltersName(path.substr(first, end == std::string_view::npos ? end : end - first))) return first;
        if (end == std::string_view::npos) return end;
        first = end + 1;
    }
}

}  // namespace

std::wstring ExactPath(std::string_view path, std::error_code& error) {
    error.clear();
    std::wstring wide = Utf8ToWide(path);
    if (wide.empty() != path.empty()) {
        error.assign(ERROR_NO_UNICODE_TRANSLATION, Win32Category());
        return {};
    }
    const std::size_t first = FirstAlteredName(path);
    return first == std::string_view::npos ? wide : Utf8ToWide(LiteralPath(path, first, error));
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING refuses an existing target, and
// without MOVEFILE_COPY_ALLOWED it never falls back to copy and delete.
void RenameFile(std::string_view old_path, std::string_view new_path) {
    std::error_code from_error, to_error;
    const std::wstring from = ExactPath(old_path, from_error);
    const std::wstring to = ExactPath(new_path, to_error);
    if (from_error || to_error) throw RenameError(from_error ? from_error : to_error, old_path, new_path);
    if (!::MoveFileExW(from.c_str(), to.c_str(), 0)) {
        // Read before anything else runs: allocating the exception or initialising
        // the category may reset the thread's last error.
        const DWORD error = ::GetLastError();
        throw RenameError(std::error_code(static_cast<int>(error), Win32Category()), old_path, new_path);
    }
}

// GetFileAttributesW reports a symlink or junction itself, never its target.
NameInfo ExamineName(std::string_view path) {
    std::error_code unspelt;
    const std::wstring exact = ExactPath(path, unspelt);
    if (unspelt) return {NameKind::kUnknown, unspelt};
    const DWORD attributes = ::GetFileAttributesW(exact.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {NameKind::kAbsent, {}};
        return {NameKind::kUnknown, std::error_code(static_cast<int>(error), Win32Category())};
    }
    return {(attributes & FILE_ATTRIBUTE_DIRECTORY) ? NameKind::kFolder : NameKind::kFile, {}};
}

// FindFirstFileExW reports a reparse point (symbolic link, junction, mounted
// volume) itself, never what it leads to, and names its kind in dwReserved0.
std::vector<FolderEntry> ListFolder(std::string_view folder, std::error_code& error) {
    std::wstring pattern = ExactPath(folder, error);
    if (error) return {};
    pattern.append(pattern.empty() || pattern.ends_with(L'\\') ? L"*" : L"\\*");
    WIN32_FIND_DATAW data;
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD cause = ::GetLastError();
        if (cause != ERROR_FILE_NOT_FOUND) error.assign(static_cast<int>(cause), Win32Category());
        return {};
    }
    std::vector<FolderEntry> entries;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        EntryKind kind = EntryKind::kFile;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && ReparsePointIsLink(data.dwReserved0))
            kind = EntryKind::kLink;
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            kind = EntryKind::kFolder;
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
            kind = EntryKind::kOther;
        entries.push_back({Narrow(name.data(), static_cast<int>(name.size())), kind});
    } while (::FindNextFileW(search, &data));
    const DWORD cause = ::GetLastError();
    ::FindClose(search);
    if (cause != ERROR_NO_MORE_FILES) {
        error.assign(static_cast<int>(cause), Win32Category());
        entries.clear();
    }
    return entries;
}

// A Windows file is never a mount point, and a folder that is one is a mount
// point reparse point, a link, which the search does not enter: a file it finds in a plain folder is
// on the game folder's volume.
bool OnAnotherMount(std::string_view, std::string_view) { return false; }

std::string FullPath(std::string_view folder, std::error_code& error) {
    error.clear();
    // GetFullPathNameW would drop a trailing dot, and make "NUL" "\\.\NUL": the
    // names as given, in the form that players read ("C:\x", "\\server\share").
    if (const std::size_t first = FirstAlteredName(folder); first != std::string_view::npos && IsUtf8(folder)) {
        std::string exact = LiteralPath(folder, first, error);
        if (exact.starts_with("\\\\?\\UNC\\")) return exact.erase(2, 6);
        return exact.starts_with("\\\\?\\") ? exact.erase(0, 4) : exact;
    }
    const std::wstring full = FullWidePath(Utf8ToWide(folder.empty() ? std::string_view(".") : folder), error);
    return error ? std::string() : WideToUtf8(full);
}

}  // namespace vornhaskel
