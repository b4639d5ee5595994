#include "QuorvaneApp/Views/TilingSettings.h"

#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/TileKeys.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/SettingsControls.h"
#include "RPC/RPCResponse.h"
#include "Support/UnicodeText.h"
#include "Tiling/TileSlot.h"

#include <algorithm>

namespace quorvane {

namespace {

using namespace SettingsControls;

constexpr std::string_view chordPrefix = "tiling.chord:";
constexpr std::string_view ruleRemovePrefix = "tiling.rule-remove:";
constexpr std::string_view appTileRemovePrefix = "tiling.app-tile-remove:";
constexpr std::string_view layoutApplyPrefix = "tiling.layout-apply:";
constexpr TileGapPreset presets[]
    = { TileGapPreset::none, TileGapPreset::small, TileGapPreset::medium, TileGapPreset::large };

std::string displayCell(const std::optional<int64_t>& display)
{
    return display ? "Display " + std::to_string(*display) : "Any display";
}

SettingsControl live(SettingsControl control)
{
    control.live = true;
    return control;
}

SettingsControl named(SettingsControl control, std::string accessibleName, std::string hint = "")
{
    control.accessibleName = std::move(accessibleName);
    control.hint = std::move(hint);
    return control;
}

} // namespace

TilingSettings::TilingSettings(const ConfigSource& config, BannerSink& banner, const ChordCheck& chords, Actions actions)
    : m_config(config)
    , m_banner(banner)
    , m_chords(chords)
    , m_actions(std::move(actions))
{
}

std::vector<SettingsSection> TilingSettings::sections()
{
    return { gapSection(), ruleSection(), layoutSection(), chordSection() };
}

SettingsSection TilingSettings::gapSection() const
{
    double gap = m_config.config().general.tileGap;
    std::string preset = "custom";
    std::vector<SettingsChoice> choices;
    for (TileGapPreset candidate : presets) {
        choices.push_back({ std::string(toString(candidate)),
            std::string(title(candidate)) + " (" + decimal(points(candidate)) + ")" });
        if (points(candidate) == gap)
            preset = toString(candidate);
    }
    choices.push_back({ "custom", "Custom" });
    return { "tiling.gaps", "Gaps", "",
        { named(number("tiling.gap", "Gap between tiles", gap, 0, maximumGap), "Tile gap",
              "Points between tiled windows and around them."),
            named(choice("tiling.gap-preset", "Preset", preset, std::move(choices)), "Gap preset") } };
}

SettingsSection TilingSettings::chordSection() const
{
    const GeneralConfig& general = m_config.config().general;
    SettingsSection section { "tiling.chords", "Tile chords",
        "These chords work at any time; tile mode's bare keys are on its cheat sheet.", {} };
    const std::vector<TileKeyBinding>& bindings = TileKeys::bindings();
    for (const ResolvedTileChord& chord : TileKeys::resolved(general.tileHotkeys)) {
        auto binding
            = std::find_if(bindings.begin(), bindings.end(), [&](const TileKeyBinding& b) { return b.id == chord.id; });
        std::string hint = binding == bindings.end() ? "" : "Default: " + binding->defaultChord;
        section.controls.push_back(named(SettingsControls::chord(std::string(chordPrefix) + chord.id, chord.title, chord.chord),
            chord.title + " chord", std::move(hint)));
    }
    return section;
}

SettingsSection TilingSettings::ruleSection() const
{
    const QuorvaneConfig& config = m_config.config();
    SettingsSection section { "tiling.rules", "Rules",
        "New windows of an app open on its tile when Tile new windows by their rules is on (General tab).", {} };
    for (const TileRule& rule : config.rules) {
        std::string app = rule.app && !rule.app->empty() ? *rule.app : rule.bundleIdentifier;
        section.controls.push_back(row("tiling.rule:" + rule.id,
            { app, rule.tile, displayCell(rule.display),
                rule.titlePattern ? "Title matches " + *rule.titlePattern : "Any title" },
            { button(std::string(ruleRemovePrefix) + rule.id, "Remove", "Remove the rule for " + app) }));
    }
    for (const WebAppRecord& app : config.apps) {
        if (!app.spec.tile || app.spec.tile->empty())
            continue;
        section.controls.push_back(row("tiling.app-tile:" + app.slug,
            { app.spec.name, *app.spec.tile, displayCell(std::nullopt), "Any title" },
            { button(std::string(appTileRemovePrefix) + app.slug, "Remove", "Remove the rule for " + app.spec.name) }));
    }
    if (section.controls.empty())
        section.controls.push_back(note("tiling.no-rules", "No rules yet."));

    std::vector<SettingsChoice> tiles;
    for (TileSlot slot : allTileSlots)
        tiles.push_back({ std::string(toString(slot)), std::string(toString(slot)) });
    std::vector<SettingsChoice> displays { { "", "Any display" } };
    int count = std::max(1, m_actions.displayCount ? m_actions.displayCount() : 1);
    if (std::optional<double> chosen = readDecimal(m_draft.display))
        count = std::max(count, static_cast<int>(*chosen));
    for (int display = 1; display <= count; ++display)
        displays.push_back({ std::to_string(display), "Display " + std::to_string(display) });

    SettingsControl pickButton = button("tiling.pick", m_picking ? "Click a window…" : "Pick a window…");
    pickButton.accessibleName = "Pick a window";
    pickButton.enabled = !m_picking;
    pickButton.hint = m_picking ? "Click the window whose app the rule is for; Escape cancels." : "";
    section.controls.push_back(named(live(text("tiling.rule-app", "App", m_draft.app)), "Rule app",
        "An app's id, a web app's name, or pick one of its windows."));
    section.controls.push_back(std::move(pickButton));
    section.controls.push_back(named(choice("tiling.rule-tile", "Tile", m_draft.tile, std::move(tiles)), "Rule tile"));
    section.controls.push_back(
        named(choice("tiling.rule-display", "Display", m_draft.display, std::move(displays)), "Rule display"));
    section.controls.push_back(named(live(text("tiling.rule-title", "Title pattern", m_draft.title)),
        "Rule title pattern", "Optional: only windows whose title matches this regular expression."));
    section.controls.push_back(button("tiling.rule-add", "Add Rule"));
    return section;
}

SettingsSection TilingSettings::layoutSection() const
{
    SettingsSection section { "tiling.layouts", "Layouts", "", {} };
    for (const Layout& layout : m_config.config().layouts) {
        size_t count = layout.assignments.size();
        section.controls.push_back(row("tiling.layout:" + layout.name,
            { layout.name, count == 1 ? "1 window" : std::to_string(count) + " windows" },
            { button(std::string(layoutApplyPrefix) + layout.name, "Apply", "Apply layout " + layout.name) }));
    }
    if (section.controls.empty())
        section.controls.push_back(note("tiling.no-layouts",
            "No saved layouts yet. Save one from the tray menu, or with quorvane layout save <name>."));
    return section;
}

void TilingSettings::edit(const std::string& key, const std::string& value)
{
    if (key == "tiling.gap") {
        if (std::optional<double> gap = readDecimal(value))
            saveGap(std::clamp(*gap, 0.0, maximumGap));
    } else if (key == "tiling.gap-preset") {
        if (std::optional<TileGapPreset> preset = parseTileGapPreset(value))
            saveGap(points(*preset));
    } else if (key.starts_with(chordPrefix)) {
        std::string id = key.substr(chordPrefix.size());
        std::string token;
        for (const ResolvedTileChord& chord : TileKeys::resolved(m_config.config().general.tileHotkeys)) {
            if (chord.id == id)
                token = chord.token;
        }
        std::optional<std::string> chord = recordedChord(m_chords, m_banner, value, token);
        if (!chord)
            return;
        GeneralConfig general = m_config.config().general;
        general.tileHotkeys[id] = *chord;
        m_actions.saveGeneral(general);
    } else if (key == "tiling.rule-app") {
        m_draft.app = value;
    } else if (key == "tiling.rule-tile") {
        m_draft.tile = value;
    } else if (key == "tiling.rule-display") {
        m_draft.display = value;
    } else if (key == "tiling.rule-title") {
        m_draft.title = value;
    }
}

void TilingSettings::press(const std::string& key)
{
    if (key == "tiling.pick") {
        pick();
    } else if (key == "tiling.rule-add") {
        addRule();
    } else if (key.starts_with(ruleRemovePrefix)) {
        std::string id = key.substr(ruleRemovePrefix.size());
        for (const TileRule& rule : m_config.config().rules) {
            if (rule.id == id) {
                removeRule(!rule.bundleIdentifier.empty() ? rule.bundleIdentifier : rule.app.value_or(rule.id));
                break;
            }
        }
    } else if (key.starts_with(appTileRemovePrefix)) {
        removeRule(key.substr(appTileRemovePrefix.size()));
    } else if (key.starts_with(layoutApplyPrefix)) {
        report(m_banner, m_actions.runCommand({ "layout", "apply", key.substr(layoutApplyPrefix.size()) }));
    }
}

void TilingSettings::saveGap(double points)
{
    GeneralConfig general = m_config.config().general;
    general.tileGap = points;
    m_actions.saveGeneral(general);
}

void TilingSettings::addRule()
{
    std::string app = UnicodeText::trimmed(m_draft.app);
    if (app.empty()) {
        m_banner.setBanner("A rule needs an app: type its id, or pick one of its windows.", false);
        return;
    }
    std::vector<std::string> arguments { "rule", "add", app, "--tile", m_draft.tile };
    if (!m_draft.display.empty())
        arguments.insert(arguments.end(), { "--display", m_draft.display });
    if (std::string title = UnicodeText::trimmed(m_draft.title); !title.empty())
        arguments.insert(arguments.end(), { "--title", title });
    RPCResponse response = m_actions.runCommand(arguments);
    report(m_banner, response);
    if (response.exitCode == 0)
        m_draft = Draft { "", m_draft.tile, "", "" };
}

void TilingSettings::removeRule(const std::string& target)
{
    report(m_banner, m_actions.runCommand({ "rule", "remove", target, "--yes" }));
}

void TilingSettings::pick()
{
    if (m_picking || !m_actions.pickWindow)
        return;
    m_picking = true;
    if (m_actions.changed)
        m_actions.changed();
    m_actions.pickWindow(m_self.bind(
        [](TilingSettings& settings, const std::optional<WindowFacts>& window) { settings.picked(window); }));
}

void TilingSettings::picked(const std::optional<WindowFacts>& window)
{
    m_picking = false;
    if (window && window->ownWindow)
        m_banner.setBanner("That is one of Quorvane's own windows. Pick another app's window.", false);
    else if (window && window->bundleIdentifier.empty())
        m_banner.setBanner("Quorvane cannot tell which app that window belongs to. Type the app's id instead.", false);
    else if (window)
        m_draft.app = window->bundleIdentifier;
    if (m_actions.changed)
        m_actions.changed();
}

} // namespace quorvane
