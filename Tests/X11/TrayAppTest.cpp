#include "X11/TrayAppTest.h"

#include <xcb/xcb.h>

#include <csignal>

namespace quorvane::test {

void TrayAppTest::SetUpTestSuite()
{
    s_desktop = new VirtualDesktop;
    s_bus = new AccessibilityBus;
}

void TrayAppTest::TearDownTestSuite()
{
    delete s_bus;
    delete s_desktop;
}

TrayAppTest::TrayAppTest()
    : m_connection(xcb_connect(nullptr, nullptr))
{
}

TrayAppTest::~TrayAppTest()
{
    if (app) {
        app->signal(SIGTERM);
        EXPECT_EQ(app->finish(), 0);
    }
    xcb_disconnect(m_connection);
}

void TrayAppTest::startWithTray(const std::vector<std::string>& lines, const std::string& extra)
{
    std::vector<std::string> all { "animate_tiles = false", "onboarding_complete = true" };
    all.insert(all.end(), lines.begin(), lines.end());
    writeConfig(configWith(all, extra));
    app = startApp();
    ASSERT_TRUE(eventually([&] {
        std::optional<TrayMenuItem> menu = host.menu();
        return menu && menu->find("Settings…");
    }));
}

} // namespace quorvane::test
