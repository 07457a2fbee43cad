#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cwchar>

#include "places.hpp"
#include "win32_error.hpp"
#include "win32_paths.hpp"

namespace vornhaskel::stores {

namespace {

// While a drive is looked at: no "There is no disk in the drive" box for a
// library recorded on a card reader left empty, or on a drive since removed.
class NoDriveErrorBoxes {
public:
    NoDriveErrorBoxes() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
    ~NoDriveErrorBoxes() { ::SetThreadErrorMode(previous_, nullptr); }
    NoDriveErrorBoxes(const NoDriveErrorBoxes&) = delete;
    NoDriveErrorBoxes& operator=(const NoDriveErrorBoxes&) = delete;

private:
    DWORD previous_ = 0;
};

std::vector<FolderEntry> ListQuietly(std::string_view folder, std::error_code& error) {
    const NoDriveErrorBoxes quiet;
    return ListFolder(folder, error);
}

std::string Environment(std::string_view name) {
    const std::wstring wide_name = Utf8ToWide(name);
    std::wstring value(64, L'\0');
    for (;;) {
        const DWORD length = ::GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return {};
        if (length < value.size()) {
            value.resize(length);
            return WideToUtf8(value);
        }
        value.resize(length);  // the size asked for, with its terminating nul
    }
}

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// The key opened only to be read, in the view asked for; null where it cannot be.
HKEY OpenKey(RegistryRoot root, RegistryView view, std::string_view key) {
    const std::wstring path = Utf8ToWide(key);
    const REGSAM access = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS |
                          (view == RegistryView::k32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
    HKEY opened = nullptr;
    if (path.empty() || ::RegOpenKeyExW(RootKey(root), path.c_str(), 0, access, &opened) != ERROR_SUCCESS)
        return nullptr;
    return opened;
}

std::string RegistryString(RegistryRoot root, RegistryView view, std::string_view key, std::string_view name) {
    HKEY opened = OpenKey(root, view, key);
    if (opened == nullptr) return {};
    const std::wstring value_name = Utf8ToWide(name);
    std::wstring value;
    LSTATUS status = ERROR_MORE_DATA;
    // The value may grow between asking for its size and reading it.
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD bytes = 0;
        status = ::RegGetValueW(opened, nullptr, value_name.c_str(), RRF_RT_REG_SZ, nullptr,
                                nullptr, &bytes);
        if (status != ERROR_SUCCESS) break;
        value.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = ::RegGetValueW(opened, nullptr, value_name.c_str(), RRF_RT_REG_SZ, nullptr,
                                value.data(), &bytes);
        if (status == ERROR_SUCCESS) value.resize(wcsnlen(value.c_str(), value.size()));
    }
    ::RegCloseKey(opened);
    return status == ERROR_SUCCESS ? WideToUtf8(value) : std::string();
}

std::vector<std::string> RegistrySubKeyNames(RegistryRoot root, RegistryView view, std::string_view key) {
    std::vector<std::string> names;
    HKEY opened = OpenKey(root, view, key);
    if (opened == nullptr) return names;
    wchar_t name[256];  // the longest key name the registry allows, and its nul
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        const LSTATUS status = ::RegEnumKeyExW(opened, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        names.push_back(WideToUtf8(std::wstring_view(name, length)));
    }
    ::RegCloseKey(opened);
    return names;
}

}  // namespace

Places ThisMachine() {
    Places places;
    places.environment = Environment;
    places.registry_value = RegistryString;
    places.registry_subkeys = RegistrySubKeyNames;
    places.list = ListQuietly;
    places.list_names = ListQuietly;
    return places;
}

std::string RealPath(std::string_view path, std::error_code& error) {
    const std::wstring wide = ExactPath(path, error);
    if (error) return {};
    const NoDriveErrorBoxes quiet;
    // No access asked for: the handle only names the folder, which stays free for everyone.
    const HANDLE handle = wide.empty() ? INVALID_HANDLE_VALUE
                                       : ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error.assign(wide.empty() ? ERROR_INVALID_NAME : static_cast<int>(::GetLastError()), Win32Category());
        return {};
    }
    std::wstring final_path(MAX_PATH, L'\0');
    DWORD length = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        length = ::GetFinalPathNameByHandleW(handle, final_path.data(), static_cast<DWORD>(final_path.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length < final_path.size()) break;
        final_path.resize(length);  // the size asked for, with its terminating nul
    }
    if (length == 0 || length >= final_path.size()) {
        error.assign(length == 0 ? static_cast<int>(::GetLastError()) : ERROR_INSUFFICIENT_BUFFER, Win32Category());
        ::CloseHandle(handle);
        return {};
    }
    ::CloseHandle(handle);
    final_path.resize(length);
    // "\\?\C:\x" is "C:\x", and "\\?\UNC\server\share" is "\\server\share", as players read them.
    std::wstring_view shown = final_path;
    if (shown.starts_with(L"\\\\?\\UNC\\")) return "\\\\" + WideToUtf8(shown.substr(8));
    if (shown.starts_with(L"\\\\?\\")) shown.remove_prefix(4);
    return WideToUtf8(shown);
}

// FindFirstFileW's records hold all there is to know of each entry already.
std::vector<FolderEntry> ListNames(std::string_view folder, std::error_code& error) { return ListQuietly(folder, error); }

bool ReadRecord(std::string_view path, std::size_t limit, std::string& contents) {
    contents.clear();
    std::error_code error;
    const std::wstring wide = ExactPath(path, error);
    if (error || wide.empty()) return false;
    const NoDriveErrorBoxes quiet;
    // Shared in every way, so that the store itself is never kept from its own record.
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool read_all = ::GetFileType(file) == FILE_TYPE_DISK;
    char chunk[16384];
    while (read_all) {
        DWORD got = 0;
        read_all = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) != 0;
        if (!read_all || got == 0) break;
        read_all = contents.size() + got <= limit;
        if (read_all) contents.append(chunk, got);
    }
    ::CloseHandle(file);
    if (!read_all) contents.clear();
    return read_all;
}

}  // namespace vornhaskel::stores
