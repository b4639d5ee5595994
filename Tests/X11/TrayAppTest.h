#pragma once

#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "X11/TestAccessibility.h"
#include "X11/TestKeyboard.h"
#include "X11/TestTrayHost.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace quorvane::test {

// A suite that shares one virtual desktop, whose accessibility bus this process opens once, and starts the
// real application with the tray test host; the application is ended, and must end cleanly, after each test.
class TrayAppTest : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    TrayAppTest();
    ~TrayAppTest() override;

    // Writes a configuration of `lines` (tiles not animated, onboarding done) and `extra`, starts the
    // application and waits until its tray menu offers "Settings…".
    void startWithTray(const std::vector<std::string>& lines = {}, const std::string& extra = "");
    xcb_connection_t* connection() const { return m_connection; }

    static inline VirtualDesktop* s_desktop = nullptr;
    static inline AccessibilityBus* s_bus = nullptr;
    Keyboard keyboard;
    GLibMainLoop loop;
    X11Desktop windows { loop };
    TestTrayHost host;
    std::unique_ptr<ChildProcess> app;
    Accessible application;

private:
    xcb_connection_t* m_connection;
};

} // namespace quorvane::test
