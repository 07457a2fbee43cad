// vornhaskel-repair for Linux: brings a folder that a switch left half done to
// one music, with the program's own renames.
//
//   vornhaskel-repair [FOLDER]   the working directory when no folder is given,
//                                or where the game stores installed the game
//
// The run itself is RunSession's (repair_session.hpp); this file draws its
// windows with GTK. The dialog names the folder, says in one line what it holds,
// and offers "Normal music" and "Mod music" where every track can get there, or
// the folder chooser where the folder leads to no game folder or to several.
// The renames of found files and the reasons are lists that a screen reader
// reads row by row, and the dialog fits the monitor's work area.
#include <gtk/gtk.h>

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <functional>
#include <numeric>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "common_window.hpp"
#include "desktop_id.hpp"
#include "game_folder.hpp"
#include "install_choice.hpp"
#include "repair_words.hpp"
#include "repair.hpp"
#include "repair_session.hpp"
#include "translation.hpp"

namespace {

using vornhaskel::game_folder::Resolution;
using vornhaskel::repair::Answer;
using vornhaskel::repair::FolderReport;
using vornhaskel::repair::Target;
using vornhaskel::translation::Tr;
using vornhaskel::translation::TrC;

// Translators: the title of every window of the repair tool; vornhaskel is the program's name.
constexpr char kTitle[] = N_("vornhaskel repair");
constexpr gint kNormalMusic = 1;
constexpr gint kModMusic = 2;
constexpr gint kChoose = 3;

constexpr int kListChars = 72;  // a row's width, in characters of its font

// One list of lines, in a pane that scrolls past the rows it shows.
struct RowList {
    GtkWidget* pane = nullptr;
    std::vector<GtkWidget*> labels;  // one a row
    std::vector<int> heights;        // of each row, once measured

    void Wrap(int chars) const {
        for (GtkWidget* label : labels) {
            gtk_label_set_width_chars(GTK_LABEL(label), chars);
            gtk_label_set_max_width_chars(GTK_LABEL(label), chars);
        }
    }

    void Show(std::size_t rows) const {
        const int height = std::accumulate(heights.begin(), heights.begin() + static_cast<std::ptrdiff_t>(rows), 0);
        // The minimum first, as GTK keeps the maximum no lower than it.
        gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(pane), -1);
        gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(pane), height);
        gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(pane), height);
    }
};

// Packs `widget`, shown with all it holds but a folded pane, into the dialog's message area.
void Pack(GtkWidget* area, GtkWidget* widget, gboolean expand = FALSE) {
    gtk_widget_show_all(widget);
    gtk_box_pack_start(GTK_BOX(area), widget, expand, expand, 0);
}

GtkWidget* WrappedLabel(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);  // a long path breaks anywhere
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    return label;
}

// GtkListBox moves Tab from row to row, which would make a long list a long way
// round: from a row, Tab leaves the list, and Up and Down move within it. GTK
// calls this from C: nothing may propagate out of it.
gboolean TabLeavesTheList(GtkWidget* list, GtkDirectionType direction, gpointer) noexcept {
    if ((direction != GTK_DIR_TAB_FORWARD && direction != GTK_DIR_TAB_BACKWARD) ||
        gtk_container_get_focus_child(GTK_CONTAINER(list)) == nullptr)
        return FALSE;
    g_signal_stop_emission_by_name(list, "focus");
    return FALSE;  // not kept within: the dialog moves on
}

// One row per line, each named by its text: a screen reader says how many there
// are and reads one at a time as Up and Down move. Nothing is selected, so a
// row that gains the focus is read as it is.
RowList Rows(const std::vector<std::string>& lines, const char* name) {
    std::vector<GtkWidget*> labels;
    GtkWidget* list = gtk_list_box_new();
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(list), GTK_SELECTION_NONE);
    atk_object_set_name(gtk_widget_get_accessible(list), name);
    g_signal_connect(list, "focus", G_CALLBACK(TabLeavesTheList), nullptr);
    for (const std::string& line : lines) {
        gchar* valid = g_utf8_make_valid(line.c_str(), -1);  // a path's bytes need not be UTF-8
        GtkWidget* label = WrappedLabel(valid);
        labels.push_back(label);
        GtkWidget* row = gtk_list_box_row_new();
        gtk_container_add(GTK_CONTAINER(row), label);
        atk_object_set_name(gtk_widget_get_accessible(row), valid);
        gtk_list_box_insert(GTK_LIST_BOX(list), row, -1);
        g_free(valid);
    }
    gtk_widget_show_all(list);  // a show_all stops at a folded pane
    GtkWidget* pane = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_widget_set_can_focus(pane, FALSE);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(pane), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(pane), GTK_SHADOW_IN);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(pane), TRUE);
    gtk_container_add(GTK_CONTAINER(pane), list);
    RowList rows{pane, std::move(labels), {}};
    rows.Wrap(kListChars);
    return rows;
}

