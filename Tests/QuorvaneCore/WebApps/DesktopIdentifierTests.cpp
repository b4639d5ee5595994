#include "WebApps/DesktopIdentifier.h"

#include <gtest/gtest.h>
#include <set>

namespace quorvane {
namespace {

// An application id and D-Bus name: dot-separated elements of ASCII letters, digits, "_" and "-", none
// empty or starting with a digit, at least two of them, at most 247 bytes, so the desktop file's name fits in one file name.
bool isApplicationId(const std::string& id)
{
    if (id.size() > 247 || id.find('.') == std::string::npos)
        return false;
    size_t start = 0;
    for (size_t dot; start <= id.size(); start = dot + 1) {
        dot = id.find('.', start);
        if (dot == std::string::npos)
            dot = id.size();
        if (dot == start || (id[start] >= '0' && id[start] <= '9'))
            return false;
        for (size_t index = start; index < dot; ++index) {
            char c = id[index];
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
                return false;
        }
    }
    return true;
}

TEST(DesktopIdentifier, plainIdentifiersStayAsTheyAre)
{
    EXPECT_EQ(desktopIdentifier("app.quorvane.web.my-mail"), "app.quorvane.web.my-mail");
    EXPECT_EQ(desktopIdentifier("app.quorvane.web.mail2"), "app.quorvane.web.mail2");
}

TEST(DesktopIdentifier, everyIdentifierBecomesAValidApplicationIdOfItsOwn)
{
    const std::vector<std::string> identifiers = {
        "app.quorvane.web.café-crème",
        "app.quorvane.web.2048",
        "app.quorvane.web.e_5f",
        "app.quorvane.web.e_",
        "app.quorvane.web.名前",
        "app.quorvane.web..x",
        "app.quorvane.web.",
        "single",
        "app.quorvane.web." + std::string(300, 'a'),
        "app.quorvane.web." + std::string(300, 'a') + "b",
        "app.quorvane.web." + std::string(120, 'a') + "ééééé",
    };
    std::set<std::string> seen;
    for (const std::string& identifier : identifiers) {
        std::string id = desktopIdentifier(identifier);
        EXPECT_TRUE(isApplicationId(id)) << identifier << " -> " << id;
        EXPECT_TRUE(seen.insert(id).second) << identifier << " collides as " << id;
    }
    EXPECT_EQ(desktopIdentifier("app.quorvane.web.2048"), "app.quorvane.web._32048");
    EXPECT_EQ(desktopIdentifier("app.quorvane.web.café"), "app.quorvane.web.caf_c3_a9");
}

} // namespace
} // namespace quorvane
