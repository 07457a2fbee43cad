// vornhaskel-launch: starts vornhaskel with the game folder as its working
// directory, as the "Start in" field of a Windows shortcut does.
//
//   vornhaskel-launch FOLDER   enters FOLDER and becomes vornhaskel (exec), so
//                              the exit status is the program's
//   vornhaskel-launch          asks for the folder first; Cancel ends with 0
//   vornhaskel-launch --repair [FOLDER]
//                              the same for vornhaskel-repair
//
// It does not look at what the folder holds: in a wrong folder the program fails
// cleanly at its first rename, and the repair tool says that this is not the
// game folder, both with nothing changed.
#include <gtk/gtk.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "common_window.hpp"
#include "desktop_id.hpp"

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

[[noreturn]] void StartIn(const char* folder, const char* name) {
    const std::string program = Beside(name);
    if (::chdir(folder) != 0) Fail(vornhaskel::CannotOpenFolder(folder, errno));
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

// GtkFileChooserNative goes through the desktop portal where one runs; a typed
// path (Ctrl+L) works in its own dialog as in any other. Its window cannot be
// given the fresh-key filter: GTK keeps its own dialog to itself, and a portal's
// belongs to another process. So an Enter held from the start accepts the start
// folder; the window that follows ignores that Enter until it is pressed afresh.
[[noreturn]] void ChooseAndStart(const char* name) {
    gtk_init(nullptr, nullptr);
    GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
        "Choose the game folder", nullptr, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, nullptr, nullptr);
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), StartFolder().c_str());
    // The chooser is for finding the game folder, not for making folders. (GTK's
    // own dialog still makes one from a name typed into its location bar.)
    gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(chooser), FALSE);
    const gint response = gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser));
    gchar* folder = response == GTK_RESPONSE_ACCEPT ? gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser)) : nullptr;
    gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(chooser));
    if (response != GTK_RESPONSE_ACCEPT) std::exit(EXIT_SUCCESS);
    if (folder == nullptr) Fail("The chosen folder is not on this computer's file system.");
    gdk_display_flush(gdk_display_get_default());  // the chooser is gone before the window appears
    StartIn(folder, name);
}

}  // namespace

int main(int argc, char** argv) {
    g_set_prgname(vornhaskel::kDesktopId);
    const bool repair = argc > 1 && std::strcmp(argv[1], "--repair") == 0;
    const char* name = repair ? "vornhaskel-repair" : "vornhaskel";
    const int folders = argc - 1 - repair;
    if (folders > 1) Fail("usage: vornhaskel-launch [--repair] [GAME_FOLDER]");
    if (folders == 1) StartIn(argv[argc - 1], name);
    ChooseAndStart(name);
}
