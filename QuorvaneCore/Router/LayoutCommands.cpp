#include "Router/LayoutCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Router/CommandContext.h"
#include "Router/QuorvaneControlling.h"
#include "Router/RouterSupport.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

#include <algorithm>

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

CommandOutput layoutSave(const Command::LayoutSave& command, ConfigFile& file, const CommandContext& context)
{
    QuorvaneControlling& controller = requireController(context, "Open Quorvane to save the current layout.");
    // `layout list` gives one name a line, and a name is typed back to apply it.
    bool control = std::ranges::any_of(
        command.name, [](char byte) { return static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F; });
    if (UnicodeText::trimmed(command.name).empty() || control)
        throw QuorvaneError::usage("A layout name cannot be blank or hold a control character.");
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
