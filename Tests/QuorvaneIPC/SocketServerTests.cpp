#include "QuorvaneIPC/SocketServer.h"

#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "TestSupport/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <grp.h>
#include <linux/sockios.h>
#include <optional>
#include <sys/ioctl.h>
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

RPCResponse echo(const RPCRequest& request, std::stop_token)
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

// The state letter of the server's reading thread ('S' while it waits for clients), or none without one.
std::optional<char> socketThreadState()
{
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        if (name != "quorvane.socket")
            continue;
        std::string stat;
        std::getline(std::ifstream(task.path() / "stat"), stat);
        auto afterName = stat.rfind(") ");
        return afterName == std::string::npos ? std::nullopt : std::optional<char>(stat.at(afterName + 2));
    }
    return std::nullopt;
}

bool socketThreadRunning()
{
    return socketThreadState().has_value();
}

// Whether the server has read everything this client sent, and its reading thread is back waiting for more:
// what it read is queued or handed on by then.
bool takenIn(const FileDescriptor& client)
{
    int unread = 0;
    return ::ioctl(client.get(), SIOCOUTQ, &unread) == 0 && unread == 0 && socketThreadState() == 'S';
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
    std::string padded = request + std::string(requestLineLimit - 1 - request.size(), ' ');
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
        writeAll(early.get(), "{\"id\":\"x\",\"arguments\":[\"gone before the answer\"]}\n", 5);
    }
    expectServed();
}

TEST_F(SocketServerTest, DropsASilentClientAfterItsIdleLimit)
{
    EXPECT_EQ(SocketServer::defaultIdleLimit, 5.0);
    server = SocketServer::create(path, echo, 0.3);
    server->start();
    auto started = std::chrono::steady_clock::now();
    FileDescriptor silent(connectTo(path));
    std::thread next([&] { expectServed(10); });
    char byte;
    EXPECT_EQ(::recv(silent.get(), &byte, 1, 0), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 290ms);
    next.join();
}

TEST_F(SocketServerTest, SilentClientsHoldUpNobody)
{
    server = SocketServer::create(path, echo, 60);
    server->start();
    std::vector<FileDescriptor> silent;
    for (int i = 0; i < 3; ++i)
        silent.emplace_back(connectTo(path));
    expectServed(5);
}

TEST_F(SocketServerTest, RequestsRunOneAtATimeInArrivalOrderUnlessTheirClientHungUp)
{
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> ran;
    int running = 0;
    bool released = false;
    server = SocketServer::create(path, [&](const RPCRequest& request, std::stop_token) {
        std::unique_lock guard(lock);
        EXPECT_EQ(++running, 1);
        ran.push_back(request.arguments.at(0));
        changed.notify_all();
        changed.wait(guard, [&] { return released; });
        --running;
        return RPCResponse(request.id, 0, request.arguments.at(0), "{}");
    });
    server->start();
    auto line = [](const std::string& word) { return "{\"id\":\"x\",\"arguments\":[\"" + word + "\"]}\n"; };
    auto first = std::async(std::launch::async, [&] { return converse(path, line("first")); });
    {
        std::unique_lock guard(lock);
        ASSERT_TRUE(changed.wait_for(guard, 10s, [&] { return !ran.empty(); }));
    }
    // Sent while the first runs: one client gives up and goes, the others only stop writing.
    auto send = [&](const std::string& word) {
        FileDescriptor client(connectTo(path));
        writeAll(client.get(), line(word), 5);
        ::shutdown(client.get(), SHUT_WR);
        return client;
    };
    send("abandoned");
    FileDescriptor halfClosed = send("half-closed");
    FileDescriptor last = send("last");
    {
        std::lock_guard guard(lock);
        released = true;
    }
    changed.notify_all();
    auto answerOn = [](const FileDescriptor& client) { return readLine(client.get(), 10, responseLineLimit); };
    EXPECT_NE(first.get().find("\"first\""), std::string::npos);
    EXPECT_NE(answerOn(halfClosed).find("\"half-closed\""), std::string::npos);
    EXPECT_NE(answerOn(last).find("\"last\""), std::string::npos);
    std::lock_guard guard(lock);
    EXPECT_EQ(ran, (std::vector<std::string> { "first", "half-closed", "last" }));
}

