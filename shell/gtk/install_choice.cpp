#include "install_choice.hpp"

#include <exception>
#include <functional>
#include <string>
#include <utility>

#include "common_window.hpp"
#include "names.hpp"
#include "repair_words.hpp"
#include "translation.hpp"

namespace vornhaskel {

using translation::Tr;
using translation::TrC;

namespace {

constexpr int kCaptionChars = 60;  // a longer path wraps within its button

// GTK calls this from C: nothing may propagate out of it.
void Picked(GtkButton* button, gpointer index) noexcept {
    gtk_dialog_response(GTK_DIALOG(gtk_widget_get_toplevel(GTK_WIDGET(button))), GPOINTER_TO_INT(index));
}

// A button captioned with the full path, read as it is: an underscore in it is
// no access key.
GtkWidget* FolderButton(const stores::Install& install, int index) {
    gchar* caption = g_utf8_make_valid(Printable(install.folder).c_str(), -1);
    GtkWidget* label = gtk_label_new(caption);
    g_free(caption);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(label), kCaptionChars);
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    GtkWidget* button = gtk_button_new();
    gtk_container_add(GTK_CONTAINER(button), label);
    atk_object_set_description(gtk_widget_get_accessible(button), stores::StoreShown(install.where).c_str());
    g_signal_connect(button, "clicked", G_CALLBACK(Picked), GINT_TO_POINTER(index));
    return button;
}

}  // namespace

std::optional<std::size_t> ChooseInstall(const char* title, const std::vector<stores::Install>& installs) {
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s",
                                               game_folder::InstallsFound(installs.size()).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), title);
    NameForScreenReaders(dialog, title);
    gchar* valid = g_utf8_make_valid(flow::WhereFound(installs).c_str(), -1);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", valid);
    g_free(valid);
    GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
    GtkWidget* first = nullptr;
    for (std::size_t i = 0; i < installs.size(); ++i) {
        GtkWidget* button = FolderButton(installs[i], static_cast<int>(i));
        gtk_widget_show_all(button);
        gtk_box_pack_start(GTK_BOX(area), button, FALSE, FALSE, 0);
        if (first == nullptr) first = button;
    }
    const int another = static_cast<int>(installs.size());
    gtk_dialog_add_button(GTK_DIALOG(dialog),
                          // Translators: the button of the choice among the game folders that the stores' records
                          // lead to, after one for each folder, that opens the folder chooser. An underscore marks
                          // the access key of each button of this window, unique among them.
                          TrC("choice among installs", "Choose _another folder\u2026"), another);
    gtk_dialog_add_button(GTK_DIALOG(dialog),
                          // Translators: the button of the choice among the game folders found that closes it and
                          // ends the tool.
                          TrC("choice among installs", "_Cancel"), GTK_RESPONSE_CANCEL);
    FitButtonRow(dialog, gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL));
    if (first != nullptr) gtk_widget_grab_focus(first);
    ActOnFreshKeysOnly(dialog);
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    gdk_display_flush(gdk_display_get_default());  // gone before the next window appears
    if (response < 0 || response > another) return std::nullopt;
    return static_cast<std::size_t>(response);
}

std::optional<std::string> ChooseGameFolder(const char* title, const std::string& start) {
    for (;;) {
        GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
            Tr(repair::kChooserTitle), nullptr, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
            // Translators: the button of the folder chooser that takes the folder shown as the game folder; the
            // underscore marks its access key. Cancel beside it is the chooser's own.
            TrC("folder chooser", "_Select Folder"), nullptr);
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), start.c_str());
        // The chooser is for finding the game folder, not for making folders. (GTK's
        // own dialog still makes one from a name typed into its location bar.)
        gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(chooser), FALSE);
        const gint response = gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser));
        gchar* folder =
            response == GTK_RESPONSE_ACCEPT ? gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser)) : nullptr;
        gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(chooser));
        g_object_unref(chooser);
        gdk_display_flush(gdk_display_get_default());  // gone before the next window appears
        if (response != GTK_RESPONSE_ACCEPT) return std::nullopt;
        if (folder != nullptr) {
            std::string chosen(folder);
            g_free(folder);
            return chosen;
        }
        ShowMessage(GTK_MESSAGE_ERROR, title, Tr(repair::kChosenFolderNotLocal));
    }
}

