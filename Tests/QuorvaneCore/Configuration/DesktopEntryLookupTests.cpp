#include "Configuration/DesktopEntryLookup.h"

#include "Configuration/QuorvanePaths.h"
#include "TestSupport/TemporaryFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

class DesktopEntryLookupTest : public ::testing::Test {
protected:
    DesktopEntryLookupTest()
    {
        paths.home = root.file("home");
        paths.dataHome = root.file("data");
        paths.dataDirectories = { root.file("local"), root.file("system") };
    }

    // Writes a desktop file under `folder` ("data", "local" or "system") at `relative` inside "applications".
    void install(const std::string& folder, const std::string& relative, const std::string& extra = "")
    {
        std::string path = root.file(folder + "/applications/" + relative);
        fs::create_directories(fs::path(path).parent_path());
        test::writeFile(path, "[Desktop Entry]\nType=Application\nName=X\nExec=x\n" + extra);
    }

    void expectFound(const std::string& id, const std::optional<std::string>& relative)
    {
        std::optional<std::string> found = DesktopEntryLookup::find(paths, id);
        EXPECT_EQ(found, relative ? std::optional(root.file(*relative)) : std::nullopt) << id;
        EXPECT_EQ(DesktopEntryLookup::isInstalled(paths, id), relative.has_value()) << id;
    }

    test::TemporaryFolder root;
    QuorvanePaths paths;
};

TEST_F(DesktopEntryLookupTest, IdsNameFilesInTheDataFoldersFirstOneWinning)
{
    install("data", "xterm.desktop");
    install("system", "xterm.desktop");
    install("system", "firefox-esr.desktop");
    install("local", "org/kde/konsole.desktop");
    install("system", "kde/dolphin.desktop");
    install("system", "a-b/c.desktop");
    // Beside the applications folder, where ".." would lead.
    fs::create_directories(root.file("data/applications/x"));
    test::writeFile(root.file("data/escape.desktop"), "[Desktop Entry]\n");
    test::writeFile(root.file("data/applications/x/escape.desktop"), "[Desktop Entry]\n");
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        { "xterm", "data/applications/xterm.desktop" },
        { "firefox-esr", "system/applications/firefox-esr.desktop" },
        // Each "-" may stand for a sub-folder, at any depth.
        { "org-kde-konsole", "local/applications/org/kde/konsole.desktop" },
        { "kde-dolphin", "system/applications/kde/dolphin.desktop" },
        { "a-b-c", "system/applications/a-b/c.desktop" },
        { "kde/dolphin", std::nullopt },
        { "konsole", std::nullopt },
        { "xterm.desktop", std::nullopt },
        { "", std::nullopt },
        { "xterm\n", std::nullopt },
        { "-", std::nullopt },
        { "..-escape", std::nullopt },
        { "x-..-escape", std::nullopt },
        { "x-escape", "data/applications/x/escape.desktop" },
    };
    for (const auto& [id, relative] : cases)
        expectFound(id, relative);
}

TEST_F(DesktopEntryLookupTest, AHiddenEntryRemovesTheIdFromLaterFolders)
{
    install("data", "vim.desktop", "Hidden=true\n");
    install("system", "vim.desktop");
    install("data", "nano.desktop", "[Desktop Action edit]\nHidden=true\n");
    install("system", "ed.desktop", "Hidden = false\n");
    expectFound("vim", std::nullopt);
    expectFound("nano", "data/applications/nano.desktop");
    expectFound("ed", "system/applications/ed.desktop");
}

TEST(QuorvanePathsDataFolders, SharedDataFoldersComeFromTheVariableOrTheDefault)
{
    auto folders = [](std::optional<std::string> value) {
        return QuorvanePaths::fromEnvironment("/home/a", [&](std::string_view name) {
            return name == "XDG_DATA_DIRS" ? value : std::nullopt;
        }).applicationDirectories();
    };
    using Folders = std::vector<std::string>;
    EXPECT_EQ(folders(std::nullopt),
        (Folders { "/home/a/.local/share/applications", "/usr/local/share/applications", "/usr/share/applications" }));
    EXPECT_EQ(folders("/opt/share/:relative::/usr/share"),
        (Folders { "/home/a/.local/share/applications", "/opt/share/applications", "/usr/share/applications" }));
    EXPECT_EQ(folders(":x:"), folders(std::nullopt));
}

} // namespace
} // namespace quorvane
