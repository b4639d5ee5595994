#pragma once

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/StatusMenu.h"
#include "RPC/RPCResponse.h"

#include <string>

namespace quorvane::bench {

// A configuration of fifty web apps and fifty saved layouts, as the tray's menu reads it.
class MenuScene : public ConfigSource {
public:
    static constexpr size_t count = 50;

    MenuScene()
    {
        for (size_t index = 0; index < count; ++index) {
            std::string number = std::to_string(index);
            WebAppRecord app;
            app.slug = "app-" + number;
            app.spec.name = "Web App " + number;
            app.spec.bundleIdentifier = "app.quorvane.web.app-" + number;
            m_config.apps.push_back(app);
            m_config.layouts.push_back(Layout { "Layout " + number,
                { LayoutAssignment { "org.example.Editor", "left-half" },
                    LayoutAssignment { "app-" + number, "right-half" } } });
        }
    }

    const QuorvaneConfig& config() const override { return m_config; }
    uint64_t generation() const override { return 1; }

    // Actions that do nothing: the benchmarks only rebuild.
    static StatusMenu::Actions idleActions()
    {
        return StatusMenu::Actions { [] { return false; }, [](const std::string&) {},
            [](const std::vector<std::string>&) { return RPCResponse(); }, [] {} };
    }

    // A banner that differs from the last one, so that every rebuild hands over a new menu.
    void changeBanner(Banner& banner)
    {
        bool failure = ++m_changes % 2 == 1;
        banner.setBanner(failure ? "No saved layouts." : "Saved layout desk.", !failure);
    }

    // A change of the menu's lines (or, for `bannerText`, of a line's text and tone only) that `make` makes
    // and `undo` takes back.
    enum class Change { bannerText, bannerAppears, bannerGoes, layoutAdded, webAppRemoved };

    static const char* name(Change change)
    {
        switch (change) {
        case Change::bannerText:
            return "banner text";
        case Change::bannerAppears:
            return "banner appears";
        case Change::bannerGoes:
            return "banner goes";
        case Change::layoutAdded:
            return "one layout added";
        case Change::webAppRemoved:
            return "one web app removed";
        }
        return "";
    }

    void make(Change change, Banner& banner)
    {
        switch (change) {
        case Change::bannerText:
        case Change::bannerAppears:
            banner.setBanner("No saved layouts.", false);
            break;
        case Change::bannerGoes:
            banner.clear();
            break;
        case Change::layoutAdded:
            m_config.layouts.push_back(Layout { "Layout " + std::to_string(count), {} });
            break;
        case Change::webAppRemoved:
            m_removed = m_config.apps[count / 2];
            m_config.apps.erase(m_config.apps.begin() + count / 2);
            break;
        }
    }

    void undo(Change change, Banner& banner)
    {
        switch (change) {
        case Change::bannerText:
        case Change::bannerGoes:
            banner.setBanner("Saved layout desk.", true);
            break;
        case Change::bannerAppears:
            banner.clear();
            break;
        case Change::layoutAdded:
            if (m_config.layouts.size() > count)
                m_config.layouts.pop_back();
            break;
        case Change::webAppRemoved:
            if (m_config.apps.size() < count)
                m_config.apps.insert(m_config.apps.begin() + count / 2, m_removed);
            break;
        }
    }

private:
    QuorvaneConfig m_config;
    WebAppRecord m_removed;
    int m_changes = 0;
};

} // namespace quorvane::bench
