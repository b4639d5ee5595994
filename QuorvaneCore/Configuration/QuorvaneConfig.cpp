#include "Configuration/QuorvaneConfig.h"

#include "Support/RawValue.h"
#include "Support/RegularExpression.h"
#include "Support/UnicodeText.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quorvane {

std::string_view toString(WindowChrome chrome)
{
    switch (chrome) {
    case WindowChrome::slim:
        return "slim";
    case WindowChrome::standard:
        return "standard";
    }
    return "slim";
}

WindowChrome parseWindowChrome(std::optional<std::string_view> text)
{
    if (!text)
        return WindowChrome::slim;
    auto word = UnicodeText::lowercased(UnicodeText::trimmed(*text));
    if (word == "standard" || word == "macos")
        return WindowChrome::standard;
    return WindowChrome::slim;
}

namespace {

struct TileGapPresetInfo {
    TileGapPreset preset;
    std::string_view rawValue;
    std::string_view title;
    double points;
};

constexpr std::array<TileGapPresetInfo, 4> tileGapPresets { {
    { TileGapPreset::none, "none", "None", 0 },
    { TileGapPreset::small, "small", "Small", 8 },
    { TileGapPreset::medium, "medium", "Medium", 16 },
    { TileGapPreset::large, "large", "Large", 24 },
} };

const TileGapPresetInfo& info(TileGapPreset preset)
{
    return tileGapPresets[static_cast<size_t>(preset)];
}

} // namespace

std::string_view toString(TileGapPreset preset)
{
    return info(preset).rawValue;
}

std::optional<TileGapPreset> parseTileGapPreset(std::string_view rawValue)
{
    return parseRawValue<TileGapPreset>(
        rawValue, { TileGapPreset::none, TileGapPreset::small, TileGapPreset::medium, TileGapPreset::large });
}

std::string_view title(TileGapPreset preset)
{
    return info(preset).title;
}

double points(TileGapPreset preset)
{
    return info(preset).points;
}

TileGapPreset nearestTileGapPreset(double gap)
{
    auto best = tileGapPresets[0];
    for (auto& entry : tileGapPresets) {
        if (std::abs(entry.points - gap) < std::abs(best.points - gap))
            best = entry;
    }
    return best.preset;
}

std::string_view toString(SavedShortcutKind kind)
{
    switch (kind) {
    case SavedShortcutKind::webApp:
        return "webApp";
    case SavedShortcutKind::appHotkey:
        return "appHotkey";
    }
    return "webApp";
}

std::optional<SavedShortcutKind> parseSavedShortcutKind(std::string_view rawValue)
{
    return parseRawValue<SavedShortcutKind>(rawValue, { SavedShortcutKind::webApp, SavedShortcutKind::appHotkey });
}

const WebAppRecord* webAppWithSlug(const QuorvaneConfig& config, std::string_view slug)
{
    auto found = std::find_if(
        config.apps.begin(), config.apps.end(), [&](const WebAppRecord& app) { return app.slug == slug; });
    return found == config.apps.end() ? nullptr : &*found;
}

namespace {

// Rules are matched on the main thread for every new window, so a pattern that backtracks without end
// must not hang it: past this many match steps the pattern counts as not matching.
constexpr int32_t titleMatchStepLimit = 200;

bool titleMatches(const std::string& pattern, std::string_view title)
{
    std::optional<RegularExpression> expression = RegularExpression::make(pattern);
    return expression && expression->firstMatch(title, titleMatchStepLimit);
}

const WebAppRecord* webAppNamed(const QuorvaneConfig& config, const std::string& app)
{
    for (auto& record : config.apps) {
        if (record.slug == app || UnicodeText::equalsIgnoringCase(record.spec.name, app))
            return &record;
    }
    return nullptr;
}

bool ruleTargets(const QuorvaneConfig& config, const TileRule& rule, std::string_view bundleIdentifier)
{
    if (!rule.bundleIdentifier.empty())
        return rule.bundleIdentifier == bundleIdentifier;
    if (!rule.app)
        return false;
    auto* record = webAppNamed(config, *rule.app);
    return record && record->spec.bundleIdentifier == bundleIdentifier;
}

std::string shortApplicationName(const std::string& bundleIdentifier)
{
    auto dot = bundleIdentifier.rfind('.');
    if (dot == std::string::npos || dot + 1 == bundleIdentifier.size())
        return bundleIdentifier;
    return bundleIdentifier.substr(dot + 1);
}

} // namespace

std::optional<TileRule> matchingRule(
    const QuorvaneConfig& config, std::string_view bundleIdentifier, std::string_view title)
{
    for (auto& rule : config.rules) {
        if (!ruleTargets(config, rule, bundleIdentifier))
            continue;
        if (rule.titlePattern && !rule.titlePattern->empty() && !titleMatches(*rule.titlePattern, title))
            continue;
        return rule;
    }
    return std::nullopt;
}

std::vector<SavedShortcut> savedShortcuts(const QuorvaneConfig& config)
{
    std::vector<SavedShortcut> rows;
    rows.reserve(config.apps.size() + config.hotkeys.size());
    for (auto& record : config.apps) {
        auto& spec = record.spec;
        rows.push_back({ .id = "app:" + record.slug,
            .kind = SavedShortcutKind::webApp,
            .name = spec.name,
            .detail = spec.url,
            .hotkey = spec.hotkey,
            .bundleIdentifier = spec.bundleIdentifier,
            .slug = record.slug,
            .iconPath = spec.iconPath,
            .tile = spec.tile,
            .url = spec.url });
    }
    for (auto& hotkey : config.hotkeys) {
        std::string name = shortApplicationName(hotkey.bundleIdentifier);
        for (auto& record : config.apps) {
            if (record.spec.bundleIdentifier == hotkey.bundleIdentifier) {
                name = record.spec.name;
                break;
            }
        }
        rows.push_back({ .id = "hotkey:" + hotkey.chord,
            .kind = SavedShortcutKind::appHotkey,
            .name = std::move(name),
            .detail = hotkey.bundleIdentifier,
            .hotkey = hotkey.chord,
            .bundleIdentifier = hotkey.bundleIdentifier,
            .slug = std::nullopt,
            .iconPath = std::nullopt,
            .tile = std::nullopt,
            .url = std::nullopt });
    }
    return rows;
}

} // namespace quorvane
