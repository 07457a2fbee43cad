#include <algorithm>

#include "key_values.hpp"
#include "readers.hpp"

namespace vornhaskel::stores {

namespace {

// Steam keeps its records small; anything larger is not one of them.
constexpr std::size_t kLargestRecord = 4 << 20;

// Every folder where Steam may be installed, whether or not it is: on Linux
// the native, Debian, Flatpak and Snap ones and the links to them; on Windows
// each place its installer records, as Steam may have moved since one was written.
std::vector<std::string> SteamRoots(const Places& places) {
    std::vector<std::string> roots;
#ifndef _WIN32
    for (const std::string& data : XdgFolders(places, "XDG_DATA_HOME", ".local/share"))
        roots.push_back(Join(data, "Steam"));
    if (!places.home.empty())
        for (const char* below : {".steam/steam", ".steam/root", ".steam/debian-installation",
                                  ".var/app/com.valvesoftware.Steam/.local/share/Steam",
                                  ".var/app/com.valvesoftware.Steam/data/Steam", "snap/steam/common/.local/share/Steam"})
            roots.push_back(Join(places.home, below));
#endif
    if (places.registry_value) {
        roots.push_back(places.registry_value(RegistryRoot::kCurrentUser, RegistryView::k64, "Software\\Valve\\Steam",
                                              "SteamPath"));
        for (const RegistryView view : {RegistryView::k32, RegistryView::k64})
            roots.push_back(places.registry_value(RegistryRoot::kLocalMachine, view, "SOFTWARE\\Valve\\Steam",
                                                  "InstallPath"));
    }
    if (places.environment)
        if (const std::string program_files = places.environment("ProgramFiles(x86)"); !program_files.empty())
            roots.push_back(Join(program_files, "Steam"));
    return roots;
}

}  // namespace

std::vector<std::string> SteamLibraries(const Places& places, std::vector<std::string>* missing) {
    std::vector<std::string> libraries;
    const auto add = [&](std::string_view library, bool recorded) {
        if (!IsFullPath(library)) return false;
        std::error_code error;
        std::string real = RealPath(library, error);
        if (error && recorded && missing != nullptr && std::ranges::find(*missing, library) == missing->end())
            missing->emplace_back(library);
        if (error || !IsUtf8(real) || std::ranges::find(libraries, real) != libraries.end()) return false;
        libraries.push_back(std::move(real));
        return true;
    };
    for (const std::string& root : SteamRoots(places)) {
        if (root.empty() || !add(root, false)) continue;
        const std::string installation = libraries.back();
        // Either record may be missing, stale or cut short: the libraries of both count.
        for (const char* record : {"config", "steamapps"}) {
            const std::string folder = FolderNamed(places, installation, record);
            std::string text;
            if (folder.empty() || !ReadRecord(places, Join(folder, "libraryfolders.vdf"), kLargestRecord, text)) continue;
            for (const std::string& library : key_values::LibraryPaths(text)) add(library, true);
        }
    }
    return libraries;
}

}  // namespace vornhaskel::stores
