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
using Array = JSONValue::Array;

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
    std::string lines;
    Array layouts;
    for (const Layout& layout : config.layouts) {
        if (!lines.empty())
            lines += '\n';
        lines += layout.name;
        layouts.push_back(layoutJSON(layout));
    }
    return success(lines.empty() ? "No layouts yet." : lines, Object { { "layouts", std::move(layouts) } });
}

} // namespace quorvane::CommandRouter
