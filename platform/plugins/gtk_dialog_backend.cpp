// The desktop dialog backend: shows CDialogs and message boxes with GTK 3.
// Built as a plug-in of its own and loaded by libplatform only when a dialog
// is shown on a display, so the libraries never depend on GTK.
//
// A dialog is laid out as its resource says, in dialog units: a dialog unit
// is a quarter of the dialog font's average character width across and an
// eighth of its height down, as on the system the resources were drawn for.
// Controls are made compact (small paddings) so they fit those rectangles.
#include <gtk/gtk.h>
#include <map>
#include <pthread.h>

#include "platform/afx.h"
#include "platform/plugins/gtk_plugin.h"

#define PLUGIN_API extern "C" __attribute__((visibility("default")))

namespace {
PlatformGtkShownHook g_shownHook = nullptr;
void* g_shownHookContext = nullptr;

const char kDialogStyle[] =
    "* { font-family: \"MS Sans Serif\", Sans; font-size: 8pt; }\n"
    "entry { min-height: 0; padding: 0 3px; }\n"
    "button { min-height: 0; padding: 0 6px; }\n"
    "checkbutton check { min-width: 11px; min-height: 11px; margin: 0 4px 0 0; }\n"
    "frame > border { border-radius: 0; }\n";

void announce(GtkWidget* window, const char* kind)
{
    if (!g_shownHook)
        return;
    struct Shown {
        GtkWidget* window;
        const char* kind;
    };
    // After the window is drawn: the hook may look at it or take a picture.
    g_idle_add_full(G_PRIORITY_LOW,
                    [](gpointer data) -> gboolean {
                        auto* shown = static_cast<Shown*>(data);
                        if (g_shownHook)
                            g_shownHook(shown->window, shown->kind, g_shownHookContext);
                        return G_SOURCE_REMOVE;
                    },
                    new Shown{GTK_WIDGET(g_object_ref(window)), kind},
                    [](gpointer data) {
                        auto* shown = static_cast<Shown*>(data);
                        g_object_unref(shown->window);
                        delete shown;
                    });
}

// Dialog units to pixels for the font the widget will use.
struct DialogUnits {
    double x, y;
    explicit DialogUnits(GtkWidget* widget)
    {
        PangoLayout* layout = gtk_widget_create_pango_layout(widget, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        int width = 0, height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        g_object_unref(layout);
        x = (width / 26.0 + 1) / 2 / 4;
        y = height / 8.0;
    }
};

class GtkDialogBackend : public CDialogBackend {
public:
    GtkDialogBackend() : m_thread(pthread_self())
    {
        m_style = gtk_css_provider_new();
        gtk_css_provider_load_from_data(m_style, kDialogStyle, -1, nullptr);
    }

    BOOL RunModal(CDialog& dialog) override
    {
        if (!pthread_equal(pthread_self(), m_thread))
            return FALSE;  // GTK belongs to the thread that opened the display
        View view(this, &dialog, m_view);
        m_view = &view;
        build(view);
        gtk_widget_show_all(view.window);
        applyFocus(view);
        announce(view.window, "dialog");
        view.loop = g_main_loop_new(nullptr, FALSE);
        if (!dialog.HasEnded())
            g_main_loop_run(view.loop);
        g_main_loop_unref(view.loop);
        gtk_widget_destroy(view.window);
        m_view = view.outer;
        while (gtk_events_pending())
            gtk_main_iteration();
        return TRUE;
    }

    int MessageBox(CWnd*, const char* text, const char* caption, UINT type) override
    {
        if (!pthread_equal(pthread_self(), m_thread))
            return 0;
        GtkMessageType icon = GTK_MESSAGE_OTHER;
        switch (type & MB_ICONMASK) {
        case MB_ICONHAND: icon = GTK_MESSAGE_ERROR; break;
        case MB_ICONQUESTION: icon = GTK_MESSAGE_QUESTION; break;
        case MB_ICONEXCLAMATION: icon = GTK_MESSAGE_WARNING; break;
        case MB_ICONASTERISK: icon = GTK_MESSAGE_INFO; break;
        }
        GtkWindow* parent = m_view ? GTK_WINDOW(m_view->window) : nullptr;
        GtkWidget* box = gtk_message_dialog_new(parent, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), icon,
                                                GTK_BUTTONS_NONE, "%s", text);
        gtk_window_set_title(GTK_WINDOW(box), caption);
        static const struct {
            UINT type;
            int buttons[3];
        } kButtons[] = {
            {MB_OK, {IDOK}},
            {MB_OKCANCEL, {IDOK, IDCANCEL}},
            {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
            {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}},
            {MB_YESNO, {IDYES, IDNO}},
            {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}},
        };
        static const char* const kLabels[] = {"", "_OK", "_Cancel", "_Abort", "_Retry", "_Ignore", "_Yes", "_No"};
        int first = IDOK, cancel = IDOK;
        for (const auto& row : kButtons) {
            if (row.type != (type & MB_TYPEMASK))
                continue;
            first = row.buttons[0];
            for (int id : row.buttons)
                if (id) {
                    gtk_dialog_add_button(GTK_DIALOG(box), kLabels[id], id);
                    if (id == IDCANCEL || id == IDNO)
                        cancel = id;
                }
        }
        gtk_dialog_set_default_response(GTK_DIALOG(box), first);
        gtk_widget_show_all(box);
        announce(box, "message");
        int response = gtk_dialog_run(GTK_DIALOG(box));
        gtk_widget_destroy(box);
        return response > 0 ? response : cancel;  // closing the box cancels
    }

