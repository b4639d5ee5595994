#include "QuorvaneIPC/SocketServer.h"

#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCCodec.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Support/QuorvaneError.h"
#include "JSON/JSONValue.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quorvane {

namespace {

using Clock = std::chrono::steady_clock;

// A connection whose request line is still arriving.
struct Reading {
    FileDescriptor connection;
    std::string bytes;
    Clock::time_point deadline;
};

} // namespace

// A request read in full, waiting for its turn; or an answer a prompt's reply began, to be sent on.
struct SocketServer::Waiting {
    FileDescriptor connection;
    RPCRequest request;
    std::string unsent;
};

// The state the server's threads share with it; it outlives the server when a thread does.
struct SocketServer::Listener {
    std::mutex lock;
    std::condition_variable arrived;
    // Closed by the reading thread as it ends, so no other thread ever sees the number reused.
    int listenFD = -1;
    bool stopped = false;
    std::deque<Waiting> waiting;
    // Whether the answering thread is at work on what it took from `waiting`.
    bool answering = false;
    // Asked to stop when the server stops, so that a waiting handler gives up.
    std::stop_source stopping;
    double idleLimit = defaultIdleLimit;
};

struct SocketServer::Reply::Pending {
    std::shared_ptr<Listener> listener;
    FileDescriptor connection;
    std::string id;
    std::atomic<bool> answered = false;
};

namespace {

// Out of descriptors the listening socket stays readable; pausing this long keeps the loop from spinning.
constexpr auto descriptorPause = std::chrono::milliseconds(200);
constexpr int listenBacklog = 8;
// Connections read at once; more wait in the listening backlog until one of these is read or dropped.
constexpr std::size_t readingLimit = 64;

bool fromThisUser(int connection)
{
    ucred peer {};
    socklen_t length = sizeof peer;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof peer)
        return false;
    return peer.uid == ::getuid();
}

// Whether the client has closed its end altogether; one that only stopped writing still waits for its answer.
bool hungUp(int connection)
{
    pollfd poller { connection, 0, 0 };
    return ::poll(&poller, 1, 0) > 0 && (poller.revents & (POLLHUP | POLLERR));
}

enum class Progress { waiting, complete, dropped };

// Takes what has arrived on a connection. Complete leaves the line, without its line feed, in `bytes`.
Progress takeBytes(Reading& reading)
{
    char chunk[65536];
    std::size_t room = requestLineLimit - reading.bytes.size();
    ssize_t received = ::recv(reading.connection.get(), chunk, std::min(sizeof chunk, room), MSG_DONTWAIT);
    if (received < 0)
        return errno == EINTR || errno == EAGAIN ? Progress::waiting : Progress::dropped;
    if (received == 0)
        return Progress::dropped;
    if (const void* newline = std::memchr(chunk, '\n', static_cast<std::size_t>(received))) {
        reading.bytes.append(chunk, static_cast<std::size_t>(static_cast<const char*>(newline) - chunk));
        return Progress::complete;
    }
    reading.bytes.append(chunk, static_cast<std::size_t>(received));
    return reading.bytes.size() >= requestLineLimit ? Progress::dropped : Progress::waiting;
}

// What a handler answers, or its error as the client is told it.
RPCResponse respond(const std::function<RPCResponse()>& produce)
{
    try {
        return produce();
    } catch (const QuorvaneError& error) {
        return RPCResponse("", error.exitCode(), error.message(), "{}");
    } catch (const std::exception& error) {
        return RPCResponse("", 1, error.what(), "{}");
    }
}

// Sends what the connection takes without waiting; how much that was, or none when the client is gone.
std::optional<std::size_t> sendWhatFits(int connection, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t written = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (written > 0)
            sent += static_cast<std::size_t>(written);
        else if (written < 0 && errno == EINTR)
            continue;
        else if (written < 0 && errno == EAGAIN)
            break;
        else
            return std::nullopt;
    }
    return sent;
}

int millisecondsUntil(Clock::time_point deadline, Clock::time_point now)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

