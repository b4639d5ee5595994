#include "QuorvaneIPC/QuorvaneSession.h"

#include "Command/HelpText.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/SocketIO.h"
#include "QuorvaneIPC/SocketServer.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Router/DoctorCheck.h"
#include "Router/QuorvaneControlling.h"
#include "TestSupport/TemporaryFolder.h"
#include "JSON/JSONValue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <grp.h>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>

namespace quorvane {

void PrintTo(const SessionResult& result, std::ostream* out)
{
    *out << "{" << result.exitCode << ", stdout " << testing::PrintToString(result.stdout) << ", stderr "
         << testing::PrintToString(result.stderr) << "}";
}

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;
namespace fs = std::filesystem;

class FakeController : public QuorvaneControlling {
public:
    void snap(const std::string&, TileSlot, std::optional<int64_t>) override { }
    Layout captureLayout(const std::string& name) override { return Layout { name, {} }; }
    void applyLayout(const std::string&) override { }
    std::vector<DoctorCheck> permissionChecks() override { return {}; }
    std::string macName() override { return "Test Mac"; }
};

class QuorvaneSessionTest : public testing::Test {
protected:
    test::TemporaryFolder folder;
    std::string home = folder.path();
    std::string config = QuorvanePaths::configFile(home);
    std::mutex lock;
    std::vector<RPCRequest> requests;

    SessionResult run(std::vector<std::string> arguments, QuorvaneControlling* controller = nullptr)
    {
        return QuorvaneSession::run(arguments, home, std::nullopt, true, controller, std::nullopt, 1.7e9);
    }

    // A server on the socket `home` resolves to, answering `response` after `delay`.
    std::shared_ptr<SocketServer> serve(RPCResponse response, std::chrono::milliseconds delay = 0ms)
    {
        auto server = SocketServer::create(
            QuorvanePaths::resolvedSocketFile(home, 103), [this, response, delay](const RPCRequest& request) {
                std::this_thread::sleep_for(delay);
                std::lock_guard guard(lock);
                requests.push_back(request);
                return response;
            });
        server->start();
        return server;
    }

    std::vector<RPCRequest> received()
    {
        std::lock_guard guard(lock);
        return requests;
    }

    void expectRun(std::vector<std::string> arguments, SessionResult expected)
    {
        SCOPED_TRACE(testing::PrintToString(arguments));
        EXPECT_EQ(run(arguments), expected);
    }
};

TEST_F(QuorvaneSessionTest, HelpAndVersionTouchNeitherSocketNorConfig)
{
    // Both would fail if used: a socket file nobody listens on, and a folder where the config should be.
    std::string socket = QuorvanePaths::resolvedSocketFile(home, 103);
    test::writeFile((fs::create_directories(fs::path(socket).parent_path()), socket), "");
    fs::create_directories(config);
    std::string help = std::string(HelpText::text());

    expectRun({}, { 0, help + "\n", "" });
    expectRun({ "help" }, { 0, help + "\n", "" });
    expectRun({ "--version" }, { 0, "1.0.1\n", "" });
    expectRun({ "version", "--config", config, "--yes" }, { 0, "1.0.1\n", "" });

    SessionResult json = run({ "--json", "help" });
    JSONValue object = JSONValue::parse(json.stdout);
    EXPECT_EQ(object,
        JSONValue(JSONValue::Object { { "exitCode", 0 }, { "message", help }, { "ok", true }, { "result", help } }));
    EXPECT_EQ(json.stdout.back(), '\n');
}

TEST_F(QuorvaneSessionTest, ForwardsTheWordsUnchangedWithAFreshIdentifier)
{
    auto server = serve(RPCResponse("other", 0, "Tiled Safari to left-half.", "{}"));
    std::vector<std::string> words { "tile", "Safari", "left-half", "--json", "--yes", "--timeout", "3" };
    run(words);
    run(words);
    auto seen = received();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].arguments, words);
    EXPECT_THAT(
        seen[0].id, testing::MatchesRegex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}"));
    EXPECT_NE(seen[0].id, seen[1].id);
}

