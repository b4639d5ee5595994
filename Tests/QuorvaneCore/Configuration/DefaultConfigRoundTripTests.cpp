#include "Configuration/DefaultConfig.h"
#include "TOML/TOMLDocument.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

std::string defaultText()
{
    return std::string(DefaultConfig::text());
}

// `text` with the one occurrence of `from` replaced by `to`.
std::string replacing(std::string text, std::string_view from, std::string_view to)
{
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

template <typename Edit> void expectEdit(Edit edit, const std::string& expected)
{
    TOMLDocument document = TOMLDocument::parse(DefaultConfig::text());
    edit(document);
    EXPECT_EQ(document.text(), expected);
}

TEST(DefaultConfigRoundTrip, RendersBackByteForByte)
{
    EXPECT_EQ(DefaultConfig::text().size(), 1571u);
    EXPECT_TRUE(DefaultConfig::text().ends_with("custom_folders = []\n"));
    EXPECT_EQ(TOMLDocument::parse(DefaultConfig::text()).text(), DefaultConfig::text());
}

TEST(DefaultConfigRoundTrip, EditsChangeOnlyTheLinesTheyMust)
{
    expectEdit([](TOMLDocument& document) { document.set({ "general" }, "tile_gap", TOMLValue::integer(8)); },
        replacing(defaultText(), "tile_gap = 0\n", "tile_gap = 8\n"));
    expectEdit([](TOMLDocument& document) { document.set({ "general" }, "tile_gap", TOMLValue::decimal(12.5)); },
        replacing(defaultText(), "tile_gap = 0\n", "tile_gap = 12.5\n"));
    expectEdit(
        [](TOMLDocument& document) { document.set({ "general" }, "window_style", TOMLValue::string("standard")); },
        replacing(defaultText(), "[tile_hotkeys]\n", "window_style = \"standard\"\n[tile_hotkeys]\n"));
    expectEdit([](TOMLDocument& document) { document.set({}, "schema", TOMLValue::integer(2)); },
        replacing(defaultText(), "version = 1\n", "version = 1\nschema = 2\n"));
    expectEdit(
        [](TOMLDocument& document) {
            document.set({ "apps", "mail" }, "url", TOMLValue::string("https://mail.example.com"));
            document.set({ "apps", "mail" }, "user_js", TOMLValue::string("let a = 1\ndocument.title = \"Mail\""));
        },
        defaultText()
            + "\n[apps.mail]\nurl = \"https://mail.example.com\"\n"
              "user_js = \"\"\"\nlet a = 1\ndocument.title = \"Mail\\\"\"\"\"\n");
    expectEdit([](TOMLDocument& document) { document.remove({ "general" }, "leader_key"); },
        replacing(defaultText(), "leader_key = \"\"\n", ""));
    expectEdit([](TOMLDocument& document) { document.removeTable({ "general" }); },
        defaultText().substr(0, defaultText().find("[general]"))
            + defaultText().substr(defaultText().find("[tile_hotkeys]")));
}

} // namespace
} // namespace quorvane