Clock::time_point deadlineAfter(double seconds)
{
    // A limit beyond a day stands for none; the clock cannot hold every double.
    auto limit = std::chrono::duration<double>(std::min(seconds, 86'400.0));
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(limit);
}

} // namespace

std::shared_ptr<SocketServer> SocketServer::create(std::string path, Handler handler, double idleLimit, Prompt prompt)
{
    return std::shared_ptr<SocketServer>(
        new SocketServer(std::move(path), std::move(handler), idleLimit, std::move(prompt)));
}

SocketServer::SocketServer(std::string path, Handler handler, double idleLimit, Prompt prompt)
    : m_path(std::move(path))
    , m_handler(std::move(handler))
    , m_prompt(std::move(prompt))
    , m_idleLimit(idleLimit)
{
}

SocketServer::~SocketServer()
{
    stop();
}

void SocketServer::start()
{
    std::lock_guard guard(m_lock);
    if (m_listener)
        throw std::logic_error("The socket server is already listening.");

    // The socket's own folder, when missing, is made private: in the runtime folder it holds nothing else.
    auto parent = std::filesystem::path(m_path).parent_path();
    if (!parent.empty() && !std::filesystem::exists(parent)) {
        if (auto above = parent.parent_path(); !above.empty())
            std::filesystem::create_directories(above);
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST)
            throw std::system_error(errno, std::generic_category(), "Could not create " + parent.string());
    }
    if (::unlink(m_path.c_str()) != 0 && errno != ENOENT)
        throw std::system_error(errno, std::generic_category(), "Could not remove " + m_path);

    FileDescriptor socketFD(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socketFD)
        throw IPCError::unavailable(m_path);
    sockaddr_un address;
    copy(m_path, address);
    if (::bind(socketFD.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw IPCError::unavailable(m_path);
    struct stat bound { };
    if (::chmod(m_path.c_str(), 0600) != 0 || ::listen(socketFD.get(), listenBacklog) != 0
        || ::lstat(m_path.c_str(), &bound) != 0) {
        // A bound socket nobody accepts on would look like a running application to the tool.
        ::unlink(m_path.c_str());
        throw IPCError::unavailable(m_path);
    }

    auto listener = std::make_shared<Listener>();
    listener->listenFD = socketFD.get();
    listener->idleLimit = m_idleLimit;
    try {
        m_reader = std::thread(readLoop, weak_from_this(), listener);
        ::pthread_setname_np(m_reader.native_handle(), "quorvane.socket");
        m_answerer = std::thread(answerLoop, weak_from_this(), listener);
        ::pthread_setname_np(m_answerer.native_handle(), "quorvane.answer");
    } catch (...) {
        {
            std::lock_guard guard(listener->lock);
            listener->stopped = true;
            ::shutdown(listener->listenFD, SHUT_RDWR);
        }
        listener->arrived.notify_all();
        if (m_reader.joinable())
            m_reader.join();
        ::unlink(m_path.c_str());
        throw;
    }
    socketFD.release();
    m_listener = std::move(listener);
    m_device = bound.st_dev;
    m_inode = bound.st_ino;
}

void SocketServer::stop()
{
    std::shared_ptr<Listener> listener;
    std::thread reader;
    std::thread answerer;
    {
        std::lock_guard guard(m_lock);
        listener = std::exchange(m_listener, nullptr);
        reader = std::move(m_reader);
        answerer = std::move(m_answerer);
    }
    if (!listener)
        return;
    {
        std::lock_guard guard(listener->lock);
        listener->stopped = true;
        // Wakes the reading thread's wait at once; that thread closes the descriptors itself.
        if (listener->listenFD >= 0)
            ::shutdown(listener->listenFD, SHUT_RDWR);
    }
    listener->arrived.notify_all();
    listener->stopping.request_stop();
    struct stat current { };
    if (::lstat(m_path.c_str(), &current) == 0 && current.st_dev == m_device && current.st_ino == m_inode)
        ::unlink(m_path.c_str());
    // The last reference to the server may drop on its own answering thread, which then ends by itself.
    for (std::thread* thread : { &reader, &answerer }) {
        if (thread->get_id() == std::this_thread::get_id())
            thread->detach();
        else if (thread->joinable())
            thread->join();
    }
}

void SocketServer::readLoop(std::weak_ptr<SocketServer> server, std::shared_ptr<Listener> listener)
{
    std::vector<Reading> reading;
    std::vector<pollfd> pollers;
    for (;;) {
        int listenFD;
        {
            std::lock_guard guard(listener->lock);
            if (listener->stopped || server.expired())
                break;
            listenFD = listener->listenFD;
        }
        // No timeout while nobody is being read: the idle application wakes only for a client, and `stop`
        // wakes this wait by shutting the listening socket down.
        pollers.assign(1, pollfd { listenFD, static_cast<short>(reading.size() < readingLimit ? POLLIN : 0), 0 });
        std::optional<Clock::time_point> soonest;
        for (const Reading& connection : reading) {
            pollers.push_back(pollfd { connection.connection.get(), POLLIN, 0 });
            soonest = std::min(soonest.value_or(connection.deadline), connection.deadline);
        }
        int wait = soonest ? millisecondsUntil(*soonest, Clock::now()) : -1;
        if (::poll(pollers.data(), pollers.size(), wait) < 0 && errno != EINTR)
            continue;

        auto now = Clock::now();
        std::vector<Waiting> complete;
        for (std::size_t index = reading.size(); index-- > 0;) {
            Reading& connection = reading[index];
            Progress progress = pollers[index + 1].revents ? takeBytes(connection) : Progress::waiting;
            if (progress == Progress::waiting && now < connection.deadline)
                continue;
            if (progress == Progress::complete) {
                try {
                    complete.push_back(
                        Waiting { std::move(connection.connection), RPCCodec::decodeRequest(connection.bytes), {} });
                } catch (const JSONError&) {
                    // Not a request: the connection closes without an answer.
                }
            }
            reading.erase(reading.begin() + static_cast<std::ptrdiff_t>(index));
        }
        // Taken from the back above: the first to be complete comes first.
        for (auto request = complete.rbegin(); request != complete.rend(); ++request) {
            if (!offer(*request, server, listener))
                queue(std::move(*request), *listener);
        }

        if (!(pollers[0].revents & POLLIN))
            continue;
        FileDescriptor connection(::accept4(listenFD, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!connection) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                std::this_thread::sleep_for(descriptorPause);
            continue;
        }
        if (fromThisUser(connection.get()))
            reading.push_back(Reading { std::move(connection), {}, deadlineAfter(listener->idleLimit) });
    }
    std::lock_guard guard(listener->lock);
    listener->stopped = true;
    listener->arrived.notify_all();
    ::close(std::exchange(listener->listenFD, -1));
}

bool SocketServer::offer(Waiting& request, const std::weak_ptr<SocketServer>& server,
    const std::shared_ptr<Listener>& listener)
{
    {
        std::lock_guard guard(listener->lock);
        if (listener->answering || !listener->waiting.empty())
            return false;
    }
    std::shared_ptr<SocketServer> owner = server.lock();
    if (!owner || !owner->m_prompt)
        return false;
    auto pending = std::make_shared<Reply::Pending>();
    pending->listener = listener;
    pending->connection = std::move(request.connection);
    pending->id = request.request.id;
    if (owner->m_prompt(request.request, Reply(pending)))
        return true;
    request.connection = std::move(pending->connection);
    return false;
}

void SocketServer::queue(Waiting request, Listener& listener)
{
    std::lock_guard guard(listener.lock);
    listener.waiting.push_back(std::move(request));
    listener.arrived.notify_one();
}

void SocketServer::answerLoop(std::weak_ptr<SocketServer> server, std::shared_ptr<Listener> listener)
{
    for (;;) {
        Waiting next;
        {
            std::unique_lock guard(listener->lock);
            listener->arrived.wait(guard, [&] { return listener->stopped || !listener->waiting.empty(); });
            if (listener->stopped)
                break;
            next = std::move(listener->waiting.front());
            listener->waiting.pop_front();
            listener->answering = true;
        }
        std::shared_ptr<SocketServer> owner = server.lock();
        if (!owner)
            break;
        if (!next.unsent.empty())
            sendOn(next.connection.get(), next.unsent, *listener);
        // A client that gave up before its turn came no longer wants the command run.
        else if (!hungUp(next.connection.get()))
            answer(next.connection.get(), next.request, *owner, *listener);
        std::lock_guard guard(listener->lock);
        listener->answering = false;
    }
    std::lock_guard guard(listener->lock);
    listener->waiting.clear();
}

void SocketServer::answer(int connection, const RPCRequest& request, SocketServer& server, Listener& listener)
{
    RPCResponse response = respond([&] { return server.m_handler(request, listener.stopping.get_token()); });
    response.id = request.id;
    try {
        sendOn(connection, RPCCodec::encodeLine(response), listener);
    } catch (const JSONError&) {
        // A message that is not UTF-8 has no line; the client sees the connection close.
    }
}

void SocketServer::sendOn(int connection, const std::string& line, Listener& listener)
{
    try {
        writeAll(connection, line, listener.idleLimit);
    } catch (const IPCError&) {
        // The client gave up or went away; nobody is left to tell.
    }
}

SocketServer::Reply::Reply(std::shared_ptr<Pending> pending)
    : m_pending(std::move(pending))
{
}

bool SocketServer::Reply::abandoned() const
{
    {
        std::lock_guard guard(m_pending->listener->lock);
        if (m_pending->listener->stopped)
            return true;
    }
    return !m_pending->connection || hungUp(m_pending->connection.get());
}

void SocketServer::Reply::answer(const std::function<RPCResponse()>& produce) const
{
    if (m_pending->answered.exchange(true))
        throw std::logic_error("A request is answered once.");
    RPCResponse response = respond(produce);
    response.id = m_pending->id;
    std::string line;
    try {
        line = RPCCodec::encodeLine(response);
    } catch (const JSONError&) {
        // As on the answering thread: the client sees the connection close.
        return;
    }
    std::optional<std::size_t> sent = sendWhatFits(m_pending->connection.get(), line);
    if (!sent || *sent == line.size())
        return;
    // The rest goes before any request: it holds up nobody's turn.
    Listener& listener = *m_pending->listener;
    std::lock_guard guard(listener.lock);
    if (listener.stopped)
        return;
    Waiting rest;
    rest.connection = std::move(m_pending->connection);
    rest.unsent = line.substr(*sent);
    listener.waiting.push_front(std::move(rest));
    listener.arrived.notify_one();
}

} // namespace quorvane
