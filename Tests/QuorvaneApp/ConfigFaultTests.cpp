// A config file, folder or lock file that cannot be used never ends the application: the configuration in force
// stays, commands that change nothing answer, and changes fail with a sentence instead of writing over anything.
#include "AppTesting.h"

#include "Configuration/ConfigLock.h"
#include "Configuration/QuorvaneConfig.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const std::string lastGoodBanner = "config.toml could not be read. The last good copy is still in use.";
const std::string defaultsBanner = "config.toml could not be read, so Quorvane runs on the default settings.";
const std::string notSavedOver = "config.toml could not be read, so it was not saved over.";

std::string withGap(int gap)
{
    return test::configText({ { "tile_gap", std::to_string(gap) } });
}

// Ways for something that cannot be read to stand at a path, as root sees it too.
struct Unreadable {
    const char* name;
    std::function<void(const std::string& path)> make;
};

const Unreadable unreadables[] = {
    { "a folder", [](const std::string& path) { fs::create_directory(path); } },
    { "a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); } },
    { "a file over the size limit",
        [](const std::string& path) { writeFile(path, std::string(ConfigFile::maximumFileSize + 1, '#')); } },
    // A file whose reads fail, whoever reads it.
    { "a file that cannot be read",
        [](const std::string& path) { fs::create_symlink("/proc/self/clear_refs", path); } },
};

class ConfigFault : public test::AppTest {
protected:
    RPCResponse setHotkey(const std::string& chord)
    {
        return model->handleRPC({ "hotkey", "set", chord, "com.example.editor" });
    }

    // Live commands answer; the doctor names the config row as failing and answers the rest; changes fail.
    void expectReadOnly(const std::string& failure, const char* name)
    {
        EXPECT_EQ(model->handleRPC({ "ping" }).exitCode, 0) << name;
        EXPECT_EQ(model->handleRPC({ "hotkey", "list" }).message, "No hotkeys yet.") << name;
        RPCResponse doctor = model->handleRPC({ "doctor" });
        EXPECT_EQ(doctor.exitCode, 8) << name;
        EXPECT_EQ(doctor.message.rfind("[fail] config: ", 0), 0u) << name << ": " << doctor.message;
        EXPECT_NE(doctor.message.find("\n[pass] "), std::string::npos) << name << ": " << doctor.message;
        RPCResponse change = setHotkey("ctrl+opt+x");
        EXPECT_EQ(change.exitCode, 8) << name;
        EXPECT_EQ(change.message, failure) << name;
        EXPECT_EQ(model->banner(), failure) << name;
        EXPECT_TRUE(model->config().hotkeys.empty()) << name;
    }
};

TEST_F(ConfigFault, WhatCannotBeReadAtStartUpLeavesTheDefaultsAndIsNotWrittenOver)
{
    for (const Unreadable& kind : unreadables) {
        model.reset();
        fs::remove_all(paths().configDirectory());
        fs::create_directories(paths().configDirectory());
        kind.make(configPath());
        fs::file_type type = fs::symlink_status(configPath()).type();
        start();
        EXPECT_EQ(model->config(), ConfigFile::makeDefault().decode()) << kind.name;
        EXPECT_EQ(model->banner(), defaultsBanner) << kind.name;
        expectReadOnly(notSavedOver, kind.name);
        EXPECT_EQ(fs::symlink_status(configPath()).type(), type) << kind.name;
        if (type == fs::file_type::regular) {
            EXPECT_EQ(fs::file_size(configPath()), ConfigFile::maximumFileSize + 1);
        }
    }
}

TEST_F(ConfigFault, WhatCannotBeReadWhileRunningLeavesTheLastGoodCopy)
{
    for (const Unreadable& kind : unreadables) {
        model.reset();
        startWith(withGap(6));
        fs::remove(configPath());
        kind.make(configPath());
        desktop.advance(0.2);
        EXPECT_EQ(model->config().general.tileGap, 6) << kind.name;
        EXPECT_EQ(model->banner(), lastGoodBanner) << kind.name;
        expectReadOnly(notSavedOver, kind.name);
        fs::remove_all(configPath());
        // Once readable again with the same text, it is the configuration in force once more.
        writeFile(configPath(), withGap(6));
        desktop.advance(0.2);
        EXPECT_EQ(setHotkey("ctrl+opt+x").exitCode, 0) << kind.name;
    }
}

TEST_F(ConfigFault, ALockFileThatCannotBeOpenedFailsOnlyChanges)
{
    const std::string sentence = "config.toml could not be saved, because its lock file could not be opened: ";
    std::string lock = ConfigLock::lockFilePath(configPath());
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string reason;
    };
    const Case cases[] = {
        { "a folder", [&] { fs::create_directory(lock); }, "Is a directory." },
        { "a looping link", [&] { fs::create_symlink(lock, lock); }, "Too many levels of symbolic links." },
    };
    for (const Case& c : cases) {
        model.reset();
        writeConfig(withGap(6));
        fs::remove_all(lock);
        c.make();
        start();
        EXPECT_EQ(model->config().general.tileGap, 6) << c.name;
        EXPECT_EQ(model->handleRPC({ "ping" }).exitCode, 0) << c.name;
        RPCResponse change = setHotkey("ctrl+opt+x");
        EXPECT_EQ(change.exitCode, 8) << c.name;
        EXPECT_EQ(change.message, sentence + c.reason) << c.name;
        EXPECT_TRUE(model->config().hotkeys.empty()) << c.name;
        // A change that fails on its own says so, not that it could not be saved.
        EXPECT_EQ(model->handleRPC({ "hotkey", "unset", "ctrl+opt+q", "--yes" }).message, "No hotkey ctrl+opt+q.");
        EXPECT_EQ(readFile(configPath()), withGap(6)) << c.name;
    }
}

