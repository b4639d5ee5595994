#include "Platforms/GTK/GTKOnboardingWindow.h"

#include "QuorvaneChrome/StyleSheet.h"

#include <gtk/gtk.h>

namespace quorvane {

namespace {

constexpr int defaultWidth = 640;
constexpr int defaultHeight = 560;
constexpr int border = 24;

// Key caps in the theme's colours: framed, and filled with the selection colour while lit.
constexpr const char* styleSheet = R"css(
.quorvane-keycap { border: 1px solid alpha(currentColor, 0.4); border-radius: 5px; padding: 2px 8px;
    min-width: 16px; font-weight: bold; }
.quorvane-keycap.quorvane-lit { background-color: @theme_selected_bg_color; color: @theme_selected_fg_color;
    border-color: @theme_selected_bg_color; }
.quorvane-eyebrow { font-size: smaller; font-weight: bold; letter-spacing: 1px; }
.quorvane-heading { font-size: x-large; font-weight: bold; }
)css";

using Kind = SettingsControl::Kind;
using namespace GTKSettingsControls;

void setAccessibleName(GtkWidget* widget, const std::string& name)
{
    if (AtkObject* accessible = gtk_widget_get_accessible(widget))
        atk_object_set_name(accessible, name.c_str());
}

void setClass(GtkWidget* widget, const char* name, bool on)
{
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    if (on)
        gtk_style_context_add_class(style, name);
    else
        gtk_style_context_remove_class(style, name);
}

// What a screen reader says of a chord's line: its keys, what they do, and whether they were just pressed.
std::string chordName(const OnboardingChord& chord)
{
    std::string keys;
    for (const std::string& cap : chord.caps)
        keys += (keys.empty() ? "" : "+") + cap;
    return keys + ": " + chord.action + (chord.lit ? " (pressed)" : "");
}

void setText(GtkWidget* label, const std::string& text)
{
    gtk_label_set_text(GTK_LABEL(label), text.c_str());
    gtk_widget_set_visible(label, !text.empty());
    gtk_widget_set_can_focus(label, gtk_label_get_selectable(GTK_LABEL(label)) && !text.empty());
}

} // namespace

GTKOnboardingWindow::GTKOnboardingWindow(const OnboardingForm& form, WindowChrome chrome, const SettingsEvents& events,
    std::function<void()> closeRequested)
    : m_controls(events)
    , m_closeRequested(std::move(closeRequested))
{
    installStyle();
    installStyleSheet(styleSheet);
    m_window = formWindow(form.title, defaultWidth, defaultHeight, chrome, m_closeRequested);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
    gtk_container_set_border_width(GTK_CONTAINER(column), border);
    m_eyebrow = label("");
    gtk_style_context_add_class(gtk_widget_get_style_context(m_eyebrow), "quorvane-eyebrow");
    gtk_style_context_add_class(gtk_widget_get_style_context(m_eyebrow), "dim-label");
    m_heading = label("");
    gtk_style_context_add_class(gtk_widget_get_style_context(m_heading), "quorvane-heading");
    m_intro = label("", true);
    m_body = gtk_box_new(GTK_ORIENTATION_VERTICAL, 16);
    m_scroller = gtk_scrolled_window_new(nullptr, nullptr);
    GtkWidget* scroller = m_scroller;
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scroller), m_body);
    m_pressedNote = label("", true);
    m_status = label("", true);
    gtk_label_set_selectable(GTK_LABEL(m_status), TRUE);
    m_buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_halign(m_buttons, GTK_ALIGN_END);
    for (GtkWidget* part : { m_eyebrow, m_heading, m_intro })
        gtk_box_pack_start(GTK_BOX(column), part, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), scroller, TRUE, TRUE, 8);
    for (GtkWidget* part : { m_pressedNote, m_status, m_buttons })
        gtk_box_pack_start(GTK_BOX(column), part, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(m_window), column);

    m_controls.beginUpdate();
    build(form);
    m_controls.endUpdate();
    gtk_widget_show_all(m_window);
    refreshTexts(form);
    present();
}

GTKOnboardingWindow::~GTKOnboardingWindow()
{
    m_controls.beginUpdate();
    gtk_widget_destroy(m_window);
}

void GTKOnboardingWindow::present()
{
    presentNow(m_window);
}

OnboardingForm GTKOnboardingWindow::shapeOf(OnboardingForm form)
{
    form.title.clear();
    form.intro.clear();
    form.pressedNote.clear();
    form.status.clear();
    form.statusTone = MenuTone::plain;
    for (OnboardingChord& chord : form.chords)
        chord.lit = false;
    for (SettingsSection& section : form.sections)
        section = GTKSettingsControls::shapeOf(section);
    form.buttons = GTKSettingsControls::shapeOf(SettingsSection { "", "", "", form.buttons }).controls;
    return form;
}

void GTKOnboardingWindow::build(const OnboardingForm& form)
{
    gtk_container_foreach(GTK_CONTAINER(m_body), [](GtkWidget* child, gpointer) { gtk_widget_destroy(child); }, nullptr);
    gtk_container_foreach(
        GTK_CONTAINER(m_buttons), [](GtkWidget* child, gpointer) { gtk_widget_destroy(child); }, nullptr);
    m_controls.clear();
    m_chords.clear();
    if (!form.chords.empty())
        gtk_box_pack_start(GTK_BOX(m_body), buildChords(form.chords), FALSE, FALSE, 0);
    for (const SettingsSection& section : form.sections)
        gtk_box_pack_start(GTK_BOX(m_body), buildSection(section), FALSE, FALSE, 0);
    for (const SettingsControl& button : form.buttons)
        gtk_box_pack_start(GTK_BOX(m_buttons), m_controls.add(button), FALSE, FALSE, 0);
    m_shape = shapeOf(form);
}

