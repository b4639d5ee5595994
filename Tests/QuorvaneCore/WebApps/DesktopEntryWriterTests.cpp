#include "WebApps/DesktopEntryWriter.h"

#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"
#include "WebApps/ICNSWriter.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/WebAppBundlePlan.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

// The start of a PNG of `edge` pixels square: enough for anything that reads only its header.
std::string png(int edge)
{
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (int shift : { 24, 16, 8, 0, 24, 16, 8, 0 })
        bytes += static_cast<char>((edge >> shift) & 0xFF);
    return bytes + "pixels";
}

class DesktopEntryWriterTest : public ::testing::Test {
protected:
    WebAppBundlePlan plan(const std::string& name, const std::string& slug)
    {
        std::string identifier = bundleIdentifier(slug);
        return WebAppBundlePlan(name, slug, "https://mail.example.com/?a=1&b=%20", identifier,
            StableIdentity::dataStoreIdentifier(identifier), home.file("Quorvane Apps"));
    }

    test::TemporaryFolder home;
    QuorvanePaths paths { home.path() };
    DesktopEntryWriter writer { paths };
};

TEST_F(DesktopEntryWriterTest, entriesOfAwkwardNamesAreValid)
{
    const std::vector<std::pair<std::string, std::string>> apps = {
        { "Mail", "mail" },
        { "Say \"hi\" & 'bye'", "say-hi-bye" },
        { "Café Crème", "café-crème" },
        { "2048", "2048" },
        { " 100% $HOME `x` back\\slash", "100-home-x-back-slash" },
        { "名前", "名前" },
    };
    for (const auto& [name, slug] : apps) {
        SCOPED_TRACE(name);
        WebAppBundlePlan app = plan(name, slug);
        writer.install(app, ICNSWriter::wrappingPNG(png(128)));
        std::string entry = writer.entryPath(app.bundleIdentifier);
        ASSERT_TRUE(fs::exists(entry));
        std::string command = "desktop-file-validate '" + entry + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << test::readFile(entry);
    }
}

TEST_F(DesktopEntryWriterTest, theEntryStartsTheBundlesHostUnderTheDesktopIdentifier)
{
    WebAppBundlePlan app = plan("Café", "café");
    writer.install(app, "not an icon file");
    std::string entry = test::readFile(writer.entryPath(app.bundleIdentifier));
    EXPECT_EQ(fs::path(writer.entryPath(app.bundleIdentifier)).filename(), "app.quorvane.web.caf_c3_a9.desktop");
    EXPECT_NE(entry.find("\nExec=\"" + home.file("Quorvane Apps/Café.app/Contents/MacOS/QuorvaneWebHost") + "\"\n"),
        std::string::npos)
        << entry;
    EXPECT_NE(entry.find("\nStartupWMClass=app.quorvane.web.caf_c3_a9\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=app.quorvane.web.caf_c3_a9\n"), std::string::npos) << "fallback artwork";
}

TEST_F(DesktopEntryWriterTest, iconsGoWhereTheThemeLooksOrAreNamedByPath)
{
    WebAppBundlePlan themed = plan("Themed", "themed");
    writer.install(themed, ICNSWriter::file({ { "ic07", png(128) }, { "ic08", png(256) }, { "icp4", "not png" } }));
    EXPECT_EQ(test::readFile(writer.iconPath(themed.bundleIdentifier, 128)), png(128));
    EXPECT_EQ(test::readFile(writer.iconPath(themed.bundleIdentifier, 256)), png(256));

    WebAppBundlePlan odd = plan("Odd", "odd");
    writer.install(odd, ICNSWriter::wrappingPNG(png(180)));
    EXPECT_NE(test::readFile(writer.entryPath(odd.bundleIdentifier))
                  .find("\nIcon=" + writer.iconPath(odd.bundleIdentifier, 180) + "\n"),
        std::string::npos);

    // A small picture is drawn from the nearest image at least as large, else from the largest.
    const std::pair<int, std::string> nearest[] = {
        { 24, writer.iconPath(themed.bundleIdentifier, 128) },
        { 200, writer.iconPath(themed.bundleIdentifier, 256) },
        { 512, writer.iconPath(themed.bundleIdentifier, 256) },
    };
    for (const auto& [edge, path] : nearest)
        EXPECT_EQ(writer.installedIcon(themed.bundleIdentifier, edge), path) << edge;
    EXPECT_EQ(writer.installedIcon(odd.bundleIdentifier, 24), writer.iconPath(odd.bundleIdentifier, 180));

    // Only this web app's files go.
    writer.remove(themed.bundleIdentifier);
    EXPECT_FALSE(fs::exists(writer.entryPath(themed.bundleIdentifier)));
    EXPECT_FALSE(fs::exists(writer.iconPath(themed.bundleIdentifier, 128)));
    EXPECT_FALSE(fs::exists(writer.iconPath(themed.bundleIdentifier, 256)));
    EXPECT_TRUE(fs::exists(writer.entryPath(odd.bundleIdentifier)));
    EXPECT_TRUE(fs::exists(writer.iconPath(odd.bundleIdentifier, 180)));
    writer.remove(themed.bundleIdentifier);
    EXPECT_EQ(writer.installedIcon(themed.bundleIdentifier, 24), std::nullopt);
}

