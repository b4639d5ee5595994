// The panel that makes a web app, on the simulated desktop with held workers: the proposed name, the icon
// fetched off the main thread, failures kept in the panel, and Cancel or closing while the icon is on its way.
#include "AppTesting.h"
#include "KeysTesting.h"
#include "TilingTesting.h"

#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GLib/GLibWorkerPool.h"
#include "Command/Invocation.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/Views/ChordCheck.h"
#include "QuorvaneApp/Views/NewAppPanel.h"
#include "QuorvaneApp/Views/StatusMenu.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace quorvane {
namespace {

constexpr const char* panel = NewAppPanel::panelKey;

class NewAppPanelTest : public test::AppTest {
protected:
    SimulatedAppWindows& windows = desktop.appWindows;
    std::vector<std::string> fetched;

    void begin()
    {
        environment.fetchIcon = [this](const std::string& url, double) -> std::optional<std::string> {
            fetched.push_back(url);
            return std::string("icns fetched icon");
        };
        test::oneDisplay(desktop);
        startWith(test::configText({}));
        desktop.workers.setQueued(true);
        settle();
        // As the tray's line does.
        ASSERT_TRUE(desktop.statusItem.choose("New Web App\u2026"));
        settle();
        ASSERT_TRUE(windows.panelOpen(panel));
    }

    void settle() { desktop.loop.runPending(); }

    bool edit(const std::string& name, const std::string& value)
    {
        bool found = windows.editPanel(panel, name, value);
        settle();
        return found;
    }

    bool press(const std::string& name)
    {
        bool found = windows.pressPanel(panel, name);
        settle();
        return found;
    }

    std::string value(const std::string& name)
    {
        const SettingsControl* control = windows.panelControl(panel, name);
        return control ? control->value : "<none>";
    }

    // The icon's worker ends and its answer reaches the main thread.
    void fetchEnds()
    {
        desktop.workers.drain();
        settle();
    }

    std::vector<std::string> apps()
    {
        std::vector<std::string> names;
        for (const WebAppRecord& app : model->config().apps)
            names.push_back(app.spec.name + " " + app.spec.url + " " + app.spec.hotkey.value_or("-") + " "
                + app.spec.tile.value_or("-"));
        return names;
    }

