#include "QuorvaneIPC/SocketServer.h"

#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "TestSupport/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quorvane {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

RPCResponse echo(const RPCRequest& request)
{
    return RPCResponse("not the request's id", 0, request.arguments.empty() ? "" : request.arguments.back(), "{}");
}

int connectTo(const std::string& path)
{
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address;
    copy(path, address);
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? fd : (::close(fd), -1);
}

// Sends `bytes`, stops writing and returns everything the server writes back before it closes.
std::string converse(const std::string& path, const std::string& bytes)
{
    FileDescriptor fd(connectTo(path));
    ::send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    ::shutdown(fd.get(), SHUT_WR);
    std::string answer;
    char chunk[256];
    for (ssize_t n; (n = ::recv(fd.get(), chunk, sizeof chunk, 0)) > 0;)
        answer.append(chunk, n);
    return answer;
}

bool socketThreadRunning()
{
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        if (name == "quorvane.socket")
            return true;
    }
    return false;
}

bool eventually(auto&& condition)
{
    for (int attempt = 0; attempt < 100 && !condition(); ++attempt)
        std::this_thread::sleep_for(20ms);
    return condition();
}

class SocketServerTest : public testing::Test {
protected:
    test::TemporaryFolder folder;
    std::string path = folder.file("Support/quorvane.sock");
    std::shared_ptr<SocketServer> server = SocketServer::create(path, echo);

    void expectServed(double timeout = 5)
    {
        EXPECT_EQ(IPCClient::request(path, RPCRequest { "id-1", { "serving" } }, timeout),
            (RPCResponse { "id-1", 0, "serving", "{}" }));
    }
    IPCError::Code failureOf(const std::string& socket)
    {
        try {
            IPCClient::request(socket, RPCRequest { "id-1", {} }, 1);
        } catch (const IPCError& error) {
            EXPECT_NE(std::string(error.what()).find(socket), std::string::npos);
            return error.code();
        }
        ADD_FAILURE() << "no IPCError";
        return IPCError::Code::unavailable;
    }
};

TEST_F(SocketServerTest, ServesAPrivateSocketOnItsOwnThread)
{
    server->start();
    expectServed(1e300); // a timeout no deadline could hold
    struct stat status;
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_TRUE(socketThreadRunning());

    server.reset();
    EXPECT_TRUE(eventually([] { return !socketThreadRunning(); }));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(SocketServerTest, ReplacesAStaleSocketAndRestarts)
{
    fs::create_directories(folder.file("Support"));
    {
        // Left behind by a crashed run: bound, then closed without unlinking.
        FileDescriptor stale(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address;
        copy(path, address);
        ASSERT_EQ(::bind(stale.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    EXPECT_EQ(failureOf(path), IPCError::Code::unavailable);
    server->start();
    expectServed();
    server->stop();
    EXPECT_FALSE(fs::exists(path));
    server->start();
    expectServed();

    auto successor = SocketServer::create(path, echo);
    successor->start();
    server.reset(); // must not remove its successor's socket
    expectServed();
}

TEST_F(SocketServerTest, RequestLinesStopShortOfOneMebibyte)
{
    server->start();
    std::string request = "{\"id\":\"big\",\"arguments\":[\"ping\"]}";
    std::string padded = request + std::string(socketLineLimit - 1 - request.size(), ' ');
    EXPECT_EQ(
        converse(path, padded + "\n"), "{\"id\":\"big\",\"exitCode\":0,\"message\":\"ping\",\"payload\":\"{}\"}\n");
    EXPECT_EQ(converse(path, padded + " \n"), "");
    expectServed();
}

TEST_F(SocketServerTest, BrokenClientsGetNoAnswer)
{
    server->start();
    for (std::string bytes : { "garbage\n", "{\"id\":\"x\"}\n", "{\"id\":\"x\",\"arguments\":[\"pi", "", "\xFF\n" })
        EXPECT_EQ(converse(path, bytes), "") << bytes;
    {
        FileDescriptor early(connectTo(path));
        writeAll(early.get(), "{\"id\":\"x\",\"arguments\":[\"gone before the answer\"]}\n");
    }
    expectServed();
}

TEST_F(SocketServerTest, DropsASilentClientAfterFiveSeconds)
{
    server->start();
    auto started = std::chrono::steady_clock::now();
    FileDescriptor silent(connectTo(path));
    std::thread next([&] { expectServed(10); });
    char byte;
    EXPECT_EQ(::recv(silent.get(), &byte, 1, 0), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 4900ms);
    next.join();
}

TEST_F(SocketServerTest, ClosesConnectionsFromOtherUsers)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to connect as another user";
    server->start();
    // Open the way for the other user, so that only the peer check stands between it and an answer.
    for (const std::string& step : { folder.path(), folder.file("Support"), path })
        fs::permissions(step, fs::perms::all);
    pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(converse(path, "{\"id\":\"x\",\"arguments\":[\"ping\"]}\n").empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    expectServed();
}

TEST_F(SocketServerTest, ManyRequestsLeaveNoDescriptorBehind)
{
    auto openDescriptors = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    server->start();
    expectServed();
    std::this_thread::sleep_for(100ms); // the server closes its end just after answering
    auto before = openDescriptors();
    for (int i = 0; i < 10'000; ++i)
        ASSERT_EQ(IPCClient::request(path, RPCRequest { "i", { "ping" } }, 5).message, "ping");
    EXPECT_TRUE(eventually([&] { return openDescriptors() == before; })) << openDescriptors() << " vs " << before;
}

TEST_F(SocketServerTest, SocketPathsKeepTheAgreedLimit)
{
    std::string base = folder.path() + "/";
    EXPECT_EQ(failureOf(base + std::string(103 - base.size(), 'x')), IPCError::Code::unavailable);
    EXPECT_EQ(failureOf(base + std::string(104 - base.size(), 'x')), IPCError::Code::pathTooLong);
    sockaddr_un address;
    // An empty path would name an abstract socket, and a zero byte would cut the path short.
    EXPECT_THROW(copy("", address), IPCError);
    EXPECT_THROW(copy(std::string("/tmp/a\0b", 8), address), IPCError);
}

} // namespace
} // namespace quorvane
