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
    static constexpr int count = 50;

    MenuScene()
    {
        for (int index = 0; index < count; ++index) {
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

    // A banner that comes and goes, so that every rebuild hands over a menu of other lines.
    void toggleBanner(Banner& banner)
    {
        if (++m_changes % 2 == 1)
            banner.setBanner("No saved layouts.", false);
        else
            banner.clear();
    }

private:
    QuorvaneConfig m_config;
    int m_changes = 0;
};

} // namespace quorvane::bench
