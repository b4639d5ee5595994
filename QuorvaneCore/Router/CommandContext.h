#pragma once

#include "Configuration/QuorvanePaths.h"
#include "Configuration/ResolvedTarget.h"
#include "Router/DoctorCheck.h"
#include "WebApps/WebBundleWriter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class QuorvaneControlling;

// Everything a command may use besides the config file: who asks, where, and how to reach live windows.
struct CommandContext {
    // Seconds since 1970.
    double now = 0;
    // Whether a person can answer a confirmation question.
    bool interactive = false;
    // The home folder and every place built from it.
    QuorvanePaths paths;
    // The web-host executable written into generated bundles.
    std::optional<std::string> hostBinary;
    std::string skillText;
    std::vector<std::string> manifestFolders;
    // Whether a word without a dot is an application's identifier: the tool looks for an installed desktop
    // file, the application also asks its running applications. Absent, only dotted words are identifiers.
    ApplicationIdCheck isApplicationId;
    // `doctor`'s config row as the caller found the file on disk; absent, the file handed in is the one on
    // disk and it parsed.
    std::optional<DoctorCheck> configCheck;
    // Absent when no application is running; not owned.
    QuorvaneControlling* controller = nullptr;
    // The release feed this installation checks; absent when updates come from the package manager.
    std::optional<std::string> updateFeed;
    // Asks the confirmation question; answers no unless told otherwise.
    std::function<bool(const std::string& prompt)> confirm = [](const std::string&) { return false; };
    // Fetches a site icon for a new web app; may give nothing.
    std::function<std::optional<std::string>(const std::string& url)> iconForURL
        = [](const std::string&) { return std::nullopt; };
    // Runs one external tool (signing and registering web-app bundles) and waits for it.
    WebBundleWriter::ToolRunner runTool = &WebBundleWriter::run;
};

} // namespace quorvane
