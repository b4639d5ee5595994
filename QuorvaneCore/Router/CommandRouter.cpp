#include "Router/CommandRouter.h"

#include "Agents/SkillFiles.h"
#include "Agents/SkillPaths.h"
#include "Command/CommandOutput.h"
#include "Command/HelpText.h"
#include "Command/Invocation.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/EffectiveHotkeys.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/QuorvanePaths.h"
#include "Configuration/ResolvedTarget.h"
#include "Hotkeys/HotkeyChord.h"
#include "Hotkeys/HotkeyParser.h"
#include "Resources/BundledResource.h"
#include "Router/CommandContext.h"
#include "Router/ConfigDoctor.h"
#include "Router/DoctorCheck.h"
#include "Router/QuorvaneControlling.h"
#include "Support/ExitCode.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "Support/QuorvaneVersion.h"
#include "Support/UnicodeText.h"
#include "Tiling/TileSlot.h"
#include "WebApps/DesktopEntryWriter.h"
#include "WebApps/ICNSWriter.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/URLComponents.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebAppName.h"
#include "WebApps/WebBundleWriter.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace quorvane::CommandRouter {

namespace {

using Object = JSONValue::Object;
using Array = JSONValue::Array;

// The largest icon file `app add --icon` reads.
constexpr size_t iconSizeLimit = 5 * 1024 * 1024;

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

// Whether a stored chord text, which may not parse, names the chord `canonical`.
bool namesChord(const std::string& text, const std::string& canonical)
{
    auto chord = HotkeyParser::tryParse(text);
    return chord && chord->canonical() == canonical;
}

std::string fallbackIcon()
{
    return std::string(BundledResource::data("FallbackIcon.icns").value_or(std::string_view()));
}

// ICNS files are used as they are, PNG images are wrapped, and nothing at all becomes the fallback artwork.
std::string iconFile(std::string bytes)
{
    if (bytes.empty())
        return fallbackIcon();
    if (bytes.starts_with("\x89PNG"))
        return ICNSWriter::wrappingPNG(bytes);
    return bytes;
}

WebAppBundlePlan planFor(const WebAppRecord& record, const CommandContext& context)
{
    return WebAppBundlePlan(record.spec.name, record.slug, record.spec.url, record.spec.bundleIdentifier,
        StableIdentity::dataStoreIdentifier(record.spec.bundleIdentifier), context.paths.appsDirectory());
}

CommandOutput appAdd(const Command::AppAdd& command, ConfigFile& file, const CommandContext& context)
{
    std::string url = validatedWebURL(command.url);
    std::string name = UnicodeText::trimmed(command.name.value_or(""));
    if (name.empty())
        name = URLComponents::parse(url).value().host.value_or("");
    // The name becomes the bundle's file name: refuse one that could point outside the web-apps folder
    // before anything is written.
    WebAppName::requireSafe(name);
    size_t longest = WebAppName::maximumLength(context.paths.appsDirectory());
    if (name.size() > longest)
        throw QuorvaneError::usage("A web app name can be at most " + std::to_string(longest) + " bytes long.");
    std::string slug = slugify(name);

    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    // Two names that differ only in case or in Unicode form ("Café" precomposed or decomposed) would
    // share one bundle on a case- and normalisation-insensitive disk.
    bool taken = std::any_of(config.apps.begin(), config.apps.end(), [&](const WebAppRecord& app) {
        return app.slug == slug || UnicodeText::equalsIgnoringCaseAndNormalization(app.spec.name, name);
    });
    if (taken)
        throw QuorvaneError::conflict("An app named " + name + " already exists.");

    std::optional<std::string> hotkey;
    if (command.hotkey) {
        hotkey = canonicalChord(*command.hotkey);
        ensureHotkeyAvailable(*hotkey, config);
    }
    std::optional<std::string> tile;
    if (command.tile)
        tile = std::string(toString(requireSlot(*command.tile)));
    std::string icon;
    if (command.icon)
        icon = FileContents::read(*command.icon, iconSizeLimit);

    WebAppRecord record;
    record.slug = slug;
    record.spec.url = url;
    record.spec.name = name;
    record.spec.bundleIdentifier = bundleIdentifier(slug);
    record.spec.hotkey = hotkey;
    record.spec.tile = tile;
    record.spec.userCSS = command.css.value_or("");
    record.spec.userJS = command.js.value_or("");
    record.spec.standardUserAgent = true;
    file.upsertApp(record);

    if (!command.icon && context.iconForURL)
        icon = context.iconForURL(url).value_or("");
    icon = iconFile(std::move(icon));

    WebAppBundlePlan plan = planFor(record, context);
    WebBundleWriter(context.runTool).install(plan, context.hostBinary, icon);
    DesktopEntryWriter(context.paths).install(plan, icon);
    return success("Added " + name + "\n  " + plan.bundlePath, appJSON(record));
}

CommandOutput appRemove(const Command::AppRemove& command, ConfigFile& file, const CommandContext& context)
{
    auto target = resolveTarget(command.name, *file.decoded());
    if (!target || target->kind != ResolvedTarget::Kind::webApp)
        throw QuorvaneError::notFound("No web app named " + command.name + ".");
    const WebAppRecord& record = target->record;
    Object payload { { "slug", record.slug } };
    file.removeApp(record.slug);
    // A hand-edited name such as "../x" never names a bundle of ours, so the disk is left alone.
    if (!WebAppName::isSafe(record.spec.name)) {
        return success("Removed " + record.spec.name
                + " from config.toml. Its name cannot be a bundle's, so nothing on disk was touched.",
            std::move(payload));
    }
    // A name too long for a file name never had a bundle to remove.
    std::string folder = context.paths.appsDirectory();
    if (record.spec.name.size() <= WebAppName::maximumLength(folder))
        WebBundleWriter(context.runTool).remove(WebAppName::bundlePath(folder, record.spec.name));
    DesktopEntryWriter(context.paths).remove(record.spec.bundleIdentifier);
    return success("Removed " + record.spec.name + ".", std::move(payload));
}

CommandOutput appList(const ConfigFile& file)
{
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    std::string lines;
    Array apps;
    for (const WebAppRecord& record : config.apps) {
        if (!lines.empty())
            lines += '\n';
        lines += record.spec.name + '\t' + record.spec.url;
        if (record.spec.hotkey)
            lines += '\t' + *record.spec.hotkey;
        if (record.spec.tile)
            lines += '\t' + *record.spec.tile;
        apps.push_back(appJSON(record));
    }
    return success(lines.empty() ? "No web apps yet." : lines, Object { { "apps", std::move(apps) } });
}

CommandOutput hotkeySet(const Command::HotkeySet& command, ConfigFile& file, const CommandContext& context)
{
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    HotkeyChord chord = HotkeyParser::parse(command.chord);
    std::string canonical = chord.canonical();
    ensureHotkeyAvailable(canonical, config, command.target, context.isApplicationId);
    auto target = resolveTarget(command.target, config, context.isApplicationId);
    if (!target) {
        throw QuorvaneError::notFound(
            "No app named " + command.target + ". Use a web app name or a bundle id such as com.example.editor.");
    }
    if (target->kind == ResolvedTarget::Kind::bundle) {
        file.setNativeHotkey(canonical, target->identifier);
    } else {
        WebAppRecord record = target->record;
        record.spec.hotkey = canonical;
        file.upsertApp(record);
        file.removeNativeHotkey(canonical);
    }
    return success(
        chord.display() + " \u2192 " + command.target, Object { { "chord", canonical }, { "target", command.target } });
}

CommandOutput hotkeyUnset(const Command::HotkeyUnset& command, ConfigFile& file)
{
    std::string canonical = canonicalChord(command.chord);
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    bool removed = false;
    for (WebAppRecord record : config.apps) {
        if (record.spec.hotkey && namesChord(*record.spec.hotkey, canonical)) {
            record.spec.hotkey.reset();
            file.upsertApp(record);
            removed = true;
        }
    }
    for (const auto& [key, value] : file.document().pairs({ "hotkeys" })) {
        if (namesChord(key, canonical)) {
            file.removeNativeHotkey(key);
            removed = true;
        }
    }
    if (!removed)
        throw QuorvaneError::notFound("No hotkey " + canonical + ".");
    return success("Removed " + canonical + ".", Object { { "chord", canonical } });
}

CommandOutput hotkeyList(const ConfigFile& file)
{
    std::string lines;
    Array rows;
    for (const EffectiveHotkey& row : effectiveHotkeys(*file.decoded())) {
        if (row.source == "builtin")
            continue;
        if (!lines.empty())
            lines += '\n';
        lines += row.chord + '\t' + row.bundleIdentifier;
        rows.push_back(
            Object { { "chord", row.chord }, { "bundleIdentifier", row.bundleIdentifier }, { "source", row.source } });
    }
    return success(lines.empty() ? "No hotkeys yet." : lines, Object { { "hotkeys", std::move(rows) } });
}

CommandOutput tile(const Command::Tile& command, const ConfigFile& file, const CommandContext& context)
{
    QuorvaneControlling& controller = requireController(context, "Open Quorvane to move windows.");
    TileSlot slot = requireSlot(command.slot);
    auto target = resolveTarget(command.target, *file.decoded(), context.isApplicationId);
    if (!target)
        throw QuorvaneError::notFound("No app named " + command.target + ".");
    controller.snap(target->bundleIdentifier(), slot, command.display);
    std::string tileName(toString(slot));
    return success("Tiled " + command.target + " to " + tileName + ".",
        Object { { "target", command.target }, { "tile", tileName } });
}

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
        std::string id = slugify(target->identifier);
        if (!hasRule(
                [&](const TileRule& rule) { return rule.bundleIdentifier == target->identifier || rule.id == id; }))
            throw QuorvaneError::notFound("No rule for " + command.target + ".");
        file.removeRule(id);
    } else {
        if (!hasRule([&](const TileRule& rule) { return rule.id == command.target; }))
            throw QuorvaneError::notFound("No rule for " + command.target + ".");
        file.removeRule(command.target);
    }
    return success("Removed the rule for " + command.target + ".", Object { { "target", command.target } });
}

