#include "QuorvaneIPC/QuorvaneSession.h"

#include "Command/HelpText.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/ConfigLock.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/SessionOptions.h"
#include "QuorvaneIPC/SessionPrinter.h"
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

#include <algorithm>
#include <fcntl.h>
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
    *out << "{" << result.exitCode << ", " << testing::PrintToString(result.standardOutput) << ", "
         << testing::PrintToString(result.standardError) << "}";
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
    // The usual login: a runtime folder, the other places under the home folder.
    QuorvanePaths paths { folder.path(), "", "", folder.file("run") };
    std::string config = paths.configFile();
    std::mutex lock;
    std::vector<RPCRequest> requests;

    SessionResult run(std::vector<std::string> arguments, QuorvaneControlling* controller = nullptr)
    {
        return QuorvaneSession::run(
            SessionOptions { arguments, paths, std::nullopt, true, controller, std::nullopt, 1.7e9 });
    }
    void expectRun(std::vector<std::string> arguments, SessionResult expected)
    {
        EXPECT_EQ(run(arguments), expected) << testing::PrintToString(arguments);
    }
    void expectFailure(std::vector<std::string> arguments, const std::string& part)
    {
        SessionResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 1) << testing::PrintToString(arguments);
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_THAT(result.standardError, testing::AllOf(HasSubstr(part), testing::EndsWith("\n")));
    }

    // The application's stand-in on the socket `paths` resolves to: answers `response` after `delay`.
    std::shared_ptr<SocketServer> serve(RPCResponse response, std::chrono::milliseconds delay = 0ms)
    {
        auto server = SocketServer::create(paths.resolvedSocketFile(QuorvanePaths::socketPathLimit),
            [=, this](const RPCRequest& request, std::stop_token) {
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
};

TEST_F(QuorvaneSessionTest, HelpAndVersionTouchNeitherSocketNorConfig)
{
    // Both would fail if used: a socket file nobody listens on, and a folder where the config should be.
    std::string socket = paths.resolvedSocketFile(QuorvanePaths::socketPathLimit);
    fs::create_directories(fs::path(socket).parent_path());
    test::writeFile(socket, "");
    fs::create_directories(config);
    std::string help(HelpText::text());

    expectRun({}, { 0, help + "\n", "" });
    expectRun({ "version", "--config", config, "--yes" }, { 0, "1.0.1\n", "" });
    SessionResult json = run({ "--json", "help" });
    EXPECT_EQ(JSONValue::parse(json.standardOutput),
        JSONValue(JSONValue::Object { { "exitCode", 0 }, { "message", help }, { "ok", true }, { "result", help } }));
}

TEST_F(QuorvaneSessionTest, ForwardsTheWordsUnchangedWithAFreshIdentifier)
{
    auto server = serve(RPCResponse("other", 0, "Tiled.", "{}"));
    std::vector<std::string> words { "tile", "Safari", "left-half", "--json", "--yes", "--timeout", "3" };
    run(words);
    run(words);
    auto seen = received();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].arguments, words);
    EXPECT_NE(seen[0].id, seen[1].id);
}