    bool bundleExists(const std::string& name)
    {
        return std::filesystem::exists(paths().appsDirectory() + "/" + name + ".app");
    }
};

TEST(NewAppPanelName, TheAddressProposesANameFromItsHost)
{
    const std::pair<std::string, std::string> cases[] = {
        { "https://www.example.com/inbox", "Example" },
        { "  http://mail.example.com  ", "Mail" },
        { "http://127.0.0.1:8080/", "127.0.0.1" },
        { "https://Docs.Example.org", "Docs" },
        { "example", "" },
        { "", "" },
        { "file:///tmp/x", "" },
    };
    for (const auto& [address, name] : cases)
        EXPECT_EQ(NewAppPanel::proposedName(address), name) << address;
}

TEST_F(NewAppPanelTest, TheNameFollowsTheAddressUntilTyped)
{
    begin();
    const std::tuple<std::string, std::string, std::string> steps[] = {
        { "Address", "https://www.example.com", "Example" },
        { "Address", "https://mail.example.com", "Mail" },
        { "Name", "Post", "Post" },
        { "Address", "https://calendar.example.com", "Post" },
        // Emptied, as select-all and typing do, the field stays the typist's; the address's next change fills it.
        { "Name", "", "" },
        { "Name", "Bar", "Bar" },
        { "Name", "", "" },
        { "Address", "https://docs.example.com", "Docs" },
    };
    for (const auto& [field, typed, name] : steps) {
        ASSERT_TRUE(edit(field, typed)) << field;
        EXPECT_EQ(value("Name"), name) << typed;
    }
    // Created with the field emptied, the app takes the address's name.
    ASSERT_TRUE(edit("Name", ""));
    ASSERT_TRUE(press("Create"));
    fetchEnds();
    EXPECT_EQ(apps(), (std::vector<std::string> { "Docs https://docs.example.com - -" }));
}

TEST_F(NewAppPanelTest, CreateFetchesOnAWorkerThenAddsTheAppAndCloses)
{
    begin();
    ASSERT_TRUE(edit("Address", "https://mail.example.com/inbox"));
    ASSERT_TRUE(edit("New web app hotkey", "ctrl+shift+m"));
    ASSERT_TRUE(edit("Tile", "left-half"));
    ASSERT_TRUE(press("Create"));
    // The main thread does not wait: the panel turns and says it waits, with Cancel and no Create.
    EXPECT_TRUE(model->newAppPanel()->fetching());
    EXPECT_TRUE(windows.panelControl(panel, NewAppPanel::fetchingText));
    EXPECT_FALSE(windows.panelControl(panel, "Create"));
    EXPECT_FALSE(windows.panelControl(panel, "Address")->enabled);
    EXPECT_TRUE(fetched.empty());
    EXPECT_TRUE(apps().empty());

    fetchEnds();
    EXPECT_EQ(fetched, (std::vector<std::string> { "https://mail.example.com/inbox" }));
    EXPECT_EQ(apps(), (std::vector<std::string> { "Mail https://mail.example.com/inbox ctrl+shift+m left-half" }));
    EXPECT_FALSE(windows.panelOpen(panel));
    EXPECT_EQ(test::readFile(paths().appsDirectory() + "/Mail.app/Contents/Resources/AppIcon.icns"), "icns fetched icon");
    EXPECT_TRUE(desktop.statusItem.find("Mail"));
    EXPECT_TRUE(desktop.hotkeys.press(test::keyChord("ctrl+shift+m")));
}

TEST_F(NewAppPanelTest, FailuresStayInThePanel)
{
    struct Case {
        std::string address, name, hotkey;
        std::string status;
    };
    const Case cases[] = {
        { "example", " ", "", NewAppPanel::needsName },
        { "ftp://example.com", "Files", "", "" },
        { "https://example.com", "Example", "ctrl+opt+f",
            "ctrl+opt+f is used by Quorvane itself. It fires the tile key Fill screen." },
        { "https://example.com", "Taken", "", "" },
    };
    begin();
    ASSERT_EQ(model->handleRPC({ "app", "add", "https://taken.example.com", "--name", "Taken" }).exitCode, 0);
    for (const Case& c : cases) {
        ASSERT_TRUE(edit("Address", c.address));
        ASSERT_TRUE(edit("Name", c.name));
        ASSERT_TRUE(edit("New web app hotkey", c.hotkey));
        if (windows.panelForm(panel).status.empty()) {
            ASSERT_TRUE(press("Create"));
            fetchEnds();
        }
        EXPECT_TRUE(windows.panelOpen(panel)) << c.name;
        EXPECT_FALSE(windows.panelForm(panel).status.empty()) << c.name;
        EXPECT_EQ(windows.panelForm(panel).statusTone, MenuTone::failure) << c.name;
        if (!c.status.empty()) {
            EXPECT_EQ(windows.panelForm(panel).status, c.status) << c.name;
        }
        ASSERT_TRUE(edit("New web app hotkey", ""));
    }
    EXPECT_EQ(apps().size(), 1u);
}

TEST_F(NewAppPanelTest, CancelOrClosingWhileTheIconComesLeavesNothing)
{
    for (bool closing : { false, true }) {
        begin();
        ASSERT_TRUE(edit("Address", "https://slow.example.com"));
        ASSERT_TRUE(press("Create"));
        ASSERT_TRUE(model->newAppPanel()->fetching());
        if (closing) {
            windows.closePanel(panel);
        } else {
            ASSERT_TRUE(press("Cancel"));
            // Back to the form as it was, still open.
            EXPECT_TRUE(windows.panelOpen(panel));
            EXPECT_EQ(value("Address"), "https://slow.example.com");
            EXPECT_TRUE(windows.panelControl(panel, "Create"));
        }
        fetchEnds();
        EXPECT_TRUE(apps().empty()) << closing;
        EXPECT_FALSE(bundleExists("Slow")) << closing;
        EXPECT_EQ(windows.panelOpen(panel), !closing);
        model.reset();
    }
}

// On GLib's loop and real workers: the fetch ends on a worker after the panel was cancelled and made to
// create again; only the second answer adds an app, on the main thread.
TEST(NewAppPanelThreads, AnAnswerAfterCancelIsDroppedAndTheNextOneAdds)
{
    GLibMainLoop loop;
    GLibWorkerPool workers(2);
    SimulatedAppWindows windows;
    SimulatedHotkeyRegistrar registrar(loop);
    struct : ConfigSource {
        QuorvaneConfig value;
        const QuorvaneConfig& config() const override { return value; }
        uint64_t generation() const override { return 1; }
    } config;
    Banner banner;
    ChordCheck chords(config, registrar);
    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;
    bool released = false;
    std::vector<std::string> added;
    NewAppPanel panel(loop, workers, windows, chords, banner,
        NewAppPanel::Actions {
            [&](const std::string&, double) -> std::optional<std::string> {
                std::unique_lock lock(mutex);
                ++started;
                changed.notify_all();
                changed.wait(lock, [&] { return released; });
                return std::string("icon");
            },
            [&](const Invocation& invocation, const std::optional<std::string>&,
                const std::optional<std::string>& icon) {
                EXPECT_TRUE(loop.isMainThread());
                added.push_back(invocation.command.as<Command::AppAdd>()->name.value_or("") + " " + icon.value_or(""));
                return RPCResponse("", 0, "", "{}");
            } });
    panel.show();
    windows.editPanel(panel.panelKey, "Address", "https://example.com");
    windows.pressPanel(panel.panelKey, "Create");
    windows.pressPanel(panel.panelKey, "Cancel");
    windows.editPanel(panel.panelKey, "Name", "Second");
    windows.pressPanel(panel.panelKey, "Create");
    std::thread release([&] {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return started == 2; });
        released = true;
        changed.notify_all();
    });
    TimerId poll = loop.addTimer(0.005, true, [&] {
        if (!panel.isOpen())
            loop.quit();
    });
    loop.run();
    loop.cancelTimer(poll);
    release.join();
    EXPECT_EQ(added, (std::vector<std::string> { "Second icon" }));
}

} // namespace
} // namespace quorvane