CommandOutput layoutSave(const Command::LayoutSave& command, ConfigFile& file, const CommandContext& context)
{
    QuorvaneControlling& controller = requireController(context, "Open Quorvane to save the current layout.");
    Layout layout = controller.captureLayout(command.name);
    file.upsertLayout(layout);
    return success("Saved layout " + command.name + ".", layoutJSON(layout));
}

CommandOutput layoutApply(const Command::LayoutApply& command, const ConfigFile& file, const CommandContext& context)
{
    QuorvaneControlling& controller = requireController(context, "Open Quorvane to apply a layout.");
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    bool known = std::any_of(config.layouts.begin(), config.layouts.end(),
        [&](const Layout& layout) { return layout.name == command.name; });
    if (!known)
        throw QuorvaneError::notFound("No layout named " + command.name + ".");
    controller.applyLayout(command.name);
    return success("Applied " + command.name + ".", Object { { "name", command.name } });
}

CommandOutput layoutList(const ConfigFile& file)
{
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    std::string lines;
    Array layouts;
    for (const Layout& layout : config.layouts) {
        if (!lines.empty())
            lines += '\n';
        lines += layout.name;
        layouts.push_back(layoutJSON(layout));
    }
    return success(lines.empty() ? "No layouts yet." : lines, Object { { "layouts", std::move(layouts) } });
}

