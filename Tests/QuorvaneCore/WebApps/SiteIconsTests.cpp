#include "Resources/BundledResource.h"
#include "WebApps/ICNSWriter.h"
#include "WebApps/SiteIcons.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using namespace SiteIcons;

const std::string base = "https://example.com/app/index.html";

IconCandidate candidate(std::string url, std::optional<int64_t> size, std::string rel)
{
    return { std::move(url), size, std::move(rel) };
}

std::optional<std::string> bestOnPage(const std::string& page)
{
    return bestIconURL(iconCandidates(page, base));
}

TEST(SiteIcons, readsIconLinksWithEveryQuotingStyle)
{
    std::string page = R"(<html><head>
        <LINK REL="Shortcut Icon" HREF="/favicon.ico">
        <link rel='apple-touch-icon' sizes='180x180' href='touch.png'>
        <link rel=icon sizes=16x16,32x32 href=https://cdn.example.net/i.svg>
        <link rel="stylesheet" href="style.css">
        <link rel="icon" href="data:image/png;base64,AAAA">
        <link rel="icon">
        <link rel="manifest" href="../site.webmanifest">
        <link rel="icon" href="/last.png"
    )";
    std::vector<IconCandidate> expected = {
        candidate("https://example.com/favicon.ico", std::nullopt, "shortcut icon"),
        candidate("https://example.com/app/touch.png", 180, "apple-touch-icon"),
        candidate("https://cdn.example.net/i.svg", 32, "icon"),
        candidate("https://example.com/site.webmanifest", std::nullopt, "manifest"),
    };
    EXPECT_EQ(iconCandidates(page, base), expected);
    EXPECT_EQ(manifestHref(page), "../site.webmanifest");
    EXPECT_EQ(manifestHref("<link rel=icon href=a.png>"), std::nullopt);
    EXPECT_EQ(iconCandidates("<linkage rel=icon href=a.png>", base), std::vector<IconCandidate> {});
}

TEST(SiteIcons, attributesMatchNamesInAnyCaseAndTakeTheFirstValue)
{
    EXPECT_EQ(attribute("href", R"(<link HREF = "a b.png" href="second">)"), "a b.png");
    EXPECT_EQ(attribute("href", R"(<link href='it"s.png'>)"), "it\"s.png");
    EXPECT_EQ(attribute("href", "<link href=bare.png>"), "bare.png");
    EXPECT_EQ(attribute("href", "<link href=\"\">"), "");
    EXPECT_EQ(attribute("href", "<link data-href=x.png>"), "x.png");
    EXPECT_EQ(attribute("href", "<link xhref=x.png>"), std::nullopt);
    EXPECT_EQ(attribute("href", "<link href>"), std::nullopt);
    EXPECT_EQ(attribute("a.b", "<link axb=1 a.b=2>"), "2");
    EXPECT_EQ(attribute("sizes", "<link sizes=&quot;1&quot;>"), "&quot;1&quot;");
}

TEST(SiteIcons, resolvesAgainstTheBaseAndRefusesDataAddresses)
{
    EXPECT_EQ(resolve("icon.png", base), "https://example.com/app/icon.png");
    EXPECT_EQ(resolve("../../up.png", base), "https://example.com/up.png");
    EXPECT_EQ(resolve("//cdn.example.net/x.png", base), "https://cdn.example.net/x.png");
    EXPECT_EQ(resolve("http://other.example/y.png", base), "http://other.example/y.png");
    EXPECT_EQ(resolve("?v=2", base), "https://example.com/app/index.html?v=2");
    EXPECT_EQ(resolve("data:image/png;base64,AAAA", base), std::nullopt);
    EXPECT_EQ(resolve("DATA:image/png,x", base), std::nullopt);
    EXPECT_EQ(resolve("a.png", "not a url"), std::nullopt);
    EXPECT_EQ(resolve("a.png", "/relative/base"), std::nullopt);
    EXPECT_EQ(resolve("a b.png", base), std::nullopt);
}

TEST(SiteIcons, sizesGiveTheLargestSensibleWidth)
{
    const std::pair<std::optional<std::string_view>, std::optional<int64_t>> cases[] = {
        { std::nullopt, std::nullopt },
        { "", std::nullopt },
        { "any", std::nullopt },
        { "16x16 32x32", 32 },
        { "16x16,48X48", 48 },
        { "  64x64\n\t128x128  ", 128 },
        { "192", 192 },
        { "any 57x57", 57 },
        { "+24x24", 24 },
        { "10000x10000", 10000 },
        // Absurd sizes are not icons; they must not overflow the ranking either.
        { "9223372036854775807x1", std::nullopt },
        { "99999999999999999999999x1", std::nullopt },
        { "10001x10001 16x16", 16 },
        { "0x0", std::nullopt },
        { "-5x5", std::nullopt },
        { "x16", std::nullopt },
        { "16px", std::nullopt },
    };
    for (const auto& [sizes, expected] : cases)
        EXPECT_EQ(iconSize(sizes), expected) << sizes.value_or("(absent)");
    EXPECT_EQ(rank(candidate("https://x/i.png", iconSize("9223372036854775807x1"), "apple-touch-icon")), 102);
}

TEST(SiteIcons, rankPrefersBigTouchIconsAndPNG)
{
    EXPECT_EQ(rank(candidate("https://x/Touch.PNG", 180, "apple-touch-icon")), 250);
    EXPECT_EQ(rank(candidate("https://x/i.svg", std::nullopt, "icon")), 22);
    EXPECT_EQ(rank(candidate("https://x/favicon.png", std::nullopt, "icon")), 52);
    EXPECT_EQ(rank(candidate("https://x/favicon.ico", 16, "icon")), 16);

    EXPECT_EQ(bestOnPage(R"(<link rel="icon" sizes="16x16" href="/f16.ico">
        <link rel="apple-touch-icon" sizes="180x180" href="/touch.png">)"),
        "https://example.com/touch.png");
    EXPECT_EQ(
        bestOnPage(R"(<link rel="icon" href="/a.svg"><link rel="icon" href="/b.png">)"), "https://example.com/b.png");
    EXPECT_EQ(bestOnPage(R"(<link rel="icon" href="/first.ico"><link rel="icon" href="/second.ico">)"),
        "https://example.com/first.ico");
    EXPECT_EQ(bestOnPage(R"(<link rel="manifest" href="/m.json">)"), std::nullopt);
    EXPECT_EQ(bestIconURL({ candidate("https://x/m.json", 999, "manifest"), candidate("https://x/a", 1, "icon") }),
        "https://x/a");
    EXPECT_EQ(bestIconURL({}), std::nullopt);
}

TEST(SiteIcons, manifestIconsResolveAgainstTheManifest)
{
    std::string manifest = R"({"name": "App", "icons": [
        {"src": "icons/192.png", "sizes": "192x192"},
        {"src": "data:image/png;base64,AAAA", "sizes": "512x512"},
        {"src": "/512.png", "sizes": 512},
        {"sizes": "64x64"},
        "icons/ignored.png",
        {"src": 7}
    ]})";
    std::vector<IconCandidate> expected = {
        candidate("https://example.com/static/icons/192.png", 192, "manifest-icon"),
        candidate("https://example.com/512.png", std::nullopt, "manifest-icon"),
    };
    EXPECT_EQ(manifestIconCandidates(manifest, "https://example.com/static/site.webmanifest"), expected);
    for (std::string broken : { "", "not json", "[]", R"({"icons": {}})", R"({"icons": "a.png"})", "{\"icons\": [" })
        EXPECT_EQ(manifestIconCandidates(broken, base), std::vector<IconCandidate> {}) << broken;
    // Page links come before manifest icons, so an equal rank keeps the page's icon.
    std::vector<IconCandidate> all = iconCandidates(R"(<link rel="icon" sizes="192x192" href="/page.png">)", base);
    std::vector<IconCandidate> icons = manifestIconCandidates(manifest, "https://example.com/static/m.json");
    all.insert(all.end(), icons.begin(), icons.end());
    EXPECT_EQ(bestIconURL(all), "https://example.com/page.png");
}

