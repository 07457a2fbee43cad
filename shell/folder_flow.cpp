#include "folder_flow.hpp"

#include <chrono>
#include <thread>
#include <utility>

#include "repair_words.hpp"

namespace vornhaskel::flow {

std::string Absolute(const std::string& folder) {
#ifndef _WIN32
    std::error_code error;
    if (const std::string here = FullPath("", error); !folder.starts_with('/') && !error)
        return game_folder::Join(here, folder);
#endif
    return folder;
}

bool FolderWindows::WhileLooking(const std::function<std::string()>& /*line*/, const std::function<bool()>& done) {
    while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return true;
}

std::string WhereFound(const std::vector<stores::Install>& installs) {
    std::string lines;
    for (const stores::Install& install : installs)
        lines += (lines.empty() ? "\u2022 " : "\n\u2022 ") + game_folder::FoundWhere(install.folder, install.where);
    return lines;
}

std::string FirstChooserFolder(const Stores& stores, const std::string& otherwise) {
    std::string library = stores.first_library ? stores.first_library() : std::string();
    return library.empty() ? otherwise : library;
}

bool FromTheStores(FolderWindows& windows, const stores::Found& found, const Stores& stores,
                   const std::string& otherwise, stores::Install& place) {
    const std::vector<stores::Install>& installs = found.installs;
    if (installs.empty() && !found.broken.empty()) {
        std::string text;
        for (const stores::Install& broken : found.broken)
            text += (text.empty() ? "" : "\n") + game_folder::NotWhole(broken.folder, broken.where);
        windows.Tell(text, false);
    }
    if (installs.size() == 1) place = installs.front();
    while (installs.size() > 1) {
        const std::optional<std::size_t> picked = windows.ChooseInstall(installs);
        if (!picked) return false;
        if (*picked < installs.size()) {
            place = installs[*picked];
            return true;
        }
        if (std::optional<std::string> chosen = windows.Choose(FirstChooserFolder(stores, otherwise))) {
            place = {std::move(*chosen), {}};
            return true;
        }
    }
    return true;
}

Opened Open(FolderWindows& windows, stores::Install place, const EnterFunction& enter, bool game_folder_only) {
    for (;;) {
        game_folder::Resolution resolution = game_folder::Resolve(place.folder);
        if (resolution.FoundOne()) resolution.store = place.where;
        Opened not_opened;
        std::string start;  // where the chooser opens
        if (resolution.error) {
            not_opened.failed = Absolute(resolution.folder);
            windows.Tell(repair::CannotOpenFolder(not_opened.failed, resolution.error), true);
            start = game_folder::FolderAbove(not_opened.failed);
        } else if (game_folder_only && !resolution.FoundOne()) {
            windows.Tell(game_folder::Lacks(resolution) + "\n" + game_folder::Findings(resolution), false);
            start = resolution.folder;
        } else if (const std::error_code error = enter(resolution.Taken())) {
            not_opened.failed = resolution.Taken();
            windows.Tell(repair::CannotOpenFolder(not_opened.failed, error), true);
            start = game_folder::FolderAbove(not_opened.failed);
        } else {
            return {std::move(resolution), {}};
        }
        std::optional<std::string> chosen = windows.Choose(start);
        if (!chosen) return not_opened;
        place = {std::move(*chosen), {}};
    }
}

}  // namespace vornhaskel::flow