// Re-creates the bundles of configured web apps that are missing on disk, gives the shipped host to bundles
// made without one, and writes missing desktop entries; files already in place stay as they are. One web
// app that cannot be installed does not keep the others from being re-created: every failure is reported
// at the end.
CommandOutput reconcile(const ConfigFile& file, const CommandContext& context)
{
    namespace fs = std::filesystem;
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    DesktopEntryWriter entries(context.paths);
    std::optional<std::string> icon;
    std::string failures;
    for (const WebAppRecord& record : config.apps) {
        std::string reason;
        try {
            WebAppBundlePlan plan = planFor(record, context);
            std::error_code error;
            fs::file_status status = fs::symlink_status(plan.bundlePath, error);
            if (!fs::exists(status)) {
                if (!icon)
                    icon = fallbackIcon();
                WebBundleWriter(context.runTool).install(plan, context.hostBinary, *icon);
                entries.install(plan, *icon);
                continue;
            }
            // A bundle written while no host was shipped would otherwise never open.
            if (fs::is_directory(status) && context.hostBinary
                && !fs::exists(fs::symlink_status(webHostExecutable(plan.bundlePath), error)))
                WebBundleWriter(context.runTool).refreshHost(plan.bundlePath, *context.hostBinary, plan.bundleIdentifier);
            // An unreadable icon gives the entry the fallback artwork.
            if (!fs::exists(fs::symlink_status(entries.entryPath(plan.bundleIdentifier), error)))
                entries.install(plan, WebBundleWriter::icon(plan.bundlePath));
            continue;
        } catch (const QuorvaneError& error) {
            reason = error.message();
        } catch (const std::exception& error) {
            reason = error.what();
        }
        failures += (failures.empty() ? "" : "\n") + ("Could not re-create " + record.spec.name + ": " + reason);
    }
    if (!failures.empty())
        return { ExitCode::failed, failures, Object { { "code", "failed" } } };
    return success("Applied config.toml.", configJSON(config));
}

