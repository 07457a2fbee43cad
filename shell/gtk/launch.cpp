// vornhaskel-launch: starts vornhaskel with the game folder as its working
// directory, as the "Start in" field of a Windows shortcut does.
//
//   vornhaskel-launch FOLDER   enters the game folder that FOLDER leads to and
//                              becomes vornhaskel (exec), so the exit status is
//                              the program's
//   vornhaskel-launch          asks for the folder first; Cancel ends with 0
//   vornhaskel-launch --repair [FOLDER]
//                              the same for vornhaskel-repair
//
// Where the folder leads to no game folder or to several, a message says what it
// lacks and the chooser asks again, opened there; where it cannot be listed or
// entered, a message says why, and the chooser asks again. It only lists
// folders: nothing is renamed before the program's own window.
#include <gtk/gtk.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>

#include "common_window.hpp"
#include "desktop_id.hpp"
#include "game_folder.hpp"
#include "repair_words.hpp"

namespace {

[[noreturn]] void Fail(const std::string& text) {
    if (gtk_init_check(nullptr, nullptr)) {
        vornhaskel::SetApplicationIcon(nullptr);
        vornhaskel::ShowMessage(GTK_MESSAGE_ERROR, "vornhaskel", text.c_str());
    } else {
        std::fprintf(stderr, "vornhaskel-launch: %s\n", text.c_str());
    }
    std::exit(EXIT_FAILURE);
}

// The program lives beside the launcher, wherever the two were unpacked; PATH is
// not asked. Found before the launcher enters the game folder and never by a
// bare name, which would run whatever file of that name the folder holds.
std::string Beside(const char* name) {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        const int error = length < 0 ? errno : ENOENT;
        Fail(std::string("Cannot find ") + name + " beside vornhaskel-launch: /proc/self/exe: " + std::strerror(error));
    }
    const std::string path(self, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + name;
}

// Enters `folder` and becomes `name` there; returns why where the folder cannot be entered.
std::string StartIn(const std::string& folder, const char* name) {
    const std::string program = Beside(name);
    if (::chdir(folder.c_str()) != 0) return vornhaskel::CannotOpenFolder(folder.c_str(), errno);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    const int error = errno;
    Fail("Cannot start " + program + ": " + std::strerror(error));
}

// One message, where there is a display to show it on; without one the launcher
// cannot ask for another folder either, and ends with the text on stderr.
void Say(GtkMessageType type, const std::string& text) {
    if (!gtk_init_check(nullptr, nullptr)) Fail(text);
    vornhaskel::SetApplicationIcon(nullptr);
    vornhaskel::ShowMessage(type, "vornhaskel", text.c_str());
}

// The folder that holds `folder`, a full path: where the chooser opens after a
// folder that could not be opened, which may not exist.
std::string FolderAbove(const std::string& folder) {
    const auto split = folder.find_last_of('/', folder.find_last_not_of('/'));
    return split == std::string::npos || split == 0 ? std::string("/") : folder.substr(0, split);
}

bool IsFolder(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_IS_DIR); }

// Where the chooser opens: the usual game library folder when there is one, else home.
std::string StartFolder() {
    const std::string home = g_get_home_dir();
    for (const char* library : {"/.steam/steam/steamapps/common", "/.local/share/Steam/steamapps/common"})
        if (IsFolder(home + library)) return home + library;
    return home;
}

// Starts `name` in the game folder that `folder` leads to, or asks for one with
// the chooser when no folder is given. A folder that leads to none or to several
// is named in a message, and the chooser opens there; one that cannot be listed
// or entered is named with the system's words, and the chooser opens above it.
// Cancel ends with 0, or with 1 right after a folder that could not be opened.
[[noreturn]] void Launch(std::optional<std::string> folder, const char* name) {
    std::string start = StartFolder();
    bool failed = false;  // the last folder looked at could not be opened
    for (;;) {
        if (!folder) {
            gtk_init(nullptr, nullptr);
            vornhaskel::SetApplicationIcon(nullptr);
            folder = vornhaskel::ChooseGameFolder("vornhaskel", start);
            if (!folder) std::exit(failed ? EXIT_FAILURE : EXIT_SUCCESS);
        }
        const vornhaskel::game_folder::Resolution resolution = vornhaskel::game_folder::Resolve(*folder);
        folder.reset();
        failed = true;
        if (resolution.error) {
            Say(GTK_MESSAGE_ERROR, vornhaskel::CannotOpenFolder(resolution.folder.c_str(), resolution.error.value()));
            start = FolderAbove(resolution.folder);
            continue;
        }
        if (resolution.Found()) {
            Say(GTK_MESSAGE_ERROR, StartIn(resolution.Taken(), name));
            start = FolderAbove(resolution.Taken());
            continue;
        }
        failed = false;
        Say(GTK_MESSAGE_WARNING,
            vornhaskel::game_folder::Lacks(resolution) + "\n" + vornhaskel::game_folder::Findings(resolution));
        start = resolution.folder;
    }
}

}  // namespace

int main(int argc, char** argv) {
    g_set_prgname(vornhaskel::kDesktopId);
    const bool repair = argc > 1 && std::strcmp(argv[1], "--repair") == 0;
    const char* name = repair ? "vornhaskel-repair" : "vornhaskel";
    const int folders = argc - 1 - repair;
    if (folders > 1) Fail("usage: vornhaskel-launch [--repair] [GAME_FOLDER]");
    Launch(folders == 1 ? std::optional<std::string>(argv[argc - 1]) : std::nullopt, name);
}
