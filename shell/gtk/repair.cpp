// vornhaskel-repair for Linux: brings a folder that a switch left half done to
// one music, with the program's own renames.
//
//   vornhaskel-repair [FOLDER]   the working directory when no folder is given
//
// It enters the game folder that the folder leads to, reads which managed names
// exist, says in one line what the folder holds, and offers "Normal music" and
// "Mod music" where every track can get there. Where the folder leads to no game
// folder or to several, it offers the folder chooser instead. A choice runs the
// plan, then the folder is read again and a message says what it now holds. Exit
// status 0 after a repair or when closed without acting, 1 after a failure's
// message.
#include <gtk/gtk.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>
#include <unistd.h>
#include <utility>

#include "common_window.hpp"
#include "desktop_id.hpp"
#include "game_folder.hpp"
#include "repair_words.hpp"
#include "repair.hpp"
#include "runner.hpp"

namespace {

using vornhaskel::game_folder::Resolution;
using vornhaskel::repair::FolderReport;
using vornhaskel::repair::Target;

constexpr char kTitle[] = "vornhaskel repair";
constexpr gint kNormalMusic = 1;
constexpr gint kModMusic = 2;
constexpr gint kChoose = 3;

// One message, then the end of the tool.
[[noreturn]] void Finish(GtkMessageType type, const std::string& text, int status) {
    vornhaskel::ShowMessage(type, kTitle, text.c_str());
    std::exit(status);
}

constexpr int kListChars = 72;      // the list's width, in characters of its font
constexpr std::size_t kShownReasons = 8;  // shown whole before the list scrolls

// The height of `text` in the label's own font, wrapped at the list's width as
// GtkLabel reckons it from max-width-chars (the wider of a letter and a digit),
// so that large text or a wrapped reason never clips the last line.
int TextHeight(GtkWidget* label, const std::string& text) {
    PangoLayout* layout = gtk_widget_create_pango_layout(label, text.c_str());
    PangoFontMetrics* metrics = pango_context_get_metrics(gtk_widget_get_pango_context(label), nullptr, nullptr);
    const int char_width = std::max(pango_font_metrics_get_approximate_char_width(metrics),
                                    pango_font_metrics_get_approximate_digit_width(metrics));
    pango_layout_set_width(layout, kListChars * char_width);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    pango_font_metrics_unref(metrics);
    g_object_unref(layout);
    return height;
}

// GTK calls this from C: nothing may propagate out of it.
void ShowWhileExpanded(GObject* expander, GParamSpec*, gpointer scrolled) noexcept {
    gtk_widget_set_visible(GTK_WIDGET(scrolled), gtk_expander_get_expanded(GTK_EXPANDER(expander)));
}

// Lines under bullets in a label that scrolls past the first eight.
GtkWidget* BulletList(const std::vector<std::string>& lines) {
    std::string text, shown;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += (text.empty() ? "" : "\n") + ("\u2022 " + lines[i]);
        if (i + 1 == kShownReasons) shown = text;
    }
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_selectable(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_width_chars(GTK_LABEL(label), kListChars);
    gtk_label_set_max_width_chars(GTK_LABEL(label), kListChars);
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_widget_show(label);  // the dialog's show_all stops at a folded pane
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_widget_set_can_focus(scrolled, FALSE);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scrolled),
                                               TextHeight(label, shown.empty() ? text : shown) + 4);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scrolled), TRUE);
    gtk_container_add(GTK_CONTAINER(scrolled), label);
    return scrolled;
}

// The reasons that keep a button greyed out, one a line, in a list that scrolls
// past the first eight. Tab reaches the list, read whole, only while the
// expander is open.
GtkWidget* ProblemList(const FolderReport& report) {
    GtkWidget* scrolled = BulletList(vornhaskel::repair::Sentences(report.problems));
    // Shown while the expander is open: a folded pane, visible but never drawn, stays a stop for Tab.
    gtk_widget_set_no_show_all(scrolled, TRUE);
    GtkWidget* expander = gtk_expander_new(report.IsGameFolder() ? "Why a button is greyed out" : "Details");
    gtk_container_add(GTK_CONTAINER(expander), scrolled);
    g_signal_connect(expander, "notify::expanded", G_CALLBACK(ShowWhileExpanded), scrolled);
    return expander;
}

// Each rename of a found file that a button makes first, under its heading.
void AddFoundRenames(GtkWidget* area, const FolderReport& report) {
    for (const auto& list : vornhaskel::repair::FoundRenames(report)) {
        GtkWidget* heading = gtk_label_new(list.heading.c_str());
        gtk_label_set_xalign(GTK_LABEL(heading), 0);
        gtk_box_pack_start(GTK_BOX(area), heading, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(area), BulletList(list.lines), FALSE, FALSE, 0);
    }
}

// The full path of the folder taken, and what was found below it when it is no
// game folder, in a label that can be copied from.
GtkWidget* FolderLabel(const Resolution& resolution) {
    std::string text = vornhaskel::game_folder::FolderLine(resolution);
    if (const std::string findings = vornhaskel::game_folder::Findings(resolution); !findings.empty())
        text += "\n" + findings;
    gchar* valid = g_utf8_make_valid(text.c_str(), -1);  // a path's bytes need not be UTF-8
    GtkWidget* label = gtk_label_new(valid);
    g_free(valid);
    gtk_label_set_selectable(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);  // a long path breaks anywhere
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_widget_set_can_focus(label, FALSE);
    return label;
}

