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

} // namespace
} // namespace quorvane