    void ControlChanged(CDialog& dialog, CWnd& control, ControlChange what) override
    {
        View* view = m_view;
        while (view && view->dialog != &dialog)
            view = view->outer;
        if (!view || view->updating)
            return;
        auto found = view->widgets.find(&control);
        if (found == view->widgets.end())
            return;
        view->updating = true;
        show(control, found->second, what);
        view->updating = false;
    }

private:
    struct View {
        View(GtkDialogBackend* backend, CDialog* dialog, View* outer) : backend(backend), dialog(dialog), outer(outer) {}
        GtkDialogBackend* backend;
        CDialog* dialog;
        View* outer;
        GtkWidget* window = nullptr;
        GMainLoop* loop = nullptr;
        std::map<CWnd*, GtkWidget*> widgets;
        bool updating = false;  // a change on its way from a widget to the model or back
    };
    struct Binding {
        GtkDialogBackend* backend;
        View* view;
        CWnd* control;
    };

    // Puts the control's state into its widget.
    static void show(CWnd& control, GtkWidget* widget, ControlChange what)
    {
        CString text;
        control.GetWindowText(text);
        switch (what) {
        case ControlChange::Text:
            if (GTK_IS_ENTRY(widget))
                gtk_entry_set_text(GTK_ENTRY(widget), text);
            else if (GTK_IS_BUTTON(widget))
                gtk_button_set_label(GTK_BUTTON(widget), text);
            else if (GTK_IS_LABEL(widget))
                gtk_label_set_text(GTK_LABEL(widget), text);
            break;
        case ControlChange::Check:
            if (GTK_IS_TOGGLE_BUTTON(widget))
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.GetCheck() == BST_CHECKED);
            break;
        case ControlChange::Enabled: gtk_widget_set_sensitive(widget, control.IsWindowEnabled()); break;
        case ControlChange::Focus: gtk_widget_grab_focus(widget); [[fallthrough]];
        case ControlChange::Selection:
            if (GTK_IS_EDITABLE(widget)) {
                int start, end;
                control.GetSel(start, end);
                gtk_editable_select_region(GTK_EDITABLE(widget), start, end);
            }
            break;
        }
    }

    void applyFocus(View& view)
    {
        CWnd* focus = view.dialog->GetFocusControl();
        auto found = focus ? view.widgets.find(focus) : view.widgets.end();
        if (found != view.widgets.end())
            show(*focus, found->second, ControlChange::Focus);
    }

    GtkWidget* makeWidget(const DialogItem& item, CWnd& control, View& view)
    {
        CString text;
        control.GetWindowText(text);
        GtkWidget* widget = nullptr;
        auto* binding = new Binding{this, &view, &control};
        switch (item.kind) {
        case DialogItemKind::GroupBox: widget = gtk_frame_new(text); break;
        case DialogItemKind::Label:
            widget = gtk_label_new(text);
            gtk_label_set_xalign(GTK_LABEL(widget), 0);
            break;
        case DialogItemKind::Edit:
            widget = gtk_entry_new();
            gtk_entry_set_text(GTK_ENTRY(widget), text);
            gtk_entry_set_width_chars(GTK_ENTRY(widget), 1);
            gtk_entry_set_activates_default(GTK_ENTRY(widget), TRUE);
            if (item.style & ES_PASSWORD)
                gtk_entry_set_visibility(GTK_ENTRY(widget), FALSE);
            if (item.style & ES_NUMBER)
                g_signal_connect(widget, "insert-text", G_CALLBACK(onInsertDigits), nullptr);
            g_signal_connect_data(widget, "changed", G_CALLBACK(onEdited), binding, freeBinding, GConnectFlags(0));
            binding = nullptr;
            break;
        case DialogItemKind::CheckBox:
            widget = gtk_check_button_new_with_label(text);
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.GetCheck() == BST_CHECKED);
            g_signal_connect_data(widget, "toggled", G_CALLBACK(onToggled), binding, freeBinding, GConnectFlags(0));
            binding = nullptr;
            break;
        case DialogItemKind::PushButton:
        case DialogItemKind::DefPushButton:
            widget = gtk_button_new_with_label(text);
            g_signal_connect_data(widget, "clicked", G_CALLBACK(onClicked), binding, freeBinding, GConnectFlags(0));
            binding = nullptr;
            if (item.kind == DialogItemKind::DefPushButton) {
                gtk_widget_set_can_default(widget, TRUE);
                gtk_window_set_default(GTK_WINDOW(view.window), widget);
            }
            break;
        }
        delete binding;
        gtk_widget_set_sensitive(widget, control.IsWindowEnabled());
        char name[32];
        g_snprintf(name, sizeof name, "control-%d", item.id);
        gtk_widget_set_name(widget, name);
        gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(m_style),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        // The style reaches inner widgets too, e.g. a check box's or frame's label.
        if (GTK_IS_CONTAINER(widget))
            gtk_container_forall(GTK_CONTAINER(widget), styleChild, m_style);
        return widget;
    }

    static void styleChild(GtkWidget* child, gpointer style)
    {
        gtk_style_context_add_provider(gtk_widget_get_style_context(child), GTK_STYLE_PROVIDER(style),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        if (GTK_IS_CONTAINER(child))
            gtk_container_forall(GTK_CONTAINER(child), styleChild, style);
    }

    void build(View& view)
    {
        const DialogResource& resource = view.dialog->GetResource();
        CString title;
        view.dialog->GetWindowText(title);
        view.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(view.window), title);
        gtk_window_set_modal(GTK_WINDOW(view.window), TRUE);
        gtk_window_set_resizable(GTK_WINDOW(view.window), FALSE);
        gtk_window_set_type_hint(GTK_WINDOW(view.window), GDK_WINDOW_TYPE_HINT_DIALOG);
        gtk_window_set_position(GTK_WINDOW(view.window), GTK_WIN_POS_CENTER_ON_PARENT);
        if (view.outer)
            gtk_window_set_transient_for(GTK_WINDOW(view.window), GTK_WINDOW(view.outer->window));
        gtk_style_context_add_provider(gtk_widget_get_style_context(view.window), GTK_STYLE_PROVIDER(m_style),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_signal_connect(view.window, "delete-event", G_CALLBACK(onDelete), &view);
        g_signal_connect(view.window, "key-press-event", G_CALLBACK(onKey), &view);

        GtkWidget* layout = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(view.window), layout);
        DialogUnits units(view.window);
        gtk_widget_set_size_request(layout, (int)(resource.cx * units.x), (int)(resource.cy * units.y));
        for (int i = 0; i < view.dialog->GetControlCount(); ++i) {
            CWnd& control = *view.dialog->GetControl(i);
            const DialogItem& item = *control.GetItem();
            GtkWidget* widget = makeWidget(item, control, view);
            gtk_widget_set_size_request(widget, (int)(item.cx * units.x), (int)(item.cy * units.y));
            gtk_fixed_put(GTK_FIXED(layout), widget, (int)(item.x * units.x), (int)(item.y * units.y));
            view.widgets[&control] = widget;
        }
    }

    // The user pressed a button: the dialog handles it, and the loop ends
    // with the dialog.
    void press(View& view, int id)
    {
        view.dialog->ButtonPressed(id);
        if (view.dialog->HasEnded())
            g_main_loop_quit(view.loop);
    }

    static void freeBinding(gpointer data, GClosure*) { delete static_cast<Binding*>(data); }

    static void onEdited(GtkEditable* editable, gpointer data)
    {
        auto* binding = static_cast<Binding*>(data);
        if (binding->view->updating)
            return;
        binding->view->updating = true;
        binding->control->SetWindowText(gtk_entry_get_text(GTK_ENTRY(editable)));
        binding->view->updating = false;
    }

    static void onToggled(GtkToggleButton* button, gpointer data)
    {
        auto* binding = static_cast<Binding*>(data);
        if (binding->view->updating)
            return;
        binding->view->updating = true;
        binding->control->SetCheck(gtk_toggle_button_get_active(button) ? BST_CHECKED : BST_UNCHECKED);
        binding->view->updating = false;
    }

    static void onClicked(GtkButton*, gpointer data)
    {
        auto* binding = static_cast<Binding*>(data);
        binding->backend->press(*binding->view, binding->control->GetDlgCtrlID());
    }

    static void onInsertDigits(GtkEditable* editable, const gchar* text, gint length, gpointer, gpointer)
    {
        for (gint i = 0; i < length; ++i)
            if (!g_ascii_isdigit(text[i])) {
                gtk_widget_error_bell(GTK_WIDGET(editable));
                g_signal_stop_emission_by_name(editable, "insert-text");
                return;
            }
    }

    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data)
    {
        auto* view = static_cast<View*>(data);
        view->backend->press(*view, IDCANCEL);
        return TRUE;  // the window goes when the dialog has ended
    }

    static gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data)
    {
        if (event->keyval != GDK_KEY_Escape)
            return FALSE;
        auto* view = static_cast<View*>(data);
        view->backend->press(*view, IDCANCEL);
        return TRUE;
    }

    pthread_t m_thread;
    GtkCssProvider* m_style;
    View* m_view = nullptr;
};
}  // namespace

PLUGIN_API void* platform_gtk_dialog_backend()
{
    static CDialogBackend* const backend = gtk_init_check(nullptr, nullptr) ? new GtkDialogBackend : nullptr;
    return backend;
}

PLUGIN_API void platform_gtk_set_shown_hook(PlatformGtkShownHook hook, void* context)
{
    g_shownHook = hook;
    g_shownHookContext = context;
}
