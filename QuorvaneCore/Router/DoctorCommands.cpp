#include "Router/DoctorCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Router/CommandContext.h"
#include "Router/ConfigDoctor.h"
#include "Router/DoctorCheck.h"
#include "Router/QuorvaneControlling.h"
#include "Router/RouterSupport.h"
#include "Support/ExitCode.h"
#include "WebApps/URLComponents.h"

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

namespace {

// Where new versions come from: the package manager, or the release feed once a day.
DoctorCheck updatesCheck(const std::optional<std::string>& feed, bool checkForUpdates)
{
    using Status = DoctorCheck::Status;
    if (!feed)
        return { "updates", Status::pass, "Updates come from the package manager that installed Quorvane." };
    std::optional<URLComponents> address = URLComponents::parse(*feed);
    if (!address || !address->hasWebScheme() || address->host.value_or("").empty())
        return { "updates", Status::warn,
            "The update feed " + *feed + " is not an http or https address, so Quorvane cannot check for updates." };
    if (!checkForUpdates)
        return { "updates", Status::pass, "check_for_updates is off, so Quorvane does not look for new versions." };
    return { "updates", Status::pass, "Quorvane looks for a new version at " + *feed + " once a day." };
}

} // namespace

CommandOutput doctor(const ConfigFile& file, const CommandContext& context)
{
    const QuorvaneConfig& config = *file.decoded();
    std::vector<DoctorCheck> checks = configDoctor(config);
    if (context.configCheck)
        checks.front() = *context.configCheck;
    checks.push_back(updatesCheck(context.updateFeed, config.general.checkForUpdates));
    if (context.controller) {
        std::vector<DoctorCheck> permissions = context.controller->permissionChecks();
        checks.insert(checks.end(), permissions.begin(), permissions.end());
    } else {
        checks.push_back(
            { "menu-bar", DoctorCheck::Status::warn, "Quorvane is not running, so hotkeys and tiling are waiting." });
    }
    Listing report;
    bool failed = false;
    for (const DoctorCheck& check : checks) {
        std::string status(toString(check.status));
        report.add("[" + status + "] " + check.name + ": " + check.detail,
            Object { { "name", check.name }, { "status", status }, { "detail", check.detail } });
        failed = failed || check.status == DoctorCheck::Status::fail;
    }
    std::string message = report.message();
    return { failed ? ExitCode::failed : ExitCode::ok, std::move(message),
        Object { { "ok", !failed }, { "checks", std::move(report.rows) } } };
}

} // namespace quorvane::CommandRouter
