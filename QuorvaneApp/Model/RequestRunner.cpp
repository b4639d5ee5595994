#include "QuorvaneApp/Model/RequestRunner.h"

#include "Command/CommandOutput.h"
#include "Command/CommandParser.h"
#include "Command/Invocation.h"
#include "QuorvaneApp/Config/ConfigLifecycle.h"
#include "RPC/RPCResponse.h"
#include "Router/CommandRouter.h"
#include "Router/DoctorCheck.h"
#include "Support/ExitCode.h"
#include "Support/QuorvaneError.h"

namespace quorvane {

RequestRunner::RequestRunner(ConfigLifecycle& configuration, CommandContext base, std::function<double()> wallClock)
    : m_configuration(configuration)
    , m_base(std::move(base))
    , m_wallClock(std::move(wallClock))
{
}

RPCResponse RequestRunner::run(const std::vector<std::string>& arguments)
{
    Invocation invocation;
    try {
        invocation = CommandParser::parse(arguments);
    } catch (const QuorvaneError& error) {
        return RPCResponse("", error.exitCode(), error.message(), "{}");
    } catch (const std::exception& error) {
        return RPCResponse("", ExitCode::usage, error.what(), "{}");
    }
    return run(invocation, std::nullopt, std::nullopt);
}

RPCResponse RequestRunner::run(const Invocation& invocation, const std::optional<std::string>& iconURL,
    const std::optional<std::string>& iconBytes)
{
    CommandContext context = m_base;
    context.now = m_wallClock();
    // Icons are fetched on the socket thread before the request reaches the main thread, never here.
    context.iconForURL = [&](const std::string& url) -> std::optional<std::string> {
        return iconURL && url == *iconURL ? iconBytes : std::nullopt;
    };
    if (!invocation.command.changesConfig())
        return RPCResponse("", runWithoutChanges(invocation, context));
    CommandOutput output;
    bool destructive = invocation.command.isDestructive();
    std::optional<std::string> failure = m_configuration.persist([&](ConfigFile& copy) {
        output = CommandRouter::run(invocation, copy, context);
        // A destructive command that failed part-way saves nothing, as when the tool runs it itself.
        return output.ok() || !destructive;
    });
    if (failure && output.ok())
        output = CommandOutput::failure(QuorvaneError::failed(*failure));
    // The save replaced a file that did not parse: the tool's user, who sees no banner, learns where it went.
    if (const std::optional<std::string>& kept = m_configuration.keptByLastSave(); kept && output.ok())
        output.message += "\n" + *kept;
    return RPCResponse("", output);
}

CommandOutput RequestRunner::runWithoutChanges(const Invocation& invocation, CommandContext& context)
{
    // `apply` is "use what I just saved" and `doctor` reports on the file as it stands, so both take in a
    // change on disk first, as the watch would; the rest answer from the configuration in force. None of
    // them takes the lock: they write nothing.
    const Command& command = invocation.command;
    if (command.is<Command::Apply>() || command.is<Command::Doctor>()) {
        m_configuration.reloadFromDisk();
        if (std::optional<std::string> problem = m_configuration.problemOnDisk()) {
            if (command.is<Command::Apply>())
                return CommandOutput::failure(QuorvaneError::config(*problem));
            context.configCheck = DoctorCheck { "config", DoctorCheck::Status::fail,
                *problem + " The settings in force stay until it is fixed." };
        }
    }
    return CommandRouter::runReadOnly(invocation, m_configuration.file(), context);
}

} // namespace quorvane
