#include "Router/SkillCommands.h"

#include "Agents/SkillFiles.h"
#include "Agents/SkillPaths.h"
#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Router/CommandContext.h"
#include "Router/RouterSupport.h"
#include "Support/QuorvaneError.h"

#include <algorithm>
#include <filesystem>

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

CommandOutput skillPaths(const ConfigFile& file, const CommandContext& context)
{
    auto decoded = file.decoded();
    Listing listing;
    for (const SkillLocation& location :
        SkillPaths::locate(context.manifestFolders, decoded->agents.customFolders, context.paths.home)) {
        listing.add(std::string(location.present ? "found" : "missing") + '\t' + location.folder,
            Object { { "folder", location.folder }, { "present", location.present } });
    }
    return std::move(listing).success("folders");
}

CommandOutput skillInstall(const Command::SkillInstall& command, ConfigFile& file, const CommandContext& context)
{
    SkillFiles::install(context.skillText, SkillPaths::expand(command.folder, context.paths.home));
    AgentConfig agents = file.decoded()->agents;
    if (std::find(agents.installed.begin(), agents.installed.end(), command.folder) == agents.installed.end()) {
        agents.installed.push_back(command.folder);
        file.setAgents(agents);
    }
    return success("Installed the Quorvane skill in " + command.folder + ".", Object { { "folder", command.folder } });
}

CommandOutput skillUninstall(const Command::SkillUninstall& command, ConfigFile& file, const CommandContext& context)
{
    std::string expanded = SkillPaths::expand(command.folder, context.paths.home);
    SkillFiles::uninstall(expanded);
    // A folder standing as the skill file is someone else's and stays; then nothing was removed.
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(SkillPaths::skillFile(expanded), error)))
        throw QuorvaneError::failed("The Quorvane skill in " + command.folder + " was not removed: "
            + SkillPaths::skillFile(expanded) + " is a folder.");
    AgentConfig agents = file.decoded()->agents;
    std::erase_if(agents.installed, [&](const std::string& entry) {
        return entry == command.folder || SkillPaths::expand(entry, context.paths.home) == expanded;
    });
    file.setAgents(agents);
    return success("Removed the Quorvane skill from " + command.folder + ".", Object { { "folder", command.folder } });
}

} // namespace quorvane::CommandRouter
