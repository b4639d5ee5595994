#include "QuorvaneIPC/SocketServer.h"

#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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
    std::string words;
    for (const auto& word : request.arguments)
        words += (words.empty() ? "" : " ") + word;
    return RPCResponse("not the request's id", 0, words, "{}");
}

int connectTo(const std::string& path)
{
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address;
    copy(path, address);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends `bytes` and returns everything the server writes back before it closes the connection.
std::string converse(const std::string& path, const std::string& bytes)
{
    FileDescriptor fd(connectTo(path));
    writeAll(fd.get(), bytes);
    ::shutdown(fd.get(), SHUT_WR);
    std::string answer;
    char chunk[256];
    for (ssize_t n; (n = ::recv(fd.get(), chunk, sizeof chunk, 0)) > 0;)
        answer.append(chunk, n);
    return answer;
}

size_t openDescriptors()
{
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

bool socketThreadRunning()
{
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name == "quorvane.socket")
            return true;
    }
    return false;
}

bool eventually(auto&& condition)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (condition())
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

class SocketServerTest : public testing::Test {
protected:
    test::TemporaryFolder folder;
    std::string path = folder.file("Support/quorvane.sock");

    RPCResponse ask(std::vector<std::string> arguments, double timeout = 5)
    {
        return IPCClient::request(path, RPCRequest { "id-1", std::move(arguments) }, timeout);
    }
    void expectServed() { EXPECT_EQ(ask({ "still", "serving" }).message, "still serving"); }
    IPCError::Code failureOf(auto&& action)
    {
        try {
            action();
        } catch (const IPCError& error) {
            EXPECT_EQ(error.path(), path);
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
            return error.code();
        }
        ADD_FAILURE() << "no IPCError";
        return IPCError::Code::unavailable;
    }
};

