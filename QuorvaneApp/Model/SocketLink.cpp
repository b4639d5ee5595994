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

RPCResponse SocketLink::answer(const RPCRequest& request, std::stop_token stop)
{
    if (m_loop.quitting())
        return notRunning();

    // A new web app's icon may take seconds to download; the main thread must not wait for it, so it is
    // fetched here, within the request's own time limit, and handed in with the request.
    std::optional<Invocation> invocation;
    std::optional<std::string> iconURL;
    std::optional<std::string> iconBytes;
    try {
        invocation = CommandParser::parse(request.arguments);
        const Command::AppAdd* add = invocation->command.as<Command::AppAdd>();
        if (add && !add->icon && m_fetchIcon) {
            iconURL = validatedWebURL(add->url);
            double seconds = invocation->timeout - iconMargin;
            if (seconds > 0)
                iconBytes = m_fetchIcon(*iconURL, seconds);
        }
    } catch (const QuorvaneError&) {
        // Words that do not parse: the main thread parses them again and reports the problem.
    }

    RPCResponse response = notRunning();
    m_loop.runAndWait(
        [&] {
            if (m_answer)
                response = m_answer(invocation, request.arguments, iconURL, iconBytes);
        },
        std::move(stop));
    return response;
}

} // namespace quorvane
