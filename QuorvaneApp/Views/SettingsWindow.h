#pragma once

#include "QuorvaneApp/Platform/SettingsForm.h"
#include "QuorvaneApp/Platform/WeakSelf.h"
#include "QuorvaneApp/State/SettingsTab.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class AppWindows;
class Banner;
class MainLoop;
class SettingsPane;

// The settings window: one at a time, its tabs drawn from their panes, and the status line showing the
// banner with its tone. It follows what it shows (the configuration in force, the banner) while it is open,
// and hands every edit to the pane whose control it was. Main thread only.
class SettingsWindow {
public:
    static constexpr const char* windowTitle = "Quorvane Settings";

    // `panes` fill the tabs; a tab without a pane is left out.
    SettingsWindow(MainLoop&, AppWindows&, const Banner&, std::vector<std::unique_ptr<SettingsPane>> panes);
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Opens the window on `tab`, or brings the open one forward on `tab`.
    void show(SettingsTab tab);
    void close();
    // Something the window shows may have changed: once the main loop's current work is done it is brought up
    // to date, once however many changes come before that. Nothing while it is closed.
    void refresh();

    bool isOpen() const { return m_open; }
    // The tab shown (or shown last), once the window was asked for.
    std::optional<SettingsTab> tab() const { return m_tab; }
    // What the window shows (or showed last).
    const SettingsForm& form() const { return m_form; }
    // The pane of `tab`, or null.
    SettingsPane* pane(SettingsTab tab) const;

private:
    SettingsForm build();
    void update();
    void edited(const std::string& key, const std::string& value);
    void pressed(const std::string& key);
    SettingsPane* owner(const std::string& key) const;

    MainLoop& m_loop;
    AppWindows& m_windows;
    const Banner& m_banner;
    std::vector<std::unique_ptr<SettingsPane>> m_panes;
    SettingsForm m_form;
    std::optional<SettingsTab> m_tab;
    bool m_open = false;
    bool m_pending = false;
    WeakSelf<SettingsWindow> m_self { *this };
};

} // namespace quorvane
