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

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

CommandOutput doctor(const ConfigFile& file, const CommandContext& context)
{
    std::vector<DoctorCheck> checks = configDoctor(*file.decoded());
    if (context.configCheck)
        checks.front() = *context.configCheck;
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
