#include "Platforms/GTK/GTKSettingsWindow.h"

#include "Platforms/GTK/GTKSettingsControls.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <optional>

namespace quorvane {

namespace {

constexpr int defaultWidth = 760;
constexpr int defaultHeight = 640;
// A panel: one page, no tabs.
constexpr int panelWidth = 540;
constexpr int panelHeight = 420;
constexpr int pageBorder = 18;
constexpr int cellWidth = 18;

using Kind = SettingsControl::Kind;
using namespace GTKSettingsControls;

} // namespace

GTKSettingsWindow::GTKSettingsWindow(const SettingsForm& form, const std::string& page, WindowChrome chrome,
    const SettingsEvents& events, std::function<void()> closeRequested)
    : m_events(events)
    , m_controls(events)
    , m_closeRequested(std::move(closeRequested))
{
    installStyle();
    m_captions = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);
    bool panel = form.pages.size() == 1;
    m_window = formWindow(form.title, panel ? panelWidth : defaultWidth, panel ? panelHeight : defaultHeight, chrome,
        m_closeRequested);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    m_notebook = gtk_notebook_new();
    gtk_notebook_set_scrollable(GTK_NOTEBOOK(m_notebook), TRUE);
    gtk_notebook_set_show_tabs(GTK_NOTEBOOK(m_notebook), !panel);
    m_status = label("", true);
    gtk_widget_set_margin_start(m_status, pageBorder);
    gtk_widget_set_margin_end(m_status, pageBorder);
    gtk_widget_set_margin_top(m_status, 8);
    gtk_widget_set_margin_bottom(m_status, 8);
    gtk_label_set_selectable(GTK_LABEL(m_status), TRUE);
    gtk_box_pack_start(GTK_BOX(column), m_notebook, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(column), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_status, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(m_window), column);

    m_controls.beginUpdate();
    buildPages(form);
    setStatus(form.status, form.statusTone);
    m_controls.endUpdate();
    g_signal_connect(m_notebook, "switch-page", G_CALLBACK(+[](GtkNotebook*, GtkWidget*, guint index, gpointer self) {
        auto* window = static_cast<GTKSettingsWindow*>(self);
        if (window->m_controls.updating() || index >= window->m_pages.size())
            return;
        if (auto chosen = window->m_events.pageChosen)
            chosen(window->m_pages[index].key);
    }),
        this);
    gtk_widget_show_all(m_window);
    // Hints without text take no room.
    for (const auto& [key, control] : m_controls.all()) {
        if (control.hint && control.shown.hint.empty())
            gtk_widget_hide(control.hint);
    }
    present(page);
}

GTKSettingsWindow::~GTKSettingsWindow()
{
    m_controls.beginUpdate();
    // While the notebook takes its pages down, GTK's accessible of each page that leaves (made once a screen
    // reader has looked at the tabs) asks the notebook for the page's tab after it is gone, and GTK reports
    // that as a critical warning once a page. That one warning is expected here; anything else passes on.
    guint quieted = g_log_set_handler(
        "Gtk", G_LOG_LEVEL_CRITICAL,
        [](const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
            if (!g_str_has_prefix(message, "gtk_notebook_get_tab_label:"))
                g_log_default_handler(domain, level, message, nullptr);
        },
        nullptr);
    gtk_widget_destroy(m_window);
    g_log_remove_handler("Gtk", quieted);
    g_object_unref(m_captions);
}

void GTKSettingsWindow::present(const std::string& page)
{
    for (size_t index = 0; index < m_pages.size(); ++index) {
        if (m_pages[index].key == page) {
            m_controls.beginUpdate();
            gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), static_cast<int>(index));
            m_controls.endUpdate();
        }
    }
    presentNow(m_window);
}

void GTKSettingsWindow::buildPages(const SettingsForm& form)
{
    while (gtk_notebook_get_n_pages(GTK_NOTEBOOK(m_notebook)) > 0)
        gtk_notebook_remove_page(GTK_NOTEBOOK(m_notebook), -1);
    m_pages.clear();
    m_controls.clear();
    for (const SettingsPage& page : form.pages) {
        Page built { page.key, page.title, gtk_box_new(GTK_ORIENTATION_VERTICAL, pageBorder), {} };
        gtk_container_set_border_width(GTK_CONTAINER(built.column), pageBorder);
        for (const SettingsSection& section : page.sections) {
            Section made { shapeOf(section), nullptr, {} };
            made.box = buildSection(section, made.keys);
            gtk_box_pack_start(GTK_BOX(built.column), made.box, FALSE, FALSE, 0);
            built.sections.push_back(std::move(made));
        }
        GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
        gtk_container_add(GTK_CONTAINER(scroller), built.column);
        // A panel's one page shows no tab, but its tab is still named for assistive technologies.
        const std::string& tabName = page.title.empty() ? form.title : page.title;
        gtk_notebook_append_page(GTK_NOTEBOOK(m_notebook), scroller, gtk_label_new(tabName.c_str()));
        m_pages.push_back(std::move(built));
    }
}

