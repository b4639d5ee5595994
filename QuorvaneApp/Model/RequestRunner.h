#pragma once

#include "Router/CommandContext.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class ConfigLifecycle;
struct CommandOutput;
struct Invocation;
struct RPCResponse;

// Runs the tool's command lines on the main thread, as the socket and the panels hand them in: those that
// cannot change the configuration against the one in force, without the lock; the others on a fresh read
// under the lock, saved atomically.
class RequestRunner {
public:
    // `base` holds what every command's context shares; the moment and the icon are set per command.
    RequestRunner(ConfigLifecycle&, CommandContext base, std::function<double()> wallClock);

    // Parses and runs one command line; a line the grammar refuses is answered with its usage error.
    RPCResponse run(const std::vector<std::string>& arguments);
    // A command line already parsed, with the site icon already fetched for an `app add` of `iconURL`.
    RPCResponse run(
        const Invocation&, const std::optional<std::string>& iconURL, const std::optional<std::string>& iconBytes);

private:
    CommandOutput runWithoutChanges(const Invocation&, CommandContext&);

    ConfigLifecycle& m_configuration;
    CommandContext m_base;
    std::function<double()> m_wallClock;
};

} // namespace quorvane
