#pragma once

#include <optional>
#include <string>

namespace quorvane {

struct QuorvaneConfig;
struct QuorvanePaths;
struct RunningApplication;
struct WebAppRecord;

// Where the files of a configured web app are, and how the desktop knows it while it runs.
namespace WebAppLocations {

// The configured web app with this bundle identifier, or none.
const WebAppRecord* webApp(const QuorvaneConfig&, const std::string& bundleIdentifier);

// The web app's bundle in the web-apps folder, whether or not it exists; none when its name cannot be a
// bundle's (a hand-edited "../x").
std::optional<std::string> bundlePath(const QuorvanePaths&, const WebAppRecord&);

// What the desktop opens to launch the configured web app with this bundle identifier: its launcher entry,
// else the host executable in its bundle. None when no such web app is configured, its bundle is not on
// disk, or neither of the two exists.
std::optional<std::string> launchLocation(
    const QuorvanePaths&, const QuorvaneConfig&, const std::string& bundleIdentifier);

// Whether `application` is an instance of the app with this bundle identifier; the desktop names a web app
// by the escaped form of its bundle identifier.
bool isInstance(const RunningApplication& application, const std::string& bundleIdentifier);

// The bundle identifier of the configured web app the desktop names `desktopName` (the escaped form of that
// identifier); `desktopName` itself when it names no web app so.
std::string bundleIdentifierOf(const QuorvaneConfig&, const std::string& desktopName);

} // namespace WebAppLocations

} // namespace quorvane
