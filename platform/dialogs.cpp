// File dialogs and message boxes through GTK 3, started on first use. Each
// dialog is transient for the game window so that it never opens behind a
// keep-on-top game, and the game keeps repainting while it runs.
#include "platform.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static bool dialogRunning = false;
static int toolkitState = 0;  // 0 not tried yet, 1 ready, -1 not available

static bool startToolkit() {
    if (toolkitState == 0) {
        gdk_set_allowed_backends("x11");
        // The game's number and text handling stays in the C locale.
        gtk_disable_setlocale();
        toolkitState = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        if (toolkitState < 0) std::fprintf(stderr, "Velunda: GTK could not start; no dialogs\n");
    }
    return toolkitState > 0;
}

// Runs on GTK's loop while a dialog is open: the game draws its frames, and
// its input callbacks see platformDialogRunning() and return at once.
static gboolean repaintGame(gpointer) {
    if (glutGetWindow() != 0) {
        glutPostRedisplay();
        glutMainLoopEvent();
    }
    return G_SOURCE_CONTINUE;
}

// A dialog session: the flag and the repaint timer, undone by endSession.
static guint beginSession() {
    dialogRunning = true;
    return g_timeout_add(50, repaintGame, nullptr);
}

static void endSession(guint timer) {
    g_source_remove(timer);
    dialogRunning = false;
}

static void makeTransientForGame(GtkWidget* dialog) {
    gtk_widget_realize(dialog);
    Window game = static_cast<Window>(glXGetCurrentDrawable());
    GdkDisplay* display = gtk_widget_get_display(dialog);
    if (game == 0 || !GDK_IS_X11_DISPLAY(display)) return;
    GdkWindow* owner = gdk_x11_window_foreign_new_for_display(display, game);
    if (owner == nullptr) return;
    gdk_window_set_transient_for(gtk_widget_get_window(dialog), owner);
    g_object_unref(owner);
}

static int runDialog(GtkWidget* dialog) {
    return gtk_dialog_run(GTK_DIALOG(dialog));
}

// Without pumping the remaining events the destroyed dialog stays on screen.
static void closeDialog(GtkWidget* dialog) {
    gtk_widget_destroy(dialog);
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    gdk_display_flush(gdk_display_get_default());
}

// A file chooser may open nearly screen-sized.
static void sizeOnMap(GtkWidget* dialog, gpointer) {
    gtk_window_resize(GTK_WINDOW(dialog), 640, 440);
}

// The index just after the last '.' of the name's last component, or -1
// when that component has no '.'.
static int extensionOffset(const std::string& name) {
    size_t slash = name.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < start) return -1;
    return static_cast<int>(dot + 1);
}

static bool exists(const std::string& name) {
    struct stat info;
    return stat(name.c_str(), &info) == 0;
}

static std::string absoluteFolder(const std::string& folder) {
    char* resolved = realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) return std::string();
    std::string result = resolved;
    std::free(resolved);
    return result;
}

// Asked once the final name is known (the default extension added), so the
// question is about the file that would really be replaced.
static bool confirmReplace(GtkWidget* chooser, const std::string& name) {
    size_t slash = name.rfind('/');
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    GtkWidget* question = gtk_message_dialog_new(GTK_WINDOW(chooser), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION,
                                                 GTK_BUTTONS_NONE,
                                                 "A file named \"%s\" already exists. Do you want to replace it?",
                                                 base.c_str());
    gtk_dialog_add_buttons(GTK_DIALOG(question), "_Cancel", GTK_RESPONSE_CANCEL, "_Replace", GTK_RESPONSE_ACCEPT,
                           nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(question), GTK_RESPONSE_CANCEL);
    gtk_window_set_title(GTK_WINDOW(question), "File exists");
    int response = runDialog(question);
    closeDialog(question);
    return response == GTK_RESPONSE_ACCEPT;
}

// Shows the proposed name: saving suggests it in the name field (in its own
// folder if it has one), opening selects it if it exists.
static void proposeName(GtkFileChooser* chooser, bool save, const std::string& proposed) {
    if (proposed.empty()) return;
    size_t slash = proposed.rfind('/');
    if (save) {
        if (slash != std::string::npos) {
            std::string folder = absoluteFolder(slash == 0 ? "/" : proposed.substr(0, slash));
            if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, folder.c_str());
        }
        std::string base = slash == std::string::npos ? proposed : proposed.substr(slash + 1);
        gtk_file_chooser_set_current_name(chooser, base.c_str());
    } else {
        std::string full = absoluteFolder(proposed);
        if (!full.empty()) gtk_file_chooser_set_filename(chooser, full.c_str());
    }
}