CommandOutput doctor(const ConfigFile& file, const CommandContext& context)
{
    std::vector<DoctorCheck> checks = configDoctor(*file.decoded());
    if (context.configCheck)
        checks.front() = *context.configCheck;
    if (context.controller) {
        std::vector<DoctorCheck> permissions = context.controller->permissionChecks();
        checks.insert(checks.end(), permissions.begin(), permissions.end());
    } else {
        checks.push_back(
            { "menu-bar", DoctorCheck::Status::warn, "Quorvane is not running, so hotkeys and tiling are waiting." });
    }
    std::string lines;
    Array rows;
    bool failed = false;
    for (const DoctorCheck& check : checks) {
        std::string status(toString(check.status));
        if (!lines.empty())
            lines += '\n';
        lines += "[" + status + "] " + check.name + ": " + check.detail;
        rows.push_back(Object { { "name", check.name }, { "status", status }, { "detail", check.detail } });
        failed = failed || check.status == DoctorCheck::Status::fail;
    }
    return { failed ? ExitCode::failed : ExitCode::ok, lines,
        Object { { "ok", !failed }, { "checks", std::move(rows) } } };
}

CommandOutput skillPaths(const ConfigFile& file, const CommandContext& context)
{
    std::vector<std::string> folders = context.manifestFolders;
    std::vector<std::string> custom = file.decoded()->agents.customFolders;
    folders.insert(folders.end(), custom.begin(), custom.end());
    auto exists = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(path, error));
    };
    std::string lines;
    Array rows;
    for (const SkillLocation& location : SkillPaths::classify(folders, context.paths.home, exists)) {
        if (!rows.empty())
            lines += '\n';
        lines += std::string(location.present ? "found" : "missing") + '\t' + location.folder;
        rows.push_back(Object { { "folder", location.folder }, { "present", location.present } });
    }
    return success(lines, Object { { "folders", std::move(rows) } });
}

CommandOutput skillInstall(const Command::SkillInstall& command, ConfigFile& file, const CommandContext& context)
{
    SkillFiles::install(context.skillText, SkillPaths::expand(command.folder, context.paths.home));
    AgentConfig agents = file.decoded()->agents;
    if (std::find(agents.installed.begin(), agents.installed.end(), command.folder) == agents.installed.end()) {
        agents.installed.push_back(command.folder);
        file.setAgents(agents);
    }
    return success("Installed the Quorvane skill in " + command.folder + ".", Object { { "folder", command.folder } });
}

