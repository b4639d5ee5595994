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
    EXPECT_EQ(attribute("href", "<link xhref=x.png>"), std::nullopt);
    EXPECT_EQ(attribute("a.b", "<link axb=1 a.b=2>"), "2");
    EXPECT_EQ(attribute("sizes", "<link sizes=&quot;1&quot;>"), "&quot;1&quot;");
}

TEST(SiteIcons, resolveRefusesDataAndUnresolvableAddresses)
{
    EXPECT_EQ(resolve("DATA:image/png,x", base), std::nullopt);
    EXPECT_EQ(resolve("a.png", "/relative/base"), std::nullopt);
    EXPECT_EQ(resolve("a b.png", base), std::nullopt);
}

TEST(SiteIcons, sizesGiveTheLargestSensibleWidth)
{
    const std::pair<std::optional<std::string_view>, std::optional<int64_t>> cases[]
        = { { std::nullopt, std::nullopt }, { "any", std::nullopt }, { "16x16 32x32", 32 }, { "16x16,48X48", 48 },
              { " 64x64\n\t128x128 ", 128 }, { "192", 192 }, { "+24x24", 24 }, { "10000x10000", 10000 },
              { "0x0", std::nullopt }, { "-5x5", std::nullopt }, { "x16", std::nullopt }, { "16px", std::nullopt },
              // Absurd sizes are not icons; they must not overflow the ranking either.
              { "9223372036854775807x1", std::nullopt }, { "99999999999999999999999x1", std::nullopt },
              { "10001x10001 16x16", 16 } };
    for (const auto& [sizes, expected] : cases)
        EXPECT_EQ(iconSize(sizes), expected) << sizes.value_or("(absent)");
}

TEST(SiteIcons, bestIconWeighsSizeTouchIconsAndFileKind)
{
    // An unsized icon counts as 32; a touch icon gains 50, a PNG 20, an SVG loses 10.
    const std::pair<std::string, std::optional<std::string>> pages[] = {
        { "<link rel=icon sizes=64x64 href=/a.ico><link rel=apple-touch-icon href=/t.ico>", "https://x/t.ico" },
        { "<link rel=icon sizes=48x48 href=/a.ico><link rel=icon href=/b.PNG>", "https://x/b.PNG" },
        { "<link rel=icon href=/a.svg><link rel=icon sizes=24x24 href=/b.ico>", "https://x/b.ico" },
        { "<link rel=icon href=/first.ico><link rel=icon href=/second.ico>", "https://x/first.ico" },
        { "<link rel=manifest href=/m.json>", std::nullopt },
    };
    for (const auto& [page, best] : pages)
        EXPECT_EQ(bestIconURL(iconCandidates(page, "https://x/")), best) << page;
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

std::string bigEndian(size_t value)
{
    return { static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
        static_cast<char>(value) };
}

TEST(ICNSWriter, lengthsAreBigEndianAndCountTheirHeaders)
{
    EXPECT_EQ(ICNSWriter::file({}), "icns" + bigEndian(8));
    EXPECT_EQ(ICNSWriter::file({ { "ic07", "ab" }, { "toolong", "x" }, { "abc", "y" }, { "it32", "" } }),
        "icns" + bigEndian(26) + "ic07" + bigEndian(10) + "ab" + "it32" + bigEndian(8));
    for (auto [length, type] : { std::pair { 80000, "ic07" }, std::pair { 80001, "ic08" } }) {
        std::string png(static_cast<size_t>(length), 'p');
        EXPECT_EQ(
            ICNSWriter::wrappingPNG(png), "icns" + bigEndian(png.size() + 16) + type + bigEndian(png.size() + 8) + png);
    }
}

TEST(SiteIcons, fallbackIconIsABundledIconFileHoldingAPNG)
{
    std::optional<std::string_view> icon = BundledResource::data("FallbackIcon.icns");
    ASSERT_TRUE(icon);
    ASSERT_GT(icon->size(), 16u);
    EXPECT_EQ(icon->substr(0, 8), "icns" + bigEndian(icon->size()));
    EXPECT_TRUE(isPNG(icon->substr(16)));
    EXPECT_FALSE(isPNG("\x89PN"));
    EXPECT_EQ(BundledResource::data("NoSuchResource"), std::nullopt);
}

} // namespace
} // namespace quorvane