GtkWidget* GTKOnboardingWindow::buildChords(const std::vector<OnboardingChord>& chords)
{
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 16);
    int line = 0;
    for (const OnboardingChord& chord : chords) {
        Chord made;
        made.row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
        for (const std::string& cap : chord.caps) {
            GtkWidget* key = gtk_label_new(cap.c_str());
            gtk_style_context_add_class(gtk_widget_get_style_context(key), "quorvane-keycap");
            gtk_box_pack_start(GTK_BOX(made.row), key, FALSE, FALSE, 0);
            made.caps.push_back(key);
        }
        made.action = label(chord.action);
        gtk_grid_attach(GTK_GRID(grid), made.row, 0, line, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), made.action, 1, line++, 1, 1);
        m_chords.insert_or_assign(chord.id, made);
        refreshChord(chord);
    }
    return grid;
}

GtkWidget* GTKOnboardingWindow::buildSection(const SettingsSection& section)
{
    GtkWidget* box = sectionBox(section);
    GtkWidget* grid = controlGrid();
    int line = 0;
    for (const SettingsControl& control : section.controls) {
        if (control.kind == Kind::row) {
            gtk_grid_attach(GTK_GRID(grid), buildRow(control), 0, line++, 2, 1);
        } else if (control.kind == Kind::note || control.kind == Kind::button) {
            gtk_grid_attach(GTK_GRID(grid), m_controls.add(control), 0, line++, 2, 1);
        } else {
            GtkWidget* input = m_controls.add(control);
            GtkWidget* caption = label(control.label);
            gtk_label_set_mnemonic_widget(GTK_LABEL(caption), input);
            gtk_grid_attach(GTK_GRID(grid), caption, 0, line, 1, 1);
            gtk_grid_attach(GTK_GRID(grid), input, 1, line++, 1, 1);
            if (!control.hint.empty())
                gtk_grid_attach(GTK_GRID(grid), hintLabel(control.hint), 1, line++, 1, 1);
        }
    }
    gtk_box_pack_start(GTK_BOX(box), grid, FALSE, FALSE, 0);
    return box;
}

GtkWidget* GTKOnboardingWindow::buildRow(const SettingsControl& control)
{
    GtkWidget* line = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    if (GtkWidget* image = rowImage(control))
        gtk_box_pack_start(GTK_BOX(line), image, FALSE, FALSE, 0);
    for (const std::string& cell : control.cells) {
        GtkWidget* text = label(cell);
        gtk_label_set_ellipsize(GTK_LABEL(text), PANGO_ELLIPSIZE_MIDDLE);
        gtk_box_pack_start(GTK_BOX(line), text, TRUE, TRUE, 0);
    }
    for (auto button = control.buttons.rbegin(); button != control.buttons.rend(); ++button)
        gtk_box_pack_end(GTK_BOX(line), m_controls.add(*button), FALSE, FALSE, 0);
    return line;
}

void GTKOnboardingWindow::update(const OnboardingForm& form)
{
    m_controls.beginUpdate();
    if (shapeOf(form) != m_shape) {
        build(form);
        gtk_widget_show_all(m_body);
        gtk_widget_show_all(m_buttons);
    } else {
        for (const SettingsSection& section : form.sections) {
            for (const SettingsControl& control : section.controls) {
                if (control.kind != Kind::row)
                    m_controls.refresh(control);
                for (const SettingsControl& button : control.buttons)
                    m_controls.refresh(button);
            }
        }
        for (const SettingsControl& button : form.buttons)
            m_controls.refresh(button);
        for (const OnboardingChord& chord : form.chords)
            refreshChord(chord);
    }
    refreshTexts(form);
    m_controls.endUpdate();
}

void GTKOnboardingWindow::refreshTexts(const OnboardingForm& form)
{
    gtk_window_set_title(GTK_WINDOW(m_window), form.title.c_str());
    setText(m_eyebrow, form.eyebrow);
    setText(m_heading, form.heading);
    setText(m_intro, form.intro);
    // Its line stays, empty or not, so that the list above keeps its height when a chord is pressed.
    gtk_label_set_text(GTK_LABEL(m_pressedNote), form.pressedNote.c_str());
    gtk_widget_set_visible(m_pressedNote, !form.chords.empty());
    setText(m_status, form.status);
    setTone(m_status, form.statusTone);
}

void GTKOnboardingWindow::refreshChord(const OnboardingChord& wanted)
{
    auto found = m_chords.find(wanted.id);
    if (found == m_chords.end())
        return;
    for (GtkWidget* cap : found->second.caps)
        setClass(cap, "quorvane-lit", wanted.lit);
    setClass(found->second.action, "quorvane-lit", wanted.lit);
    setAccessibleName(found->second.row, chordName(wanted));
    // A lit chord further down the list scrolls into view.
    int x = 0, y = 0;
    if (wanted.lit && gtk_widget_translate_coordinates(found->second.row, m_body, 0, 0, &x, &y)) {
        GtkAdjustment* adjustment = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(m_scroller));
        gtk_adjustment_clamp_page(adjustment, y, y + gtk_widget_get_allocated_height(found->second.row));
    }
}

} // namespace quorvane