// The application runs in a folder of its own, so a relative file or folder would name another place there.
TEST_F(QuorvaneSessionTest, ForwardedPathsAreMadeAbsolute)
{
    auto server = serve(RPCResponse("other", 0, "Done.", "{}"));
    const std::string here = fs::current_path().string();
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        { { "skill", "install", "agents/skills" }, { "skill", "install", here + "/agents/skills" } },
        { { "--json", "skill", "uninstall", "--", "x" }, { "--json", "skill", "uninstall", "--", here + "/x" } },
        { { "app", "add", "u", "--name", "N", "--icon", "i.png" },
            { "app", "add", "u", "--name", "N", "--icon", here + "/i.png" } },
        { { "app", "add", "u", "--icon=i.png", "--name=i.png" },
            { "app", "add", "u", "--icon=" + here + "/i.png", "--name=i.png" } },
        { { "skill", "install", "~/skills" }, { "skill", "install", "~/skills" } },
        { { "skill", "install", "/abs" }, { "skill", "install", "/abs" } },
        { { "tile", "icon.png", "fill" }, { "tile", "icon.png", "fill" } },
    };
    for (const auto& [words, sent] : cases)
        run(words);
    auto seen = received();
    ASSERT_EQ(seen.size(), std::size(cases));
    for (size_t index = 0; index < seen.size(); ++index)
        EXPECT_EQ(seen[index].arguments, cases[index].second);

    // Run here, the folder is recorded as the place it is, so a removal from elsewhere finds it.
    server->stop();
    fs::remove(paths.resolvedSocketFile(QuorvanePaths::socketPathLimit));
    fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    EXPECT_EQ(run({ "skill", "install", "agents" }).exitCode, 0);
    fs::current_path(previous);
    EXPECT_THAT(test::readFile(config), HasSubstr("installed = [\"" + folder.file("agents") + "\"]"));
    EXPECT_EQ(run({ "skill", "uninstall", folder.file("agents"), "--yes" }).exitCode, 0);
    EXPECT_THAT(test::readFile(config), HasSubstr("installed = []"));
}

TEST_F(QuorvaneSessionTest, RendersForwardedAnswers)
{
    auto expectForwarded = [&](RPCResponse response, std::vector<std::string> words, SessionResult expected) {
        auto server = serve(response);
        expectRun(words, expected);
    };
    expectForwarded({ "", 0, "ok", "{}" }, { "ping" }, { 0, "ok\n", "" });
    expectForwarded({ "", 0, "two\nlines\n", "{}" }, { "ping" }, { 0, "two\nlines\n", "" });
    expectForwarded({ "", 5, "No app named x.", "{}" }, { "ping" }, { 5, "", "No app named x.\n" });
    expectForwarded({ "", 7, "", "{}" }, { "ping" }, { 7, "", "" });
    expectForwarded({ "", 0, "ok", "{\"pong\":true}" }, { "ping", "--json" },
        { 0, "{\"ok\":true,\"exitCode\":0,\"message\":\"ok\",\"result\":{\"pong\":true}}\n", "" });
    expectForwarded({ "", 3, "", "[1, 2]" }, { "ping", "--json" },
        { 3, "{\"ok\":false,\"exitCode\":3,\"message\":\"\",\"result\":[1, 2]}\n", "\n" });
    expectForwarded({ "", 255, "a\t\"b\"\n", "{}" }, { "ping", "--json" },
        { 255, "{\"ok\":false,\"exitCode\":255,\"message\":\"a\\t\\\"b\\\"\\n\",\"result\":{}}\n", "a\t\"b\"\n" });
    // A process exit status keeps only the low eight bits, so 256 would read as success.
    for (int64_t unexitable : { int64_t(256), int64_t(-1), int64_t(4294967296) })
        for (std::vector<std::string> words : { std::vector<std::string> { "ping" }, { "ping", "--json" } })
            expectForwarded({ "", unexitable, "ok", "{}" }, words,
                { 1, "",
                    "Quorvane answered with exit code " + std::to_string(unexitable)
                        + ", which no process can exit with.\n" });
}

TEST_F(QuorvaneSessionTest, ForwardsOnlyWithoutAConfigFileOrAController)
{
    auto server = serve(RPCResponse("", 0, "forwarded", "{}"));
    std::string other = folder.file("other.toml");
    expectRun({ "--config", other, "hotkey", "list" }, { 0, "No hotkeys yet.\n", "" });
    EXPECT_FALSE(fs::exists(other));
    FakeController controller;
    EXPECT_EQ(run({ "ping" }, &controller), (SessionResult { 0, "ok\n", "" }));
    EXPECT_TRUE(received().empty());
    expectRun({ "ping" }, { 0, "forwarded\n", "" });

    paths.runtimeDirectory = folder.file(std::string(80, 'r')); // too long for a socket path
    auto fallback = serve(RPCResponse("", 0, "fallback", "{}"));
    EXPECT_TRUE(fs::exists(paths.fallbackSocketFile()));
    expectRun({ "ping" }, { 0, "fallback\n", "" });
}