launch::HeldBackAnswer HoldBackWindow(const char* title, const std::string& folder_line, const std::string& why) {
    using launch::HeldBackAnswer;
    gchar* valid_why = g_utf8_make_valid(why.c_str(), -1);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING, GTK_BUTTONS_NONE, "%s",
                                               valid_why);
    g_free(valid_why);
    gtk_window_set_title(GTK_WINDOW(dialog), title);
    NameForScreenReaders(dialog, title);
    gchar* valid_folder = g_utf8_make_valid(folder_line.c_str(), -1);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", valid_folder);
    g_free(valid_folder);
    gtk_dialog_add_button(GTK_DIALOG(dialog),
                          // Translators: the button of the launcher's window that holds a click back, where the
                          // program's buttons would stop part way, that opens the repair tool on the folder; it is
                          // the default. An underscore marks the access key of each button of this window, unique
                          // among them.
                          TrC("held-back window", "_Open the repair tool"), static_cast<int>(HeldBackAnswer::kRepair));
    gtk_dialog_add_button(GTK_DIALOG(dialog),
                          // Translators: the button of the launcher's window that holds a click back that opens the
                          // folder chooser.
                          TrC("held-back window", "Choose _another folder\u2026"),
                          static_cast<int>(HeldBackAnswer::kChoose));
    gtk_dialog_add_button(GTK_DIALOG(dialog),
                          // Translators: the button of the launcher's window that holds a click back that ends the
                          // launcher, starting nothing.
                          TrC("held-back window", "_Cancel"), GTK_RESPONSE_CANCEL);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), static_cast<int>(HeldBackAnswer::kRepair));
    GtkWidget* repair = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), static_cast<int>(HeldBackAnswer::kRepair));
    FitButtonRow(dialog, repair);
    gtk_widget_grab_focus(repair);
    ActOnFreshKeysOnly(dialog);
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    gdk_display_flush(gdk_display_get_default());  // gone before the next window appears
    if (response == static_cast<int>(HeldBackAnswer::kRepair)) return HeldBackAnswer::kRepair;
    if (response == static_cast<int>(HeldBackAnswer::kChoose)) return HeldBackAnswer::kChoose;
    return HeldBackAnswer::kCancel;
}

namespace {

struct Looking {
    GtkWidget* dialog = nullptr;
    GtkWidget* label = nullptr;
    const std::function<std::string()>* line = nullptr;
    const std::function<bool()>* done = nullptr;
    std::string shown;
    guint source = 0;
    std::exception_ptr failure;
};

void ShowLine(Looking& looking) {
    std::string now = (*looking.line)();
    if (now == looking.shown && !looking.shown.empty()) return;
    looking.shown = std::move(now);
    gchar* valid = g_utf8_make_valid(looking.shown.c_str(), -1);
    gtk_label_set_text(GTK_LABEL(looking.label), valid);
    g_free(valid);
}

gboolean RefreshLooking(gpointer data) noexcept {
    auto& looking = *static_cast<Looking*>(data);
    try {
        if (!(*looking.done)()) {
            ShowLine(looking);
            return G_SOURCE_CONTINUE;
        }
    } catch (...) {
        looking.failure = std::current_exception();
    }
    looking.source = 0;
    gtk_dialog_response(GTK_DIALOG(looking.dialog), GTK_RESPONSE_OK);
    return G_SOURCE_REMOVE;
}

}  // namespace

bool LookingWindow(const char* title, const std::function<std::string()>& line, const std::function<bool()>& done) {
    if (done()) return true;
    Looking looking;
    looking.line = &line;
    looking.done = &done;
    looking.dialog = gtk_dialog_new_with_buttons(title, nullptr, GTK_DIALOG_MODAL,
                                                 // Translators: the button of the window shown while the tool
                                                 // looks where the stores installed the game, that stops looking
                                                 // and ends the tool.
                                                 TrC("looking window", "_Cancel"), GTK_RESPONSE_CANCEL, nullptr);
    NameForScreenReaders(looking.dialog, title);
    looking.label = gtk_label_new(nullptr);
    gtk_label_set_line_wrap(GTK_LABEL(looking.label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(looking.label), 60);
    gtk_label_set_xalign(GTK_LABEL(looking.label), 0);
    gtk_widget_set_margin_start(looking.label, 12);
    gtk_widget_set_margin_end(looking.label, 12);
    gtk_widget_set_margin_top(looking.label, 12);
    gtk_widget_set_margin_bottom(looking.label, 12);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(looking.dialog))), looking.label);
    gtk_widget_show(looking.label);
    ActOnFreshKeysOnly(looking.dialog);
    gint response = GTK_RESPONSE_OK;
    try {
        ShowLine(looking);
        looking.source = g_timeout_add(100, RefreshLooking, &looking);
        response = gtk_dialog_run(GTK_DIALOG(looking.dialog));
    } catch (...) {
        looking.failure = std::current_exception();
    }
    if (looking.source != 0) g_source_remove(looking.source);
    gtk_widget_destroy(looking.dialog);
    gdk_display_flush(gdk_display_get_default());  // gone before the next window appears
    if (looking.failure) std::rethrow_exception(looking.failure);
    return response == GTK_RESPONSE_OK;
}

}  // namespace vornhaskel
