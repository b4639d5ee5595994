#include "QuorvaneApp/Model/SocketLink.h"

#include "Command/CommandParser.h"
#include "Command/Invocation.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Support/ExitCode.h"
#include "Support/QuorvaneError.h"
#include "WebApps/WebAppBundlePlan.h"

namespace quorvane {

namespace {

RPCResponse notRunning()
{
    return RPCResponse("", ExitCode::unavailable, "Quorvane is not running.", "{}");
}

// The words parsed, and the address of a new web app's icon that is to be fetched.
struct Parsed {
    std::optional<Invocation> invocation;
    std::optional<std::string> iconURL;
};

Parsed parse(const RPCRequest& request, bool fetchesIcons)
{
    Parsed parsed;
    try {
        parsed.invocation = CommandParser::parse(request.arguments);
        const Command::AppAdd* add = parsed.invocation->command.as<Command::AppAdd>();
        if (add && !add->icon && fetchesIcons)
            parsed.iconURL = validatedWebURL(add->url);
    } catch (const QuorvaneError&) {
        // Words that do not parse: the main thread parses them again and reports the problem.
    }
    return parsed;
}

} // namespace

SocketLink::SocketLink(MainLoop& loop, AppEnvironment::IconFetch fetchIcon)
    : m_loop(loop)
    , m_fetchIcon(std::move(fetchIcon))
{
}

void SocketLink::attach(Answer answer)
{
    m_answer = std::move(answer);
}

SocketServer::Handler SocketLink::handler()
{
    return [link = shared_from_this()](const RPCRequest& request, std::stop_token stop) {
        return link->answer(request, std::move(stop));
    };
}

SocketServer::Prompt SocketLink::prompt()
{
    return [link = shared_from_this()](const RPCRequest& request, const SocketServer::Reply& reply) {
        return link->post(request, reply);
    };
}

bool SocketLink::post(const RPCRequest& request, const SocketServer::Reply& reply)
{
    if (m_loop.quitting()) {
        reply.answer(notRunning);
        return true;
    }
    Parsed parsed = parse(request, bool(m_fetchIcon));
    if (parsed.iconURL)
        return false;
    // Posted work the loop drops on quitting takes the reply with it, and the client sees the connection close.
    m_loop.post([link = shared_from_this(), invocation = std::move(parsed.invocation), words = request.arguments,
                    reply] {
        if (reply.abandoned())
            return;
        reply.answer([&] {
            return link->m_answer ? link->m_answer(invocation, words, std::nullopt, std::nullopt) : notRunning();
        });
    });
    return true;
}

RPCResponse SocketLink::answer(const RPCRequest& request, std::stop_token stop)
{
    if (m_loop.quitting())
        return notRunning();

    // A new web app's icon may take seconds to download; the main thread must not wait for it, so it is
    // fetched here, within the request's own time limit, and handed in with the request.
    Parsed parsed = parse(request, bool(m_fetchIcon));
    std::optional<std::string> iconBytes;
    if (parsed.iconURL) {
        double seconds = parsed.invocation->timeout - iconMargin;
        if (seconds > 0)
            iconBytes = m_fetchIcon(*parsed.iconURL, seconds);
    }

    RPCResponse response = notRunning();
    m_loop.runAndWait(
        [&] {
            if (m_answer)
                response = m_answer(parsed.invocation, request.arguments, parsed.iconURL, iconBytes);
        },
        std::move(stop));
    return response;
}

} // namespace quorvane
