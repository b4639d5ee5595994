#include "Router/ConfigCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Router/CommandContext.h"
#include "Router/RouterSupport.h"
#include "Support/ExitCode.h"
#include "Support/QuorvaneError.h"
#include "WebApps/DesktopEntryWriter.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebBundleWriter.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

namespace {

// The bundle a web app had before its name was changed by hand in the file: one in the web-apps folder of the
// app's bundle identifier that no configured app is named for.
std::optional<std::string> bundleLeftByARename(
    const WebAppBundlePlan& plan, const QuorvaneConfig& config, const CommandContext& context)
{
    namespace fs = std::filesystem;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(context.paths.appsDirectory(), error)) {
        std::string path = entry.path().string();
        if (entry.path().extension() != ".app" || !entry.is_directory(error) || entry.is_symlink(error))
            continue;
        if (WebBundleWriter::bundleIdentifier(path) != plan.bundleIdentifier)
            continue;
        bool named = std::ranges::any_of(
            config.apps, [&](const WebAppRecord& record) { return planFor(record, context).bundlePath == path; });
        if (!named)
            return path;
    }
    return std::nullopt;
}

} // namespace

CommandOutput configShow(const ConfigFile& file)
{
    return success(file.text(), configJSON(*file.decoded()));
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
                // Renamed by hand, the app keeps its bundle and the icon in it, under the new name.
                if (std::optional<std::string> renamed = bundleLeftByARename(plan, config, context)) {
                    fs::rename(*renamed, plan.bundlePath);
                    WebBundleWriter(context.runTool).refreshDetails(plan.bundlePath, plan);
                    entries.install(plan, WebBundleWriter::icon(plan.bundlePath));
                    continue;
                }
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
        return CommandOutput::failure(QuorvaneError::failed(failures));
    return success("Applied config.toml.", configJSON(config));
}

} // namespace quorvane::CommandRouter