// A person may not write in a read-only folder; root always may, so only a normal user sees this.
TEST_F(ConfigFault, AReadOnlyConfigFolderRunsReadOnly)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write in a read-only folder";
    for (bool lockFileMade : { false, true }) {
        model.reset();
        fs::remove_all(paths().configDirectory());
        writeConfig(withGap(6));
        if (lockFileMade)
            writeFile(ConfigLock::lockFilePath(configPath()), "");
        fs::permissions(paths().configDirectory(), fs::perms(0555));
        start();
        model->finishLaunch();
        EXPECT_EQ(model->config().general.tileGap, 6);
        EXPECT_EQ(model->handleRPC({ "ping" }).exitCode, 0);
        RPCResponse change = setHotkey("ctrl+opt+x");
        EXPECT_EQ(change.exitCode, 8);
        EXPECT_EQ(change.message,
            lockFileMade ? "config.toml could not be saved: Permission denied."
                         : "config.toml could not be saved, because its lock file could not be opened: "
                           "Permission denied.");
        EXPECT_TRUE(model->config().hotkeys.empty());
        fs::permissions(paths().configDirectory(), fs::perms(0755));
    }
}

// Only a normal user loses the right to read a file by its permissions.
TEST_F(ConfigFault, TheWatchFollowsPermissionChanges)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads a file whatever its permissions";
    startWith(withGap(6));
    fs::permissions(configPath(), fs::perms::none);
    desktop.advance(0.2);
    EXPECT_EQ(model->banner(), lastGoodBanner);
    expectReadOnly(notSavedOver, "no permission");
    fs::permissions(configPath(), fs::perms(0644));
    desktop.advance(0.2);
    EXPECT_EQ(setHotkey("ctrl+opt+x").exitCode, 0);
    EXPECT_EQ(model->config().general.tileGap, 6);
}

// With no config folder, a change that fails or changes nothing makes no folder and no lock file.
TEST_F(ConfigFault, AFailedChangeWithoutAConfigFolderLeavesNoTrace)
{
    start();
    fs::remove_all(paths().configDirectory());
    RPCResponse failed = model->handleRPC({ "rule", "add", "Text Edit", "--tile", "left-half" });
    EXPECT_NE(failed.exitCode, 0);
    EXPECT_EQ(model->handleRPC({ "hotkey", "unset", "ctrl+opt+q", "--yes" }).exitCode, 5);
    EXPECT_FALSE(fs::exists(paths().configDirectory()));
    EXPECT_EQ(setHotkey("ctrl+opt+x").exitCode, 0);
    EXPECT_TRUE(fs::exists(ConfigLock::lockFilePath(configPath())));
    EXPECT_NE(readFile(configPath()).find("ctrl+opt+x"), std::string::npos);
}

} // namespace
} // namespace quorvane