TEST_F(QuorvaneSessionTest, RendersForwardedAnswers)
{
    struct Case {
        RPCResponse response;
        bool json;
        SessionResult expected;
    };
    const std::string tooBig = "Quorvane answered with exit code 4294967296, which no process can exit with.\n";
    for (const Case& c :
        std::vector<Case> {
            { { "", 0, "ok", "{\"pong\":true}" }, false, { 0, "ok\n", "" } },
            { { "", 0, "two\nlines\n", "{}" }, false, { 0, "two\nlines\n", "" } },
            { { "", 0, "", "{}" }, false, { 0, "", "" } },
            { { "", 5, "No app named x.", "{}" }, false, { 5, "", "No app named x.\n" } },
            { { "", 7, "", "{}" }, false, { 7, "", "" } },
            { { "", 0, "ok", "{\"pong\":true}" }, true,
                { 0, "{\"ok\":true,\"exitCode\":0,\"message\":\"ok\",\"result\":{\"pong\":true}}\n", "" } },
            { { "", 3, "", "{\"code\":\"unavailable\"}" }, true,
                { 3, "{\"ok\":false,\"exitCode\":3,\"message\":\"\",\"result\":{\"code\":\"unavailable\"}}\n", "\n" } },
            { { "", -2, "a\t\"b\"\n", "[1, 2]" }, true,
                { -2, "{\"ok\":false,\"exitCode\":-2,\"message\":\"a\\t\\\"b\\\"\\n\",\"result\":[1, 2]}\n",
                    "a\t\"b\"\n" } },
            { { "", 4294967296, "ok", "{}" }, false, { 1, "", tooBig } },
            { { "", -2147483649, "ok", "{}" }, true,
                { 1, "", "Quorvane answered with exit code -2147483649, which no process can exit with.\n" } },
        }) {
        auto server = serve(c.response);
        std::vector<std::string> words { "ping" };
        if (c.json)
            words.push_back("--json");
        expectRun(words, c.expected);
    }
}

TEST_F(QuorvaneSessionTest, RunsDirectlyWithAConfigFileOrAController)
{
    auto server = serve(RPCResponse("", 0, "forwarded", "{}"));
    std::string other = folder.file("other.toml");
    expectRun({ "--config", other, "hotkey", "list" }, { 0, "No hotkeys yet.\n", "" });
    EXPECT_FALSE(fs::exists(other));
    FakeController controller;
    EXPECT_EQ(run({ "ping" }, &controller), (SessionResult { 0, "ok\n", "" }));
    EXPECT_TRUE(received().empty());
    expectRun({ "ping" }, { 0, "forwarded\n", "" });
}