GtkWidget* GTKSettingsWindow::buildSection(const SettingsSection& section, std::vector<std::string>& keys)
{
    GtkWidget* box = sectionBox(section);
    GtkWidget* grid = controlGrid();
    int line = 0;
    for (const SettingsControl& control : section.controls) {
        if (control.kind == Kind::row) {
            gtk_grid_attach(GTK_GRID(grid), buildRow(control, keys), 0, line++, 2, 1);
            continue;
        }
        GtkWidget* made = m_controls.add(control);
        keys.push_back(control.key);
        if (control.kind == Kind::note) {
            gtk_grid_attach(GTK_GRID(grid), made, 0, line++, 2, 1);
            continue;
        }
        if (control.kind != Kind::button) {
            GtkWidget* caption = label(control.label);
            gtk_label_set_mnemonic_widget(GTK_LABEL(caption), made);
            gtk_size_group_add_widget(m_captions, caption);
            gtk_grid_attach(GTK_GRID(grid), caption, 0, line, 1, 1);
        }
        gtk_grid_attach(GTK_GRID(grid), made, 1, line++, 1, 1);
        GtkWidget* hint = m_controls.at(control.key).hint = hintLabel(control.hint);
        gtk_grid_attach(GTK_GRID(grid), hint, 1, line++, 1, 1);
    }
    gtk_box_pack_start(GTK_BOX(box), grid, FALSE, FALSE, 0);
    return box;
}

GtkWidget* GTKSettingsWindow::buildRow(const SettingsControl& control, std::vector<std::string>& keys)
{
    GtkWidget* line = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    if (GtkWidget* image = rowImage(control))
        gtk_box_pack_start(GTK_BOX(line), image, FALSE, FALSE, 0);
    for (const std::string& cell : control.cells) {
        GtkWidget* text = label(cell);
        gtk_label_set_width_chars(GTK_LABEL(text), cellWidth);
        gtk_label_set_max_width_chars(GTK_LABEL(text), cellWidth * 2);
        gtk_label_set_ellipsize(GTK_LABEL(text), PANGO_ELLIPSIZE_MIDDLE);
        gtk_box_pack_start(GTK_BOX(line), text, FALSE, FALSE, 0);
    }
    for (auto button = control.buttons.rbegin(); button != control.buttons.rend(); ++button) {
        gtk_box_pack_end(GTK_BOX(line), m_controls.add(*button), FALSE, FALSE, 0);
        keys.push_back(button->key);
    }
    return line;
}

void GTKSettingsWindow::update(const SettingsForm& form)
{
    m_controls.beginUpdate();
    bool samePages = form.pages.size() == m_pages.size();
    for (size_t index = 0; samePages && index < form.pages.size(); ++index)
        samePages = form.pages[index].key == m_pages[index].key
            && form.pages[index].sections.size() == m_pages[index].sections.size();
    if (!samePages) {
        int current = gtk_notebook_get_current_page(GTK_NOTEBOOK(m_notebook));
        buildPages(form);
        gtk_widget_show_all(m_notebook);
        gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), current);
    } else {
        for (size_t index = 0; index < form.pages.size(); ++index) {
            Page& page = m_pages[index];
            for (size_t at = 0; at < page.sections.size(); ++at) {
                const SettingsSection& wanted = form.pages[index].sections[at];
                Section& section = page.sections[at];
                SettingsSection shape = shapeOf(wanted);
                if (shape == section.structure) {
                    for (const SettingsControl& control : wanted.controls) {
                        if (control.kind != Kind::row)
                            m_controls.refresh(control);
                        for (const SettingsControl& button : control.buttons)
                            m_controls.refresh(button);
                    }
                    continue;
                }
                // Another list of controls: the section is made again where it stood. The keyboard's focus, when
                // it was inside, comes back to the control of the same key, else to the first control that came
                // (a row's question), else to the section's first.
                GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(m_window));
                std::optional<std::string> focusedKey;
                if (focus && gtk_widget_is_ancestor(focus, section.box)) {
                    focusedKey = "";
                    for (const std::string& key : section.keys) {
                        GtkWidget* input = m_controls.at(key).input;
                        if (input == focus || gtk_widget_is_ancestor(focus, input))
                            focusedKey = key;
                    }
                }
                m_controls.forget(section.keys);
                std::vector<std::string> before = std::move(section.keys);
                section.keys.clear();
                gtk_widget_destroy(section.box);
                section.box = buildSection(wanted, section.keys);
                section.structure = std::move(shape);
                gtk_box_pack_start(GTK_BOX(page.column), section.box, FALSE, FALSE, 0);
                gtk_box_reorder_child(GTK_BOX(page.column), section.box, static_cast<int>(at));
                gtk_widget_show_all(section.box);
                for (const std::string& key : section.keys) {
                    GTKFormControls::Control& control = m_controls.at(key);
                    if (control.hint && control.shown.hint.empty())
                        gtk_widget_hide(control.hint);
                }
                if (focusedKey) {
                    auto kept = std::find(section.keys.begin(), section.keys.end(), *focusedKey);
                    if (kept == section.keys.end())
                        kept = std::find_if(section.keys.begin(), section.keys.end(), [&](const std::string& key) {
                            return std::find(before.begin(), before.end(), key) == before.end()
                                && gtk_widget_get_can_focus(m_controls.at(key).input);
                        });
                    if (kept != section.keys.end())
                        gtk_widget_grab_focus(m_controls.at(*kept).input);
                    else
                        gtk_widget_child_focus(section.box, GTK_DIR_TAB_FORWARD);
                }
            }
        }
    }
    setStatus(form.status, form.statusTone);
    m_controls.endUpdate();
}

void GTKSettingsWindow::setStatus(const std::string& text, MenuTone tone)
{
    gtk_label_set_text(GTK_LABEL(m_status), text.c_str());
    setTone(m_status, tone);
    // Selectable for copying, but an empty line is no stop for the keyboard.
    gtk_widget_set_can_focus(m_status, !text.empty());
}

} // namespace quorvane
