// Commands that cannot change the configuration answer from the one in force: they neither lock nor read
// config.toml, so an editor holding the lock or a slow disk never holds up a window move.
#include "AppTesting.h"
#include "TilingTesting.h"

#include "Configuration/QuorvaneConfig.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// The names of the files opened in one folder since the last call.
class OpenedFiles {
public:
    explicit OpenedFiles(const std::string& folder)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd < 0 || ::inotify_add_watch(m_fd, folder.c_str(), IN_OPEN) < 0)
            throw std::system_error(errno, std::generic_category(), "Cannot watch " + folder);
    }
    ~OpenedFiles() { ::close(m_fd); }

    std::vector<std::string> take()
    {
        std::vector<std::string> names;
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + length;) {
                auto* event = reinterpret_cast<inotify_event*>(at);
                names.push_back(event->len ? event->name : "(the folder)");
                at += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }

private:
    int m_fd;
};

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

const std::string layoutTables = "[layouts.work]\n\"org.example.Editor\" = \"left-half\"\n";
const std::string notesApp = "[apps.notes]\nurl = \"https://notes.example.com/\"\nname = \"Notes\"\n"
                             "bundle_id = \"app.quorvane.web.notes\"\n";

class LiveCommands : public test::AppTest {
protected:
    void SetUp() override
    {
        test::oneDisplay(desktop);
        int32_t editor = test::launchApp(desktop, "org.example.Editor");
        window = test::openWindow(desktop, editor, "org.example.Editor", Frame { 100, 100, 300, 300 });
        startWith(test::configText({ { "animate_tiles", "false" } }, layoutTables));
        opened = std::make_unique<OpenedFiles>(paths().configDirectory());
    }

    WindowHandle window {};
    std::unique_ptr<OpenedFiles> opened;
};

TEST_F(LiveCommands, NeitherReadNorLockTheFile)
{
    const std::vector<std::vector<std::string>> commands = {
        { "tile", "org.example.Editor", "left-half" },
        { "tile", "org.example.Editor", "right-half" },
        { "layout", "apply", "work" },
        { "ping" },
        { "app", "list" },
        { "hotkey", "list" },
        { "layout", "list" },
        { "skill", "paths" },
        { "config", "show" },
        { "tile", "org.example.Nothing", "fill" },
    };
    for (int sent = 0; sent < 50; ++sent) {
        const std::vector<std::string>& command = commands[sent % commands.size()];
        RPCResponse response = forward(command);
        bool expectedToFail = command.size() > 1 && command[1] == "org.example.Nothing";
        EXPECT_EQ(response.exitCode, expectedToFail ? 5 : 0) << command[0] << ": " << response.message;
    }
    EXPECT_EQ(opened->take(), std::vector<std::string> {});
    EXPECT_EQ(forward({ "config", "show" }).message, readFile(configPath()));

    // A change still takes the lock and reads the file before it saves.
    opened->take();
    EXPECT_EQ(forward({ "hotkey", "set", "ctrl+opt+x", "org.example.Editor" }).exitCode, 0);
    std::vector<std::string> names = opened->take();
    EXPECT_TRUE(contains(names, ".config.toml.lock"));
    EXPECT_TRUE(contains(names, "config.toml"));
    EXPECT_NE(readFile(configPath()).find("ctrl+opt+x"), std::string::npos);
}

TEST_F(LiveCommands, FollowAHandEditOnceTheWatchHasTakenItIn)
{
    writeFile(configPath(), readFile(configPath()) + "[layouts.home]\n\"org.example.Editor\" = \"fill\"\n");
    desktop.advance(0.5);
    opened->take();
    EXPECT_EQ(forward({ "layout", "list" }).message, "work\nhome");
    EXPECT_EQ(forward({ "layout", "apply", "home" }).exitCode, 0);
    EXPECT_EQ(opened->take(), std::vector<std::string> {});
}

TEST_F(LiveCommands, ApplyTakesInAHandEditTheWatchHasNotDelivered)
{
    writeFile(configPath(), readFile(configPath()) + notesApp);
    RPCResponse applied = forward({ "apply" });
    EXPECT_EQ(applied.exitCode, 0) << applied.message;
    ASSERT_EQ(model->config().apps.size(), 1u);
    EXPECT_TRUE(fs::exists(paths().appsDirectory() + "/Notes.app"));
}

TEST_F(LiveCommands, ApplyAndDoctorReportAHandEditThatDoesNotParse)
{
    writeFile(configPath(), readFile(configPath()) + "[general\n");
    RPCResponse applied = forward({ "apply" });
    EXPECT_EQ(applied.exitCode, 2);
    EXPECT_EQ(applied.message.rfind("Config line ", 0), 0u) << applied.message;

    RPCResponse doctor = forward({ "--json", "doctor" });
    EXPECT_EQ(doctor.exitCode, 8);
    EXPECT_EQ(doctor.message.rfind("[fail] config: Config line ", 0), 0u) << doctor.message;
    // The rest still answers from the settings in force.
    EXPECT_EQ(forward({ "layout", "list" }).message, "work");
    EXPECT_EQ(model->config().layouts.size(), 1u);
}

} // namespace
} // namespace quorvane