TEST(ICNSWriter, lengthsAreBigEndianAndCountTheirHeaders)
{
    EXPECT_EQ(ICNSWriter::file({}), std::string("icns\0\0\0\x08", 8));
    EXPECT_EQ(ICNSWriter::file({ { "ic07", "ab" }, { "toolong", "x" }, { "abc", "y" }, { "it32", "" } }),
        std::string("icns\0\0\0\x1Aic07\0\0\0\x0A"
                    "abit32\0\0\0\x08",
            26));
    struct Case {
        size_t length;
        std::string type;
    };
    for (Case row : { Case { 80000, "ic07" }, Case { 80001, "ic08" }, Case { 0, "ic07" } }) {
        std::string png(row.length, 'p');
        std::string icns = ICNSWriter::wrappingPNG(png);
        auto bigEndian = [&](size_t offset) {
            uint32_t value = 0;
            for (size_t index = 0; index < 4; ++index)
                value = (value << 8) | static_cast<uint8_t>(icns[offset + index]);
            return value;
        };
        ASSERT_EQ(icns.size(), row.length + 16);
        EXPECT_EQ(icns.substr(0, 4), "icns");
        EXPECT_EQ(bigEndian(4), row.length + 16);
        EXPECT_EQ(icns.substr(8, 4), row.type);
        EXPECT_EQ(bigEndian(12), row.length + 8);
        EXPECT_EQ(icns.substr(16), png);
    }
}

TEST(SiteIcons, fallbackIconIsABundledIconFileHoldingAPNG)
{
    std::optional<std::string_view> icon = BundledResource::data("FallbackIcon.icns");
    ASSERT_TRUE(icon);
    ASSERT_GT(icon->size(), 16u);
    EXPECT_EQ(icon->substr(0, 4), "icns");
    EXPECT_EQ(static_cast<uint8_t>((*icon)[6]) * 256 + static_cast<uint8_t>((*icon)[7]), icon->size());
    EXPECT_TRUE(isPNG(icon->substr(16)));
    EXPECT_FALSE(isPNG("\x89PN"));
    EXPECT_EQ(BundledResource::data("NoSuchResource"), std::nullopt);
}

} // namespace
} // namespace quorvane
