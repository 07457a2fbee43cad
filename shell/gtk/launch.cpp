// vornhaskel-launch: starts vornhaskel with the game folder as its working
// directory, as the "Start in" field of a Windows shortcut does.
//
//   vornhaskel-launch FOLDER   enters the game folder that FOLDER leads to and
//                              becomes vornhaskel (exec), so the exit status is
//                              the program's
//   vornhaskel-launch          looks where the game stores installed the game:
//                              one game folder found is entered at once; among
//                              several the player picks one, or the chooser;
//                              with none the chooser asks, opened in the first
//                              Steam library. Cancel ends with 0
//   vornhaskel-launch --repair FOLDER
//                              the same for vornhaskel-repair
//   vornhaskel-launch --repair starts vornhaskel-repair in the home folder,
//                              where it looks for the game itself
//
// Where the folder leads to no game folder or to several, a message says what it
// lacks and the chooser asks again, opened there; where it cannot be listed or
// entered, a message says why, and the chooser asks again. It only lists
// folders and reads the stores' records: nothing is renamed before the
// program's own window.
#include <gtk/gtk.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>
#include <unistd.h>

#include "common_window.hpp"
#include "desktop_id.hpp"
#include "game_folder.hpp"
#include "install_choice.hpp"
#include "names.hpp"
#include "repair_words.hpp"
#include "stores.hpp"

namespace {

[[noreturn]] void Fail(const std::string& text) {
    if (gtk_init_check(nullptr, nullptr)) {
        vornhaskel::SetApplicationIcon(nullptr);
        vornhaskel::ShowMessage(GTK_MESSAGE_ERROR, "vornhaskel", text.c_str());
    } else {
        std::fprintf(stderr, "vornhaskel-launch: %s\n", vornhaskel::WithoutMarks(text).c_str());
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
    if (::chdir(folder.c_str()) != 0) return vornhaskel::repair::CannotOpenFolder(folder, std::error_code(errno, std::system_category()));
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

// The first window of the launcher: GTK, and the icon every window shows.
void StartGtk() {
    gtk_init(nullptr, nullptr);
    vornhaskel::SetApplicationIcon(nullptr);
}

// Where the chooser opens: the first Steam library's game folders when there is one, else home.
std::string StartFolder() {
    if (std::string common = vornhaskel::stores::FirstSteamCommon(); !common.empty()) return common;
    return g_get_home_dir();
}

// The game folder that the stores' records lead to: the one found, or the one
// the player picks among several, or the folder chosen instead; Cancel ends
// the launcher. Nothing where none is found.
std::optional<std::string> FromTheStores() {
    const std::vector<vornhaskel::stores::Install> installs = vornhaskel::stores::FindInstalls();
    if (installs.size() <= 1) return installs.empty() ? std::nullopt : std::optional(installs.front().folder);
    StartGtk();
    for (;;) {
        const std::optional<std::size_t> picked = vornhaskel::ChooseInstall("vornhaskel", installs);
        if (!picked) std::exit(EXIT_SUCCESS);
        if (*picked < installs.size()) return installs[*picked].folder;
        if (std::optional<std::string> chosen = vornhaskel::ChooseGameFolder("vornhaskel", StartFolder())) return chosen;
    }
}

// Starts `name` in the game folder that `folder` leads to, or asks for one with
// the chooser when no folder is given. A folder that leads to none or to several
// is named in a message, and the chooser opens there; one that cannot be listed
// or entered is named with the system's words, and the chooser opens above it.
// Cancel ends with 0, or with 1 right after a folder that could not be opened.
[[noreturn]] void Launch(std::optional<std::string> folder, const char* name) {
    std::optional<std::string> start;  // where the chooser opens; StartFolder() at first
    bool failed = false;  // the last folder looked at could not be opened
    for (;;) {
        if (!folder) {
            StartGtk();
            folder = vornhaskel::ChooseGameFolder("vornhaskel", start ? *start : StartFolder());
            if (!folder) std::exit(failed ? EXIT_FAILURE : EXIT_SUCCESS);
        }
        const vornhaskel::game_folder::Resolution resolution = vornhaskel::game_folder::Resolve(*folder);
        folder.reset();
        failed = true;
        if (resolution.error) {
            Say(GTK_MESSAGE_ERROR, vornhaskel::repair::CannotOpenFolder(resolution.folder, resolution.error));
            start = vornhaskel::game_folder::FolderAbove(resolution.folder);
            continue;
        }
        if (resolution.Found()) {
            Say(GTK_MESSAGE_ERROR, StartIn(resolution.Taken(), name));
            start = vornhaskel::game_folder::FolderAbove(resolution.Taken());
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
    if (folders == 1) Launch(argv[argc - 1], name);
    // The repair tool looks where the stores installed the game itself, and asks in its own dialog.
    if (repair) Fail(StartIn(g_get_home_dir(), name));
    Launch(FromTheStores(), name);
}