TEST_F(SocketServerTest, AnswersWithTheRequestIdOnAPrivateSocket)
{
    auto server = SocketServer::create(path, echo);
    server->start();
    EXPECT_EQ(ask({ "tile", "Safari", "left-half" }), (RPCResponse { "id-1", 0, "tile Safari left-half", "{}" }));

    struct stat status;
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_TRUE(S_ISSOCK(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_TRUE(socketThreadRunning());
    EXPECT_THROW(server->start(), std::logic_error);
}

TEST_F(SocketServerTest, ReplacesStaleFilesAndRestarts)
{
    fs::create_directories(fs::path(path).parent_path());
    {
        // A socket file left behind by a crashed run: bound, then closed without unlinking.
        FileDescriptor stale(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address;
        copy(path, address);
        ASSERT_EQ(::bind(stale.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    auto server = SocketServer::create(path, echo);
    server->start();
    expectServed();

    server->stop();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(failureOf([&] { ask({ "ping" }); }), IPCError::Code::unavailable);
    server->start();
    expectServed();

    auto successor = SocketServer::create(path, echo);
    successor->start();
    server.reset(); // the old server must not remove its successor's socket
    EXPECT_TRUE(fs::exists(path));
    expectServed();
}

TEST_F(SocketServerTest, RefusesToReplaceAFolder)
{
    fs::create_directories(path);
    EXPECT_THROW(SocketServer::create(path, echo)->start(), std::system_error);
}

TEST_F(SocketServerTest, ThreadEndsWhenTheServerIsGone)
{
    auto server = SocketServer::create(path, echo);
    server->start();
    ASSERT_TRUE(socketThreadRunning());
    server.reset();
    EXPECT_TRUE(eventually([] { return !socketThreadRunning(); }));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(SocketServerTest, RequestLinesUpToOneMebibyteLessOne)
{
    auto server = SocketServer::create(path, echo);
    server->start();
    std::string request = "{\"id\":\"big\",\"arguments\":[\"ping\"]}";
    std::string padded = request + std::string(socketLineLimit - 1 - request.size(), ' ');
    EXPECT_EQ(
        converse(path, padded + "\n"), "{\"id\":\"big\",\"exitCode\":0,\"message\":\"ping\",\"payload\":\"{}\"}\n");
    EXPECT_EQ(converse(path, padded + " \n"), "");
    expectServed();
}

TEST_F(SocketServerTest, BrokenClientsGetNoAnswerAndTheServerCarriesOn)
{
    auto server = SocketServer::create(path, echo);
    server->start();
    for (std::string bytes : {
             "garbage\n",
             "{\"id\":\"x\"}\n",
             "{\"id\":\"x\",\"arguments\":[\"pi",
             "",
             "\xFF\xFE\n",
         }) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(converse(path, bytes), "");
    }
    {
        // Gone before the answer is written.
        FileDescriptor early(connectTo(path));
        writeAll(early.get(), "{\"id\":\"x\",\"arguments\":[\"ping\"]}\n");
    }
    expectServed();
}

TEST_F(SocketServerTest, DropsASilentClientAfterFiveSeconds)
{
    auto server = SocketServer::create(path, echo);
    server->start();
    auto started = std::chrono::steady_clock::now();
    FileDescriptor silent(connectTo(path));
    std::this_thread::sleep_for(50ms);
    std::thread next([&] { expectServed(); });
    char byte;
    EXPECT_EQ(::recv(silent.get(), &byte, 1, 0), 0);
    auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, 4900ms);
    EXPECT_LT(waited, 8s);
    next.join();
}

TEST_F(SocketServerTest, ClientGivesUpAtItsTimeout)
{
    auto server = SocketServer::create(path, [](const RPCRequest& request) {
        if (request.arguments == std::vector<std::string> { "slow" })
            std::this_thread::sleep_for(1500ms);
        return echo(request);
    });
    server->start();
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(failureOf([&] { ask({ "slow" }, 0.3); }), IPCError::Code::timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1200ms);
    expectServed();
}

TEST_F(SocketServerTest, HandlerErrorsAreAnswered)
{
    auto server = SocketServer::create(path, [](const RPCRequest& request) -> RPCResponse {
        if (request.arguments.empty())
            throw QuorvaneError::conflict("Already there.");
        throw std::runtime_error("Broken.");
    });
    server->start();
    EXPECT_EQ(ask({}), (RPCResponse { "id-1", 6, "Already there.", "{}" }));
    EXPECT_EQ(ask({ "x" }), (RPCResponse { "id-1", 1, "Broken.", "{}" }));
}

TEST_F(SocketServerTest, ClientFailures)
{
    EXPECT_EQ(failureOf([&] { ask({ "ping" }); }), IPCError::Code::unavailable);

    // A server that answers with something other than one response line.
    fs::create_directories(fs::path(path).parent_path());
    FileDescriptor listener(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address;
    copy(path, address);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener.get(), 8), 0);
    for (std::string answer : { "not json\n", "{\"id\":\"x\",\"exitCode\":0}\n", "{\"id\":\"x\"", "" }) {
        SCOPED_TRACE(answer);
        std::thread fake([&] {
            FileDescriptor connection(::accept(listener.get(), nullptr, nullptr));
            readLine(connection.get(), 5, socketLineLimit);
            writeAll(connection.get(), answer);
        });
        EXPECT_EQ(failureOf([&] { ask({ "ping" }); }), IPCError::Code::badResponse);
        fake.join();
    }

    std::string tooLong = folder.path() + "/" + std::string(110, 'x');
    try {
        IPCClient::request(tooLong, RPCRequest { "i", {} }, 1);
        ADD_FAILURE();
    } catch (const IPCError& error) {
        EXPECT_EQ(error.code(), IPCError::Code::pathTooLong);
    }
}

TEST_F(SocketServerTest, ClosesConnectionsFromOtherUsers)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to connect as another user";
    auto server = SocketServer::create(path, echo);
    server->start();
    // Let the other user reach the socket at all, so that only the peer check stands in the way.
    fs::permissions(folder.path(), fs::perms::all);
    fs::permissions(fs::path(path).parent_path(), fs::perms::all);
    fs::permissions(path, fs::perms::all);

    int answer[2];
    ASSERT_EQ(::pipe(answer), 0);
    pid_t child = ::fork();
    if (child == 0) {
        ::close(answer[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        int fd = connectTo(path);
        if (fd < 0)
            ::_exit(3);
        const char request[] = "{\"id\":\"x\",\"arguments\":[\"ping\"]}\n";
        ::send(fd, request, sizeof request - 1, MSG_NOSIGNAL);
        char chunk[256];
        ssize_t total = 0;
        for (ssize_t n; (n = ::recv(fd, chunk, sizeof chunk, 0)) > 0;)
            total += n;
        ::write(answer[1], &total, sizeof total);
        ::_exit(0);
    }
    ::close(answer[1]);
    ssize_t received = -1;
    ASSERT_EQ(::read(answer[0], &received, sizeof received), static_cast<ssize_t>(sizeof received));
    ::close(answer[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(received, 0);
    expectServed();
}

TEST_F(SocketServerTest, TenThousandRequestsLeaveNoDescriptorBehind)
{
    std::atomic<int> served = 0;
    auto server = SocketServer::create(path, [&](const RPCRequest& request) {
        ++served;
        return echo(request);
    });
    server->start();
    expectServed();
    std::this_thread::sleep_for(100ms); // the server closes its end just after answering
    size_t before = openDescriptors();
    for (int i = 0; i < 10'000; ++i)
        ASSERT_EQ(ask({ "ping" }).message, "ping");
    EXPECT_EQ(served, 10'001);
    EXPECT_TRUE(eventually([&] { return openDescriptors() == before; })) << openDescriptors() << " vs " << before;
}

} // namespace
} // namespace quorvane
