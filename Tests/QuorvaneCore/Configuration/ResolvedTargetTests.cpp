#include "Configuration/ResolvedTarget.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(ResolveTarget, WebAppsByAnyNameThenDottedBundleIdentifiers)
{
    QuorvaneConfig config;
    for (const char* slug : { "mail", "notes" }) {
        WebAppRecord record;
        record.slug = slug;
        record.spec.name = std::string(slug) == "mail" ? "Mail Box" : "Notes";
        record.spec.bundleIdentifier = std::string("app.quorvane.web.") + slug;
        config.apps.push_back(record);
    }
    // A web app named after another's slug still loses to the earlier web app.
    config.apps[1].spec.name = "mail";

    struct Case {
        const char* text;
        std::optional<std::string> webApp; // slug
        std::optional<std::string> bundle;
    };
    const Case cases[] = {
        { "mail", "mail", std::nullopt },
        { "MAIL BOX", "mail", std::nullopt },
        { "App.Quorvane.Web.Notes", "notes", std::nullopt },
        { "com.example.editor", std::nullopt, "com.example.editor" },
        { "Com.Example.Editor", std::nullopt, "Com.Example.Editor" },
        { "com.example\teditor", std::nullopt, std::nullopt },
        { "/Applications/Safari.app", std::nullopt, std::nullopt },
        { "Safari", std::nullopt, std::nullopt },
        { "", std::nullopt, std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto target = resolveTarget(c.text, config);
        if (c.webApp) {
            ASSERT_TRUE(target.has_value());
            EXPECT_EQ(target->kind, ResolvedTarget::Kind::webApp);
            EXPECT_EQ(target->record.slug, *c.webApp);
            EXPECT_EQ(target->bundleIdentifier(), "app.quorvane.web." + *c.webApp);
        } else if (c.bundle) {
            EXPECT_EQ(target, ResolvedTarget::bundle(*c.bundle));
        } else {
            EXPECT_EQ(target, std::nullopt);
        }
    }
}

} // namespace
} // namespace quorvane