// A site's image goes to the theme as it came; an image the theme cannot use gives the fallback artwork.
TEST_F(DesktopEntryWriterTest, aSquarePNGIsTheThemeIconItself)
{
    const struct {
        std::string image;
        int edge;
    } cases[] = {
        { png(128), 128 },
        { png(180), 180 },
        { png(4096), 4096 },
        { png(4097), 0 },
        { std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x20", 24), 0 }, // 16 by 32
        { "GIF89a", 0 },
    };
    for (const auto& [image, edge] : cases) {
        SCOPED_TRACE(edge);
        WebAppBundlePlan app = plan("Site", "site");
        writer.remove(app.bundleIdentifier);
        writer.install(app, image);
        std::string entry = test::readFile(writer.entryPath(app.bundleIdentifier));
        if (edge == 0) {
            EXPECT_NE(entry.find("\nIcon=app.quorvane.web.site\n"), std::string::npos) << "fallback artwork";
            continue;
        }
        EXPECT_EQ(test::readFile(writer.iconPath(app.bundleIdentifier, edge)), image);
        std::size_t images = 0;
        for (const auto& size : fs::directory_iterator(paths.iconThemeDirectory()))
            images += fs::exists(size.path() / "apps/app.quorvane.web.site.png");
        EXPECT_EQ(images, 1u);
    }
}

TEST_F(DesktopEntryWriterTest, aLinkWhereTheEntryGoesIsReplacedNotFollowed)
{
    WebAppBundlePlan app = plan("Mail", "mail");
    test::writeFile(home.file("victim"), "untouched");
    fs::create_directories(paths.desktopEntriesDirectory());
    fs::create_symlink(home.file("victim"), writer.entryPath(app.bundleIdentifier));
    writer.install(app, "");
    EXPECT_EQ(test::readFile(home.file("victim")), "untouched");
    EXPECT_FALSE(fs::is_symlink(writer.entryPath(app.bundleIdentifier)));
}

// A bundle_id edited by hand may name another application's launcher; that entry and its icons stay.
TEST_F(DesktopEntryWriterTest, AnotherApplicationsEntryIsNeitherWrittenOverNorDeleted)
{
    WebAppBundlePlan app = plan("Mine", "mine");
    app.bundleIdentifier = "org.example.Editor";
    std::string entry = writer.entryPath(app.bundleIdentifier);
    std::string icon = writer.iconPath(app.bundleIdentifier, 48);
    fs::create_directories(fs::path(entry).parent_path());
    fs::create_directories(fs::path(icon).parent_path());
    const std::pair<const char*, std::string> others[] = {
        { "no mark", "[Desktop Entry]\nType=Application\nName=My Editor\nExec=xterm\n" },
        { "another web app's mark", "[Desktop Entry]\nName=Mail\nX-Quorvane-BundleIdentifier=app.quorvane.web.mail\n" },
        { "the mark as part of a value", "[Desktop Entry]\nComment=X-Quorvane-BundleIdentifier=org.example.Editor\n" },
    };
    for (const auto& [name, text] : others) {
        SCOPED_TRACE(name);
        test::writeFile(entry, text);
        test::writeFile(icon, "their icon");
        try {
            writer.install(app, png(48));
            ADD_FAILURE() << "installed over another application's entry";
        } catch (const QuorvaneError& error) {
            EXPECT_EQ(error.code(), "conflict");
            EXPECT_EQ(error.message(),
                entry + " belongs to another application, so it was left as it was. Give Mine a bundle_id of its own.");
        }
        writer.remove(app.bundleIdentifier);
        EXPECT_EQ(test::readFile(entry), text);
        EXPECT_EQ(test::readFile(icon), "their icon");
    }

    // The web app's own entry is replaced and removed with its icons.
    fs::remove(entry);
    writer.install(app, png(48));
    writer.install(app, png(48));
    writer.remove(app.bundleIdentifier);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(fs::exists(icon));
}

} // namespace
} // namespace quorvane
