#pragma once

#include "QuorvaneApp/Model/AppEnvironment.h"
#include "QuorvaneIPC/SocketServer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class MainLoop;
struct Invocation;
struct RPCRequest;
struct RPCResponse;

// What the socket server holds of the model: requests run on the main thread, posted there straight from the
// reading thread; only a new web app that needs its icon fetched waits on the answering thread, which fetches
// the page, its manifest and the icon within one time limit, short of the client's own, then hops to the main
// thread. Once the model is gone or the main loop quits, every request is answered "Quorvane is not running."
// at once. The main loop must outlive the answering thread's last request.
class SocketLink : public std::enable_shared_from_this<SocketLink> {
public:
    SocketLink(MainLoop&, AppEnvironment::IconFetch);

    // Runs one request on the main thread: its words as parsed on the answering thread (none when they did
    // not parse, so the main thread reports why), the words themselves, and a new web app's icon fetched for
    // `iconURL`.
    using Answer = std::function<RPCResponse(const std::optional<Invocation>& parsed,
        const std::vector<std::string>& words, const std::optional<std::string>& iconURL,
        const std::optional<std::string>& iconBytes)>;

    // Main thread: what answers requests from now on, or nothing.
    void attach(Answer);
    void detach() { attach(nullptr); }

    // The server's handler and prompt; they hold this link.
    SocketServer::Handler handler();
    SocketServer::Prompt prompt();
    // Answering thread: one request, answered by the model on the main thread unless the server stops first.
    RPCResponse answer(const RPCRequest&, std::stop_token);
    // Reading thread: posts a request to the main thread and answers it there; false for one whose icon must
    // be fetched first.
    bool post(const RPCRequest&, const SocketServer::Reply&);

    // Seconds an icon fetch leaves of the request's own time limit, for the rest of the command.
    static constexpr double iconMargin = 1.5;

private:
    MainLoop& m_loop;
    AppEnvironment::IconFetch m_fetchIcon;
    // Read and written on the main thread only.
    Answer m_answer;
};

} // namespace quorvane
