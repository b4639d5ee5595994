#include "AppTesting.h"

namespace quorvane {
namespace {

using test::writeFile;

class ApplicationTargets : public test::AppTest { };

TEST_F(ApplicationTargets, DotlessIdsOfRunningOrInstalledApplicationsAreTargets)
{
    desktop.applications.install("xterm", "/usr/share/applications/xterm.desktop");
    desktop.applications.launch(RunningApplication { "firefox-esr", 0, "Firefox", true, false });
    start();
    const std::pair<const char*, std::optional<ResolvedTarget>> cases[] = {
        { "xterm", ResolvedTarget::bundle("xterm") },
        { "firefox-esr", ResolvedTarget::bundle("firefox-esr") },
        { "nothing", std::nullopt },
        { "com.example.editor", ResolvedTarget::bundle("com.example.editor") },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(model->resolveTarget(text), expected) << text;

    // Commands from the socket and the settings window take the same words.
    EXPECT_EQ(model->handleRPC({ "rule", "add", "xterm", "--tile", "left-half" }).exitCode, 0);
    EXPECT_EQ(model->handleRPC({ "hotkey", "set", "opt+cmd+f", "firefox-esr" }).exitCode, 0);
    RPCResponse unknown = model->handleRPC({ "rule", "add", "nothing", "--tile", "fill" });
    EXPECT_EQ(unknown.exitCode, 5);
    EXPECT_EQ(unknown.message, "No app named nothing.");
    EXPECT_EQ(model->config().rules.size(), 1u);
    EXPECT_EQ(model->config().hotkeys.size(), 1u);
}

class LoginItemSync : public test::AppTest {
protected:
    GeneralConfig withLaunchAtLogin(bool on)
    {
        GeneralConfig general = model->config().general;
        general.launchAtLogin = on;
        return general;
    }
};

TEST_F(LoginItemSync, TheLoginItemFollowsEveryNewConfiguration)
{
    start();
    model->finishLaunch();
    EXPECT_FALSE(desktop.loginItem.enabled());
    int changes = desktop.loginItem.changes();

    // The settings window.
    model->setGeneral(withLaunchAtLogin(true));
    EXPECT_TRUE(desktop.loginItem.enabled());
    EXPECT_EQ(desktop.loginItem.changes(), changes + 1);

    // Any other save through the model, such as a command's.
    EXPECT_FALSE(model->configuration().persist([&](ConfigFile& file) {
        file.setGeneral(withLaunchAtLogin(false));
        return true;
    }));
    EXPECT_FALSE(desktop.loginItem.enabled());
    EXPECT_EQ(desktop.loginItem.changes(), changes + 2);

    // An edit saved in a text editor.
    writeFile(configPath(), test::configText({ { "launch_at_login", "true" } }));
    model->configuration().reloadFromDisk();
    EXPECT_TRUE(desktop.loginItem.enabled());
    EXPECT_EQ(desktop.loginItem.changes(), changes + 3);

    // A command that saves nothing leaves the login item alone; saving unchanged settings brings it in line.
    model->handleRPC({ "hotkey", "list" });
    EXPECT_EQ(desktop.loginItem.changes(), changes + 3);
    model->setGeneral(model->config().general);
    EXPECT_EQ(desktop.loginItem.changes(), changes + 4);
}

} // namespace
} // namespace quorvane
