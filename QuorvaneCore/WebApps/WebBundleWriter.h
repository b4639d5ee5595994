#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct WebAppBundlePlan;

// The outcome of comparing a bundle's embedded web host with the shipped one.
enum class HostRefresh { current, refresh, waitUntilQuit };

// One installed web app that carries a web host executable.
struct InstalledWebHost {
    std::string bundlePath;
    std::string bundleIdentifier;

    friend bool operator==(const InstalledWebHost&, const InstalledWebHost&) = default;
};

// Writes, updates, signs, registers and removes web-app bundles. Every operation refuses a bundle path
// whose last part is not a safe web app name + ".app" (see WebAppName); file-system failures are thrown.
class WebBundleWriter {
public:
    // Runs one external tool (its path first, then its arguments) and waits for it.
    using ToolRunner = std::function<void(const std::vector<std::string>& command)>;

    // Whether this system has codesign and lsregister, which sign and register bundles, as programs it can run.
    static bool systemSignsBundles();

    // Signs and registers with the system tools through `run`, where the system has them.
    WebBundleWriter();
    // With `signs` false, signing and registering are skipped and `runner` is never called.
    explicit WebBundleWriter(ToolRunner runner, bool signs = systemSignsBundles());

    // Creates or overwrites the bundle; with an existing host executable, copies it in, then signs and registers.
    void install(
        const WebAppBundlePlan&, const std::optional<std::string>& hostExecutable, std::string_view icon) const;
    // Rewrites Info.plist and stub.json of an existing bundle, then signs and registers; nothing without Contents.
    void refreshDetails(const std::string& bundlePath, const WebAppBundlePlan&) const;
    // Replaces the bundle's host with `shippedHost`, then signs and registers; nothing when either is missing.
    void refreshHost(
        const std::string& bundlePath, const std::string& shippedHost, const std::string& bundleIdentifier) const;
    // Deletes the bundle folder if it exists.
    void remove(const std::string& bundlePath) const;
    // Runs codesign, then lsregister; nothing on a system without them.
    void signAndRegister(const std::string& bundlePath, const std::string& bundleIdentifier) const;

    // The trimmed, non-empty CFBundleIdentifier of the bundle's Info.plist (XML or binary), or nothing.
    static std::optional<std::string> bundleIdentifier(const std::string& bundlePath);
    // The bundle's icon file, or empty when it cannot be read.
    static std::string icon(const std::string& bundlePath);
    // codesign with an ad-hoc signature and the identifier forced; the tool comes first.
    static std::vector<std::string> codesignArguments(
        const std::string& bundlePath, const std::string& bundleIdentifier);
    // Starts the tool with its output discarded and waits; a tool that cannot start is ignored.
    static void run(const std::vector<std::string>& command);

private:
    ToolRunner m_runner;
    bool m_signs;
};

// The web host executable inside a bundle.
std::string webHostExecutable(const std::string& bundlePath);

// Whether a bundle's host (its digest, if readable) must be replaced now, after the app quits, or not at all.
HostRefresh hostRefresh(
    const std::optional<std::string>& embeddedDigest, const std::string& currentDigest, bool running);

} // namespace quorvane
