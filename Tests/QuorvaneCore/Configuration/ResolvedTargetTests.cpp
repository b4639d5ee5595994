#include "Configuration/ResolvedTarget.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(ResolveTarget, WebAppsByAnyNameThenDottedBundleIdentifiers)
{
    // The second web app is named after the first one's slug, and loses to it.
    QuorvaneConfig config;
    for (auto [slug, name] : { std::pair { "mail", "Mail Box" }, std::pair { "notes", "mail" } }) {
        WebAppRecord record;
        record.slug = slug;
        record.spec.name = name;
        record.spec.bundleIdentifier = std::string("app.quorvane.web.") + slug;
        config.apps.push_back(record);
    }
    const auto mail = ResolvedTarget::webApp(config.apps[0]), notes = ResolvedTarget::webApp(config.apps[1]);
    const std::pair<const char*, std::optional<ResolvedTarget>> cases[] = { { "mail", mail }, { "MAIL BOX", mail },
        { "App.Quorvane.Web.Notes", notes }, { "com.example.editor", ResolvedTarget::bundle("com.example.editor") },
        { "Com.Example.Editor", ResolvedTarget::bundle("Com.Example.Editor") }, { "com.example\teditor", std::nullopt },
        { "/Applications/Safari.app", std::nullopt }, { "Safari", std::nullopt }, { "", std::nullopt } };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(resolveTarget(text, config), expected) << text;
}

TEST(ResolveTarget, DotlessWordsTheDesktopKnows)
{
    QuorvaneConfig config;
    WebAppRecord record;
    record.slug = "xterm";
    record.spec.name = "Web Term";
    record.spec.bundleIdentifier = "app.quorvane.web.xterm";
    config.apps.push_back(record);
    std::vector<std::string> asked;
    ApplicationIdCheck known = [&](const std::string& word) {
        asked.push_back(word);
        return word != "nothing";
    };
    const std::pair<const char*, std::optional<ResolvedTarget>> cases[] = {
        { "firefox-esr", ResolvedTarget::bundle("firefox-esr") },
        { "nothing", std::nullopt },
        // A web app still comes first, and dotted words never need the desktop.
        { "XTERM", ResolvedTarget::webApp(record) },
        { "org.gnome.Terminal", ResolvedTarget::bundle("org.gnome.Terminal") },
        // Never asked: blanks, slashes, control characters and the empty word.
        { "two words", std::nullopt },
        { "no\u00A0break", std::nullopt },
        { "../xterm", std::nullopt },
        { "x\x01", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(resolveTarget(text, config, known), expected) << text;
    EXPECT_EQ(asked, (std::vector<std::string> { "firefox-esr", "nothing" }));
    EXPECT_EQ(resolveTarget("firefox-esr", config, ApplicationIdCheck {}), std::nullopt) << "no desktop to ask";
}

} // namespace
} // namespace quorvane
