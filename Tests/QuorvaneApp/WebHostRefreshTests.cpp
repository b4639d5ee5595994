#include "AppTesting.h"
#include "TilingTesting.h"

#include "QuorvaneApp/WebApps/WebAppLocations.h"
#include "QuorvaneApp/WebApps/WebHostRefresh.h"
#include "WebApps/DesktopEntryWriter.h"
#include "WebApps/DesktopIdentifier.h"
#include "WebApps/WebBundleWriter.h"

#include <filesystem>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const std::string shippedBytes = "host, this build";
const std::string oldBytes = "host, an earlier build";

// Web apps added through the model, with a shipped host beside the application and bundles on disk.
class WebHostTest : public test::AppTest {
public:
    std::string shippedHost() const { return home.file("bin/QuorvaneWebHost"); }

    void shipHost()
    {
        fs::create_directories(home.file("bin"));
        writeFile(shippedHost(), shippedBytes);
        fs::permissions(shippedHost(), fs::perms(0755));
        environment.hostBinary = shippedHost();
    }

    // Starts the model again, as the next launch does, with the environment as it is now.
    void restart()
    {
        model.reset();
        start();
    }

    void addApp(const std::string& name, const std::string& url = "https://mail.example.com")
    {
        ASSERT_EQ(model->handleRPC({ "app", "add", url, "--name", name }).exitCode, 0) << name;
    }

    const WebAppRecord& record(const std::string& name)
    {
        for (const WebAppRecord& app : model->config().apps)
            if (app.spec.name == name)
                return app;
        throw std::runtime_error("no web app " + name);
    }

    std::string bundle(const std::string& name) const { return paths().appsDirectory() + "/" + name + ".app"; }
    std::string host(const std::string& name) const { return webHostExecutable(bundle(name)); }

    // The embedded host's bytes, or "none".
    std::string hostOf(const std::string& name) const { return fs::exists(host(name)) ? readFile(host(name)) : "none"; }

    void setHost(const std::string& name, const std::optional<std::string>& bytes)
    {
        fs::remove(host(name));
        if (bytes)
            writeFile(host(name), *bytes);
    }

    int32_t launchInstance(const std::string& identifier) { return test::launchApp(desktop, identifier); }

    void quit(int32_t pid)
    {
        desktop.applications.terminate(pid);
        desktop.loop.runPending();
    }

    WebHostRefresh& hosts() { return model->webHosts(); }
    void sweep() { hosts().refreshStaleWebHosts(model->config()); }
};

// The sweep

TEST_F(WebHostTest, ABundleMadeBeforeTheHostExistedGetsItAtTheNextStartUp)
{
    start();
    addApp("Mail");
    ASSERT_EQ(hostOf("Mail"), "none");
    shipHost();
    restart();
    model->finishLaunch();
    EXPECT_EQ(hostOf("Mail"), shippedBytes);
    EXPECT_EQ(fs::status(host("Mail")).permissions() & fs::perms::all, fs::perms(0755));
}

TEST_F(WebHostTest, TheSweepDecidesByDigestAndByWhetherTheWebAppRuns)
{
    struct Case {
        const char* rule;
        std::optional<std::string> embedded;
        bool running;
        std::string after;
        bool waits;
    };
    const Case cases[] = {
        { "a bundle without a host gets the shipped one", std::nullopt, false, shippedBytes, false },
        { "an out-of-date host of a web app that is not running is replaced at once", oldBytes, false, shippedBytes,
            false },
        { "a current host stays", shippedBytes, false, shippedBytes, false },
        { "a current host of a running web app stays without waiting", shippedBytes, true, shippedBytes, false },
        { "a running web app keeps its out-of-date host until it quits", oldBytes, true, oldBytes, true },
    };
    shipHost();
    start();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.rule);
        addApp("Mail");
        setHost("Mail", test.embedded);
        int32_t pid = test.running ? launchInstance(record("Mail").spec.bundleIdentifier) : 0;
        sweep();
        EXPECT_EQ(hostOf("Mail"), test.after);
        EXPECT_EQ(hosts().pendingHostRefreshes().size(), test.waits ? 1u : 0u);
        EXPECT_EQ(desktop.applications.watchingQuits(), test.waits);
        if (pid)
            quit(pid);
        ASSERT_EQ(model->handleRPC({ "app", "remove", "Mail", "--yes" }).exitCode, 0);
    }
}