// Row heights as the dialog lays them out, now that each row has its style.
void Measure(RowList& list) {
    list.heights.clear();
    for (GtkWidget* label : list.labels) {
        int natural = 0;
        gtk_widget_get_preferred_height(gtk_widget_get_parent(label), nullptr, &natural);
        list.heights.push_back(natural);
    }
}

// GTK calls this from C: nothing may propagate out of it.
void ShowWhileExpanded(GObject* expander, GParamSpec*, gpointer pane) noexcept {
    gtk_widget_set_visible(GTK_WIDGET(pane), gtk_expander_get_expanded(GTK_EXPANDER(expander)));
}

// The reasons that keep a button greyed out. Tab reaches the list only while
// the expander is open.
GtkWidget* ProblemExpander(const std::string& caption, const RowList& problems) {
    // Shown while the expander is open: a folded pane, visible but never drawn, stays a stop for Tab.
    gtk_widget_set_no_show_all(problems.pane, TRUE);
    GtkWidget* expander = gtk_expander_new(caption.c_str());
    gtk_container_add(GTK_CONTAINER(expander), problems.pane);
    g_signal_connect(expander, "notify::expanded", G_CALLBACK(ShowWhileExpanded), problems.pane);
    return expander;
}

// The full path of the folder taken, and what was found below it when it is no
// game folder, in a label that can be copied from.
GtkWidget* FolderLabel(const std::string& text) {
    gchar* valid = g_utf8_make_valid(text.c_str(), -1);
    GtkWidget* label = WrappedLabel(valid);
    g_free(valid);
    gtk_label_set_selectable(GTK_LABEL(label), TRUE);
    gtk_widget_set_can_focus(label, FALSE);
    return label;
}

int NaturalWidth(GtkWidget* dialog) {
    int minimum = 0, width = 0;
    gtk_widget_get_preferred_width(dialog, &minimum, &width);
    return width;
}

int NaturalHeight(GtkWidget* dialog) {
    int minimum = 0, height = 0;
    gtk_widget_get_preferred_height_for_width(dialog, NaturalWidth(dialog), &minimum, &height);
    return height;
}

// The layout budget: every list at its rows, fewer where the dialog with the
// reasons open would be taller than the work area leaves room for.
// Rows wrap narrower where the text is so large that the dialog would be wider
// than the work area.
void FitTheWorkArea(GtkWidget* dialog, std::vector<RowList>& lists, GtkWidget* expander) {
    const GdkRectangle area = vornhaskel::WorkArea(dialog);
    const int allowance = vornhaskel::kFrameAllowance * gtk_widget_get_scale_factor(dialog);
    if (expander != nullptr) gtk_expander_set_expanded(GTK_EXPANDER(expander), TRUE);
    for (int chars = kListChars;
         area.width > 0 && chars > kListChars / 2 && NaturalWidth(dialog) > area.width - allowance / 4;) {
        chars -= 4;
        for (const RowList& list : lists) list.Wrap(chars);
    }
    std::vector<std::size_t> sizes;
    for (RowList& list : lists) {
        Measure(list);
        sizes.push_back(list.heights.size());
    }
    std::vector<std::size_t> rows = vornhaskel::repair::RowsShown(sizes);
    const auto show = [&] {
        for (std::size_t i = 0; i < lists.size(); ++i) lists[i].Show(rows[i]);
    };
    show();
    while (area.height > 0 && NaturalHeight(dialog) > area.height - allowance && vornhaskel::repair::GiveUpARow(rows))
        show();
    if (expander != nullptr) gtk_expander_set_expanded(GTK_EXPANDER(expander), FALSE);
}

// Adds a target's button, greyed out with the reason as its description where it cannot be chosen.
void AddTarget(GtkWidget* dialog, const FolderReport& report, Target target) {
    const bool normal = target == Target::kNormal;
    const char* caption =
        normal
            // Translators: the repair dialog's button that renames the folder's files for the game's own music.
            // An underscore marks the access key of each button of this dialog, unique among them.
            ? TrC("repair dialog", "_Normal music")
            // Translators: the repair dialog's button that renames the folder's files for the mod's music.
            : TrC("repair dialog", "_Mod music");
    GtkWidget* button = gtk_dialog_add_button(GTK_DIALOG(dialog), caption, normal ? kNormalMusic : kModMusic);
    const bool offered = report.Plan(target).Offered();
    gtk_widget_set_sensitive(button, offered);
    if (!offered)
        atk_object_set_description(gtk_widget_get_accessible(button),
                                   vornhaskel::repair::GreyedOut(report, target).c_str());
}

Answer AnswerOf(gint response) {
    switch (response) {
    case kNormalMusic:
        return Answer::kNormalMusic;
    case kModMusic:
        return Answer::kModMusic;
    case kChoose:
        return Answer::kChoose;
    default:
        return Answer::kClose;
    }
}

class GtkRepairWindows final : public vornhaskel::repair::RepairWindows {
public:
    std::error_code Enter(const std::string& folder) override {
        if (::chdir(folder.c_str()) == 0) return {};
        return {errno, std::system_category()};
    }

