#include "Router/RouterSupport.h"

#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/HotkeyChord.h"
#include "Hotkeys/HotkeyParser.h"
#include "Resources/BundledResource.h"
#include "Router/CommandContext.h"
#include "Router/QuorvaneControlling.h"
#include "Support/ExitCode.h"
#include "Support/QuorvaneError.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/WebAppBundlePlan.h"

#include <utility>

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;
using Array = JSONValue::Array;

CommandOutput success(std::string message, JSONValue payload)
{
    return { ExitCode::ok, std::move(message), std::move(payload) };
}

JSONValue optionalText(const std::optional<std::string>& text)
{
    return text ? JSONValue(*text) : JSONValue();
}

TileSlot requireSlot(const std::string& text)
{
    if (auto slot = parseTileSlot(text))
        return *slot;
    throw QuorvaneError::usage("Unknown tile " + text + ".");
}

QuorvaneControlling& requireController(const CommandContext& context, const char* message)
{
    if (!context.controller)
        throw QuorvaneError::unavailable(message);
    return *context.controller;
}

JSONValue appJSON(const WebAppRecord& record)
{
    return Object {
        { "slug", record.slug },
        { "name", record.spec.name },
        { "url", record.spec.url },
        { "bundleIdentifier", record.spec.bundleIdentifier },
        { "hotkey", optionalText(record.spec.hotkey) },
        { "tile", optionalText(record.spec.tile) },
    };
}

JSONValue layoutJSON(const Layout& layout)
{
    Array assignments;
    for (const LayoutAssignment& assignment : layout.assignments)
        assignments.push_back(Object { { "target", assignment.target }, { "tile", assignment.tile } });
    return Object { { "name", layout.name }, { "assignments", std::move(assignments) } };
}

JSONValue configJSON(const QuorvaneConfig& config)
{
    Array apps, layouts;
    for (const WebAppRecord& record : config.apps)
        apps.push_back(appJSON(record));
    for (const Layout& layout : config.layouts)
        layouts.push_back(layoutJSON(layout));
    return Object { { "version", config.version }, { "apps", std::move(apps) }, { "layouts", std::move(layouts) } };
}

std::string canonicalChord(const std::string& text)
{
    return HotkeyParser::parse(text).canonical();
}

void Listing::add(const std::string& line, JSONValue row)
{
    if (!rows.empty())
        lines += '\n';
    lines += line;
    rows.push_back(std::move(row));
}

std::string Listing::message(std::string none) const
{
    return rows.empty() ? none : lines;
}

CommandOutput Listing::success(const std::string& member, std::string none) &&
{
    CommandOutput output;
    output.message = message(std::move(none));
    output.payload = Object { { member, std::exchange(rows, {}) } };
    return output;
}

std::string fallbackIcon()
{
    return std::string(BundledResource::data("FallbackIcon.icns").value_or(std::string_view()));
}

WebAppBundlePlan planFor(const WebAppRecord& record, const CommandContext& context)
{
    return WebAppBundlePlan(record.spec.name, record.slug, record.spec.url, record.spec.bundleIdentifier,
        StableIdentity::dataStoreIdentifier(record.spec.bundleIdentifier), context.paths.appsDirectory());
}

} // namespace quorvane::CommandRouter
