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
// lacks and the chooser asks again, opened there. It only lists folders: nothing
// is renamed before the program's own window.
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

[[noreturn]] void StartIn(const std::string& folder, const char* name) {
    const std::string program = Beside(name);
    if (::chdir(folder.c_str()) != 0) Fail(vornhaskel::CannotOpenFolder(folder.c_str(), errno));
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    const int error = errno;
    Fail("Cannot start " + program + ": " + std::strerror(error));
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
// is named in a message, and the chooser opens there.
[[noreturn]] void Launch(std::optional<std::string> folder, const char* name) {
    std::string start = StartFolder();
    for (;;) {
        if (!folder) {
            gtk_init(nullptr, nullptr);
            vornhaskel::SetApplicationIcon(nullptr);
            folder = vornhaskel::ChooseGameFolder("vornhaskel", start);
            if (!folder) std::exit(EXIT_SUCCESS);
        }
        const vornhaskel::game_folder::Resolution resolution = vornhaskel::game_folder::Resolve(*folder);
        if (resolution.error) Fail(vornhaskel::CannotOpenFolder(resolution.folder.c_str(), resolution.error.value()));
        if (resolution.Found()) StartIn(resolution.Taken(), name);
        const std::string text =
            vornhaskel::game_folder::Lacks(resolution) + "\n" + vornhaskel::game_folder::Findings(resolution);
        if (!gtk_init_check(nullptr, nullptr)) Fail(text);
        vornhaskel::SetApplicationIcon(nullptr);
        vornhaskel::ShowMessage(GTK_MESSAGE_WARNING, "vornhaskel", text.c_str());
        start = resolution.folder;
        folder.reset();
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