CommandOutput skillUninstall(const Command::SkillUninstall& command, ConfigFile& file, const CommandContext& context)
{
    std::string expanded = SkillPaths::expand(command.folder, context.paths.home);
    SkillFiles::uninstall(expanded);
    // A folder standing as the skill file is someone else's and stays; then nothing was removed.
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(SkillPaths::skillFile(expanded), error)))
        throw QuorvaneError::failed("The Quorvane skill in " + command.folder + " was not removed: "
            + SkillPaths::skillFile(expanded) + " is a folder.");
    AgentConfig agents = file.decoded()->agents;
    std::erase_if(agents.installed, [&](const std::string& entry) {
        return entry == command.folder || SkillPaths::expand(entry, context.paths.home) == expanded;
    });
    file.setAgents(agents);
    return success("Removed the Quorvane skill from " + command.folder + ".", Object { { "folder", command.folder } });
}

template <typename... Routines> struct Overloaded : Routines... {
    using Routines::operator()...;
};
template <typename... Routines> Overloaded(Routines...) -> Overloaded<Routines...>;

// The file a changing command edits. A run over a file that may not change has none to give.
ConfigFile& editable(ConfigFile* file)
{
    if (!file)
        throw std::logic_error("A command that changes config.toml was run over a file that may not change.");
    return *file;
}

// One routine per command; a command without one does not compile. `changing` is `file` itself, or absent
// when the file may not change.
CommandOutput dispatch(
    const Invocation& invocation, ConfigFile* changing, const ConfigFile& file, const CommandContext& context)
{
    using C = Command;
    return std::visit(
        Overloaded {
            [&](const C::Help&) {
                return success(std::string(HelpText::text()), Object { { "help", std::string(HelpText::text()) } });
            },
            [&](const C::Version&) {
                return success(QuorvaneVersion::current, Object { { "version", QuorvaneVersion::current } });
            },
            [&](const C::Ping&) {
                requireController(context, "Quorvane is not running.");
                return success("ok", Object { { "pong", true } });
            },
            [&](const C::AppAdd& command) { return appAdd(command, editable(changing), context); },
            [&](const C::AppRemove& command) { return appRemove(command, editable(changing), context); },
            [&](const C::AppList&) { return appList(file); },
            [&](const C::HotkeySet& command) { return hotkeySet(command, editable(changing), context); },
            [&](const C::HotkeyUnset& command) { return hotkeyUnset(command, editable(changing)); },
            [&](const C::HotkeyList&) { return hotkeyList(file); },
            [&](const C::Tile& command) { return tile(command, file, context); },
            [&](const C::RuleAdd& command) { return ruleAdd(command, editable(changing), context); },
            [&](const C::RuleRemove& command) { return ruleRemove(command, editable(changing), context); },
            [&](const C::LayoutSave& command) { return layoutSave(command, editable(changing), context); },
            [&](const C::LayoutApply& command) { return layoutApply(command, file, context); },
            [&](const C::LayoutList&) { return layoutList(file); },
            [&](const C::ConfigShow&) { return success(file.text(), configJSON(*file.decoded())); },
            [&](const C::Apply&) { return reconcile(file, context); },
            [&](const C::Doctor&) { return doctor(file, context); },
            [&](const C::SkillPaths&) { return skillPaths(file, context); },
            [&](const C::SkillInstall& command) { return skillInstall(command, editable(changing), context); },
            [&](const C::SkillUninstall& command) { return skillUninstall(command, editable(changing), context); },
        },
        invocation.command.value);
}

CommandOutput run(const Invocation& invocation, ConfigFile* changing, const ConfigFile& file, const CommandContext& context)
{
    try {
        if (invocation.command.isDestructive() && !invocation.yes) {
            bool confirmed
                = context.interactive && context.confirm && context.confirm("This removes something. Continue?");
            if (!confirmed)
                throw QuorvaneError::cancelled("Pass --yes to confirm.");
        }
        return dispatch(invocation, changing, file, context);
    } catch (const QuorvaneError& error) {
        return CommandOutput::failure(error);
    } catch (const std::exception& error) {
        return { ExitCode::failed, error.what(), Object { { "code", "failed" } } };
    }
}

} // namespace

CommandOutput run(const Invocation& invocation, ConfigFile& file, const CommandContext& context)
{
    return run(invocation, &file, file, context);
}

CommandOutput runReadOnly(const Invocation& invocation, const ConfigFile& file, const CommandContext& context)
{
    return run(invocation, nullptr, file, context);
}

} // namespace quorvane::CommandRouter
