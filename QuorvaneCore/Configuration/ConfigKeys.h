#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvane {

enum class WindowChrome;
struct AgentConfig;
struct GeneralConfig;
struct QuorvaneConfig;
class TOMLValue;

// The field of the typed configuration that a key fills, for the keys whose value maps onto one field.
using ConfigField = std::variant<std::monostate, int64_t QuorvaneConfig::*, bool GeneralConfig::*,
    double GeneralConfig::*, std::string GeneralConfig::*, std::vector<std::string> GeneralConfig::*,
    WindowChrome GeneralConfig::*, std::vector<std::string> AgentConfig::*>;

// One key of config.toml: where it stands, what it holds, its default and what it means.
struct ConfigKey {
    // The table as the manual names it: "" for the root, "general", "apps.<slug>".
    std::string_view table;
    // The key, or a placeholder in angle brackets for a table of free keys ("<chord>").
    std::string_view key;
    // The value's type in words.
    std::string_view type;
    // The default as the manual states it, for keys without a field; a field's default is its value in a
    // default-constructed configuration.
    std::string defaultValue;
    // One sentence for the manual.
    std::string_view meaning;
    ConfigField field;
    // Whether the default file writes it; only keys with a field are written.
    bool inDefaultFile = true;
    // A comment line the default file puts above it, without the "# ".
    std::string_view note;

    bool hasField() const { return field.index() != 0; }
};

// Every key of config.toml in one table. The default file, the decoding and writing of the root, `[general]` and
// `[agents]`, and the manual page take their keys and defaults from here; the keys of the web-app and rule tables,
// which their own code reads and writes, are described here for the manual (a test holds the two together).
namespace ConfigKeys {

// Every key, table by table, in the order the default file and the manual give them.
const std::vector<ConfigKey>& all();
// The keys of one table, in order.
std::vector<const ConfigKey*> of(std::string_view table);
// The key of exactly this table and name; throws std::out_of_range when there is none.
const ConfigKey& named(std::string_view table, std::string_view key);

// The value a key with a field has in `config`, as the file stores it.
TOMLValue value(const ConfigKey&, const QuorvaneConfig& config);
// Reads `value` into the key's field of `config` when its type fits; any other value leaves the field as it
// was. Booleans must be booleans, numbers integers or decimals, texts strings; the non-text elements of an
// array are dropped; a window style is read leniently.
void read(const ConfigKey&, const TOMLValue& value, QuorvaneConfig& config);
// The default as the manual shows it: a field's default rendered as the file writes it, else `defaultValue`.
std::string defaultText(const ConfigKey&);

} // namespace ConfigKeys

} // namespace quorvane