// A prompt takes what nothing waits before, and only that: a request read while the answering thread is at
// work queues behind it. Its reply sends what the client takes at once and leaves the rest to that thread.
TEST_F(SocketServerTest, APromptTakesARequestOnlyWhenNothingWaitsBeforeIt)
{
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> handled, prompted;
    bool released = false;
    auto handler = [&](const RPCRequest& request, std::stop_token) {
        std::unique_lock guard(lock);
        handled.push_back(request.arguments.at(0));
        changed.notify_all();
        changed.wait(guard, [&] { return released; });
        return RPCResponse(request.id, 0, request.arguments.at(0), "{}");
    };
    // "slow" is left to the answering thread; "large" answers with more than a socket buffer holds.
    auto prompt = [&](const RPCRequest& request, const SocketServer::Reply& reply) {
        const std::string& word = request.arguments.at(0);
        if (word == "slow")
            return false;
        std::lock_guard guard(lock);
        prompted.push_back(word);
        reply.answer([&] { return RPCResponse("", 0, word == "large" ? std::string(4'000'000, 'x') : word, "{}"); });
        EXPECT_THROW(reply.answer([] { return RPCResponse(); }), std::logic_error);
        return true;
    };
    server = SocketServer::create(path, handler, SocketServer::defaultIdleLimit, prompt);
    server->start();

    EXPECT_EQ(IPCClient::request(path, RPCRequest { "id-1", { "quick" } }, 5), (RPCResponse { "id-1", 0, "quick", "{}" }));
    EXPECT_EQ(IPCClient::request(path, RPCRequest { "id-2", { "large" } }, 5).message.size(), 4'000'000u);
    auto slow = std::async(std::launch::async, [&] { return IPCClient::request(path, RPCRequest { "id-3", { "slow" } }, 10); });
    {
        std::unique_lock guard(lock);
        ASSERT_TRUE(changed.wait_for(guard, 10s, [&] { return !handled.empty(); }));
    }
    FileDescriptor behind(connectTo(path));
    writeAll(behind.get(), "{\"id\":\"id-4\",\"arguments\":[\"behind\"]}\n", 5);
    ASSERT_TRUE(eventually([&] { return takenIn(behind); }));
    {
        std::lock_guard guard(lock);
        released = true;
    }
    changed.notify_all();
    EXPECT_EQ(slow.get().message, "slow");
    EXPECT_NE(readLine(behind.get(), 10, responseLineLimit).find("\"behind\""), std::string::npos);
    std::lock_guard guard(lock);
    EXPECT_EQ(prompted, (std::vector<std::string> { "quick", "large" }));
    EXPECT_EQ(handled, (std::vector<std::string> { "slow", "behind" }));
}

// The client's timeout covers the whole request: a server whose backlog is full never lets it connect, and
// one that never reads never takes a large request.
TEST_F(SocketServerTest, ClientGivesUpAtItsTimeoutWhileConnectingAndSending)
{
    fs::create_directories(folder.file("Support"));
    struct Case {
        std::string name;
        std::size_t waitingClients;
        std::size_t argumentBytes;
    };
    for (const Case& stuck : { Case { "full backlog", 64, 10 }, Case { "never reads", 0, 8'000'000 } }) {
        FileDescriptor listener(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address;
        copy(path, address);
        ::unlink(path.c_str());
        ASSERT_EQ(::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener.get(), 0), 0);
        std::vector<FileDescriptor> waiting;
        for (std::size_t i = 0; i < stuck.waitingClients; ++i) {
            FileDescriptor client(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
            if (::connect(client.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
                break;
            waiting.push_back(std::move(client));
        }
        std::promise<IPCError::Code> outcome;
        std::thread client([&] {
            try {
                IPCClient::request(path, RPCRequest { "id", { std::string(stuck.argumentBytes, 'x') } }, 0.3);
                outcome.set_value(IPCError::Code::badResponse);
            } catch (const IPCError& error) {
                outcome.set_value(error.code());
            }
        });
        auto ended = outcome.get_future();
        // A client that hangs is set free by closing the listener, so the test itself cannot hang.
        bool endedInTime = ended.wait_for(10s) == std::future_status::ready;
        EXPECT_TRUE(endedInTime) << stuck.name;
        listener.reset();
        client.join();
        if (endedInTime) {
            EXPECT_EQ(ended.get(), IPCError::Code::timedOut) << stuck.name;
        }
    }
}

TEST_F(SocketServerTest, StopWaitsForAHandlerThatGivesUp)
{
    std::mutex lock;
    std::condition_variable_any hop;
    bool entered = false;
    // Stands for a handler waiting on the main thread, which is the one that stops the server.
    server = SocketServer::create(path, [&](const RPCRequest& request, std::stop_token stopping) {
        std::unique_lock guard(lock);
        entered = true;
        hop.notify_all();
        hop.wait(guard, stopping, [] { return false; });
        return RPCResponse(request.id, 3, "Quorvane is not running.", "{}");
    });
    server->start();
    auto answer = std::async(std::launch::async, [&] {
        return IPCClient::request(path, RPCRequest { "id-1", {} }, 10);
    });
    {
        std::unique_lock guard(lock);
        hop.wait(guard, [&] { return entered; });
    }
    server->stop();
    EXPECT_FALSE(socketThreadRunning());
    EXPECT_EQ(answer.get(), (RPCResponse { "id-1", 3, "Quorvane is not running.", "{}" }));
}

TEST_F(SocketServerTest, StopsOnItsOwnThread)
{
    std::weak_ptr<SocketServer> weak;
    std::promise<void> released;
    // The handler stops the server and holds the last reference to it, so both happen on the socket thread.
    server = SocketServer::create(path, [&](const RPCRequest& request, std::stop_token) {
        auto self = weak.lock();
        released.get_future().wait();
        self->stop();
        return RPCResponse(request.id, 0, "stopped", "{}");
    });
    weak = server;
    server->start();
    auto answer = std::async(std::launch::async, [&] {
        return IPCClient::request(path, RPCRequest { "id-1", {} }, 10);
    });
    EXPECT_TRUE(eventually([&] { return weak.use_count() == 3; })); // the test, the accept loop, the handler
    server.reset();
    released.set_value();
    EXPECT_EQ(answer.get().message, "stopped");
    EXPECT_TRUE(eventually([] { return !socketThreadRunning(); }));
    EXPECT_FALSE(fs::exists(path));
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
