#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <sys/types.h>
#include <thread>

namespace quorvane {

struct RPCRequest;
struct RPCResponse;

// Listens on a local socket and answers one request line per connection. The thread "quorvane.socket" reads
// the request lines of many connections at once, each within its own idle limit; the thread "quorvane.answer"
// runs them one at a time in the order they were read in full. A request whose client has hung up by then is
// not run. Only connections from this process's user are served. A prompt, when given, may take a request
// straight from the reading thread whenever nothing is queued or running before it: a server whose requests
// run on another thread anyway then answers without the answering thread's two hand-offs.
class SocketServer : public std::enable_shared_from_this<SocketServer> {
public:
    class Reply;
    // Runs one request on the answering thread. `stopping` is requested when the server stops, and `stop`
    // waits for the handler: a handler that waits on another thread must give up then, since that thread
    // may be the one stopping the server. A handler that throws is answered with exit code 1 (or the
    // QuorvaneError's own code) and the error's description.
    using Handler = std::function<RPCResponse(const RPCRequest&, std::stop_token stopping)>;

    // Takes a request on the reading thread, to run it elsewhere in order with what it runs already and answer
    // through the reply; returns false to leave the request to the answering thread. It must not block.
    using Prompt = std::function<bool(const RPCRequest&, const Reply&)>;

    // How long a client may take to send its request, or to take the answer, before it is dropped.
    static constexpr double defaultIdleLimit = 5.0;

    // The accept thread holds the server weakly, so the server must be shared.
    static std::shared_ptr<SocketServer> create(
        std::string path, Handler handler, double idleLimit = defaultIdleLimit, Prompt prompt = nullptr);
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    const std::string& path() const { return m_path; }

    // Replaces whatever file stands at the path with a socket only this user can open, and starts
    // serving. A missing folder for the socket is created with mode 0700, its parents as usual. Throws the platform's
    // error when the folder or an old file is in the way, IPCError otherwise, and std::logic_error when already
    // listening.
    void start();
    // Stops listening, removes the socket file this server made, drops the requests being read or waiting,
    // asks a running handler to give up, and waits for the server's threads to end (unless called on one of
    // them). An answer the handler gives meanwhile is still sent.
    void stop();

private:
    struct Listener;
    struct Waiting;

    SocketServer(std::string path, Handler handler, double idleLimit, Prompt prompt);
    static void readLoop(std::weak_ptr<SocketServer>, std::shared_ptr<Listener>);
    static void answerLoop(std::weak_ptr<SocketServer>, std::shared_ptr<Listener>);
    static void answer(int connection, const RPCRequest&, SocketServer&, Listener&);
    static void sendOn(int connection, const std::string& line, Listener&);
    // Hands a request to the prompt when nothing waits before it; false leaves it, whole, to be queued.
    static bool offer(Waiting&, const std::weak_ptr<SocketServer>&, const std::shared_ptr<Listener>&);
    static void queue(Waiting, Listener&);

    std::string m_path;
    Handler m_handler;
    Prompt m_prompt;
    double m_idleLimit;
    std::mutex m_lock;
    std::shared_ptr<Listener> m_listener;
    std::thread m_reader;
    std::thread m_answerer;
    // The socket file this server bound, so that stopping never removes a later server's file.
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

// The answer to one request a prompt took; copies share it.
class SocketServer::Reply {
public:
    // Whether the answer is no longer wanted: the client hung up, or the server stopped and dropped it.
    bool abandoned() const;
    // Runs `produce` and sends what it answers, or its error as the answering thread would; once, from any
    // thread, without blocking: what the client does not take at once is sent on by the answering thread.
    void answer(const std::function<RPCResponse()>& produce) const;

private:
    friend class SocketServer;
    struct Pending;
    explicit Reply(std::shared_ptr<Pending>);
    std::shared_ptr<Pending> m_pending;
};

} // namespace quorvane
