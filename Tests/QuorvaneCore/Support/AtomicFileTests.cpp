#include "Support/AtomicFile.h"

#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TemporaryFolder;

mode_t modeOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(AtomicFile, WritesReplacesAndSetsMode)
{
    TemporaryFolder folder;
    std::string path = folder.file("a/b/config.toml");
    AtomicFile::write("one", path, 0644);
    EXPECT_EQ(readFile(path), "one");
    EXPECT_EQ(modeOf(path), 0644u);

    AtomicFile::write("two", path, 0600);
    EXPECT_EQ(readFile(path), "two");
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.file("a/b")), fs::directory_iterator()), 1);
}

TEST(AtomicFile, TemporaryFilesHaveTheirOwnDistinctiveName)
{
    TemporaryFolder folder;
    int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, folder.path().c_str(), IN_CREATE), 0);
    AtomicFile::write("one", folder.file("config.toml"), 0644);
    alignas(inotify_event) char events[4096];
    ssize_t length = ::read(watch, events, sizeof events);
    ::close(watch);
    ASSERT_GT(length, 0);
    auto* event = reinterpret_cast<const inotify_event*>(events);
    EXPECT_TRUE(
        std::regex_match(event->name, std::regex(R"(\.quorvane-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\.tmp)")))
        << event->name;
}

TEST(AtomicFile, APlainWriteReplacesALinkInsteadOfFollowingIt)
{
    TemporaryFolder folder;
    test::writeFile(folder.file("target"), "old");
    fs::create_symlink("target", folder.file("Info.plist"));
    AtomicFile::write("new", folder.file("Info.plist"), 0644);
    EXPECT_FALSE(fs::is_symlink(folder.file("Info.plist")));
    EXPECT_EQ(readFile(folder.file("Info.plist")), "new");
    EXPECT_EQ(readFile(folder.file("target")), "old");

    fs::create_directories(folder.file("elsewhere"));
    fs::create_directory_symlink("elsewhere", folder.file("Contents"));
    AtomicFile::makeFolder(folder.file("Contents"));
    EXPECT_FALSE(fs::is_symlink(folder.file("Contents")));
    EXPECT_TRUE(fs::is_directory(folder.file("Contents")));
}

// A config file kept in a dotfile repository is written at the link's end, as a regular file only.
TEST(AtomicFile, AWriteThroughLinksReachesOnlyARegularFileOrAFreeNameInAnExistingFolder)
{
    TemporaryFolder folder;
    fs::create_directories(folder.file("dotfiles"));
    test::writeFile(folder.file("dotfiles/config.toml"), "old");
    fs::permissions(folder.file("dotfiles/config.toml"), fs::perms(0600));
    fs::create_symlink("dotfiles/config.toml", folder.file("config.toml"));
    fs::create_symlink("config.toml", folder.file("second-link"));
    AtomicFile::writeThroughLinks("new", folder.file("second-link"), 0644);
    EXPECT_TRUE(fs::is_symlink(folder.file("config.toml")));
    EXPECT_TRUE(fs::is_symlink(folder.file("second-link")));
    EXPECT_EQ(readFile(folder.file("dotfiles/config.toml")), "new");
    EXPECT_EQ(modeOf(folder.file("dotfiles/config.toml")), 0600u) << "an existing file keeps its permissions";

    fs::create_symlink("dotfiles/fresh.toml", folder.file("fresh-link"));
    AtomicFile::writeThroughLinks("fresh", folder.file("fresh-link"), 0644);
    EXPECT_EQ(readFile(folder.file("dotfiles/fresh.toml")), "fresh");
    EXPECT_EQ(modeOf(folder.file("dotfiles/fresh.toml")), 0644u);
    AtomicFile::writeThroughLinks("deep", folder.file("new/folders/config.toml"), 0644);
    EXPECT_EQ(readFile(folder.file("new/folders/config.toml")), "deep");

    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0644), 0);
    struct Case {
        std::string target, message;
    };
    const Case refused[] = {
        { "/dev/null", " links to /dev/null, which is not a regular file, so Quorvane will not replace it." },
        { folder.file("fifo"),
            " links to " + folder.file("fifo") + ", which is not a regular file, so Quorvane will not replace it." },
        { folder.file("dotfiles"),
            " links to " + folder.file("dotfiles")
                + ", which is not a regular file, so Quorvane will not replace it." },
        { folder.file("missing/x.toml"),
            " links to " + folder.file("missing/x.toml")
                + ", which is in a folder that does not exist, so Quorvane will not create it." },
    };
    for (const Case& item : refused) {
        std::string link = folder.file("refused.toml");
        fs::remove(link);
        fs::create_symlink(item.target, link);
        try {
            AtomicFile::writeThroughLinks("new", link, 0644);
            ADD_FAILURE() << "wrote through to " << item.target;
        } catch (const QuorvaneError& error) {
            EXPECT_EQ(error.message(), link + item.message);
        }
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_fifo(folder.file("fifo")));
    EXPECT_FALSE(fs::exists(folder.file("missing")));
    try {
        AtomicFile::writeThroughLinks("new", folder.file("fifo"), 0644);
        ADD_FAILURE() << "replaced a FIFO";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), folder.file("fifo") + " is not a regular file, so Quorvane will not replace it.");
    }
}

TEST(AtomicFile, RootKeepsTheOwnerOfAReplacedFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    TemporaryFolder folder;
    test::writeFile(folder.file("config.toml"), "old");
    ASSERT_EQ(::chown(folder.file("config.toml").c_str(), 65534, 65534), 0);
    AtomicFile::writeThroughLinks("new", folder.file("config.toml"), 0644);
    struct stat info {};
    ASSERT_EQ(::stat(folder.file("config.toml").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
}

TEST(AtomicFile, AFailedWriteLeavesNoTemporaryFile)
{
    // A folder standing where the file should go makes the final replace fail, even for root.
    TemporaryFolder folder;
    fs::create_directories(folder.file("config.toml/inside"));

    EXPECT_THROW(AtomicFile::write("new", folder.file("config.toml"), 0644), std::system_error);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

} // namespace
} // namespace quorvane
