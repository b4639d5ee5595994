#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace quorvane {

// One parsed command: a tagged union whose cases carry the words the user gave, verbatim.
struct Command {
    struct AppAdd {
        std::string url;
        std::optional<std::string> name, hotkey, tile, icon, css, js;
        friend bool operator==(const AppAdd&, const AppAdd&) = default;
    };
    struct AppRemove {
        std::string name;
        friend bool operator==(const AppRemove&, const AppRemove&) = default;
    };
    struct HotkeySet {
        std::string chord, target;
        friend bool operator==(const HotkeySet&, const HotkeySet&) = default;
    };
    struct HotkeyUnset {
        std::string chord;
        friend bool operator==(const HotkeyUnset&, const HotkeyUnset&) = default;
    };
    struct Tile {
        std::string target, slot;
        std::optional<int64_t> display;
        friend bool operator==(const Tile&, const Tile&) = default;
    };
    struct RuleAdd {
        std::string target, tile;
        std::optional<int64_t> display;
        std::optional<std::string> title;
        friend bool operator==(const RuleAdd&, const RuleAdd&) = default;
    };
    struct RuleRemove {
        std::string target;
        friend bool operator==(const RuleRemove&, const RuleRemove&) = default;
    };
    struct LayoutSave {
        std::string name;
        friend bool operator==(const LayoutSave&, const LayoutSave&) = default;
    };
    struct LayoutApply {
        std::string name;
        friend bool operator==(const LayoutApply&, const LayoutApply&) = default;
    };
    struct SkillInstall {
        std::string folder;
        friend bool operator==(const SkillInstall&, const SkillInstall&) = default;
    };
    struct SkillUninstall {
        std::string folder;
        friend bool operator==(const SkillUninstall&, const SkillUninstall&) = default;
    };

#define QUORVANE_FIELDLESS_COMMAND(Name)                                  \
    struct Name {                                                         \
        friend bool operator==(const Name&, const Name&) = default;       \
    };
    QUORVANE_FIELDLESS_COMMAND(Help)
    QUORVANE_FIELDLESS_COMMAND(Version)
    QUORVANE_FIELDLESS_COMMAND(AppList)
    QUORVANE_FIELDLESS_COMMAND(HotkeyList)
    QUORVANE_FIELDLESS_COMMAND(LayoutList)
    QUORVANE_FIELDLESS_COMMAND(ConfigShow)
    QUORVANE_FIELDLESS_COMMAND(Apply)
    QUORVANE_FIELDLESS_COMMAND(Doctor)
    QUORVANE_FIELDLESS_COMMAND(Ping)
    QUORVANE_FIELDLESS_COMMAND(SkillPaths)
#undef QUORVANE_FIELDLESS_COMMAND

    using Value = std::variant<AppAdd, AppRemove, HotkeySet, HotkeyUnset, Tile, RuleAdd, RuleRemove, LayoutSave,
        LayoutApply, SkillInstall, SkillUninstall, Help, Version, AppList, HotkeyList, LayoutList, ConfigShow, Apply,
        Doctor, Ping, SkillPaths>;

    Value value = Help {};

    template<typename Case> bool is() const { return std::holds_alternative<Case>(value); }
    template<typename Case> const Case* as() const { return std::get_if<Case>(&value); }

    // True for the commands that remove something and so need confirmation.
    bool isDestructive() const;
    // True for the commands that may change the config file; the others only read it.
    bool changesConfig() const;

    friend bool operator==(const Command&, const Command&) = default;
};

} // namespace quorvane
