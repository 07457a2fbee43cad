// vornhaskel for Linux: the one window, frmMusic, drawn with GTK 3.
//
// Start-up only shows the window. A click disables both buttons, hides the
// window, runs the button's rename sequence in the working directory and ends
// the program: exit status 0 on success, 1 after the error dialog.
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <bitset>
#include <cstdlib>
#include <exception>

#include "desktop_id.hpp"
#include "runner.hpp"
#include "tracks.hpp"

namespace {

#include "icon_rgba.inc"

using vornhaskel::Sequence;

struct FrmMusic {
    GtkWidget* window = nullptr;
    GtkWidget* rename = nullptr;
    GtkWidget* unrename = nullptr;
};

// Twips convert at the desktop's font resolution: 96 dpi by default, more where
// the text is scaled up (GNOME's "Large Text", Xft.dpi). The window and both
// buttons then grow with the captions, which wrap exactly as at the default size.
// Integer device scaling (GDK_SCALE) is GDK's own, on top of this.
double font_resolution = 96.0;

// Rounded half away from zero, as Windows' MulDiv converts.
int Px(int twips) { return static_cast<int>(twips * font_resolution / 1440.0 + 0.5); }

// Keys act only on a fresh press made while the window has the keyboard. An
// auto-repeat, or a key still held from before (the Enter that started the
// program, or the one whose click led to the error dialog), does nothing until
// it has been released. Keys are tracked by hardware code: X repeats a held key
// as further presses with no release in between.
using KeysDown = std::bitset<256>;

bool IsActivationKey(guint keyval) {
    switch (keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
    case GDK_KEY_space:
    case GDK_KEY_KP_Space:
    case GDK_KEY_Escape:
        return true;
    default:
        return false;
    }
}

// On gaining the keyboard, every key already down counts as held. Wayland sends
// no presses for such keys, so only X needs asking.
gboolean OnFocusIn(GtkWidget* window, GdkEvent*, gpointer keys) noexcept {
    auto& down = *static_cast<KeysDown*>(keys);
    down.reset();
#ifdef GDK_WINDOWING_X11
    GdkDisplay* display = gtk_widget_get_display(window);
    if (GDK_IS_X11_DISPLAY(display)) {
        char keymap[32];
        XQueryKeymap(GDK_DISPLAY_XDISPLAY(display), keymap);
        for (std::size_t code = 0; code < down.size(); ++code)
            down[code] = (static_cast<unsigned char>(keymap[code / 8]) >> (code % 8)) & 1U;
    }
#else
    (void)window;
#endif
    return FALSE;
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer keys) noexcept {
    auto& down = *static_cast<KeysDown*>(keys);
    const std::size_t code = event->hardware_keycode % down.size();
    const bool fresh = !down[code];
    down[code] = true;
    return !fresh && IsActivationKey(event->keyval);  // TRUE drops the press
}

gboolean OnKeyRelease(GtkWidget*, GdkEventKey* event, gpointer keys) noexcept {
    auto& down = *static_cast<KeysDown*>(keys);
    down[event->hardware_keycode % down.size()] = false;
    return FALSE;
}

void ActOnFreshKeysOnly(GtkWidget* window) {
    auto* down = new KeysDown;
    g_object_set_data_full(G_OBJECT(window), "vornhaskel-keys-down", down,
                           [](gpointer keys) { delete static_cast<KeysDown*>(keys); });
    g_signal_connect(window, "focus-in-event", G_CALLBACK(OnFocusIn), down);
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), down);
    g_signal_connect(window, "key-release-event", G_CALLBACK(OnKeyRelease), down);
}

// The top-level error handling: one modal dialog with no parent, then the end.
[[noreturn]] void ReportAndExit(const char* description) noexcept {
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s",
                                               description);
    gtk_window_set_title(GTK_WINDOW(dialog), "vornhaskel");
    ActOnFreshKeysOnly(dialog);
    gtk_dialog_run(GTK_DIALOG(dialog));
    std::exit(EXIT_FAILURE);
}

[[noreturn]] void SwitchRequest(const FrmMusic& form, Sequence sequence) {
    gtk_widget_set_sensitive(form.rename, FALSE);
    gtk_widget_set_sensitive(form.unrename, FALSE);
    gtk_widget_hide(form.window);
    // Send the unmap to the X server now: no events are processed until the end.
    gdk_display_flush(gtk_widget_get_display(form.window));
    vornhaskel::RunSequence(sequence);
    std::exit(EXIT_SUCCESS);
}

// GTK calls this from C: nothing may propagate out of it.
template <const auto& kSequence>
void OnClicked(GtkButton*, gpointer form) noexcept {
    try {
        SwitchRequest(*static_cast<const FrmMusic*>(form), kSequence);
    } catch (const std::exception& failure) {
        ReportAndExit(failure.what());
    } catch (...) {
        ReportAndExit("unknown failure");
    }
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

// The application icon at 16, 32 and 48 pixels, from the pixels built into the program.
GList* IconList() {
    GList* icons = nullptr;
    const struct {
        const unsigned char* rgba;
        int size;
    } images[] = {{kIcon16, 16}, {kIcon32, 32}, {kIcon48, 48}};
    for (const auto& image : images)
        icons = g_list_append(icons, gdk_pixbuf_new_from_data(image.rgba, GDK_COLORSPACE_RGB, TRUE, 8, image.size,
                                                              image.size, image.size * 4, nullptr, nullptr));
    return icons;
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
    GList* icons = IconList();
    gtk_window_set_icon_list(GTK_WINDOW(form.window), icons);
    g_list_free_full(icons, g_object_unref);

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
