#include "Configuration/ConfigKeys.h"

#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/TileKeys.h"
#include "TOML/TOMLDocument.h"

#include <algorithm>
#include <stdexcept>

namespace quorvane {

namespace {

using G = GeneralConfig;

std::vector<ConfigKey> makeKeys()
{
    std::vector<ConfigKey> keys = {
        { "", "version", "integer", "", "The file's schema version; 1 is the only one.", &QuorvaneConfig::version },

        { "general", "launch_at_login", "boolean", "", "Start Quorvane when you log in, through an autostart entry.",
            &G::launchAtLogin },
        { "general", "check_for_updates", "boolean", "", "Let Quorvane check for a newer version.",
            &G::checkForUpdates },
        { "general", "animate_tiles", "boolean", "", "Animate window moves.", &G::animateTiles },
        { "general", "tile_gap", "integer or decimal", "",
            "The gap in points between tiles and at the display's edges; the settings offer 0, 8, 16 and 24.",
            &G::tileGap },
        { "general", "window_style", "text", "",
            "\"standard\" or \"macos\", in any case and with blanks around, give web-app windows the standard title "
            "bar, any other text the slim one. Not in the default file; saving the settings writes it.",
            &G::windowChrome, false },
        { "general", "tile_mode_hotkey", "chord", "", "Opens tile mode and its cheat sheet.", &G::tileModeHotkey },
        { "general", "agent_hotkey_enabled", "boolean", "", "Whether the agent hotkey is bound.",
            &G::agentHotkeyEnabled },
        { "general", "agent_hotkey", "chord", "", "Opens the agent command in the terminal.", &G::agentHotkey },
        { "general", "new_app_hotkey", "chord", "", "Opens the window that creates a web app.", &G::newAppHotkey },
        { "general", "layout_hotkey", "chord", "", "Applies the next saved layout.", &G::layoutHotkey },
        { "general", "cycle_windows", "boolean", "",
            "A repeated press of an application hotkey cycles through that application's windows.", &G::cycleWindows },
        { "general", "hide_on_repeat", "boolean", "",
            "A repeated press of an application hotkey hides the application.", &G::hideOnRepeat },
        { "general", "leader_key", "text", "",
            "The leader key for tap-then-a-letter hotkeys such as leader+e, for example caps; empty for none.",
            &G::leaderKey, true, "Set leader_key to \"caps\" for tap-then-a-letter hotkeys." },
        { "general", "agent_command", "array of text", "", "The coding agent's command, one word per element.",
            &G::agentCommand },
        { "general", "terminal_bundle_id", "text", "",
            "The terminal that runs the agent command, by its application id; the desktop's default terminal when "
            "that one is not installed.",
            &G::terminalBundleIdentifier },
        { "general", "auto_tile", "boolean", "", "Place new windows by the rules.", &G::autoTile },
        { "general", "onboarding_complete", "boolean", "", "The first-run guide has been finished.",
            &G::onboardingComplete },
    };

    for (const TileKeyBinding& binding : TileKeys::bindings())
        keys.push_back({ "tile_hotkeys", binding.id, "chord", renderTOMLValue(TOMLValue::string(binding.defaultChord)),
            binding.title });

    const std::vector<ConfigKey> tables = {
        { "apps.<slug>", "url", "text", "required", "The site's address; a table without one is skipped." },
        { "apps.<slug>", "name", "text", "the slug", "The web app's name." },
        { "apps.<slug>", "bundle_id", "text", "app.quorvane.web. and the slug", "The web app's identifier." },
        { "apps.<slug>", "hotkey", "chord", "none", "The chord that opens or focuses the web app." },
        { "apps.<slug>", "tile", "tile name", "none", "The tile for its windows." },
        { "apps.<slug>", "user_css", "text", "\"\"", "A style sheet added to its pages." },
        { "apps.<slug>", "user_js", "text", "\"\"", "A script added to its pages." },
        { "apps.<slug>", "icon", "text", "none", "The path of its icon image." },
        { "apps.<slug>", "standard_user_agent", "boolean", "true",
            "Present the standard browser user agent to the site." },
        { "hotkeys", "<chord>", "text, or an inline table { bundle = text }", "none",
            "An application hotkey: the chord opens, focuses or cycles the application with that id." },
        { "rules.<id>", "bundle", "text", "\"\"", "The application id the rule matches." },
        { "rules.<id>", "app", "text", "none", "The name of the web app the rule matches, when bundle is empty." },
        { "rules.<id>", "title", "text", "none", "A regular expression the window title must match." },
        { "rules.<id>", "tile", "tile name", "required", "Where the window goes; a table without one is skipped." },
        { "rules.<id>", "display", "integer", "none", "The display, counted from 1." },
        { "layouts.<name>", "<app>", "tile name", "none", "One window of the layout and the tile it goes to." },
        { "agents", "installed", "array of text", "", "The folders the skill file was installed into.",
            &AgentConfig::installed },
        { "agents", "custom_folders", "array of text", "", "Folders you added for the skill file.",
            &AgentConfig::customFolders },
    };
    keys.insert(keys.end(), tables.begin(), tables.end());
    return keys;
}

TOMLValue stringArray(const std::vector<std::string>& texts)
{
    TOMLValue::Array elements;
    elements.reserve(texts.size());
    for (const std::string& text : texts)
        elements.push_back(TOMLValue::string(text));
    return TOMLValue::array(std::move(elements));
}

std::vector<std::string> strings(const TOMLValue::Array& elements)
{
    std::vector<std::string> texts;
    for (const TOMLValue& element : elements) {
        if (const std::string* text = element.asString())
            texts.push_back(*text);
    }
    return texts;
}

// The field itself in `config`, const or not.
template <typename Config> auto& fieldOf(Config& config, int64_t QuorvaneConfig::*field)
{
    return config.*field;
}
template <typename Config, typename Value> auto& fieldOf(Config& config, Value GeneralConfig::*field)
{
    return config.general.*field;
}
template <typename Config> auto& fieldOf(Config& config, std::vector<std::string> AgentConfig::*field)
{
    return config.agents.*field;
}

TOMLValue stored(int64_t value) { return TOMLValue::integer(value); }
TOMLValue stored(bool value) { return TOMLValue::boolean(value); }
TOMLValue stored(double value) { return TOMLValue::decimal(value); }
TOMLValue stored(const std::string& value) { return TOMLValue::string(value); }
TOMLValue stored(const std::vector<std::string>& value) { return stringArray(value); }
TOMLValue stored(WindowChrome value) { return TOMLValue::string(std::string(toString(value))); }

void load(const TOMLValue& value, int64_t& into) { into = value.intValue().value_or(into); }
void load(const TOMLValue& value, bool& into) { into = value.asBool().value_or(into); }
void load(const TOMLValue& value, double& into)
{
    if (std::optional<int64_t> integer = value.asInteger())
        into = static_cast<double>(*integer);
    else
        into = value.asDouble().value_or(into);
}
void load(const TOMLValue& value, std::string& into)
{
    if (const std::string* text = value.asString())
        into = *text;
}
void load(const TOMLValue& value, std::vector<std::string>& into)
{
    if (const TOMLValue::Array* elements = value.asArray())
        into = strings(*elements);
}
void load(const TOMLValue& value, WindowChrome& into)
{
    if (const std::string* text = value.asString())
        into = parseWindowChrome(*text);
}

} // namespace

namespace ConfigKeys {

const std::vector<ConfigKey>& all()
{
    static const std::vector<ConfigKey> keys = makeKeys();
    return keys;
}

std::vector<const ConfigKey*> of(std::string_view table)
{
    std::vector<const ConfigKey*> keys;
    for (const ConfigKey& key : all()) {
        if (key.table == table)
            keys.push_back(&key);
    }
    return keys;
}

const ConfigKey& named(std::string_view table, std::string_view name)
{
    const std::vector<ConfigKey>& keys = all();
    auto found = std::find_if(
        keys.begin(), keys.end(), [&](const ConfigKey& key) { return key.table == table && key.key == name; });
    if (found == keys.end())
        throw std::out_of_range("config.toml has no key " + std::string(name) + " in " + std::string(table));
    return *found;
}

TOMLValue value(const ConfigKey& key, const QuorvaneConfig& config)
{
    return std::visit(
        [&](auto field) -> TOMLValue {
            if constexpr (std::is_same_v<decltype(field), std::monostate>)
                return TOMLValue();
            else
                return stored(fieldOf(config, field));
        },
        key.field);
}

void read(const ConfigKey& key, const TOMLValue& value, QuorvaneConfig& config)
{
    std::visit(
        [&](auto field) {
            if constexpr (!std::is_same_v<decltype(field), std::monostate>)
                load(value, fieldOf(config, field));
        },
        key.field);
}

std::string defaultText(const ConfigKey& key)
{
    if (!key.hasField())
        return key.defaultValue;
    return renderTOMLValue(value(key, QuorvaneConfig {}));
}

} // namespace ConfigKeys

} // namespace quorvane