TEST_F(QuorvaneSessionTest, SocketFailuresExitWithOne)
{
    std::string socket = QuorvanePaths::resolvedSocketFile(home, 103);
    auto server = serve(RPCResponse("", 0, "late", "{}"), 1000ms);
    SessionResult late = run({ "--timeout", "0.2", "ping" });
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_EQ(late.stdout, "");
    EXPECT_THAT(late.stderr, HasSubstr("did not answer"));
    server->stop();
    // The server finishes the command after the client has given up.
    while (received().empty())
        std::this_thread::sleep_for(20ms);

    // A socket file left by an application that is gone: no fallback to running directly.
    FileDescriptor stale(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address;
    copy(socket, address);
    ASSERT_EQ(::bind(stale.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    SessionResult refused = run({ "hotkey", "list" });
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.stdout, "");
    EXPECT_THAT(refused.stderr, HasSubstr(socket));

    ASSERT_EQ(::listen(stale.get(), 8), 0);
    for (std::string answer :
        { "this is not JSON\n", "{\"id\":\"\",\"exitCode\":0,\"message\":\"ok\",\"payload\":\"{\"}\n" }) {
        std::thread fake([&] {
            FileDescriptor connection(::accept(stale.get(), nullptr, nullptr));
            readLine(connection.get(), 5, socketLineLimit);
            writeAll(connection.get(), answer);
        });
        SessionResult garbled = run({ "--json", "ping" });
        fake.join();
        EXPECT_EQ(garbled.exitCode, 1) << answer;
        EXPECT_EQ(garbled.stdout, "");
        EXPECT_THAT(garbled.stderr, HasSubstr("could not be read"));
    }
}

TEST_F(QuorvaneSessionTest, ALongHomeUsesTheFallbackSocket)
{
    home = folder.path() + "/" + std::string(40, 'h');
    ASSERT_GT(QuorvanePaths::socketFile(home).size(), 103u);
    auto server = serve(RPCResponse("", 0, "pong", "{}"));
    EXPECT_TRUE(fs::exists(QuorvanePaths::fallbackSocketFile(home)));
    expectRun({ "ping" }, { 0, "pong\n", "" });
}

TEST_F(QuorvaneSessionTest, DirectModeWithoutAConfigFileReportsFromTheDefaults)
{
    expectRun({ "hotkey", "list" }, { 0, "No hotkeys yet.\n", "" });
    expectRun({ "ping" }, { 3, "", "Quorvane is not running.\n" });
    expectRun({ "tile", "Safari", "nowhere" }, { 3, "", "Open Quorvane to move windows.\n" });
    expectRun({ "layout", "save", "Desk" }, { 3, "", "Open Quorvane to save the current layout.\n" });
    expectRun({ "layout", "apply", "Desk" }, { 3, "", "Open Quorvane to apply a layout.\n" });
    expectRun({ "--json", "layout", "apply", "Desk" },
        { 3,
            "{\"exitCode\":3,\"message\":\"Open Quorvane to apply a layout.\",\"ok\":false,\"result\":{\"code\":"
            "\"unavailable\"}}\n",
            "Open Quorvane to apply a layout.\n" });
    EXPECT_THAT(run({ "doctor" }).stdout,
        HasSubstr("[warn] menu-bar: Quorvane is not running, so hotkeys and tiling are waiting.\n"));
    expectRun({ "tile" }, { 1, "", run({ "tile" }).stderr });
    EXPECT_FALSE(fs::exists(config));
}

TEST_F(QuorvaneSessionTest, DirectModeWritesOnlyWhatChanged)
{
    SessionResult set = run({ "hotkey", "set", "ctrl+opt+e", "com.example.editor" });
    EXPECT_EQ(set.exitCode, 0) << set.stderr;
    EXPECT_THAT(test::readFile(config), HasSubstr("com.example.editor"));
    struct stat status;
    ASSERT_EQ(::stat(config.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    expectRun({ "hotkey", "list" }, { 0, "ctrl+opt+e\tcom.example.editor\n", "" });

    std::string before = test::readFile(config);
    expectRun({ "hotkey", "unset", "ctrl+opt+e" }, { 7, "", "Pass --yes to confirm.\n" });
    expectRun({ "--json", "hotkey", "unset", "ctrl+opt+e" },
        { 7,
            "{\"exitCode\":7,\"message\":\"Pass --yes to "
            "confirm.\",\"ok\":false,\"result\":{\"code\":\"cancelled\"}}\n",
            "Pass --yes to confirm.\n" });
    EXPECT_EQ(test::readFile(config), before);
    expectRun({ "hotkey", "unset", "ctrl+opt+e", "--yes" }, { 0, "Removed ctrl+opt+e.\n", "" });
    EXPECT_THAT(test::readFile(config), testing::Not(HasSubstr("com.example.editor")));
}

TEST_F(QuorvaneSessionTest, AFailedRemovalNeverWritesTheFile)
{
    std::string text = "[apps.notes]\nurl = \"https://notes.example/\"\nname = \"Notes\"\n"
                       "bundle_id = \"app.quorvane.web.notes\"\n";
    fs::create_directories(fs::path(config).parent_path());
    test::writeFile(config, text);
    std::string bundle = QuorvanePaths::appsDirectory(home) + "/Notes.app";
    fs::create_directories(bundle + "/Contents");
    // Everything is open to the unprivileged user except the bundle, so the table leaves the document and
    // then the bundle's removal fails.
    for (const std::string& path : { home, home + "/.config", QuorvanePaths::configDirectory(home), config })
        fs::permissions(path, fs::perms::all);
    pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(run({ "app", "remove", "Notes", "--yes" }).exitCode);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 8);
    EXPECT_EQ(test::readFile(config), text);
    EXPECT_TRUE(fs::exists(bundle));
}

TEST_F(QuorvaneSessionTest, FailuresBeforeTheCommandRuns)
{
    std::string broken = folder.file("broken.toml");
    test::writeFile(broken, "[general\n");
    SessionResult parse = run({ "--config", broken, "config", "show" });
    EXPECT_EQ(parse.exitCode, 2);
    EXPECT_THAT(parse.stderr, testing::StartsWith("Config line 1"));

    std::string latin1 = folder.file("latin1.toml");
    test::writeFile(latin1, "# caf\xE9\n");
    fs::create_directories(folder.file("folder.toml"));
    for (const std::string& path : { latin1, folder.file("folder.toml"), std::string("/proc/quorvane/config.toml") }) {
        SessionResult failed = run({ "--config", path, "rule", "add", "com.example.editor", "--tile", "left-half" });
        EXPECT_EQ(failed.exitCode, 1) << path;
        EXPECT_EQ(failed.stdout, "");
        EXPECT_THAT(failed.stderr, testing::EndsWith("\n"));
    }
    EXPECT_EQ(test::readFile(latin1), "# caf\xE9\n");
}

} // namespace
} // namespace quorvane
