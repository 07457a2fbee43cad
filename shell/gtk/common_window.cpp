#include "common_window.hpp"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <bitset>

namespace vornhaskel {

namespace {

#include "icon_rgba.inc"

// Keys are tracked by hardware code: X repeats a held key as further presses
// with no release in between.
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

#ifdef GDK_WINDOWING_X11
// On X the keys already down at a focus-in come from the KeymapNotify that the
// server sends right behind it, ahead of any later key event. Asking the server
// in the focus-in handler instead would read the keyboard as it is when GDK gets
// round to the handler: a key released during a busy moment would then read as
// up, and its repeats, already queued, as fresh presses. KeymapNotify names no
// window, so every tracker reads every one; a key counted as held by a window
// that did not gain the keyboard only needs pressing afresh.
GdkFilterReturn OnXEvent(GdkXEvent* native, GdkEvent*, gpointer keys) noexcept {
    const auto* event = static_cast<const XEvent*>(native);
    if (event->type == KeymapNotify) {
        auto& down = *static_cast<KeysDown*>(keys);
        for (std::size_t code = 0; code < down.size(); ++code)
            down[code] = (static_cast<unsigned char>(event->xkeymap.key_vector[code / 8]) >> (code % 8)) & 1U;
    }
    return GDK_FILTER_CONTINUE;
}

// X sends KeymapNotify only to windows that ask for it. Asked on realize, and
// again on map, since GDK may set the window's event mask anew in between.
void SelectKeymapState(GtkWidget* widget, gpointer) noexcept {
    GdkWindow* window = gtk_widget_get_window(widget);
    if (window == nullptr || !GDK_IS_X11_WINDOW(window)) return;
    Display* display = GDK_WINDOW_XDISPLAY(window);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, GDK_WINDOW_XID(window), &attributes))
        XSelectInput(display, GDK_WINDOW_XID(window), attributes.your_event_mask | KeymapStateMask);
}
#endif

bool OnX(GtkWidget* window) {
#ifdef GDK_WINDOWING_X11
    return GDK_IS_X11_DISPLAY(gtk_widget_get_display(window));
#else
    (void)window;
    return false;
#endif
}

// Wayland sends no presses for keys held before the window had the keyboard, so
// there a focus-in starts afresh.
gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer keys) noexcept {
    static_cast<KeysDown*>(keys)->reset();
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

void Forget(gpointer keys) noexcept {
#ifdef GDK_WINDOWING_X11
    gdk_window_remove_filter(nullptr, OnXEvent, keys);
#endif
    delete static_cast<KeysDown*>(keys);
}

}  // namespace

void ActOnFreshKeysOnly(GtkWidget* window) {
    auto* down = new KeysDown;
    g_object_set_data_full(G_OBJECT(window), "vornhaskel-keys-down", down, Forget);
    if (OnX(window)) {
#ifdef GDK_WINDOWING_X11
        gdk_window_add_filter(nullptr, OnXEvent, down);
        g_signal_connect_after(window, "realize", G_CALLBACK(SelectKeymapState), nullptr);
        g_signal_connect(window, "map", G_CALLBACK(SelectKeymapState), nullptr);
#endif
    } else {
        g_signal_connect(window, "focus-in-event", G_CALLBACK(OnFocusIn), down);
    }
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), down);
    g_signal_connect(window, "key-release-event", G_CALLBACK(OnKeyRelease), down);
}

void SetApplicationIcon(GtkWindow* window) {
    GList* icons = nullptr;
    const struct {
        const unsigned char* rgba;
        int size;
    } images[] = {{kIcon16, 16}, {kIcon32, 32}, {kIcon48, 48}};
    for (const auto& image : images)
        icons = g_list_append(icons, gdk_pixbuf_new_from_data(image.rgba, GDK_COLORSPACE_RGB, TRUE, 8, image.size,
                                                              image.size, image.size * 4, nullptr, nullptr));
    if (window)
        gtk_window_set_icon_list(window, icons);
    else
        gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
}

void NameForScreenReaders(GtkWidget* dialog, const char* name) {
    atk_object_set_name(gtk_widget_get_accessible(dialog), name);
}

GdkRectangle WorkArea(GtkWidget* dialog) {
    GdkDisplay* display = gtk_widget_get_display(dialog);
    int x = 0, y = 0;
    gdk_device_get_position(gdk_seat_get_pointer(gdk_display_get_default_seat(display)), nullptr, &x, &y);
    GdkMonitor* monitor = gdk_display_get_monitor_at_point(display, x, y);
    GdkRectangle area{0, 0, 0, 0};
    if (monitor != nullptr) gdk_monitor_get_workarea(monitor, &area);
    return area;
}

void FitButtonRow(GtkWidget* dialog, GtkWidget* button) {
    GtkWidget* row = gtk_widget_get_parent(button);
    if (!GTK_IS_BUTTON_BOX(row)) return;
    const GdkRectangle area = WorkArea(dialog);
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_width(dialog, &minimum, &natural);
    if (area.width <= 0 || natural <= area.width - kFrameAllowance * gtk_widget_get_scale_factor(dialog) / 4) return;
    // A message dialog's row spreads its buttons across the dialog as a box of equal
    // parts; the other layouts size each button by the row's widest unless told not to.
    gtk_box_set_homogeneous(GTK_BOX(row), FALSE);
    GList* buttons = gtk_container_get_children(GTK_CONTAINER(row));
    for (GList* each = buttons; each != nullptr; each = each->next)
        gtk_button_box_set_child_non_homogeneous(GTK_BUTTON_BOX(row), GTK_WIDGET(each->data), TRUE);
    g_list_free(buttons);
}

void ShowMessage(GtkMessageType type, const char* title, const char* text) {
    gchar* valid = g_utf8_make_valid(text, -1);  // a path's bytes need not be UTF-8
    GtkWidget* message = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK, "%s", valid);
    g_free(valid);
    gtk_window_set_title(GTK_WINDOW(message), title);
    NameForScreenReaders(message, title);
    ActOnFreshKeysOnly(message);
    gtk_dialog_run(GTK_DIALOG(message));
    gtk_widget_destroy(message);
}

}  // namespace vornhaskel