// A name for a save that has none yet: left empty, the name field takes the
// first file the list shows (in ./games with the state filter, quit.sta
// alone), and Return would write over it. "untitled.sta", or the first of
// "untitled-2.sta", ... that is not there.
static std::string freshName(const char* folder, const char* defaultExt) {
    const std::string ext = defaultExt != nullptr ? defaultExt : "";
    const std::string where = folder != nullptr && folder[0] != '\0' ? std::string(folder) + "/" : "";
    for (int n = 1; n < 1000; n++) {
        const std::string name = "untitled" + (n == 1 ? std::string() : "-" + std::to_string(n)) + ext;
        if (access((where + name).c_str(), F_OK) != 0) return name;
    }
    return "untitled" + ext;
}

int platformFileDialog(bool save, const char* title, const fileFilter* filters, int filterCount,
                       const char* defaultExt, const char* initialFolder, char* path, int size, int* ext) {
    if (dialogRunning || path == nullptr || size <= 0 || !startToolkit()) return 0;
    guint timer = beginSession();

    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        title != nullptr ? title : "", nullptr, save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
        "_Cancel", GTK_RESPONSE_CANCEL, save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    // Overwriting is confirmed below, for the name with its extension.
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
    g_signal_connect(dialog, "map", G_CALLBACK(sizeOnMap), nullptr);

    for (int i = 0; filters != nullptr && i < filterCount; i++) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, filters[i].label);
        gtk_file_filter_add_pattern(filter, filters[i].pattern);
        gtk_file_chooser_add_filter(chooser, filter);  // the first added is selected
    }
    if (initialFolder != nullptr) {
        std::string folder = absoluteFolder(initialFolder);
        if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, folder.c_str());
    }
    const std::string proposed(path, strnlen(path, static_cast<size_t>(size)));
    if (save && proposed.empty())
        gtk_file_chooser_set_current_name(chooser, freshName(initialFolder, defaultExt).c_str());
    else
        proposeName(chooser, save, proposed);

    makeTransientForGame(dialog);
    int result = 0;
    for (;;) {
        // Only an explicit confirmation counts: Escape, closing the window
        // or any other answer is a cancel.
        if (runDialog(dialog) != GTK_RESPONSE_ACCEPT) break;
        char* chosen = gtk_file_chooser_get_filename(chooser);
        if (chosen == nullptr) break;
        std::string name = chosen;
        g_free(chosen);
        int offset = extensionOffset(name);
        // An existing file without extension is opened as it is.
        if (offset < 0 && defaultExt != nullptr && defaultExt[0] != '\0' && (save || !exists(name))) {
            name += defaultExt[0] == '.' ? defaultExt : std::string(".") + defaultExt;
            offset = extensionOffset(name);
        }
        if (offset < 0) offset = static_cast<int>(name.size());
        if (save && exists(name) && !confirmReplace(dialog, name)) continue;
        if (name.size() + 1 > static_cast<size_t>(size)) {
            result = -1;
            break;
        }
        std::memcpy(path, name.c_str(), name.size() + 1);
        if (ext != nullptr) *ext = offset;
        result = 1;
        break;
    }
    closeDialog(dialog);
    endSession(timer);
    return result;
}

void platformMessageBox(const char* text, const char* title, bool errorIcon) {
    if (text == nullptr) text = "";
    if (title == nullptr) title = "";
    if (dialogRunning || !startToolkit()) {
        std::fprintf(stderr, "%s %s\n", title, text);
        return;
    }
    guint timer = beginSession();
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, errorIcon ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER,
                                            GTK_BUTTONS_OK, "%s", text);
    gtk_window_set_title(GTK_WINDOW(box), title);
    // The dialog itself draws no sign for errors; the window's icon shows it.
    if (errorIcon) gtk_window_set_icon_name(GTK_WINDOW(box), "dialog-error");
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    makeTransientForGame(box);
    runDialog(box);
    closeDialog(box);
    endSession(timer);
}

bool platformDialogRunning() {
    return dialogRunning;
}
