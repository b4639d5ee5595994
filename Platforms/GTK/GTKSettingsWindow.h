#pragma once

#include "Platforms/GTK/GTKFormControls.h"
#include "Platforms/GTK/GTKSettingsControls.h"
#include "QuorvaneApp/Platform/AppWindows.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

typedef struct _GtkSizeGroup GtkSizeGroup;
typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// The settings window drawn with GTK 3 in the desktop's theme: a notebook with one page per tab, each a
// scrolled column of titled sections, and the status line under it. Every control carries its accessible
// name. Changes the person makes go to `events`; changes the application makes are applied in place and
// are not reported back. Main thread only.
class GTKSettingsWindow {
public:
    // Shows the window with `form` on `page`, framed as `chrome` says. `events` must outlive the window;
    // `closeRequested` runs when the person asks the window to close (its close button, or the desktop's close).
    GTKSettingsWindow(const SettingsForm& form, const std::string& page, WindowChrome chrome,
        const SettingsEvents& events, std::function<void()> closeRequested);
    // Destroys the window.
    ~GTKSettingsWindow();
    GTKSettingsWindow(const GTKSettingsWindow&) = delete;
    GTKSettingsWindow& operator=(const GTKSettingsWindow&) = delete;

    // Turns to `page` and brings the window forward.
    void present(const std::string& page);
    void update(const SettingsForm& form);
    GtkWidget* window() const { return m_window; }

private:
    struct Section {
        SettingsSection structure;
        GtkWidget* box = nullptr;
        std::vector<std::string> keys;
    };
    struct Page {
        std::string key;
        std::string title;
        GtkWidget* column = nullptr;
        std::vector<Section> sections;
    };

    void buildPages(const SettingsForm& form);
    GtkWidget* buildSection(const SettingsSection& section, std::vector<std::string>& keys);
    GtkWidget* buildRow(const SettingsControl& control, std::vector<std::string>& keys);
    void setStatus(const std::string& text, MenuTone tone);

    const SettingsEvents& m_events;
    GTKFormControls m_controls;
    std::function<void()> m_closeRequested;
    GtkWidget* m_window = nullptr;
    GtkWidget* m_notebook = nullptr;
    GtkWidget* m_status = nullptr;
    // The captions of every page, one width, so that controls line up from section to section.
    GtkSizeGroup* m_captions = nullptr;
    std::vector<Page> m_pages;
};

} // namespace quorvane
