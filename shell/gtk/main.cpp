// vornhaskel for Linux: the one window, frmMusic, drawn with GTK 3.
//
// Start-up only shows the window. A click disables both buttons, hides the
// window, runs the button's rename sequence in the working directory and ends
// the program: exit status 0 on success, 1 after the error dialog.
#include <gtk/gtk.h>

#include <cstdlib>
#include <exception>

#include "common_window.hpp"
#include "desktop_id.hpp"
#include "runner.hpp"
#include "tracks.hpp"

namespace {

using vornhaskel::ActOnFreshKeysOnly;
using vornhaskel::Sequence;

struct FrmMusic {
    GtkWidget* window = nullptr;
    GtkWidget* rename = nullptr;
    GtkWidget* unrename = nullptr;
    Sequence requested = vornhaskel::RenameSequence;  // the sequence the last click started
};

// Twips convert at the desktop's font resolution: 96 dpi by default, more where
// the text is scaled up (GNOME's "Large Text", Xft.dpi). The window and both
// buttons then grow with the captions, so that each stays whole, though a
// caption may break at another place than at the default size.
// Integer device scaling (GDK_SCALE) is GDK's own, on top of this.
double font_resolution = 96.0;

// Rounded half away from zero, as Windows' MulDiv converts.
int Px(int twips) { return static_cast<int>(twips * font_resolution / 1440.0 + 0.5); }

// The top-level error handling: one modal dialog with no parent, then the end.
[[noreturn]] void ReportAndExit(const char* description) noexcept {
    vornhaskel::ShowMessage(GTK_MESSAGE_ERROR, "vornhaskel", description);
    std::exit(EXIT_FAILURE);
}

// Runs once the click's own handling has returned. A press through the
// accessibility bridge is handled inside the bridge's D-Bus dispatch; a message
// shown from there would leave the bridge, at the next key press, waiting for a
// reply that only that same dispatch could deliver.
gboolean SwitchAndExit(gpointer sequence) noexcept {
    try {
        vornhaskel::RunSequence(*static_cast<const Sequence*>(sequence));
    } catch (const std::exception& failure) {
        ReportAndExit(failure.what());
    } catch (...) {
        ReportAndExit("unknown failure");
    }
    std::exit(EXIT_SUCCESS);
}

// What a click starts: both buttons disabled and the window hidden, then the
// button's sequence and the end of the program.
void SwitchRequest(FrmMusic& form, Sequence sequence) {
    gtk_widget_set_sensitive(form.rename, FALSE);
    gtk_widget_set_sensitive(form.unrename, FALSE);
    gtk_widget_hide(form.window);
    // Send the unmap to the X server now: once the renames start, no events are
    // processed until the end.
    gdk_display_flush(gtk_widget_get_display(form.window));
    form.requested = sequence;
    g_idle_add(SwitchAndExit, &form.requested);
}

// GTK calls this from C: nothing may propagate out of it, and GTK's calls throw nothing.
template <const auto& kSequence>
void OnClicked(GtkButton*, gpointer form) noexcept {
    SwitchRequest(*static_cast<FrmMusic*>(form), Sequence(kSequence));
}

GtkWidget* PushButton(GtkFixed* fixed, const char* caption, int left, int top) {
    GtkWidget* button = gtk_button_new_with_label(caption);
    // Captions wrap onto a second line where the button is too narrow for them.
    GtkLabel* label = GTK_LABEL(gtk_bin_get_child(GTK_BIN(button)));
    gtk_label_set_line_wrap(label, TRUE);
    gtk_label_set_justify(label, GTK_JUSTIFY_CENTER);
    gtk_widget_set_size_request(button, Px(2055), Px(855));
    gtk_fixed_put(fixed, button, Px(left), Px(top));
    return button;
}

}  // namespace

int main() {
    g_set_prgname(vornhaskel::kDesktopId);
    gtk_init(nullptr, nullptr);
    gdk_set_program_class(vornhaskel::kDesktopId);  // WM_CLASS, matched by StartupWMClass; gtk_init sets its own
    if (const double resolution = gdk_screen_get_resolution(gdk_screen_get_default()); resolution > 0)
        font_resolution = resolution;

    static FrmMusic form;
    form.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(form.window), "Form1");
    gtk_window_set_default_size(GTK_WINDOW(form.window), Px(4680), Px(3090));
    vornhaskel::SetApplicationIcon(GTK_WINDOW(form.window));

    GtkWidget* fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(form.window), fixed);
    // Added in tab order: rename, then unrename.
    form.rename = PushButton(GTK_FIXED(fixed), "Rename (Enable-Mod)", 1080, 240);
    form.unrename = PushButton(GTK_FIXED(fixed), "Un-rename (Normal Music)", 1080, 1680);

    g_signal_connect(form.rename, "clicked", G_CALLBACK(OnClicked<vornhaskel::RenameSequence>), &form);
    g_signal_connect(form.unrename, "clicked", G_CALLBACK(OnClicked<vornhaskel::UnrenameSequence>), &form);
    g_signal_connect(form.window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    ActOnFreshKeysOnly(form.window);

    gtk_widget_show_all(form.window);
    gtk_window_set_focus(GTK_WINDOW(form.window), form.rename);
    gtk_main();
    return EXIT_SUCCESS;
}
