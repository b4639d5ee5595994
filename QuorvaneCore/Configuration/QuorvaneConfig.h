#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The chrome of web-app windows: a slim custom title bar or the standard one.
enum class WindowChrome { slim, standard };

// "slim" or "standard".
std::string_view toString(WindowChrome);
// Lenient reading of `window_style`: trimmed and lower-cased, "standard" or "macos" give standard;
// absent text and every other word give slim.
WindowChrome parseWindowChrome(std::optional<std::string_view> text);

// The gap sizes the settings window offers. The configuration stores points, not the preset.
enum class TileGapPreset { none, small, medium, large };

// "none", "small", "medium", "large".
std::string_view toString(TileGapPreset);
std::optional<TileGapPreset> parseTileGapPreset(std::string_view rawValue);
// "None", "Small", "Medium", "Large".
std::string_view title(TileGapPreset);
// 0, 8, 16, 24.
double points(TileGapPreset);
// The preset nearest to `points`; a tie goes to the smaller preset.
TileGapPreset nearestTileGapPreset(double points);

// What a double click on a slim title bar does, from the system's title-bar preference.
enum class TitlebarDoubleClick { minimize, zoom, none };

// Settings of the `[general]` table, plus the `[tile_hotkeys]` overrides.
struct GeneralConfig {
    bool launchAtLogin = false;
    bool animateTiles = true;
    double tileGap = 0;
    WindowChrome windowChrome = WindowChrome::slim;
    std::string tileModeHotkey = "ctrl+opt+space";
    bool agentHotkeyEnabled = true;
    std::string agentHotkey = "ctrl+opt+a";
    std::string newAppHotkey = "ctrl+opt+n";
    std::string layoutHotkey = "ctrl+opt+l";
    bool cycleWindows = true;
    bool hideOnRepeat = false;
    std::string leaderKey;
    // Tile binding id to chord text; only the ids the file names.
    std::map<std::string, std::string> tileHotkeys;
    std::vector<std::string> agentCommand;
    std::string terminalBundleIdentifier = "com.apple.Terminal";
    bool autoTile = false;
    bool onboardingComplete = false;
    bool checkForUpdates = true;

    friend bool operator==(const GeneralConfig&, const GeneralConfig&) = default;
};

// One site-specific application.
struct WebAppSpec {
    std::string url;
    std::string name;
    std::string bundleIdentifier;
    std::optional<std::string> hotkey;
    // A tile name.
    std::optional<std::string> tile;
    std::string userCSS;
    std::string userJS;
    std::optional<std::string> iconPath;
    bool standardUserAgent = true;

    friend bool operator==(const WebAppSpec&, const WebAppSpec&) = default;
};

// A web app as stored under `[apps.<slug>]`.
struct WebAppRecord {
    std::string slug;
    WebAppSpec spec;

    friend bool operator==(const WebAppRecord&, const WebAppRecord&) = default;
};

// An application hotkey of `[hotkeys]`: a chord that launches or focuses an application.
struct NativeHotkey {
    std::string chord;
    std::string bundleIdentifier;

    friend bool operator==(const NativeHotkey&, const NativeHotkey&) = default;
};

// Where new windows of an application go, from `[rules.<id>]`.
struct TileRule {
    std::string id;
    // May be empty; then `app` names a web app.
    std::string bundleIdentifier;
    std::optional<std::string> app;
    // An ICU regular expression the window title must match somewhere.
    std::optional<std::string> titlePattern;
    // A tile name.
    std::string tile;
    // Display number counted from 1.
    std::optional<int64_t> display;

    friend bool operator==(const TileRule&, const TileRule&) = default;
};

// One window placement of a layout.
struct LayoutAssignment {
    std::string target;
    std::string tile;

    friend bool operator==(const LayoutAssignment&, const LayoutAssignment&) = default;
};

// A named arrangement of windows, from `[layouts.<name>]`.
struct Layout {
    std::string name;
    std::vector<LayoutAssignment> assignments;

    friend bool operator==(const Layout&, const Layout&) = default;
};

// The skill install record of `[agents]`.
struct AgentConfig {
    std::vector<std::string> installed;
    std::vector<std::string> customFolders;

    friend bool operator==(const AgentConfig&, const AgentConfig&) = default;
};

// Everything config.toml sets, decoded leniently.
struct QuorvaneConfig {
    int64_t version = 1;
    GeneralConfig general;
    std::vector<WebAppRecord> apps;
    std::vector<NativeHotkey> hotkeys;
    std::vector<TileRule> rules;
    std::vector<Layout> layouts;
    AgentConfig agents;

    friend bool operator==(const QuorvaneConfig&, const QuorvaneConfig&) = default;
};

// Whether a settings row is a web app or an application hotkey.
enum class SavedShortcutKind { webApp, appHotkey };

// "webApp" or "appHotkey".
std::string_view toString(SavedShortcutKind);
std::optional<SavedShortcutKind> parseSavedShortcutKind(std::string_view rawValue);

// One row of the settings window's list of shortcuts.
struct SavedShortcut {
    std::string id;
    SavedShortcutKind kind = SavedShortcutKind::webApp;
    std::string name;
    std::string detail;
    std::optional<std::string> hotkey;
    std::string bundleIdentifier;
    std::optional<std::string> slug;
    std::optional<std::string> iconPath;
    std::optional<std::string> tile;
    std::optional<std::string> url;

    friend bool operator==(const SavedShortcut&, const SavedShortcut&) = default;
};

// The web app of `config` whose table is `apps.<slug>`, or null.
const WebAppRecord* webAppWithSlug(const QuorvaneConfig& config, std::string_view slug);

// The first rule of `config` that places a window of `bundleIdentifier` titled `title`, or none.
std::optional<TileRule> matchingRule(
    const QuorvaneConfig& config, std::string_view bundleIdentifier, std::string_view title);

// One row per web app, then one per application hotkey, in configuration order.
std::vector<SavedShortcut> savedShortcuts(const QuorvaneConfig& config);

} // namespace quorvane
