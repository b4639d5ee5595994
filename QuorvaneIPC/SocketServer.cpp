#include "QuorvaneIPC/SocketServer.h"

#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCCodec.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Support/QuorvaneError.h"
#include "JSON/JSONValue.h"

#include <cerrno>
#include <filesystem>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace quorvane {

// The state the accept thread shares with the server; it outlives the server when the thread does.
struct SocketServer::Listener {
    std::mutex lock;
    // Closed by the accept thread as it ends, so no other thread ever sees the number reused.
    int listenFD = -1;
    bool stopped = false;
    // The connection being served, so that `stop` can cut a slow reader short.
    int connectionFD = -1;
    // Asked to stop when the server stops, so that a waiting handler gives up.
    std::stop_source stopping;
    double idleLimit = defaultIdleLimit;
};

namespace {

// Out of descriptors the listening socket stays readable; pausing this long keeps the loop from spinning.
constexpr auto descriptorPause = std::chrono::milliseconds(200);
constexpr int listenBacklog = 8;

bool fromThisUser(int connection)
{
    ucred peer {};
    socklen_t length = sizeof peer;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof peer)
        return false;
    return peer.uid == ::getuid();
}

} // namespace

std::shared_ptr<SocketServer> SocketServer::create(std::string path, Handler handler, double idleLimit)
{
    return std::shared_ptr<SocketServer>(new SocketServer(std::move(path), std::move(handler), idleLimit));
}

SocketServer::SocketServer(std::string path, Handler handler, double idleLimit)
    : m_path(std::move(path))
    , m_handler(std::move(handler))
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
        m_thread = std::thread(acceptLoop, weak_from_this(), listener);
        ::pthread_setname_np(m_thread.native_handle(), "quorvane.socket");
    } catch (...) {
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
    std::thread thread;
    {
        std::lock_guard guard(m_lock);
        listener = std::exchange(m_listener, nullptr);
        thread = std::move(m_thread);
    }
    if (!listener)
        return;
    {
        std::lock_guard guard(listener->lock);
        listener->stopped = true;
        // Wakes the thread's wait and read at once; the thread closes the descriptors itself. Only the
        // reading side of a connection is shut, so that an answer the handler still gives goes out.
        if (listener->listenFD >= 0)
            ::shutdown(listener->listenFD, SHUT_RDWR);
        if (listener->connectionFD >= 0)
            ::shutdown(listener->connectionFD, SHUT_RD);
    }
    listener->stopping.request_stop();
    struct stat current { };
    if (::lstat(m_path.c_str(), &current) == 0 && current.st_dev == m_device && current.st_ino == m_inode)
        ::unlink(m_path.c_str());
    // The last reference to the server may drop on its own thread, which then ends by itself.
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();
    else if (thread.joinable())
        thread.join();
}

void SocketServer::acceptLoop(std::weak_ptr<SocketServer> server, std::shared_ptr<Listener> listener)
{
    for (;;) {
        int listenFD;
        {
            std::lock_guard guard(listener->lock);
            if (listener->stopped || server.expired())
                break;
            listenFD = listener->listenFD;
        }
        // No timeout: the idle application wakes only for a client, and `stop` wakes this wait by shutting
        // the listening socket down.
        pollfd poller { listenFD, POLLIN, 0 };
        if (::poll(&poller, 1, -1) <= 0 || !(poller.revents & POLLIN))
            continue;
        int connection = ::accept4(listenFD, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                std::this_thread::sleep_for(descriptorPause);
            continue;
        }
        {
            std::lock_guard guard(listener->lock);
            listener->connectionFD = connection;
            if (listener->stopped)
                ::shutdown(connection, SHUT_RD);
        }
        serve(connection, server, *listener);
        {
            std::lock_guard guard(listener->lock);
            listener->connectionFD = -1;
        }
        ::close(connection);
    }
    std::lock_guard guard(listener->lock);
    listener->stopped = true;
    ::close(std::exchange(listener->listenFD, -1));
}

void SocketServer::serve(int connection, const std::weak_ptr<SocketServer>& server, Listener& listener)
{
    if (!fromThisUser(connection))
        return;

    RPCRequest request;
    try {
        request = RPCCodec::decodeRequest(readLine(connection, listener.idleLimit, requestLineLimit));
    } catch (const IPCError&) {
        return;
    } catch (const JSONError&) {
        return;
    }

    auto owner = server.lock();
    if (!owner)
        return;
    RPCResponse response;
    try {
        response = owner->m_handler(request, listener.stopping.get_token());
    } catch (const QuorvaneError& error) {
        response = RPCResponse("", error.exitCode(), error.message(), "{}");
    } catch (const std::exception& error) {
        response = RPCResponse("", 1, error.what(), "{}");
    }
    response.id = request.id;
    try {
        writeAll(connection, RPCCodec::encodeLine(response), listener.idleLimit);
    } catch (const IPCError&) {
        // The client gave up or went away; nobody is left to tell.
    } catch (const JSONError&) {
        // A message that is not UTF-8 has no line; the client sees the connection close.
    }
}

} // namespace quorvane