TEST_F(QuorvaneSessionTest, TheToolFindsTheApplicationInTheSameRuntimeFolder)
{
    auto server = serve(RPCResponse("", 0, "forwarded", "{}"));
    EXPECT_EQ(server->path(), folder.file("run/quorvane/quorvane.sock"));
    struct stat status;
    ASSERT_EQ(::stat(folder.file("run/quorvane").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    expectRun({ "hotkey", "list" }, { 0, "forwarded\n", "" });

    // Another login's runtime folder holds no socket, and neither does a runtime folder once the
    // application has stopped: the tool then edits the file itself.
    QuorvanePaths application = paths;
    paths.runtimeDirectory = folder.file("elsewhere");
    expectRun({ "hotkey", "list" }, { 0, "No hotkeys yet.\n", "" });
    paths = application;
    server->stop();
    expectRun({ "hotkey", "list" }, { 0, "No hotkeys yet.\n", "" });
    EXPECT_EQ(received().size(), 1u);
}

TEST_F(QuorvaneSessionTest, NothingLandsInTheHomeFolderOutsideTheLinuxPlaces)
{
    for (std::vector<std::string> words :
        { std::vector<std::string> { "hotkey", "set", "ctrl+opt+e", "com.example.editor" },
            { "app", "add", "https://notes.example", "--name", "Notes" }, { "apply" } })
        EXPECT_EQ(run(words).exitCode, 0) << testing::PrintToString(words);
    serve(RPCResponse("", 0, "", "{}"))->stop();
    EXPECT_TRUE(fs::exists(paths.appsDirectory() + "/Notes.app"));
    std::vector<std::string> top;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        top.push_back(entry.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string> { ".config", ".local", "run" }));
}

TEST_F(QuorvaneSessionTest, SocketFailuresExitWithOne)
{
    auto server = serve(RPCResponse("", 0, "late", "{}"), 1000ms);
    expectFailure({ "--timeout", "0.2", "ping" }, "did not answer");
    // The request may have reached the application all the same, and a retry would do it twice.
    expectFailure({ "--timeout", "0.2", "ping" }, "The command may have been carried out all the same.");
    server->stop();
    while (received().empty()) // the server still finishes the command
        std::this_thread::sleep_for(20ms);

    // A socket file whose application is gone: no falling back to running directly.
    std::string socket = paths.resolvedSocketFile(QuorvanePaths::socketPathLimit);
    FileDescriptor stale(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address;
    copy(socket, address);
    ASSERT_EQ(::bind(stale.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    expectFailure({ "hotkey", "list" }, socket);

    ASSERT_EQ(::listen(stale.get(), 8), 0);
    for (std::string answer : { "not JSON\n", "{\"id\":\"\",\"exitCode\":0,\"message\":\"\",\"payload\":\"{\"}\n" }) {
        std::thread fake([&] {
            FileDescriptor connection(::accept(stale.get(), nullptr, nullptr));
            readLine(connection.get(), 5, requestLineLimit);
            writeAll(connection.get(), answer, 5);
        });
        expectFailure({ "--json", "ping" }, "could not be read");
        fake.join();
    }
}

TEST_F(QuorvaneSessionTest, DirectModeReportsFromTheDefaultsWithoutCreatingAFile)
{
    expectRun({ "hotkey", "list" }, { 0, "No hotkeys yet.\n", "" });
    expectRun({ "--json", "layout", "apply", "Desk" },
        { 3,
            "{\"exitCode\":3,\"message\":\"Open Quorvane to apply a "
            "layout.\",\"ok\":false,\"result\":{\"code\":\"unavailable\"}}\n",
            "Open Quorvane to apply a layout.\n" });
    EXPECT_THAT(run({ "doctor" }).standardOutput, HasSubstr("[warn] menu-bar: Quorvane is not running"));
    EXPECT_FALSE(fs::exists(config));
}

TEST_F(QuorvaneSessionTest, DirectModeWritesWhatChanged)
{
    expectRun({ "hotkey", "set", "ctrl+opt+e", "com.example.editor" }, { 0, "⌃⌥E → com.example.editor\n", "" });
    expectRun({ "hotkey", "list" }, { 0, "ctrl+opt+e\tcom.example.editor\n", "" });
    expectRun({ "hotkey", "unset", "ctrl+opt+e" }, { 7, "", "Pass --yes to confirm.\n" });
    expectRun({ "hotkey", "unset", "ctrl+opt+e", "--yes" }, { 0, "Removed ctrl+opt+e.\n", "" });
    EXPECT_THAT(test::readFile(config), testing::Not(HasSubstr("com.example.editor")));
}

// Saved, a file over the size every program reads could be neither read nor changed back.
TEST_F(QuorvaneSessionTest, AChangeThatWouldOutgrowWhatIsReadIsNotSaved)
{
    std::string text = "version = 1\n#" + std::string(ConfigFile::maximumFileSize - 20, '#') + "\n";
    fs::create_directories(paths.configDirectory());
    test::writeFile(config, text);
    expectRun({ "hotkey", "set", "ctrl+opt+e", "com.example.editor" },
        { 1, "", "The change would make config.toml larger than 1 MiB, more than Quorvane reads.\n" });
    EXPECT_EQ(test::readFile(config), text);
}

TEST_F(QuorvaneSessionTest, DotlessIdsOfDesktopFilesInTheDataFoldersAreApplications)
{
    paths.dataHome = folder.file("data");
    paths.dataDirectories = { folder.file("shared") };
    fs::create_directories(folder.file("data/applications"));
    fs::create_directories(folder.file("shared/applications/org"));
    test::writeFile(folder.file("data/applications/xterm.desktop"), "[Desktop Entry]\nType=Application\n");
    test::writeFile(folder.file("shared/applications/org/editor.desktop"), "[Desktop Entry]\nType=Application\n");

    expectRun({ "rule", "add", "xterm", "--tile", "left-half" }, { 0, "xterm opens on left-half.\n", "" });
    expectRun({ "hotkey", "set", "ctrl+opt+e", "org-editor" }, { 0, "⌃⌥E → org-editor\n", "" });
    expectRun({ "rule", "add", "nothing", "--tile", "fill" }, { 5, "", "No app named nothing.\n" });
    expectRun({ "hotkey", "set", "ctrl+opt+shift+n", "editor" },
        { 5, "", "No app named editor. Use a web app name or a bundle id such as com.example.editor.\n" });
    EXPECT_THAT(test::readFile(config),
        testing::AllOf(HasSubstr("bundle = \"xterm\""), HasSubstr("{ bundle = \"org-editor\" }")));
}

TEST_F(QuorvaneSessionTest, AFailedRemovalNeverWritesTheFile)
{
    std::string text
        = "[apps.notes]\nurl = \"https://notes.example/\"\nname = \"Notes\"\nbundle_id = \"app.quorvane.web.notes\"\n";
    fs::create_directories(paths.configDirectory());
    test::writeFile(config, text);
    std::string bundle = paths.appsDirectory() + "/Notes.app";
    fs::create_directories(bundle + "/Contents");
    // An unprivileged user may write the config but not remove the bundle: the table leaves the document,
    // then the bundle's removal fails. Root runs the command as nobody, since root may remove anything.
    for (const std::string& path : { paths.home, paths.home + "/.config", paths.configDirectory(), config })
        fs::permissions(path, fs::perms::all);
    fs::permissions(paths.appsDirectory(), fs::perms(0555));
    pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(run({ "app", "remove", "Notes", "--yes" }).exitCode);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 8) << status;
    EXPECT_EQ(test::readFile(config), text);
}

TEST_F(QuorvaneSessionTest, FailuresBeforeTheCommandRuns)
{
    std::string broken = folder.file("broken.toml"), latin1 = folder.file("latin1.toml");
    test::writeFile(broken, "[general\n");
    test::writeFile(latin1, "# caf\xE9\n");
    fs::create_directories(folder.file("folder.toml"));
    SessionResult parse = run({ "--config", broken, "config", "show" });
    EXPECT_EQ(parse.exitCode, 2);
    EXPECT_THAT(parse.standardError, testing::StartsWith("Config line 1"));
    // Unreadable, not UTF-8, and a write that cannot happen.
    for (std::string path : { folder.file("folder.toml"), latin1, std::string("/proc/quorvane/config.toml") })
        expectFailure({ "--config", path, "rule", "add", "com.example.editor", "--tile", "left-half" },
            fs::path(path).parent_path().string());
    EXPECT_EQ(test::readFile(latin1), "# caf\xE9\n");
}

TEST_F(QuorvaneSessionTest, OutputThatCannotBeWrittenExitsWithOne)
{
    SessionResult result { 5, "shown", "warned\n" };
    auto printed = [&](bool fullOutput, bool fullError) {
        int output[2], error[2];
        EXPECT_EQ(::pipe(output), 0);
        EXPECT_EQ(::pipe(error), 0);
        FileDescriptor full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
        int status
            = SessionPrinter::print(result, fullOutput ? full.get() : output[1], fullError ? full.get() : error[1]);
        ::close(output[1]);
        ::close(error[1]);
        std::string said = test::readFile("/proc/self/fd/" + std::to_string(error[0]));
        ::close(output[0]);
        ::close(error[0]);
        return std::pair(status, said);
    };
    EXPECT_EQ(printed(false, false), std::pair(5, std::string("warned\n")));
    // A message that echoes a word with control characters shows them instead of sending them to the terminal.
    result.standardError = "Unknown tile \x1B]0;owned\x07\x1B[2J.\n";
    EXPECT_EQ(printed(false, false).second, "Unknown tile \\u001B]0;owned\\u0007\\u001B[2J.\n");
    result.standardError = "warned\n";
    EXPECT_EQ(printed(true, false),
        std::pair(1, std::string("warned\nCould not write the output: No space left on device.\n")));
    EXPECT_EQ(printed(false, true).first, 1);
    EXPECT_EQ(printed(true, true).first, 1);
}

TEST_F(QuorvaneSessionTest, AWordThatIsNotUTF8IsRefusedBeforeAnythingIsWritten)
{
    expectFailure({ "hotkey", "set", "ctrl+opt+e", "com.example.\xFF" },
        "Word 4 of the command is not UTF-8 text, so Quorvane cannot use it.");
    expectFailure({ "app", "add", "https://x.example", "--name", "caf\xE9" }, "Word 5 of the command is not UTF-8");
    EXPECT_FALSE(fs::exists(config));
    EXPECT_FALSE(fs::exists(paths.appsDirectory()));
}

// The file a person sees may be a link into a dotfile repository; only a regular file (or a free name in
// an existing folder) at its end is ever read or replaced, and the file keeps its permissions.
TEST_F(QuorvaneSessionTest, TheConfigFileIsReadAndReplacedOnlyAsARegularFile)
{
    std::vector<std::string> change { "rule", "add", "com.example.editor", "--tile", "left-half" };
    auto withConfig = [&](const std::string& path) {
        std::vector<std::string> words { "--config", path };
        words.insert(words.end(), change.begin(), change.end());
        return words;
    };
    test::writeFile(folder.file("private.toml"), "# mine\n");
    fs::permissions(folder.file("private.toml"), fs::perms(0600));
    fs::create_symlink("private.toml", folder.file("linked.toml"));
    ASSERT_EQ(run(withConfig(folder.file("linked.toml"))).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(folder.file("linked.toml")));
    EXPECT_THAT(test::readFile(folder.file("private.toml")), testing::StartsWith("# mine\n"));
    EXPECT_EQ(fs::status(folder.file("private.toml")).permissions(), fs::perms(0600));

    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0644), 0);
    test::writeFile(folder.file("huge.toml"), std::string(ConfigFile::maximumFileSize + 1, '#'));
    const std::pair<std::string, std::string> refused[] = {
        { "/dev/null", "Quorvane reads only regular files, and " },
        { folder.file("fifo"), "Quorvane reads only regular files, and " },
        { "/dev/zero", "Quorvane reads only regular files, and " },
        { folder.file("huge.toml"), " is larger than 1 MiB, more than Quorvane reads." },
        { "/nonexistent/x.toml", "which is in a folder that does not exist" },
    };
    for (const auto& [target, part] : refused) {
        std::string link = folder.file("config-link.toml");
        fs::remove(link);
        fs::create_symlink(target, link);
        expectFailure(withConfig(link), part);
        expectFailure(withConfig(link), link);
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_FALSE(fs::exists("/nonexistent"));
}

TEST_F(QuorvaneSessionTest, ChangesWaitForTheConfigLockAndReadsDoNot)
{
    expectRun({ "hotkey", "set", "ctrl+opt+e", "com.example.editor" }, { 0, "⌃⌥E → com.example.editor\n", "" });
    std::string before = test::readFile(config);
    {
        ConfigLock held(config, 0);
        expectFailure({ "--timeout", "0.05", "hotkey", "set", "ctrl+shift+cmd+f", "com.example.files" },
            "Another change to " + config + " did not finish within 0.05 seconds. Try again.");
        expectRun({ "hotkey", "list" }, { 0, "ctrl+opt+e\tcom.example.editor\n", "" });
    }
    EXPECT_EQ(test::readFile(config), before);
    EXPECT_EQ(run({ "hotkey", "set", "ctrl+shift+cmd+f", "com.example.files" }).exitCode, 0);
    // The lock stands beside the path the user sees, so a linked config in a read-only folder still locks.
    EXPECT_TRUE(fs::exists(fs::path(config).parent_path() / ".config.toml.lock"));
}

// Without a config folder, a change that fails or changes nothing makes no folder and no lock file; a lock file
// once made stays, so that two writers always lock the same file.
TEST_F(QuorvaneSessionTest, AFailedChangeInAFreshHomeLeavesNoTrace)
{
    EXPECT_NE(run({ "rule", "add", "Text Edit", "--tile", "left-half" }).exitCode, 0);
    EXPECT_EQ(run({ "hotkey", "unset", "ctrl+opt+q", "--yes" }).exitCode, 5);
    EXPECT_FALSE(fs::exists(paths.configDirectory()));
    EXPECT_EQ(run({ "hotkey", "set", "ctrl+opt+e", "com.example.editor" }).exitCode, 0);
    std::string lockFile = ConfigLock::lockFilePath(config);
    EXPECT_TRUE(fs::exists(lockFile));
    fs::remove(config);
    EXPECT_NE(run({ "rule", "add", "Text Edit", "--tile", "left-half" }).exitCode, 0);
    EXPECT_EQ(run({ "hotkey", "set", "ctrl+shift+cmd+f", "com.example.files" }).exitCode, 0);
    EXPECT_TRUE(fs::exists(lockFile));
}

TEST_F(QuorvaneSessionTest, ParallelChangesAllPersist)
{
    // The second round names the file both through a link to it and straight: both ways lock the same file.
    fs::create_directories(folder.file("dotfiles"));
    const std::string straight = folder.file("dotfiles/config.toml");
    for (const std::string keys : { "abcdefgh", "ijklmnop" }) {
        if (keys == "ijklmnop") {
            fs::rename(config, straight);
            fs::create_symlink(straight, config);
        }
        std::vector<pid_t> children;
        for (char key : keys) {
            pid_t child = ::fork();
            if (child == 0) {
                std::vector<std::string> words { "hotkey", "set", std::string("ctrl+shift+cmd+") + key,
                    std::string("com.example.") + key };
                if (fs::is_symlink(config) && key % 2)
                    words.insert(words.begin(), { "--config", straight });
                ::_exit(run(words).exitCode);
            }
            children.push_back(child);
        }
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
    }
    std::string text = test::readFile(config);
    for (char key : std::string("abcdefghijklmnop"))
        EXPECT_THAT(text, HasSubstr(std::string("com.example.") + key));
}

} // namespace
} // namespace quorvane
