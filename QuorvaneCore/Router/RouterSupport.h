#pragma once

#include "Command/CommandOutput.h"
#include "Tiling/TileSlot.h"

#include <optional>
#include <string>

namespace quorvane {

class QuorvaneControlling;
struct CommandContext;
struct Layout;
struct QuorvaneConfig;
struct WebAppBundlePlan;
struct WebAppRecord;

// What the router's command families share: argument checks, JSON shapes, listings and the web-app bundle plan.
namespace CommandRouter {

// An output with exit code 0.
CommandOutput success(std::string message, JSONValue payload);

// The text, or null.
JSONValue optionalText(const std::optional<std::string>& text);

// The slot `text` names; an unknown one is a usage error.
TileSlot requireSlot(const std::string& text);

// The context's controller; without one the command is unavailable with `message`.
QuorvaneControlling& requireController(const CommandContext& context, const char* message);

// {"slug", "name", "url", "bundleIdentifier", "hotkey", "tile"}.
JSONValue appJSON(const WebAppRecord& record);

// {"name", "assignments": [{"target", "tile"}, …]} in the layout's order.
JSONValue layoutJSON(const Layout& layout);

// {"version", "apps": [appJSON…], "layouts": [layoutJSON…]}.
JSONValue configJSON(const QuorvaneConfig& config);

// The canonical text of the chord `text` names; a chord that does not parse is a usage error.
std::string canonicalChord(const std::string& text);

// A listing's message, one line per item joined by newlines, and its JSON rows, item for item.
struct Listing {
    std::string lines;
    JSONValue::Array rows;

    // Adds one item's line and row.
    void add(const std::string& line, JSONValue row);
    // The lines, or `none` when no item was added.
    std::string message(std::string none = "") const;
    // A success whose message is `message(none)` and whose payload holds the rows as `member`.
    CommandOutput success(const std::string& member, std::string none = "") &&;
};

// The shipped fallback artwork as an icon file, or empty.
std::string fallbackIcon();

// Where the web app's bundle goes in the context's web-apps folder, and what it holds.
WebAppBundlePlan planFor(const WebAppRecord& record, const CommandContext& context);

} // namespace CommandRouter

} // namespace quorvane
