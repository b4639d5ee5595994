#include "Router/TileCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/ResolvedTarget.h"
#include "Router/CommandContext.h"
#include "Router/QuorvaneControlling.h"
#include "Router/RouterSupport.h"
#include "Support/QuorvaneError.h"

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

CommandOutput tile(const Command::Tile& command, const ConfigFile& file, const CommandContext& context)
{
    QuorvaneControlling& controller = requireController(context, "Open Quorvane to move windows.");
    TileSlot slot = requireSlot(command.slot);
    auto target = resolveTarget(command.target, *file.decoded(), context.isApplicationId);
    if (!target)
        throw QuorvaneError::notFound("No app named " + command.target + ".");
    controller.snap(target->bundleIdentifier(), slot, command.display);
    std::string tileName(toString(slot));
    return success("Tiled " + command.target + " to " + tileName + ".",
        Object { { "target", command.target }, { "tile", tileName } });
}

} // namespace quorvane::CommandRouter
