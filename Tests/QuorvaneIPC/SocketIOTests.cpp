#include "QuorvaneIPC/SocketIO.h"

#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCError.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace quorvane {
namespace {

struct SocketPair {
    FileDescriptor reader, writer;
    SocketPair()
    {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
            throw std::runtime_error("socketpair failed");
        reader.reset(fds[0]);
        writer.reset(fds[1]);
    }
};

IPCError::Code failureOf(auto&& action)
{
    try {
        action();
    } catch (const IPCError& error) {
        return error.code();
    }
    ADD_FAILURE() << "no IPCError";
    return IPCError::Code::unavailable;
}

// Sends `bytes` from another thread (larger than the socket buffer) and optionally closes afterwards.
std::string readSent(const std::string& bytes, bool closeAfter, double timeout = 5, size_t limit = socketLineLimit)
{
    SocketPair pair;
    std::thread sender([&] {
        try {
            writeAll(pair.writer.get(), bytes);
        } catch (const IPCError&) {
            // The reader refused early and closed.
        }
        if (closeAfter)
            ::shutdown(pair.writer.get(), SHUT_WR);
    });
    struct Join {
        std::thread& thread;
        SocketPair& pair;
        ~Join()
        {
            ::shutdown(pair.reader.get(), SHUT_RDWR);
            thread.join();
        }
    } join { sender, pair };
    return readLine(pair.reader.get(), timeout, limit);
}

TEST(SocketIO, CopyKeepsTheAgreedPathLimit)
{
    sockaddr_un address;
    std::string longest(103, 'a');
    copy(longest, address);
    EXPECT_EQ(address.sun_family, AF_UNIX);
    EXPECT_EQ(std::string(address.sun_path), longest);

    EXPECT_EQ(failureOf([&] { copy(longest + "a", address); }), IPCError::Code::pathTooLong);
    EXPECT_EQ(failureOf([&] { copy("", address); }), IPCError::Code::unavailable);
    EXPECT_EQ(failureOf([&] { copy(std::string("/tmp/a\0b", 8), address); }), IPCError::Code::unavailable);
    try {
        copy(longest + "a", address);
    } catch (const IPCError& error) {
        EXPECT_NE(std::string(error.what()).find(longest), std::string::npos);
    }
}

TEST(SocketIO, ReadLineReturnsTheBytesBeforeTheFirstLineFeed)
{
    EXPECT_EQ(readSent("hello\n", false), "hello");
    EXPECT_EQ(readSent("\n", false), "");
    EXPECT_EQ(readSent("a\"\\b\nrest", false), "a\"\\b");

    SocketPair pair;
    writeAll(pair.writer.get(), "one\ntwo\n");
    EXPECT_EQ(readLine(pair.reader.get(), 1, socketLineLimit), "one");
    EXPECT_EQ(readLine(pair.reader.get(), 1, socketLineLimit), "two");
    // An endless-looking timeout must not overflow the deadline.
    writeAll(pair.writer.get(), "three\n");
    EXPECT_EQ(readLine(pair.reader.get(), 1e300, socketLineLimit), "three");
}

TEST(SocketIO, ReadLineRefusesLinesOfOneMebibyte)
{
    EXPECT_EQ(readSent(std::string(socketLineLimit - 1, 'x') + "\n", false).size(), socketLineLimit - 1);
    EXPECT_EQ(
        failureOf([] { readSent(std::string(socketLineLimit, 'x') + "\n", false); }), IPCError::Code::badResponse);
    EXPECT_EQ(failureOf([] { readSent("abcd\n", false, 5, 4); }), IPCError::Code::badResponse);
}

TEST(SocketIO, ReadLineFailures)
{
    EXPECT_EQ(failureOf([] { readSent("partial", true); }), IPCError::Code::badResponse);
    EXPECT_EQ(failureOf([] { readSent("", true); }), IPCError::Code::badResponse);
    EXPECT_EQ(failureOf([] { readSent("slow", false, 0.2); }), IPCError::Code::timedOut);
    EXPECT_EQ(failureOf([] { readSent("late\n", false, 0); }), IPCError::Code::timedOut);

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[1]);
    EXPECT_EQ(failureOf([&] { readLine(fds[0], 1, 10); }), IPCError::Code::unavailable);
    ::close(fds[0]);
}

TEST(SocketIO, WriteAllToAClosedPeerFailsWithoutSIGPIPE)
{
    SocketPair pair;
    pair.reader.reset();
    writeAll(pair.writer.get(), "");
    EXPECT_EQ(failureOf([&] { writeAll(pair.writer.get(), "lost\n"); }), IPCError::Code::unavailable);
}

} // namespace
} // namespace quorvane
