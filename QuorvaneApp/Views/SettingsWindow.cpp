#include "QuorvaneApp/Views/SettingsWindow.h"

#include "QuorvaneApp/Platform/AppWindows.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/Views/SettingsPane.h"

namespace quorvane {

SettingsWindow::SettingsWindow(
    MainLoop& loop, AppWindows& windows, const Banner& banner, std::vector<std::unique_ptr<SettingsPane>> panes)
    : m_loop(loop)
    , m_windows(windows)
    , m_banner(banner)
    , m_panes(std::move(panes))
{
    m_windows.setSettingsEvents(SettingsEvents {
        m_self.bind([](SettingsWindow& window, const std::string& key, const std::string& value) {
            window.edited(key, value);
        }),
        m_self.bind([](SettingsWindow& window, const std::string& key) { window.pressed(key); }),
        m_self.bind([](SettingsWindow& window, const std::string& page) {
            if (std::optional<SettingsTab> tab = parseSettingsTab(page))
                window.m_tab = tab;
        }),
        m_self.bind([](SettingsWindow& window) {
            window.m_open = false;
            window.m_pending = false;
        }),
    });
}

SettingsWindow::~SettingsWindow()
{
    m_windows.setSettingsEvents({});
    if (m_open)
        m_windows.closeSettings();
}

SettingsPane* SettingsWindow::pane(SettingsTab tab) const
{
    for (const std::unique_ptr<SettingsPane>& pane : m_panes) {
        if (pane->tab() == tab)
            return pane.get();
    }
    return nullptr;
}

void SettingsWindow::show(SettingsTab tab)
{
    m_tab = tab;
    m_pending = false;
    m_form = build();
    m_open = true;
    m_windows.showSettings(m_form, std::string(toString(tab)));
}

void SettingsWindow::close()
{
    if (m_open)
        m_windows.closeSettings();
    m_open = false;
}

void SettingsWindow::refresh()
{
    if (!m_open || m_pending)
        return;
    m_pending = true;
    m_loop.post(m_self.bind([](SettingsWindow& window) {
        if (window.m_pending)
            window.update();
    }));
}

void SettingsWindow::update()
{
    m_pending = false;
    if (!m_open)
        return;
    SettingsForm form = build();
    if (form == m_form)
        return;
    m_form = std::move(form);
    m_windows.updateSettings(m_form);
}

SettingsForm SettingsWindow::build()
{
    SettingsForm form;
    form.title = windowTitle;
    for (SettingsTab tab : allSettingsTabs) {
        if (SettingsPane* shown = pane(tab))
            form.pages.push_back(
                SettingsPage { std::string(toString(tab)), std::string(title(tab)), shown->sections() });
    }
    form.status = m_banner.text();
    if (!form.status.empty())
        form.statusTone = m_banner.isSuccess() ? MenuTone::success : MenuTone::failure;
    return form;
}

SettingsPane* SettingsWindow::owner(const std::string& key) const
{
    std::optional<SettingsTab> tab = parseSettingsTab(key.substr(0, key.find('.')));
    return tab ? pane(*tab) : nullptr;
}

void SettingsWindow::edited(const std::string& key, const std::string& value)
{
    if (SettingsPane* target = owner(key))
        target->edit(key, value);
    refresh();
}

void SettingsWindow::pressed(const std::string& key)
{
    if (SettingsPane* target = owner(key))
        target->press(key);
    refresh();
}

} // namespace quorvane
