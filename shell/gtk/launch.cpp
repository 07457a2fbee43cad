// vornhaskel-launch: starts vornhaskel with the game folder as its working
// directory, as the "Start in" field of a Windows shortcut does, once a look
// at the folder says that a click there can do no harm.
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
//                              the same for vornhaskel-repair, with no look
//   vornhaskel-launch --repair starts vornhaskel-repair in the home folder,
//                              where it looks for the game itself
//
// A literal %f, %F, %u or %U (what Steam passes when it takes a desktop entry's
// Exec line as it stands) counts as no folder. Where a button would stop part
// way, or neither can do anything, a window says so and offers the repair tool
// instead (see launch_session.hpp). It only lists folders and reads the stores'
// records: nothing is renamed before the program's own window.
#include <gtk/gtk.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "common_window.hpp"
#include "desktop_id.hpp"
#include "game_folder.hpp"
#include "install_choice.hpp"
#include "launch_session.hpp"
#include "names.hpp"
#include "repair_words.hpp"
#include "stores.hpp"
#include "system_words.hpp"
#include "translation.hpp"

namespace {

using vornhaskel::launch::HeldBackAnswer;
using vornhaskel::launch::Program;
using vornhaskel::translation::Tr;

// Translators: the title of every window of the launcher: the program's name; keep it as it is.
constexpr char kTitle[] = N_("vornhaskel");

[[noreturn]] void Fail(const std::string& text) {
    if (gtk_init_check(nullptr, nullptr)) {
        vornhaskel::SetApplicationIcon(nullptr);
        vornhaskel::ShowMessage(GTK_MESSAGE_ERROR, Tr(kTitle), text.c_str());
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
        Fail(vornhaskel::flow::WithSystemWords(vornhaskel::repair::CannotFindBeside(name, "vornhaskel-launch"),
                                               std::string("/proc/self/exe: ") + std::strerror(error)));
    }
    const std::string path(self, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + name;
}

// GTK and the icon every window shows, once, before the first window: a folder
// that needs no question starts the program without either.
void StartGtk() {
    static bool started = false;
    if (started) return;
    // Translators: the launcher's message on its error output where it has no display to show a window on.
    if (!gtk_init_check(nullptr, nullptr)) Fail(Tr("no display to ask on"));
    vornhaskel::SetApplicationIcon(nullptr);
    started = true;
}

class GtkLaunchWindows final : public vornhaskel::launch::LaunchWindows {
public:
    std::optional<std::string> Choose(const std::string& start) override {
        StartGtk();
        return vornhaskel::ChooseGameFolder(Tr(kTitle), start);
    }

    std::optional<std::size_t> ChooseInstall(const std::vector<vornhaskel::stores::Install>& installs) override {
        StartGtk();
        return vornhaskel::ChooseInstall(Tr(kTitle), installs);
    }

    // Without a display the launcher cannot ask for another folder either: it
    // ends with the text on stderr.
    void Tell(const std::string& text, bool failure) override {
        if (!gtk_init_check(nullptr, nullptr)) Fail(text);
        StartGtk();
        vornhaskel::ShowMessage(failure ? GTK_MESSAGE_ERROR : GTK_MESSAGE_WARNING, Tr(kTitle), text.c_str());
    }

    // Cancel ends the launcher at once: the look goes on in a read that cannot
    // be stopped, and nothing has been started or renamed. Without a display the
    // look is waited for.
    bool WhileLooking(const std::function<std::string()>& line, const std::function<bool()>& done) override {
        if (!gtk_init_check(nullptr, nullptr)) return LaunchWindows::WhileLooking(line, done);
        StartGtk();
        if (vornhaskel::LookingWindow(Tr(kTitle), line, done)) return true;
        std::_Exit(EXIT_SUCCESS);
    }

    std::error_code Enter(const std::string& folder) override {
        if (::chdir(folder.c_str()) != 0) return {errno, std::system_category()};
        return {};
    }

    HeldBackAnswer HoldBack(const vornhaskel::game_folder::Resolution& resolution, const std::string& why) override {
        const std::string folder = vornhaskel::game_folder::FolderLine(resolution);
        if (!gtk_init_check(nullptr, nullptr)) Fail(folder + "\n" + why);
        StartGtk();
        return vornhaskel::HoldBackWindow(Tr(kTitle), folder, why);
    }
};

// Becomes `path` in the working directory, so that the exit status is the program's.
[[noreturn]] void Become(const std::string& path) {
    ::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    const int error = errno;
    Fail(vornhaskel::flow::WithSystemWords(vornhaskel::repair::CannotStart(path), std::strerror(error)));
}

// What a desktop's or Steam's launch passes where it has no file for the entry.
bool IsFieldCode(const char* argument) {
    return std::strcmp(argument, "%f") == 0 || std::strcmp(argument, "%F") == 0 || std::strcmp(argument, "%u") == 0 ||
           std::strcmp(argument, "%U") == 0;
}

}  // namespace

int main(int argc, char** argv) {
    vornhaskel::translation::Start();
    gtk_disable_setlocale();  // Start chose the locale: GTK would take back a fallback it made
    g_set_prgname(vornhaskel::kDesktopId);
    std::vector<const char*> arguments(argv + 1, argv + argc);
    std::erase_if(arguments, IsFieldCode);
    const bool repair = !arguments.empty() && std::strcmp(arguments.front(), "--repair") == 0;
    if (repair) arguments.erase(arguments.begin());
    // Translators: the launcher's message when it is given more than one folder. Keep the program's name and
    // --repair; GAME_FOLDER stands for a folder the player gives, and may be translated.
    if (arguments.size() > 1) Fail(Tr("usage: vornhaskel-launch [--repair] [GAME_FOLDER]"));
    // Found before the game folder is entered.
    const std::string programs[] = {Beside("vornhaskel"), Beside("vornhaskel-repair")};
    // The repair tool looks where the stores installed the game itself, and asks in its own dialog.
    if (repair && arguments.empty()) {
        if (::chdir(g_get_home_dir()) != 0)
            Fail(vornhaskel::repair::CannotOpenFolder(g_get_home_dir(), {errno, std::system_category()}));
        Become(programs[1]);
    }
    GtkLaunchWindows windows;
    vornhaskel::launch::Ending ending;
    try {
        const std::optional<std::string> folder =
            arguments.empty() ? std::nullopt : std::optional<std::string>(arguments.front());
        ending = vornhaskel::launch::RunLaunch(windows, repair ? Program::kRepair : Program::kSwitcher, folder,
                                               g_get_home_dir());
    } catch (const std::exception& failure) {
        Fail(failure.what());
    }
    if (!ending.start) return ending.status;
    Become(programs[*ending.start == Program::kRepair ? 1 : 0]);
}
