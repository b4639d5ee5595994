#include "Router/LayoutCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Router/CommandContext.h"
#include "Router/QuorvaneControlling.h"
#include "Router/RouterSupport.h"
#include "Support/QuorvaneError.h"

#include <algorithm>

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

CommandOutput layoutSave(const Command::LayoutSave& command, ConfigFile& file, const CommandContext& context)
{
    QuorvaneControlling& controller = requireController(context, "Open Quorvane to save the current layout.");
    Layout layout = controller.captureLayout(command.name);
    file.upsertLayout(layout);
    return success("Saved layout " + command.name + ".", layoutJSON(layout));
}

CommandOutput layoutApply(const Command::LayoutApply& command, const ConfigFile& file, const CommandContext& context)
{
    QuorvaneControlling& controller = requireController(context, "Open Quorvane to apply a layout.");
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    bool known = std::any_of(config.layouts.begin(), config.layouts.end(),
        [&](const Layout& layout) { return layout.name == command.name; });
    if (!known)
        throw QuorvaneError::notFound("No layout named " + command.name + ".");
    controller.applyLayout(command.name);
    return success("Applied " + command.name + ".", Object { { "name", command.name } });
}

CommandOutput layoutList(const ConfigFile& file)
{
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    Listing layouts;
    for (const Layout& layout : config.layouts)
        layouts.add(layout.name, layoutJSON(layout));
    return std::move(layouts).success("layouts", "No layouts yet.");
}

} // namespace quorvane::CommandRouter
