#include "AppTesting.h"

#include "Configuration/DefaultConfig.h"

#include <filesystem>
#include <functional>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const std::string defaults(DefaultConfig::text());
const std::string lastGoodBanner = "config.toml could not be read. The last good copy is still in use.";
const std::string brokenText = "[general]\ntile_gap = 4\nleader_key = \"caps\n";
// The fixed wall clock's stamp.
const std::string brokenCopySuffix = ".broken-20231114T221320Z";

std::string withGap(int gap)
{
    return test::configText({ { "tile_gap", std::to_string(gap) } });
}

void replaceByRename(const std::string& path, const std::string& text)
{
    writeFile(path + ".new", text);
    fs::rename(path + ".new", path);
}

class ConfigLifecycle : public test::AppTest {
protected:
    void startLinked()
    {
        fs::create_directories(home.file("dotfiles"));
        fs::create_directories(fs::path(configPath()).parent_path());
        writeFile(home.file("dotfiles/config.toml"), defaults);
        fs::create_symlink(home.file("dotfiles/config.toml"), configPath());
        start();
    }

    RPCResponse setHotkey(const std::string& chord)
    {
        return model->handleRPC({ "hotkey", "set", chord, "com.example.editor" });
    }
};

TEST_F(ConfigLifecycle, EverySaveOfAnEditorIsTakenInOnce)
{
    struct Case {
        const char* name;
        bool linked;
        std::function<void(ConfigLifecycle&, const std::string& text)> save;
    };
    const Case cases[] = {
        { "in place", false, [](auto& t, auto& text) { writeFile(t.configPath(), text); } },
        { "by rename", false, [](auto& t, auto& text) { replaceByRename(t.configPath(), text); } },
        { "by delete and re-create", false,
            [](auto& t, auto& text) {
                fs::remove(t.configPath());
                t.desktop.advance(0.2);
                writeFile(t.configPath(), text);
            } },
        { "through a link", true, [](auto& t, auto& text) { writeFile(t.home.file("dotfiles/config.toml"), text); } },
        { "by rename through a link", true,
            [](auto& t, auto& text) { replaceByRename(t.home.file("dotfiles/config.toml"), text); } },
        { "by pointing the link elsewhere", true,
            [](auto& t, auto& text) {
                writeFile(t.home.file("dotfiles/other.toml"), text);
                fs::remove(t.configPath());
                fs::create_symlink(t.home.file("dotfiles/other.toml"), t.configPath());
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.reset();
        fs::remove_all(home.file(".config"));
        fs::remove_all(home.file("dotfiles"));
        if (c.linked)
            startLinked();
        else
            start();
        uint64_t before = model->configGeneration();

        c.save(*this, withGap(7));
        desktop.advance(0.2);
        EXPECT_EQ(model->config().general.tileGap, 7);
        EXPECT_EQ(model->configGeneration(), before + 1);

        // The watch keeps following the file after the save.
        c.save(*this, withGap(9));
        desktop.advance(1);
        EXPECT_EQ(model->config().general.tileGap, 9);
        EXPECT_EQ(model->configGeneration(), before + 2);
    }
}

TEST_F(ConfigLifecycle, ABurstOfEventsOverTheSameTextReloadsOnce)
{
    start();
    uint64_t before = model->configGeneration();
    for (int save = 0; save < 4; ++save) {
        writeFile(configPath(), withGap(3));
        desktop.advance(0.1);
    }
    EXPECT_EQ(model->configGeneration(), before + 1);
}

TEST_F(ConfigLifecycle, TheModelsOwnWritesCauseNoReload)
{
    start();
    uint64_t before = model->configGeneration();
    GeneralConfig general = model->config().general;
    general.tileGap = 5;
    model->setGeneral(general);
    EXPECT_EQ(model->configGeneration(), before + 1);
    EXPECT_NE(readFile(configPath()).find("tile_gap = 5"), std::string::npos);
    desktop.advance(1);
    EXPECT_EQ(model->configGeneration(), before + 1);
    EXPECT_EQ(model->banner(), "");
}

// A general setting saved a moment after another program saved the file, before the watch took that in: the
// other program's change stays, and a chord it took meanwhile is not given to a second action.
TEST_F(ConfigLifecycle, AGeneralSettingIsSavedOntoTheFileAsItIsThen)
{
    start();
    GeneralConfig general = model->config().general;
    general.animateTiles = false;
    writeFile(configPath(), withGap(7));
    model->setGeneral(general);
    EXPECT_EQ(model->config().general.tileGap, 7);
    EXPECT_FALSE(model->config().general.animateTiles);
    EXPECT_NE(readFile(configPath()).find("tile_gap = 7"), std::string::npos);

    general = model->config().general;
    general.layoutHotkey = "ctrl+opt+u";
    const std::string taken = readFile(configPath()) + "\n[hotkeys]\n\"ctrl+opt+u\" = \"org.example.Editor\"\n";
    writeFile(configPath(), taken);
    model->setGeneral(general);
    EXPECT_EQ(readFile(configPath()), taken);
    EXPECT_EQ(model->banner(), "ctrl+opt+u is already used.");
}

TEST_F(ConfigLifecycle, ABrokenSaveKeepsTheLastGoodCopyInForce)
{
    start();
    writeFile(configPath(), withGap(6));
    desktop.advance(0.2);
    writeFile(configPath(), brokenText);
    desktop.advance(0.2);
    EXPECT_EQ(model->config().general.tileGap, 6);
    EXPECT_EQ(model->banner(), lastGoodBanner);
    EXPECT_FALSE(model->bannerIsSuccess());
    EXPECT_EQ(loggedLines, std::vector<std::string> { lastGoodBanner });
    // More events over the same broken text say nothing more.
    desktop.advance(1);
    EXPECT_EQ(loggedLines.size(), 1u);
}

TEST_F(ConfigLifecycle, HoldingTheBannerToneKeepsItThroughConfigEvents)
{
    start();
    model->setBanner("Saved.", true);
    model->setHoldBannerTone(true);
    writeFile(configPath(), brokenText);
    desktop.advance(0.2);
    EXPECT_EQ(model->banner(), lastGoodBanner);
    EXPECT_TRUE(model->bannerIsSuccess());
}

TEST_F(ConfigLifecycle, ASaveTakesInAnEditorsSaveTheWatchHasNotDelivered)
{
    start();
    writeFile(configPath(), withGap(8));
    EXPECT_EQ(setHotkey("ctrl+opt+x").exitCode, 0);
    std::string text = readFile(configPath());
    EXPECT_NE(text.find("tile_gap = 8"), std::string::npos);
    EXPECT_NE(text.find("\"ctrl+opt+x\" = { bundle = \"com.example.editor\" }"), std::string::npos);
    EXPECT_EQ(model->config().general.tileGap, 8);
}

TEST_F(ConfigLifecycle, ABrokenFileAtStartUpIsNeverWrittenOver)
{
    writeConfig(brokenText);
    writeFile(configPath() + brokenCopySuffix, "an older copy");
    start();
    EXPECT_EQ(model->config(), ConfigFile::makeDefault().decode());
    EXPECT_EQ(model->banner(), "config.toml could not be read, so Quorvane runs on the default settings.");
    EXPECT_EQ(readFile(configPath()), brokenText);

    // The tool's answer says it too: its user sees no banner.
    const std::string kept
        = "The config.toml that could not be read was kept as config.toml" + brokenCopySuffix + "-2.";
    EXPECT_EQ(setHotkey("ctrl+opt+x").message, "\u2303\u2325X \u2192 com.example.editor\n" + kept);
    EXPECT_EQ(readFile(configPath() + brokenCopySuffix), "an older copy");
    EXPECT_EQ(readFile(configPath() + brokenCopySuffix + "-2"), brokenText);
    EXPECT_EQ(model->banner(), kept);
    EXPECT_EQ(ConfigFile(readFile(configPath())).decode(), model->config());

    // Only the broken text is kept aside, once.
    EXPECT_EQ(setHotkey("ctrl+opt+y").message, "\u2303\u2325Y \u2192 com.example.editor");
    EXPECT_FALSE(fs::exists(configPath() + brokenCopySuffix + "-3"));
}

// The settings window has no answer of its own: the banner is where its user reads it.
TEST_F(ConfigLifecycle, ASettingsSaveThatKeepsBrokenTextAsideSaysWhere)
{
    start();
    writeConfig(brokenText);
    desktop.advance(0.2);
    ASSERT_EQ(model->banner(), lastGoodBanner);
    GeneralConfig general = model->config().general;
    general.animateTiles = !general.animateTiles;
    model->setGeneral(general);
    EXPECT_EQ(readFile(configPath() + brokenCopySuffix), brokenText);
    EXPECT_EQ(
        model->banner(), "The config.toml that could not be read was kept as config.toml" + brokenCopySuffix + ".");
}

TEST_F(ConfigLifecycle, ABrokenReplacementIsKeptAsideBeforeTheNextSaveThroughTheLink)
{
    startLinked();
    writeFile(home.file("dotfiles/config.toml"), withGap(6));
    desktop.advance(0.2);
    replaceByRename(home.file("dotfiles/config.toml"), brokenText);
    desktop.advance(0.2);
    EXPECT_EQ(model->banner(), lastGoodBanner);

    EXPECT_EQ(setHotkey("ctrl+opt+x").exitCode, 0);
    // The copy lies beside the path the user sees; the link stays a link and its target gets the save.
    EXPECT_EQ(readFile(configPath() + brokenCopySuffix), brokenText);
    EXPECT_TRUE(fs::is_symlink(configPath()));
    std::string saved = readFile(home.file("dotfiles/config.toml"));
    EXPECT_NE(saved.find("tile_gap = 6"), std::string::npos);
    EXPECT_NE(saved.find("ctrl+opt+x"), std::string::npos);
}

TEST_F(ConfigLifecycle, GeneralSettingsThatDoNotValidateAreRefused)
{
    start();
    GeneralConfig general = model->config().general;
    general.tileModeHotkey = "ctrl+opt+nowhere";
    model->setGeneral(general);
    EXPECT_EQ(model->banner(), "Could not read hotkey ctrl+opt+nowhere.");
    EXPECT_EQ(readFile(configPath()), defaults);
}

} // namespace
} // namespace quorvane
