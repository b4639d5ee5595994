#pragma once

#include "ChildProcess.h"
#include "Configuration/QuorvanePaths.h"
#include "TestSupport/TemporaryFolder.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

typedef struct xcb_connection_t xcb_connection_t;

namespace quorvane::test {

// A private desktop for programs under test: a virtual X display, a session bus of its own with a monitor
// that records what is said on it, a temporary home with its XDG folders, and a default handler that
// records every address handed to it. Nothing of the person's own session is used.
class TestDesktop {
public:
    TestDesktop();
    ~TestDesktop();

    const std::string& home() const { return m_home; }
    std::string dataHome() const { return m_folder.path() + "/data"; }
    // The places a program on this desktop uses.
    QuorvanePaths paths() const;
    // The environment for a program on this desktop.
    const std::map<std::string, std::string>& environment() const { return m_environment; }
    // Where programs started by the test may write their output.
    std::string logFile(const std::string& name) const { return m_folder.file(name + ".log"); }

    // Presses and releases the first button at (x, y) of the screen through XTest.
    void click(int x, int y);
    // The sizes of the mapped top-level windows, as "WIDTHxHEIGHT", one a line.
    std::string windowSizes() const;
    // The titles (_NET_WM_NAME) of the mapped top-level windows, one a line.
    std::string windowTitles() const;
    // Saves the whole screen as a PNG image.
    void screenshot(const std::string& path) const;

    // Every address the default handler was asked to open, one a line.
    std::string handedOut() const;
    // What the session-bus monitor has recorded.
    std::string busTraffic() const;
    // Waits up to `seconds` for `text` to appear in what `source` gives.
    template <typename Source> bool waitFor(Source source, const std::string& text, double seconds) const;

private:
    TemporaryFolder m_folder;
    std::string m_home;
    std::map<std::string, std::string> m_environment;
    std::unique_ptr<ChildProcess> m_display;
    std::unique_ptr<ChildProcess> m_bus;
    std::unique_ptr<ChildProcess> m_monitor;
    xcb_connection_t* m_connection = nullptr;
};

bool waitUntil(const std::function<bool()>& condition, double seconds);

template <typename Source> bool TestDesktop::waitFor(Source source, const std::string& text, double seconds) const
{
    return waitUntil([&] { return (this->*source)().find(text) != std::string::npos; }, seconds);
}

} // namespace quorvane::test
