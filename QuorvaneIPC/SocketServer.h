#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace quorvane {

struct RPCRequest;
struct RPCResponse;

// Listens on a local socket and answers one request line per connection, one connection at a time, on
// its own thread "quorvane.socket". Only connections from this process's user are served.
class SocketServer : public std::enable_shared_from_this<SocketServer> {
public:
    // Runs one request on the socket thread. A handler that throws is answered with exit code 1 (or the
    // QuorvaneError's own code) and the error's description.
    using Handler = std::function<RPCResponse(const RPCRequest&)>;

    // The accept thread holds the server weakly, so the server must be shared.
    static std::shared_ptr<SocketServer> create(std::string path, Handler handler);
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    const std::string& path() const { return m_path; }

    // Replaces whatever file stands at the path with a socket only this user can open, and starts
    // serving. A missing folder for the socket is created with mode 0700, its parents as usual. Throws the platform's
    // error when the folder or an old file is in the way, IPCError otherwise, and std::logic_error when already
    // listening.
    void start();
    // Stops listening and removes the socket file this server made; a connection being read is cut
    // short. Returns at once: the thread ends within one 200 ms wait, or after the handler returns.
    void stop();

private:
    struct Listener;

    SocketServer(std::string path, Handler handler);
    static void acceptLoop(std::weak_ptr<SocketServer>, std::shared_ptr<Listener>);
    static void serve(int connection, const std::weak_ptr<SocketServer>&);

    std::string m_path;
    Handler m_handler;
    std::mutex m_lock;
    std::shared_ptr<Listener> m_listener;
    // The socket file this server bound, so that stopping never removes a later server's file.
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace quorvane
