// The Apps tab on the simulated desktop: edits of a web app (its bundle following a new name), its hotkey
// recorder, and removal only after the row asked.
#include "AppTesting.h"
#include "KeysTesting.h"
#include "TilingTesting.h"

#include "QuorvaneApp/Views/SettingsWindow.h"

#include <filesystem>
#include <functional>

namespace quorvane {
namespace {

class AppsSettingsTest : public test::SettingsTest {
protected:
    void begin()
    {
        test::oneDisplay(desktop);
        startWith(test::configText({}));
        ASSERT_EQ(model->handleRPC({ "app", "add", "https://mail.example.com", "--name", "Mail" }).exitCode, 0);
        ASSERT_EQ(model->handleRPC({ "app", "add", "https://notes.example.com", "--name", "Notes" }).exitCode, 0);
        model->showSettings(SettingsTab::apps);
        settle();
    }

    // Each web app as "name url tile".
    std::vector<std::string> apps()
    {
        std::vector<std::string> lines;
        for (const WebAppRecord& app : model->config().apps)
            lines.push_back(app.spec.name + " " + app.spec.url + " " + app.spec.tile.value_or("-"));
        return lines;
    }

    bool bundle(const std::string& name)
    {
        return std::filesystem::exists(paths().appsDirectory() + "/" + name + ".app/Contents");
    }
};

using Lines = std::vector<std::string>;

TEST_F(AppsSettingsTest, AnEditSavesWhatIsValidAndTheBundleFollowsTheName)
{
    struct Case {
        std::string name, address, tile;
        // The status line afterwards.
        std::string status;
        Lines after;
    };
    const Case cases[] = {
        { "Post", "https://post.example.com/", "left-half", "Saved Post.",
            { "Post https://post.example.com/ left-half", "Notes https://notes.example.com -" } },
        { "notes", "https://post.example.com/", "", "An app named notes already exists.",
            { "Post https://post.example.com/ left-half", "Notes https://notes.example.com -" } },
        { "../Post", "https://post.example.com/", "", "", { "Post https://post.example.com/ left-half",
            "Notes https://notes.example.com -" } },
        { "Post", "ftp://post.example.com/", "", "", { "Post https://post.example.com/ left-half",
            "Notes https://notes.example.com -" } },
        { "Mail", "https://mail.example.com", "", "Saved Mail.",
            { "Mail https://mail.example.com -", "Notes https://notes.example.com -" } },
    };
    begin();
    for (const Case& c : cases) {
        const std::string current = model->config().apps.front().spec.name;
        ASSERT_TRUE(press("Edit " + current)) << c.name;
        ASSERT_TRUE(edit("App name", c.name));
        ASSERT_TRUE(edit("App address", c.address));
        ASSERT_TRUE(edit("App tile", c.tile));
        ASSERT_TRUE(press("Save"));
        EXPECT_EQ(apps(), c.after) << c.name;
        bool saved = c.status.starts_with("Saved");
        if (!c.status.empty()) {
            EXPECT_EQ(windows.form().status, c.status) << c.name;
        }
        EXPECT_EQ(windows.form().statusTone, saved ? MenuTone::success : MenuTone::failure) << c.name;
        // A refused edit stays open to be put right.
        EXPECT_EQ(windows.control("App name") != nullptr, !saved) << c.name;
        if (!saved) {
            ASSERT_TRUE(press("Cancel editing"));
        }
        EXPECT_TRUE(bundle(model->config().apps.front().spec.name)) << c.name;
    }
    EXPECT_FALSE(bundle("Post"));
}

// An edit is checked against the file as it is when it is saved: the tool may have changed it since the tab
// last showed it, and the watch has not yet taken that in.
TEST_F(AppsSettingsTest, AnEditIsCheckedOnTheFileAsItIsWhenSaved)
{
    const std::string postApp = "[apps.post]\nurl = \"https://post.example.com/\"\nname = \"Post\"\n"
                                "bundle_id = \"app.quorvane.web.post\"\n";
    struct Case {
        std::string label;
        std::function<std::string(const std::string&)> changeOnDisk;
        std::string status;
        // Whether the edit stays open to be put right; an app that is gone closes it.
        bool editing;
    };
    const Case cases[] = {
        { "the name taken", [&](const std::string& text) { return text + postApp; },
            "An app named Post already exists.", true },
        { "the app removed",
            [](const std::string& text) {
                size_t start = text.find("[apps.mail]");
                return text.substr(0, start) + text.substr(text.find("[apps.notes]"));
            },
            "No web app named Mail.", false },
    };
    begin();
    const std::string before = test::readFile(configPath());
    for (const Case& c : cases) {
        ASSERT_TRUE(press("Edit Mail")) << c.label;
        ASSERT_TRUE(edit("App name", "Post"));
        const std::string changed = c.changeOnDisk(before);
        test::writeFile(configPath(), changed);
        ASSERT_TRUE(press("Save"));
        EXPECT_EQ(windows.form().status, c.status) << c.label;
        EXPECT_EQ(test::readFile(configPath()), changed) << c.label;
        EXPECT_EQ(windows.control("App name") != nullptr, c.editing) << c.label;
        if (c.editing) {
            ASSERT_TRUE(press("Cancel editing"));
        }
        test::writeFile(configPath(), before);
        desktop.advance(0.5);
    }
    EXPECT_TRUE(bundle("Mail"));
    EXPECT_FALSE(bundle("Post"));
}

// What the edit does not show stays as the file has it, also when the tool changed it a moment before.
TEST_F(AppsSettingsTest, AnEditKeepsTheKeysItDoesNotShow)
{
    begin();
    ASSERT_TRUE(press("Edit Mail"));
    ASSERT_TRUE(edit("App name", "Post"));
    std::string text = test::readFile(configPath());
    text.insert(text.find("[apps.mail]\n") + 12, "hotkey = \"ctrl+shift+m\"\n");
    test::writeFile(configPath(), text);
    ASSERT_TRUE(press("Save"));
    EXPECT_EQ(windows.form().status, "Saved Post.");
    EXPECT_EQ(apps().front(), "Post https://mail.example.com -");
    EXPECT_EQ(model->config().apps.front().spec.hotkey.value_or("none"), "ctrl+shift+m");
}

// Each row shows the icon its launcher shows, one that was written when the app was added.
TEST_F(AppsSettingsTest, EachRowShowsItsLaunchersIcon)
{
    begin();
    for (const WebAppRecord& record : model->config().apps) {
        const SettingsControl* row = windows.control(record.spec.name);
        ASSERT_TRUE(row) << record.spec.name;
        EXPECT_NE(row->image.find(record.spec.bundleIdentifier), std::string::npos) << row->image;
        EXPECT_TRUE(std::filesystem::is_regular_file(row->image)) << row->image;
    }
}

TEST_F(AppsSettingsTest, TheRowsRecorderSetsAndRemovesTheHotkey)
{
    begin();
    const std::pair<std::string, std::string> steps[] = {
        { "ctrl+shift+m", "ctrl+shift+m" },
        // Refused: the old chord stays.
        { "ctrl+opt+f", "ctrl+shift+m" },
        { "", "-" },
    };
    for (const auto& [recorded, hotkey] : steps) {
        ASSERT_TRUE(edit("Hotkey for Mail", recorded));
        EXPECT_EQ(model->config().apps.front().spec.hotkey.value_or("-"), hotkey) << recorded;
    }
}

// Clearing the row's chord takes away the chord alone, from the app as the file has it.
TEST_F(AppsSettingsTest, ClearingTheChordKeepsWhatTheToolChangedMeanwhile)
{
    begin();
    ASSERT_TRUE(edit("Hotkey for Mail", "ctrl+shift+m"));
    std::string text = test::readFile(configPath());
    text.insert(text.find("[apps.mail]\n") + 12, "tile = \"fill\"\n");
    test::writeFile(configPath(), text);
    ASSERT_TRUE(edit("Hotkey for Mail", ""));
    EXPECT_EQ(apps().front(), "Mail https://mail.example.com fill");
    EXPECT_FALSE(model->config().apps.front().spec.hotkey);
}

TEST_F(AppsSettingsTest, RemoveAsksInTheRowFirst)
{
    begin();
    ASSERT_TRUE(press("Remove Mail"));
    ASSERT_TRUE(press("Keep Mail"));
    EXPECT_EQ(apps().size(), 2u);
    EXPECT_TRUE(windows.control("Remove Mail"));

    ASSERT_TRUE(press("Remove Mail"));
    EXPECT_FALSE(windows.control("Open Mail"));
    ASSERT_TRUE(press("Remove Mail and its launcher"));
    EXPECT_EQ(apps(), (Lines { "Notes https://notes.example.com -" }));
    EXPECT_FALSE(bundle("Mail"));
    EXPECT_EQ(windows.form().statusTone, MenuTone::success);
    EXPECT_FALSE(windows.control("Edit Mail"));

    ASSERT_TRUE(press("New Web App\u2026"));
    EXPECT_TRUE(windows.panelOpen("new-app"));
}

} // namespace
} // namespace quorvane
