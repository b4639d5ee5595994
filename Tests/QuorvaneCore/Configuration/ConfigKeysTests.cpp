#include "Configuration/ConfigKeys.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "TOML/TOMLDocument.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

// The key names of one table of `file`, in document order.
std::vector<std::string> keysOf(const ConfigFile& file, const TOMLPath& table)
{
    std::vector<std::string> names;
    for (const auto& [key, value] : file.document().pairs(table))
        names.push_back(key);
    return names;
}

std::vector<std::string> rowsOf(std::string_view table)
{
    std::vector<std::string> names;
    for (const ConfigKey* key : ConfigKeys::of(table))
        names.emplace_back(key->key);
    return names;
}

TEST(ConfigKeys, EveryKeyOfTheDefaultFileIsDescribedWithItsDefault)
{
    ConfigFile defaults = ConfigFile::makeDefault();
    for (const TOMLPath& table : std::vector<TOMLPath> { {}, { "general" }, { "tile_hotkeys" }, { "agents" } }) {
        for (const auto& [name, value] : defaults.document().pairs(table)) {
            std::string tableName = table.empty() ? "" : table[0];
            SCOPED_TRACE(tableName + " " + name);
            const ConfigKey& key = ConfigKeys::named(tableName, name);
            EXPECT_NE(key.meaning, "");
            EXPECT_NE(key.type, "");
            EXPECT_EQ(ConfigKeys::defaultText(key), renderTOMLValue(value));
        }
    }
    // The one key the default file leaves out is described all the same.
    EXPECT_FALSE(ConfigKeys::named("general", "window_style").inDefaultFile);
    EXPECT_EQ(ConfigKeys::defaultText(ConfigKeys::named("general", "window_style")), "\"slim\"");
}

TEST(ConfigKeys, TheTablesOfAppsAndRulesListWhatTheEditsWrite)
{
    ConfigFile file("");
    WebAppSpec spec { "https://mail.example", "Mail", "app.quorvane.web.mail", "opt+cmd+m", "fill", "a {}", "go()",
        "/tmp/mail.png", false };
    file.upsertApp({ "mail", spec });
    file.upsertRule({ "r1", "org.example.Editor", "Mail", "^Draft", "left-half", 2 });
    EXPECT_EQ(keysOf(file, { "apps", "mail" }), rowsOf("apps.<slug>"));
    std::vector<std::string> ruleKeys = keysOf(file, { "rules", "r1" });
    std::sort(ruleKeys.begin(), ruleKeys.end());
    std::vector<std::string> ruleRows = rowsOf("rules.<id>");
    std::sort(ruleRows.begin(), ruleRows.end());
    EXPECT_EQ(ruleKeys, ruleRows);
}

TEST(ConfigKeys, ReadingTakesOnlyValuesOfTheFieldsType)
{
    QuorvaneConfig config;
    const ConfigKey& gap = ConfigKeys::named("general", "tile_gap");
    ConfigKeys::read(gap, TOMLValue::integer(8), config);
    EXPECT_EQ(config.general.tileGap, 8);
    ConfigKeys::read(gap, TOMLValue::string("12"), config);
    EXPECT_EQ(config.general.tileGap, 8);
    ConfigKeys::read(ConfigKeys::named("general", "window_style"), TOMLValue::string(" MacOS "), config);
    EXPECT_EQ(config.general.windowChrome, WindowChrome::standard);
    ConfigKeys::read(ConfigKeys::named("agents", "installed"),
        TOMLValue::array({ TOMLValue::string("a"), TOMLValue::integer(1), TOMLValue::string("b") }), config);
    EXPECT_EQ(config.agents.installed, (std::vector<std::string> { "a", "b" }));
    EXPECT_THROW(ConfigKeys::named("general", "no_such_key"), std::out_of_range);
}

} // namespace
} // namespace quorvane