// What the player chose: kNormalMusic, kModMusic, kChoose, or anything else for
// Close. `changed` when the folder was read again after the last choice.
gint Ask(const FolderReport& report, const Resolution& resolution, bool changed) {
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                               "%s", vornhaskel::repair::Summary(report).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), kTitle);
    vornhaskel::NameForScreenReaders(dialog, kTitle);
    const std::string found = vornhaskel::repair::FoundSummary(report);
    const std::string advice = (found.empty() ? "" : found + "\n\n") +
                               (changed ? vornhaskel::repair::kFolderChanged : "") + vornhaskel::repair::Advice(report);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", advice.c_str());
    GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
    gtk_box_pack_start(GTK_BOX(area), FolderLabel(resolution), FALSE, FALSE, 0);
    AddFoundRenames(area, report);
    if (!report.problems.empty()) gtk_box_pack_start(GTK_BOX(area), ProblemList(report), TRUE, TRUE, 0);
    if (report.IsGameFolder()) {
        gtk_dialog_add_button(GTK_DIALOG(dialog), "_Normal music", kNormalMusic);
        gtk_dialog_add_button(GTK_DIALOG(dialog), "_Mod music", kModMusic);
        gtk_dialog_set_response_sensitive(GTK_DIALOG(dialog), kNormalMusic, report.normal.Offered());
        gtk_dialog_set_response_sensitive(GTK_DIALOG(dialog), kModMusic, report.mod.Offered());
    } else {
        gtk_dialog_add_button(GTK_DIALOG(dialog), "_Choose the game folder\u2026", kChoose);
    }
    // Beside Choose, whose Alt+C it would take, Close goes without one of its own.
    gtk_dialog_add_button(GTK_DIALOG(dialog), report.IsGameFolder() ? "_Close" : "Close", GTK_RESPONSE_CLOSE);
    // Enter alone renames nothing: Close is the default and has the focus.
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_CLOSE);
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_CLOSE));
    vornhaskel::ActOnFreshKeysOnly(dialog);
    gtk_widget_show_all(dialog);
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    gdk_display_flush(gdk_display_get_default());  // gone before the renames start
    return response;
}

// Enters the folder that `folder` leads to (the working directory's when empty)
// and asks what to do there. Cancel in the chooser shows the same folder again.
[[noreturn]] void Repair(std::string folder) {
    for (;;) {
        const Resolution resolution = vornhaskel::game_folder::Resolve(folder);
        if (resolution.error)
            Finish(GTK_MESSAGE_ERROR, vornhaskel::CannotOpenFolder(resolution.folder.c_str(), resolution.error.value()),
                   EXIT_FAILURE);
        if (::chdir(resolution.Taken().c_str()) != 0)
            Finish(GTK_MESSAGE_ERROR, vornhaskel::CannotOpenFolder(resolution.Taken().c_str(), errno), EXIT_FAILURE);
        folder = resolution.folder;  // a full path, whatever the working directory
        FolderReport report = vornhaskel::repair::ExamineFolder();
        const gint choice = vornhaskel::repair::AnswerOnAFreshLook(
            report, [&](const FolderReport& shown, bool changed) { return Ask(shown, resolution, changed); },
            [](gint answer) { return answer == kNormalMusic || answer == kModMusic; });
        if (choice == kChoose) {
            if (auto chosen = vornhaskel::ChooseGameFolder(kTitle, resolution.Taken())) folder = std::move(*chosen);
            continue;
        }
        if (choice != kNormalMusic && choice != kModMusic) std::exit(EXIT_SUCCESS);
        const auto& plan = report.Plan(choice == kNormalMusic ? Target::kNormal : Target::kMod);
        try {
            vornhaskel::RunSteps(plan.Renames(), vornhaskel::RenameFile);
        } catch (const std::exception& failure) {
            Finish(GTK_MESSAGE_ERROR,
                   vornhaskel::repair::AfterFailure(failure.what(), vornhaskel::repair::ExamineFolder()), EXIT_FAILURE);
        }
        Finish(GTK_MESSAGE_INFO, vornhaskel::repair::SummaryAfterRepair(vornhaskel::repair::ExamineFolder(), choice == kNormalMusic ? Target::kNormal : Target::kMod),
               EXIT_SUCCESS);
    }
}

}  // namespace

int main(int argc, char** argv) {
    g_set_prgname(vornhaskel::kDesktopId);
    gtk_init(nullptr, nullptr);
    gdk_set_program_class(vornhaskel::kDesktopId);
    vornhaskel::SetApplicationIcon(nullptr);
    try {
        if (argc > 2) Finish(GTK_MESSAGE_ERROR, "usage: vornhaskel-repair [GAME_FOLDER]", EXIT_FAILURE);
        Repair(argc == 2 ? argv[1] : "");
    } catch (const std::exception& failure) {
        Finish(GTK_MESSAGE_ERROR, failure.what(), EXIT_FAILURE);
    }
}
