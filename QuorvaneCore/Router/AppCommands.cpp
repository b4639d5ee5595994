#include "Router/AppCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/EffectiveHotkeys.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/ResolvedTarget.h"
#include "Router/CommandContext.h"
#include "Router/RouterSupport.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "WebApps/DesktopEntryWriter.h"
#include "WebApps/ICNSWriter.h"
#include "WebApps/InternationalAddress.h"
#include "WebApps/URLComponents.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebAppName.h"
#include "WebApps/WebBundleWriter.h"

#include <algorithm>

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

namespace {

// The largest icon file `app add --icon` reads.
constexpr size_t iconSizeLimit = 5 * 1024 * 1024;

// ICNS files are used as they are, PNG images are wrapped, and nothing at all becomes the fallback artwork.
std::string iconFile(const std::string& bytes)
{
    if (bytes.empty())
        return fallbackIcon();
    if (bytes.starts_with("\x89PNG"))
        return ICNSWriter::wrappingPNG(bytes);
    return bytes;
}

} // namespace

CommandOutput appAdd(const Command::AppAdd& command, ConfigFile& file, const CommandContext& context)
{
    std::string url = validatedWebURL(command.url);
    std::string name = UnicodeText::trimmed(command.name.value_or(""));
    if (name.empty())
        name = InternationalAddress::unicodeHost(URLComponents::parse(url).value().host.value_or(""));
    // The name becomes the bundle's file name: refuse one that could point outside the web-apps folder
    // before anything is written.
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    WebAppName::requireAvailable(name, WebAppName::maximumLength(context.paths.appsDirectory()), config.apps);
    std::string slug = slugify(name);

    std::optional<std::string> hotkey;
    if (command.hotkey) {
        hotkey = canonicalChord(*command.hotkey);
        ensureHotkeyAvailable(*hotkey, config);
    }
    std::optional<std::string> tile;
    if (command.tile)
        tile = std::string(toString(requireSlot(*command.tile)));
    std::string icon;
    if (command.icon) {
        icon = FileContents::read(*command.icon, iconSizeLimit);
        // Neither the bundle nor the desktop can show any other image, so it would quietly become the fallback.
        if (!icon.starts_with("\x89PNG") && !icon.starts_with("icns"))
            throw QuorvaneError::usage(*command.icon + " is not a PNG image or an .icns icon file.");
    }

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

    WebAppBundlePlan plan = planFor(record, context);
    WebBundleWriter(context.runTool).install(plan, context.hostBinary, iconFile(icon));
    // The desktop's images come from the image itself, not from the icon file made of it.
    DesktopEntryWriter(context.paths).install(plan, icon);
    return success("Added " + name + "\n  " + plan.bundlePath, appJSON(record));
}

CommandOutput appRemove(const Command::AppRemove& command, ConfigFile& file, const CommandContext& context)
{
    auto decoded = file.decoded();
    auto target = resolveTarget(command.name, *decoded);
    if (!target || target->kind != ResolvedTarget::Kind::webApp)
        throw QuorvaneError::notFound("No web app named " + command.name + ".");
    const WebAppRecord& record = target->record;
    Object payload { { "slug", record.slug } };
    file.removeApp(record.slug);
    // Its rules and its chords in [hotkeys] go with it: left behind, a chord would stay taken by an app that
    // is gone, and its rules could no longer be removed by its name.
    if (const std::string& bundle = record.spec.bundleIdentifier; !bundle.empty()) {
        for (const TileRule& rule : decoded->rules) {
            if (rule.bundleIdentifier == bundle)
                file.removeRule(rule.id);
        }
        for (const NativeHotkey& hotkey : decoded->hotkeys) {
            if (hotkey.bundleIdentifier == bundle)
                file.removeNativeHotkey(hotkey.chord);
        }
    }
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
    // A copied table may share the bundle_id of another web app, whose launcher that entry then is.
    bool shared = std::ranges::any_of(decoded->apps, [&](const WebAppRecord& other) {
        return other.slug != record.slug && other.spec.bundleIdentifier == record.spec.bundleIdentifier;
    });
    if (!shared)
        DesktopEntryWriter(context.paths).remove(record.spec.bundleIdentifier);
    return success("Removed " + record.spec.name + ".", std::move(payload));
}

CommandOutput appList(const ConfigFile& file)
{
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    Listing apps;
    for (const WebAppRecord& record : config.apps) {
        std::string line = record.spec.name + '\t' + record.spec.url;
        if (record.spec.hotkey)
            line += '\t' + *record.spec.hotkey;
        if (record.spec.tile)
            line += '\t' + *record.spec.tile;
        apps.add(line, appJSON(record));
    }
    return std::move(apps).success("apps", "No web apps yet.");
}

} // namespace quorvane::CommandRouter