TEST_F(WebHostTest, TheSweepLeavesAloneWhatIsNotAWebAppBundleOfOurs)
{
    start();
    std::string folder = paths().appsDirectory();
    addApp("Mail");
    setHost("Mail", oldBytes);
    // Without a shipped host nothing is replaced.
    sweep();
    EXPECT_EQ(hostOf("Mail"), oldBytes);
    shipHost();
    restart();
    // Not a bundle by name, a bundle whose identifier cannot be read, and a link to a bundle elsewhere.
    fs::create_directories(folder + "/Notes/Contents/MacOS");
    writeFile(folder + "/Notes/Contents/MacOS/QuorvaneWebHost", oldBytes);
    fs::create_directories(folder + "/Broken.app/Contents/MacOS");
    writeFile(folder + "/Broken.app/Contents/Info.plist", "not a property list");
    writeFile(folder + "/Broken.app/Contents/MacOS/QuorvaneWebHost", oldBytes);
    fs::create_directories(home.file("elsewhere"));
    fs::rename(bundle("Mail"), home.file("elsewhere/Mail.app"));
    fs::create_directory_symlink(home.file("elsewhere/Mail.app"), folder + "/Linked.app");

    sweep();
    EXPECT_EQ(readFile(folder + "/Notes/Contents/MacOS/QuorvaneWebHost"), oldBytes);
    EXPECT_EQ(readFile(folder + "/Broken.app/Contents/MacOS/QuorvaneWebHost"), oldBytes);
    EXPECT_EQ(readFile(webHostExecutable(home.file("elsewhere/Mail.app"))), oldBytes);
    EXPECT_TRUE(hosts().installedWebHosts(model->config()).empty());
}

// Quits

TEST_F(WebHostTest, ARunningWebAppsHostIsReplacedOnlyAfterItsLastInstanceQuits)
{
    shipHost();
    start();
    addApp("Mail");
    addApp("Café Crème", "https://cafe.example.com");
    setHost("Mail", oldBytes);
    setHost("Café Crème", oldBytes);
    std::string identifier = record("Mail").spec.bundleIdentifier;
    int32_t first = launchInstance(identifier);
    int32_t second = launchInstance(identifier);
    // The desktop knows this one by the escaped form of its identifier.
    std::string cafe = desktopIdentifier(record("Café Crème").spec.bundleIdentifier);
    ASSERT_NE(cafe, record("Café Crème").spec.bundleIdentifier);
    int32_t third = launchInstance(cafe);
    int32_t other = launchInstance("org.example.Editor");
    sweep();

    quit(other);
    quit(first);
    EXPECT_EQ(hostOf("Mail"), oldBytes);
    EXPECT_EQ(hostOf("Café Crème"), oldBytes);
    quit(third);
    EXPECT_EQ(hostOf("Café Crème"), shippedBytes);
    EXPECT_TRUE(desktop.applications.watchingQuits());
    // The last instance reports its quit while the platform still lists it.
    hosts().applicationQuit(RunningApplication { identifier, second, identifier, true, false });
    EXPECT_EQ(hostOf("Mail"), shippedBytes);
    EXPECT_FALSE(desktop.applications.watchingQuits());
}

TEST_F(WebHostTest, AQuitAfterTheModelIsGoneIsIgnored)
{
    shipHost();
    start();
    addApp("Mail");
    setHost("Mail", oldBytes);
    int32_t pid = launchInstance(record("Mail").spec.bundleIdentifier);
    sweep();
    model.reset();
    EXPECT_FALSE(desktop.applications.watchingQuits());
    quit(pid);
    EXPECT_EQ(hostOf("Mail"), oldBytes);
}

// Edits

