#include "Support/FileContents.h"

#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

int readError(const std::function<void()>& read)
{
    try {
        read();
    } catch (const std::system_error& error) {
        return error.code().value();
    }
    return 0;
}

TEST(FileContents, ReadsEveryByte)
{
    test::TemporaryFolder folder;
    std::string bytes = std::string("a\0\xFF", 3) + std::string(40000, 'x');
    test::writeFile(folder.file("data"), bytes);
    EXPECT_EQ(FileContents::read(folder.file("data")), bytes);
    test::writeFile(folder.file("empty"), "");
    EXPECT_EQ(FileContents::read(folder.file("empty")), "");
}

TEST(FileContents, OnlyAMissingFileIsAbsent)
{
    test::TemporaryFolder folder;
    fs::create_directories(folder.file("folder"));
    test::writeFile(folder.file("file"), "");
    std::string missing = folder.file("missing");
    EXPECT_EQ(readError([&] { FileContents::read(missing); }), ENOENT);
    EXPECT_EQ(FileContents::readIfPresent(folder.file("missing/below")), std::nullopt);
    EXPECT_EQ(readError([&] { FileContents::readIfPresent(folder.file("file/below")); }), ENOTDIR);
}

// A FIFO would block the open or never end, and /dev/zero never ends: only regular files are read.
TEST(FileContents, ReadsOnlyRegularFilesUpToTheirLimit)
{
    test::TemporaryFolder folder;
    fs::create_directories(folder.file("folder"));
    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0644), 0);
    fs::create_symlink("fifo", folder.file("link"));
    for (std::string path :
        { folder.file("folder"), folder.file("fifo"), folder.file("link"), std::string("/dev/zero") }) {
        try {
            FileContents::readIfPresent(path);
            ADD_FAILURE() << "read " << path;
        } catch (const QuorvaneError& error) {
            EXPECT_EQ(error.message(), "Quorvane reads only regular files, and " + path + " is not one.");
        }
    }

    test::writeFile(folder.file("ten"), std::string(10, 'x'));
    EXPECT_EQ(FileContents::read(folder.file("ten"), 10), std::string(10, 'x'));
    test::writeFile(folder.file("big"), std::string(2 * 1024 * 1024 + 1, 'x'));
    auto refusal = [](const std::string& path, size_t limit) {
        try {
            FileContents::read(path, limit);
        } catch (const QuorvaneError& error) {
            return error.message();
        }
        return std::string("read");
    };
    EXPECT_EQ(
        refusal(folder.file("ten"), 9), folder.file("ten") + " is larger than 9 bytes, more than Quorvane reads.");
    EXPECT_EQ(refusal(folder.file("big"), 2 * 1024 * 1024),
        folder.file("big") + " is larger than 2 MiB, more than Quorvane reads.");
}

} // namespace
} // namespace quorvane
