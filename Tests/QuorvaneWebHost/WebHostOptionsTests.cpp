#include "WebHostIdentity.h"

#include "TestSupport/TemporaryFolder.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quorvane {
namespace {

struct OptionsCase {
    std::string name;
    // Sets up what stands at the config path.
    std::function<void(const std::string& path)> prepare;
    std::string userCSS;
    bool standardUserAgent;
    WindowChrome chrome = WindowChrome::slim;
};

TEST(WebHostOptions, TheConfigGivesTheAppsExtrasAndAnythingElseTheDefaults)
{
    auto config = [](std::string text) { return [text](const std::string& path) { test::writeFile(path, text); }; };
    std::vector<OptionsCase> cases = {
        { "its own table",
            config("[apps.notes]\nurl = \"https://n.example\"\nuser_css = \"b { }\"\n"
                   "standard_user_agent = false\n"),
            "b { }", false },
        { "another app's table", config("[apps.mail]\nurl = \"https://m.example\"\nuser_css = \"b { }\"\n"), "", true },
        { "standard chrome, no table of its own",
            config("[general]\nwindow_style = \"standard\"\n[apps.mail]\nurl = \"https://m.example\"\n"), "", true,
            WindowChrome::standard },
        { "slim chrome and its own table",
            config("[general]\nwindow_style = \"slim\"\n[apps.notes]\nurl = \"https://n.example\"\nuser_css = \"i { }\"\n"),
            "i { }", true, WindowChrome::slim },
        { "a broken line", config("[apps.notes\n"), "", true },
        { "no file", [](const std::string&) {}, "", true },
        { "a folder", [](const std::string& path) { std::filesystem::create_directory(path); }, "", true },
    };
    for (const OptionsCase& row : cases) {
        SCOPED_TRACE(row.name);
        test::TemporaryFolder folder;
        std::string path = folder.file("config.toml");
        row.prepare(path);
        WebHostOptions options = WebHostOptions::forSlug(path, "notes");
        EXPECT_EQ(options.userCSS, row.userCSS);
        EXPECT_EQ(options.standardUserAgent, row.standardUserAgent);
        EXPECT_EQ(options.chrome, row.chrome);
    }
}

} // namespace
} // namespace quorvane