TEST_F(WebHostTest, AnEditedWebAppsBundleFollowsItsNameAndAddress)
{
    start();
    addApp("Mail");
    WebAppRecord edited = record("Mail");
    edited.spec.name = "Post";
    edited.spec.url = "https://post.example.com";
    hosts().refreshWebBundle("Mail", edited);

    EXPECT_FALSE(fs::exists(bundle("Mail")));
    EXPECT_NE(readFile(bundle("Post") + "/Contents/Info.plist").find("<string>Post</string>"), std::string::npos);
    EXPECT_NE(
        readFile(bundle("Post") + "/Contents/Resources/stub.json").find("https://post.example.com"), std::string::npos);
    std::string entry = readFile(DesktopEntryWriter(paths()).entryPath(edited.spec.bundleIdentifier));
    EXPECT_NE(entry.find("\nName=Post\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Post.app/Contents/MacOS/QuorvaneWebHost"), std::string::npos) << entry;
    EXPECT_EQ(model->banner(), "");
}

TEST_F(WebHostTest, ARenameOntoAnExistingBundleKeepsBothAndRefreshesTheNewOne)
{
    start();
    addApp("Mail");
    addApp("Post", "https://post.example.com");
    WebAppRecord edited = record("Mail");
    edited.spec.name = "Post";
    hosts().refreshWebBundle("Mail", edited);
    EXPECT_TRUE(fs::exists(bundle("Mail") + "/Contents/Info.plist"));
    EXPECT_NE(
        readFile(bundle("Post") + "/Contents/Resources/stub.json").find("https://mail.example.com"), std::string::npos);
}

TEST_F(WebHostTest, FailedEditsOfTheBundleBecomeTheBanner)
{
    start();
    addApp("Mail");
    std::string entryPath = DesktopEntryWriter(paths()).entryPath(record("Mail").spec.bundleIdentifier);
    std::string entryBefore = readFile(entryPath);

    // A name too long for a file name: the bundle keeps its old name and its launcher entry still starts it.
    WebAppRecord renamed = record("Mail");
    renamed.spec.name = std::string(300, 'x');
    hosts().refreshWebBundle("Mail", renamed);
    EXPECT_EQ(model->banner(), "Quorvane saved the app. The Dock icon is still named Mail.");
    EXPECT_FALSE(model->bannerIsSuccess());
    EXPECT_NE(readFile(bundle("Mail") + "/Contents/Info.plist").find(renamed.spec.name), std::string::npos);
    EXPECT_EQ(readFile(entryPath), entryBefore);

    // stub.json cannot be replaced by a file while a folder stands in its place.
    fs::remove(bundle("Mail") + "/Contents/Resources/stub.json");
    fs::create_directory(bundle("Mail") + "/Contents/Resources/stub.json");
    WebAppRecord moved = record("Mail");
    moved.spec.url = "https://post.example.com";
    hosts().refreshWebBundle("Mail", moved);
    EXPECT_EQ(model->banner(), "Quorvane saved the app. Its Dock icon still has the previous address.");
}

// Launch locations

TEST_F(WebHostTest, AConfiguredWebAppLaunchesThroughItsEntryElseItsHost)
{
    shipHost();
    start();
    addApp("Mail");
    std::string identifier = record("Mail").spec.bundleIdentifier;
    std::string entry = DesktopEntryWriter(paths()).entryPath(identifier);
    auto location
        = [&](const std::string& id) { return WebAppLocations::launchLocation(paths(), model->config(), id); };

    EXPECT_EQ(location(identifier), entry);
    EXPECT_EQ(location("org.example.Editor"), std::nullopt);
    fs::remove(entry);
    EXPECT_EQ(location(identifier), host("Mail"));
    fs::remove(host("Mail"));
    EXPECT_EQ(location(identifier), std::nullopt);
    writeFile(entry, "[Desktop Entry]\n");
    fs::remove_all(bundle("Mail"));
    EXPECT_EQ(location(identifier), std::nullopt);
}

} // namespace
} // namespace quorvane
