#include "Support/FileContents.h"

#include "TestSupport/TemporaryFolder.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
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
    EXPECT_EQ(readError([&] { FileContents::read(folder.file("folder")); }), EISDIR);
    EXPECT_EQ(FileContents::readIfPresent(folder.file("missing/below")), std::nullopt);
    EXPECT_EQ(readError([&] { FileContents::readIfPresent(folder.file("file/below")); }), ENOTDIR);
}

} // namespace
} // namespace quorvane
