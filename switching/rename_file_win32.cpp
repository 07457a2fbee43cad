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

class Win32ErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int code) const override {
        wchar_t* buffer = nullptr;
        const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
        DWORD length = ::FormatMessageW(flags, nullptr, static_cast<DWORD>(code), 0,
                                        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        if (length == 0 || buffer == nullptr) return UnknownError(code);
        while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' '))
            --length;
        std::string text = Narrow(buffer, static_cast<int>(length));
        ::LocalFree(buffer);
        return text;
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

// MoveFileExW without MOVEFILE_REPLACE_EXISTING refuses an existing target, and
// without MOVEFILE_COPY_ALLOWED it never falls back to copy and delete.
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

// GetFileAttributesW reports a symlink or junction itself, never its target.
NameInfo ExamineName(std::string_view path) {
    const DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {NameKind::kAbsent, {}};
        return {NameKind::kUnknown, std::error_code(static_cast<int>(error), Win32Category())};
    }
    return {(attributes & FILE_ATTRIBUTE_DIRECTORY) ? NameKind::kFolder : NameKind::kFile, {}};
}

// FindFirstFileExW reports a reparse point (symbolic link, junction, mounted
// volume) itself, never what it leads to.
std::vector<FolderEntry> ListFolder(std::string_view folder, std::error_code& error) {
    error.clear();
    std::wstring pattern = Utf8ToWide(folder);
    pattern.append(folder.empty() ? L"*" : L"\\*");
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
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
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

// A Windows file is never a mount point, and a folder that is one is a reparse
// point, which the search does not enter: a file it finds in a plain folder is
// on the game folder's volume.
bool OnAnotherMount(std::string_view, std::string_view) { return false; }

std::string FullPath(std::string_view folder, std::error_code& error) {
    error.clear();
    const std::wstring given = Utf8ToWide(folder.empty() ? std::string_view(".") : folder);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            error.assign(static_cast<int>(::GetLastError()), Win32Category());
            return {};
        }
        if (length < full.size()) {
            full.resize(length);
            return WideToUtf8(full);
        }
        full.resize(length);  // the size it needs, with its terminator
    }
}

// A handle with no access right still tells the volume and the file index;
// FILE_FLAG_BACKUP_SEMANTICS lets it be a folder's.
std::optional<Identity> IdentityOf(std::string_view path, std::error_code& error) {
    error.clear();
    const HANDLE file = ::CreateFileW(Utf8ToWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error.assign(static_cast<int>(::GetLastError()), Win32Category());
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = ::GetFileInformationByHandle(file, &information) != 0;
    if (!known) error.assign(static_cast<int>(::GetLastError()), Win32Category());
    ::CloseHandle(file);
    if (!known) return std::nullopt;
    return Identity{information.dwVolumeSerialNumber,
                    (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow,
                    (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

}  // namespace vornhaskel
