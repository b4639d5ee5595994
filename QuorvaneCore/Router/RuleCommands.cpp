#include "Router/RuleCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/ResolvedTarget.h"
#include "Router/CommandContext.h"
#include "Router/RouterSupport.h"
#include "Support/QuorvaneError.h"
#include "Support/RegularExpression.h"
#include "WebApps/WebAppBundlePlan.h"

#include <algorithm>

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

namespace {

// The table an application's rule goes to. The rule it already has for the same title, whatever its table is
// called, is changed: a second one would never be reached. Otherwise its slug, unless another application's
// rule holds that name ("org.a-b" and "org.a.b" slug alike); then the slug with the first free number.
std::string ruleIdFor(
    const std::vector<TileRule>& rules, const std::string& bundleIdentifier, const std::optional<std::string>& title)
{
    for (const TileRule& rule : rules) {
        if (rule.bundleIdentifier == bundleIdentifier && rule.titlePattern == title)
            return rule.id;
    }
    auto takenByAnother = [&](const std::string& id) {
        return std::any_of(rules.begin(), rules.end(),
            [&](const TileRule& rule) { return rule.id == id && rule.bundleIdentifier != bundleIdentifier; });
    };
    std::string slug = slugify(bundleIdentifier);
    std::string id = slug;
    for (int number = 2; takenByAnother(id); ++number)
        id = slug + "-" + std::to_string(number);
    return id;
}

} // namespace

CommandOutput ruleAdd(const Command::RuleAdd& command, ConfigFile& file, const CommandContext& context)
{
    std::string tileName(toString(requireSlot(command.tile)));
    auto decoded = file.decoded();
    auto target = resolveTarget(command.target, *decoded, context.isApplicationId);
    if (!target)
        throw QuorvaneError::notFound("No app named " + command.target + ".");

    // A pattern that does not compile matches no title, so the rule would never act.
    if (command.title && !RegularExpression::make(*command.title))
        throw QuorvaneError::usage(*command.title + " is not a regular expression Quorvane can read.");

    TileRule rule;
    rule.titlePattern = command.title;
    rule.tile = tileName;
    rule.display = command.display;
    if (target->kind == ResolvedTarget::Kind::bundle) {
        rule.id = ruleIdFor(decoded->rules, target->identifier, command.title);
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
        // windows after "Removed the rule". The table named by its slug goes only when it names no other app.
        std::string id = slugify(target->identifier);
        std::vector<std::string> ids;
        for (const TileRule& rule : config.rules) {
            if (rule.bundleIdentifier == target->identifier || (rule.id == id && rule.bundleIdentifier.empty()))
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
