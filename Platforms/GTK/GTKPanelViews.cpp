#include "Platforms/GTK/GTKPanelViews.h"

#include <gtk/gtk.h>

#include <map>
#include <string>
#include <vector>

namespace quorvane::GTKPanelViews {

namespace {

// Notes up to this long are the short lines set side by side; longer ones are sentences of their own.
constexpr size_t shortNote = 32;
constexpr int keysPerColumn = 8;

GtkWidget* label(const std::string& text, std::initializer_list<const char*> classes = {})
{
    GtkWidget* widget = gtk_label_new(text.c_str());
    gtk_label_set_xalign(GTK_LABEL(widget), 0);
    for (const char* name : classes)
        gtk_style_context_add_class(gtk_widget_get_style_context(widget), name);
    return widget;
}

void addClass(GtkWidget* widget, const char* name)
{
    gtk_style_context_add_class(gtk_widget_get_style_context(widget), name);
}

void setAccessibleName(GtkWidget* widget, const std::string& name)
{
    atk_object_set_name(gtk_widget_get_accessible(widget), name.c_str());
}

// The row's keys as caps, named by what they read for assistive technologies ("Ctrl+Alt+Super+L").
GtkWidget* keyCaps(const PanelRow& row)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 3);
    std::string name;
    for (const std::string& cap : row.caps) {
        gtk_box_pack_start(GTK_BOX(box), label(cap, { "keycap" }), FALSE, FALSE, 0);
        name += (name.empty() ? "" : "+") + cap;
    }
    setAccessibleName(box, name);
    return box;
}

// One group's column: its heading, then each binding's keys and label.
GtkWidget* groupColumn(const std::string& heading, unsigned tint, const std::vector<const PanelRow*>& rows)
{
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    addClass(column, ("tint-" + std::to_string(tint % 4)).c_str());
    gtk_box_pack_start(GTK_BOX(column), label(heading, { "heading" }), FALSE, FALSE, 2);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 3);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
    int line = 0;
    for (const PanelRow* row : rows) {
        int pair = line / keysPerColumn;
        GtkWidget* caps = keyCaps(*row);
        GtkWidget* name = label(row->label, { "dim" });
        gtk_label_set_ellipsize(GTK_LABEL(name), PANGO_ELLIPSIZE_END);
        gtk_grid_attach(GTK_GRID(grid), caps, pair * 2, line % keysPerColumn, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), name, pair * 2 + 1, line % keysPerColumn, 1, 1);
        ++line;
    }
    gtk_box_pack_start(GTK_BOX(column), grid, FALSE, FALSE, 0);
    return column;
}

GtkWidget* panelBox(int spacing)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, spacing);
    addClass(box, "panel");
    return box;
}

// A button that runs `pressed` when clicked.
GtkWidget* actionButton(const std::string& text, std::function<void()> pressed)
{
    GtkWidget* button = gtk_button_new_with_label(text.c_str());
    gtk_widget_set_halign(button, GTK_ALIGN_START);
    g_signal_connect_data(button, "clicked", G_CALLBACK(+[](GtkButton*, gpointer data) {
        // Copied: the click may rebuild the panel and free the original.
        if (auto run = *static_cast<std::function<void()>*>(data))
            run();
    }),
        new std::function<void()>(std::move(pressed)),
        [](gpointer data, GClosure*) { delete static_cast<std::function<void()>*>(data); }, GConnectFlags(0));
    return button;
}

GtkWidget* cheatSheet(const PanelContent& content, std::function<void()> pressed)
{
    GtkWidget* box = panelBox(5);
    gtk_box_pack_start(GTK_BOX(box), label(content.title, { "title" }), FALSE, FALSE, 0);
    GtkWidget* subtitle = label(content.subtitle, { "dim" });
    gtk_label_set_ellipsize(GTK_LABEL(subtitle), PANGO_ELLIPSIZE_MIDDLE);
    gtk_box_pack_start(GTK_BOX(box), subtitle, FALSE, FALSE, 0);

    if (!content.rows.empty()) {
        gtk_box_pack_start(GTK_BOX(box), label("Always", { "always" }), FALSE, FALSE, 4);
        // Groups keep the order of their first row.
        std::vector<std::string> order;
        std::map<std::string, std::vector<const PanelRow*>> groups;
        for (const PanelRow& row : content.rows) {
            if (!groups.contains(row.group))
                order.push_back(row.group);
            groups[row.group].push_back(&row);
        }
        GtkWidget* columns = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 28);
        for (const std::string& group : order) {
            const std::vector<const PanelRow*>& rows = groups[group];
            gtk_box_pack_start(GTK_BOX(columns), groupColumn(group, rows.front()->tint, rows), FALSE, FALSE, 0);
        }
        gtk_box_pack_start(GTK_BOX(box), columns, TRUE, TRUE, 0);
    }

    GtkWidget* lines = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 24);
    GtkWidget* sentences = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    for (const std::string& note : content.notes) {
        if (note.size() <= shortNote) {
            gtk_box_pack_start(GTK_BOX(lines), label(note), FALSE, FALSE, 0);
        } else {
            GtkWidget* sentence = label(note, { "dim" });
            gtk_label_set_line_wrap(GTK_LABEL(sentence), TRUE);
            gtk_box_pack_start(GTK_BOX(sentences), sentence, FALSE, FALSE, 0);
        }
    }
    if (!content.button.empty())
        gtk_box_pack_end(GTK_BOX(box), actionButton(content.button, std::move(pressed)), FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(box), sentences, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(box), lines, FALSE, FALSE, 0);
    return box;
}

GtkWidget* notice(const PanelContent& content)
{
    GtkWidget* box = panelBox(0);
    addClass(box, "notice");
    GtkWidget* text = label(content.title);
    gtk_label_set_xalign(GTK_LABEL(text), 0.5);
    gtk_label_set_ellipsize(GTK_LABEL(text), PANGO_ELLIPSIZE_END);
    gtk_box_set_center_widget(GTK_BOX(box), text);
    return box;
}

GtkWidget* toast(const PanelContent& content)
{
    GtkWidget* box = panelBox(2);
    GtkWidget* lines = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    GtkWidget* first = label(content.title, { "heading" });
    gtk_label_set_ellipsize(GTK_LABEL(first), PANGO_ELLIPSIZE_END);
    gtk_box_pack_start(GTK_BOX(lines), first, FALSE, FALSE, 0);
    if (!content.subtitle.empty()) {
        GtkWidget* second = label(content.subtitle, { "dim" });
        gtk_label_set_ellipsize(GTK_LABEL(second), PANGO_ELLIPSIZE_END);
        gtk_box_pack_start(GTK_BOX(lines), second, FALSE, FALSE, 0);
    }
    gtk_box_set_center_widget(GTK_BOX(box), lines);
    return box;
}

} // namespace

GtkWidget* build(PanelKind kind, const PanelContent& content, std::function<void()> pressed)
{
    GtkWidget* view = kind == PanelKind::cheatSheet ? cheatSheet(content, std::move(pressed))
        : kind == PanelKind::toast                  ? toast(content)
                                                    : notice(content);
    // The panel keeps the size it is given: a theme with larger fonts clips the content instead of growing it.
    GtkWidget* clip = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(clip), GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL);
    gtk_container_add(GTK_CONTAINER(clip), view);
    return clip;
}

} // namespace quorvane::GTKPanelViews
