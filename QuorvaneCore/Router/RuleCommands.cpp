#include "Router/RuleCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/ResolvedTarget.h"
#include "Router/CommandContext.h"
#include "Router/RouterSupport.h"
#include "Support/QuorvaneError.h"
#include "WebApps/WebAppBundlePlan.h"

#include <algorithm>

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

CommandOutput ruleAdd(const Command::RuleAdd& command, ConfigFile& file, const CommandContext& context)
{
    std::string tileName(toString(requireSlot(command.tile)));
    auto target = resolveTarget(command.target, *file.decoded(), context.isApplicationId);
    if (!target)
        throw QuorvaneError::notFound("No app named " + command.target + ".");

    TileRule rule;
    rule.titlePattern = command.title;
    rule.tile = tileName;
    rule.display = command.display;
    if (target->kind == ResolvedTarget::Kind::bundle) {
        rule.id = slugify(target->identifier);
        rule.bundleIdentifier = target->identifier;
        file.upsertRule(rule);
    } else if (!command.title && !command.display) {
        WebAppRecord record = target->record;
        record.spec.tile = tileName;
        file.upsertApp(record);
    } else {
        rule.id = target->record.slug;
        rule.bundleIdentifier = target->record.spec.bundleIdentifier;
        file.upsertRule(rule);
    }
    return success(
        command.target + " opens on " + tileName + ".", Object { { "target", command.target }, { "tile", tileName } });
}

CommandOutput ruleRemove(const Command::RuleRemove& command, ConfigFile& file, const CommandContext& context)
{
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    auto target = resolveTarget(command.target, config, context.isApplicationId);
    auto hasRule = [&](auto matches) { return std::any_of(config.rules.begin(), config.rules.end(), matches); };
    if (target && target->kind == ResolvedTarget::Kind::webApp) {
        WebAppRecord record = target->record;
        record.spec.tile.reset();
        file.upsertApp(record);
        file.removeRule(record.slug);
    } else if (target) {
        // Every rule of the app goes, whatever its table is called: one left behind would still place its
        // windows after "Removed the rule".
        std::string id = slugify(target->identifier);
        std::vector<std::string> ids;
        for (const TileRule& rule : config.rules) {
            if (rule.bundleIdentifier == target->identifier || rule.id == id)
                ids.push_back(rule.id);
        }
        if (ids.empty())
            throw QuorvaneError::notFound("No rule for " + command.target + ".");
        for (const std::string& ruleId : ids)
            file.removeRule(ruleId);
    } else {
        if (!hasRule([&](const TileRule& rule) { return rule.id == command.target; }))
            throw QuorvaneError::notFound("No rule for " + command.target + ".");
        file.removeRule(command.target);
    }
    return success("Removed the rule for " + command.target + ".", Object { { "target", command.target } });
}

} // namespace quorvane::CommandRouter
