#include "Support/AtomicFile.h"

#include "TestSupport/TemporaryFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>

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

TEST(AtomicFile, ASymbolicLinkKeepsPointingAtItsNewContents)
{
    TemporaryFolder folder;
    fs::create_directories(folder.file("dotfiles"));
    test::writeFile(folder.file("dotfiles/config.toml"), "old");
    fs::create_symlink("dotfiles/config.toml", folder.file("config.toml"));
    fs::create_symlink("config.toml", folder.file("second-link"));

    AtomicFile::write("new", folder.file("second-link"), 0644);

    EXPECT_TRUE(fs::is_symlink(folder.file("config.toml")));
    EXPECT_TRUE(fs::is_symlink(folder.file("second-link")));
    EXPECT_EQ(readFile(folder.file("dotfiles/config.toml")), "new");
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
