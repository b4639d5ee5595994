#include "Agents/BundledResources.h"

#include "Agents/ShellQuote.h"
#include "Command/CommandParser.h"
#include "Command/Invocation.h"

#include <gtest/gtest.h>
#include <sstream>

namespace quorvane {
namespace {

using Folders = std::vector<std::string>;

TEST(BundledResources, ReadsTheFolderListLeniently)
{
    const std::vector<std::pair<std::string, Folders>> cases = {
        { R"({"folders": ["~/a", 3, null, "/b"], "other": true})", { "~/a", "/b" } },
        { R"({"folders": "~/a"})", {} },
        { R"({"paths": ["~/a"]})", {} },
        { R"(["~/a"])", {} },
        { R"({"folders": ["~/a")", {} },
    };
    for (const auto& [manifest, folders] : cases)
        EXPECT_EQ(BundledResources::skillFolders(manifest), folders) << manifest;

    ASSERT_FALSE(BundledResources::skillFolders().empty());
    for (const std::string& folder : BundledResources::skillFolders())
        EXPECT_TRUE(folder.starts_with("~/")) << folder;
}

TEST(BundledResources, EveryExampleInTheSkillIsACommandTheToolAccepts)
{
    std::string text = BundledResources::skillText();
    ASSERT_TRUE(text.starts_with("---\nname: quorvane\ndescription: ")) << text.substr(0, 40);

    std::istringstream lines(text);
    int examples = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("    quorvane "))
            continue;
        std::vector<std::string> words = ShellQuote::split(line);
        words.erase(words.begin());
        EXPECT_NO_THROW(CommandParser::parse(words)) << line;
        ++examples;
    }
    EXPECT_GE(examples, 30);
}

} // namespace
} // namespace quorvane
