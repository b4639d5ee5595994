#include "Platforms/GTK/GTKTextPrompt.h"

#include <gtk/gtk.h>

namespace quorvane {

namespace {

constexpr int border = 12;
constexpr int spacing = 8;
constexpr int fieldWidth = 32;

void setAccessibleName(GtkWidget* widget, const std::string& name)
{
    if (AtkObject* accessible = gtk_widget_get_accessible(widget))
        atk_object_set_name(accessible, name.c_str());
}

} // namespace

GTKTextPrompt::GTKTextPrompt(const TextRequest& request, std::function<void(std::optional<std::string>)> answer)
    : m_answer(std::move(answer))
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(m_window), request.title.c_str());
    gtk_window_set_type_hint(GTK_WINDOW(m_window), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(GTK_WINDOW(m_window), GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(GTK_WINDOW(m_window), FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(m_window), border);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, spacing);
    GtkWidget* prompt = gtk_label_new(request.prompt.c_str());
    gtk_label_set_xalign(GTK_LABEL(prompt), 0);
    m_entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(m_entry), fieldWidth);
    setAccessibleName(m_entry, request.fieldName);
    gtk_label_set_mnemonic_widget(GTK_LABEL(prompt), m_entry);
    GtkWidget* buttons = gtk_button_box_new(GTK_ORIENTATION_HORIZONTAL);
    gtk_button_box_set_layout(GTK_BUTTON_BOX(buttons), GTK_BUTTONBOX_END);
    gtk_box_set_spacing(GTK_BOX(buttons), spacing);
    GtkWidget* cancel = gtk_button_new_with_label(request.cancelLabel.c_str());
    GtkWidget* accept = gtk_button_new_with_label(request.acceptLabel.c_str());
    gtk_container_add(GTK_CONTAINER(buttons), cancel);
    gtk_container_add(GTK_CONTAINER(buttons), accept);
    gtk_box_pack_start(GTK_BOX(column), prompt, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_entry, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(m_window), column);

    auto accepted = +[](GtkWidget*, gpointer self) {
        auto* prompt = static_cast<GTKTextPrompt*>(self);
        prompt->finish(std::string(gtk_entry_get_text(GTK_ENTRY(prompt->m_entry))));
    };
    auto cancelled = +[](GtkWidget*, gpointer self) { static_cast<GTKTextPrompt*>(self)->finish(std::nullopt); };
    g_signal_connect(accept, "clicked", G_CALLBACK(accepted), this);
    g_signal_connect(m_entry, "activate", G_CALLBACK(accepted), this);
    g_signal_connect(cancel, "clicked", G_CALLBACK(cancelled), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
        static_cast<GTKTextPrompt*>(self)->finish(std::nullopt);
        return TRUE;
    }),
        this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventKey* event, gpointer self) -> gboolean {
        if (event->keyval != GDK_KEY_Escape)
            return FALSE;
        static_cast<GTKTextPrompt*>(self)->finish(std::nullopt);
        return TRUE;
    }),
        this);

    gtk_widget_show_all(m_window);
    present();
}

GTKTextPrompt::~GTKTextPrompt()
{
    if (m_window)
        gtk_widget_destroy(m_window);
}

void GTKTextPrompt::present()
{
    if (!m_window)
        return;
    gtk_window_present(GTK_WINDOW(m_window));
    gtk_widget_grab_focus(m_entry);
}

void GTKTextPrompt::finish(std::optional<std::string> text)
{
    if (!m_window)
        return;
    GtkWidget* window = m_window;
    m_window = nullptr;
    m_entry = nullptr;
    gtk_widget_destroy(window);
    // The answer may replace this prompt: nothing of it is touched after the call.
    auto answer = std::move(m_answer);
    m_answer = nullptr;
    if (answer)
        answer(std::move(text));
}

} // namespace quorvane
