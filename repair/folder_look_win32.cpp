#include <windows.h>

#include <string>
#include <vector>

#include "folder_look.hpp"
#include "names.hpp"
#include "win32_error.hpp"
#include "win32_paths.hpp"

namespace vornhaskel {

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

RenameWay RenameAsSpelt(std::string_view old_path, std::string_view new_path) {
    std::error_code from_error, to_error;
    const std::wstring from = ExactPath(old_path, from_error);
    const std::wstring to = ExactPath(new_path, to_error);
    if (from_error || to_error) throw RenameError(from_error ? from_error : to_error, old_path, new_path);
    if (!::MoveFileExW(from.c_str(), to.c_str(), 0)) {
        const DWORD error = ::GetLastError();  // before anything else can reset it
        throw RenameError(std::error_code(static_cast<int>(error), Win32Category()), old_path, new_path);
    }
    return RenameWay::kOneStep;
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
        entries.push_back({WideToUtf8(name), kind});
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