    Answer Ask(const FolderReport& report, const Resolution& resolution, bool changed) override {
        const vornhaskel::repair::DialogWords words = vornhaskel::repair::ForDialog(report, resolution, changed);
        GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                                   "%s", words.summary.c_str());
        gtk_window_set_title(GTK_WINDOW(dialog), Tr(kTitle));
        // Centred again whenever it grows, as when the reasons open.
        gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ALWAYS);
        vornhaskel::NameForScreenReaders(dialog, Tr(kTitle));
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", words.advice.c_str());
        GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
        Pack(area, FolderLabel(words.folder));

        std::vector<RowList> lists;
        for (const auto& renames : words.renames) {
            GtkWidget* heading = gtk_label_new(renames.heading.c_str());
            gtk_label_set_xalign(GTK_LABEL(heading), 0);
            Pack(area, heading);
            lists.push_back(Rows(renames.lines, renames.heading.c_str()));
            Pack(area, lists.back().pane);
        }
        GtkWidget* expander = nullptr;
        if (!words.reasons.empty()) {
            lists.push_back(Rows(words.reasons, words.reasons_caption.c_str()));
            expander = ProblemExpander(words.reasons_caption, lists.back());
            Pack(area, expander, TRUE);
        }
        if (report.IsGameFolder()) {
            AddTarget(dialog, report, Target::kNormal);
            AddTarget(dialog, report, Target::kMod);
        } else {
            gtk_dialog_add_button(GTK_DIALOG(dialog),
                                  // Translators: the repair dialog's button, where the folder leads to no game
                                  // folder or to several, that opens the folder chooser. The underscore marks its
                                  // access key.
                                  TrC("repair dialog without a game folder", "_Choose the game folder\u2026"),
                                  kChoose);
        }
        // Beside Choose, whose Alt+C it would take, Close goes without one of its own.
        const char* close =
            report.IsGameFolder()
                // Translators: the repair dialog's button that ends the tool, renaming nothing.
                ? TrC("repair dialog", "_Close")
                // Translators: the repair dialog's button that ends the tool beside "Choose the game folder…", with
                // no access key: its letter would be taken by that button's.
                : TrC("repair dialog without a game folder", "Close");
        gtk_dialog_add_button(GTK_DIALOG(dialog), close, GTK_RESPONSE_CLOSE);
        // Enter alone renames nothing: Close is the default and has the focus.
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_CLOSE);
        gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_CLOSE));
        vornhaskel::ActOnFreshKeysOnly(dialog);
        // Measured before it shows, so that it shows once, at the size it keeps.
        FitTheWorkArea(dialog, lists, expander);
        vornhaskel::FitButtonRow(dialog, gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_CLOSE));
        const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
        gtk_widget_destroy(dialog);
        gdk_display_flush(gdk_display_get_default());  // gone before the renames start
        return AnswerOf(response);
    }

    std::optional<std::string> Choose(const std::string& start) override {
        return vornhaskel::ChooseGameFolder(Tr(kTitle), start);
    }

    std::optional<std::size_t> ChooseInstall(const std::vector<vornhaskel::stores::Install>& installs) override {
        return vornhaskel::ChooseInstall(Tr(kTitle), installs);
    }

    void Tell(const std::string& text, bool failure) override {
        vornhaskel::ShowMessage(failure ? GTK_MESSAGE_ERROR : GTK_MESSAGE_INFO, Tr(kTitle), text.c_str());
    }

    // Cancel ends the tool at once: the look goes on in a read that cannot be
    // stopped, and nothing has been renamed.
    bool WhileLooking(const std::function<std::string()>& line, const std::function<bool()>& done) override {
        if (vornhaskel::LookingWindow(Tr(kTitle), line, done)) return true;
        std::_Exit(EXIT_SUCCESS);
    }
};

}  // namespace

int main(int argc, char** argv) {
    vornhaskel::translation::Start();
    gtk_disable_setlocale();  // Start chose the locale: GTK would take back a fallback it made
    g_set_prgname(vornhaskel::kDesktopId);
    gtk_init(nullptr, nullptr);
    gdk_set_program_class(vornhaskel::kDesktopId);
    vornhaskel::SetApplicationIcon(nullptr);
    GtkRepairWindows windows;
    try {
        if (argc > 2) {
            // Translators: the repair tool's message when it is given more than one argument. Keep the program's
            // name; GAME_FOLDER stands for a folder the player gives, and may be translated.
            windows.Tell(Tr("usage: vornhaskel-repair [GAME_FOLDER]"), true);
            return EXIT_FAILURE;
        }
        // Started in the home folder, as the menu's action does, the stores come first.
        std::error_code here_error, home_error;
        const std::string here = vornhaskel::FullPath("", here_error), home = vornhaskel::FullPath(g_get_home_dir(), home_error);
        const bool in_home = !here_error && !home_error && here == home;
        return vornhaskel::repair::RunSession(windows, argc == 2 ? argv[1] : "", {}, in_home);
    } catch (const std::exception& failure) {
        windows.Tell(failure.what(), true);
        return EXIT_FAILURE;
    }
}
