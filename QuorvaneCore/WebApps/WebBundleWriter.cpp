#include "WebApps/WebBundleWriter.h"

#include "Support/AtomicFile.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebAppName.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <plist/plist.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quorvane {

namespace fs = std::filesystem;

namespace {

constexpr mode_t fileMode = 0644;
constexpr auto executablePermissions = fs::perms(0755);
constexpr const char* codesign = "/usr/bin/codesign";
constexpr const char* lsregister = "/System/Library/Frameworks/CoreServices.framework/Frameworks/"
                                   "LaunchServices.framework/Support/lsregister";

std::string contentsPath(const std::string& bundlePath, std::string_view part)
{
    return (fs::path(bundlePath) / "Contents" / part).string();
}

// Links inside a bundle are replaced, never followed: a planted `Contents` or `Info.plist` link must not
// steer a write to a file elsewhere.
void makeFolders(const std::string& bundlePath, std::initializer_list<std::string_view> parts)
{
    AtomicFile::makeFolder(bundlePath);
    AtomicFile::makeFolder((fs::path(bundlePath) / "Contents").string());
    for (std::string_view part : parts)
        AtomicFile::makeFolder(contentsPath(bundlePath, part));
}

void writeDetails(const std::string& bundlePath, const WebAppBundlePlan& plan)
{
    makeFolders(bundlePath, { "Resources" });
    AtomicFile::write(plan.infoPlist(), contentsPath(bundlePath, "Info.plist"), fileMode);
    AtomicFile::write(plan.stubJSON(), contentsPath(bundlePath, "Resources/stub.json"), fileMode);
}

void copyHost(const std::string& source, const std::string& bundlePath)
{
    fs::path destination = webHostExecutable(bundlePath);
    makeFolders(bundlePath, { "MacOS" });
    fs::remove(destination);
    fs::copy_file(source, destination);
    fs::permissions(destination, executablePermissions, fs::perm_options::replace);
}

} // namespace

bool WebBundleWriter::systemSignsBundles()
{
    return access(codesign, X_OK) == 0 && access(lsregister, X_OK) == 0;
}

WebBundleWriter::WebBundleWriter()
    : WebBundleWriter(&WebBundleWriter::run)
{
}

WebBundleWriter::WebBundleWriter(ToolRunner runner, bool signs)
    : m_runner(std::move(runner))
    , m_signs(signs)
{
}

void WebBundleWriter::install(
    const WebAppBundlePlan& plan, const std::optional<std::string>& hostExecutable, std::string_view icon) const
{
    WebAppName::requireSafeBundlePath(plan.bundlePath);
    makeFolders(plan.bundlePath, { "MacOS", "Resources" });
    writeDetails(plan.bundlePath, plan);
    AtomicFile::write(icon, contentsPath(plan.bundlePath, "Resources/AppIcon.icns"), fileMode);
    if (!hostExecutable || !fs::exists(*hostExecutable))
        return;
    copyHost(*hostExecutable, plan.bundlePath);
    signAndRegister(plan.bundlePath, plan.bundleIdentifier);
}

void WebBundleWriter::refreshDetails(const std::string& bundlePath, const WebAppBundlePlan& plan) const
{
    WebAppName::requireSafeBundlePath(bundlePath);
    if (!fs::exists(fs::path(bundlePath) / "Contents"))
        return;
    writeDetails(bundlePath, plan);
    signAndRegister(bundlePath, plan.bundleIdentifier);
}

void WebBundleWriter::refreshHost(
    const std::string& bundlePath, const std::string& shippedHost, const std::string& bundleIdentifier) const
{
    WebAppName::requireSafeBundlePath(bundlePath);
    if (!fs::exists(shippedHost) || !fs::exists(fs::path(bundlePath) / "Contents"))
        return;
    copyHost(shippedHost, bundlePath);
    signAndRegister(bundlePath, bundleIdentifier);
}

void WebBundleWriter::remove(const std::string& bundlePath) const
{
    WebAppName::requireSafeBundlePath(bundlePath);
    // remove_all deletes a symbolic link itself, never what it points to.
    fs::remove_all(bundlePath);
}

void WebBundleWriter::signAndRegister(const std::string& bundlePath, const std::string& bundleIdentifier) const
{
    if (!m_signs)
        return;
    m_runner(codesignArguments(bundlePath, bundleIdentifier));
    m_runner({ lsregister, "-f", bundlePath });
}

std::optional<std::string> WebBundleWriter::bundleIdentifier(const std::string& bundlePath)
{
    std::optional<std::string> data = FileContents::readIfReadable(contentsPath(bundlePath, "Info.plist"));
    if (!data || data->empty() || data->size() > UINT32_MAX)
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(data->data(), static_cast<uint32_t>(data->size()), &root);
    std::unique_ptr<void, decltype(&plist_free)> owner(root, &plist_free);
    if (!root || plist_get_node_type(root) != PLIST_DICT)
        return std::nullopt;
    plist_t value = plist_dict_get_item(root, "CFBundleIdentifier");
    if (!value || plist_get_node_type(value) != PLIST_STRING)
        return std::nullopt;
    char* text = nullptr;
    plist_get_string_val(value, &text);
    std::unique_ptr<char, decltype(&std::free)> textOwner(text, &std::free);
    std::string identifier = text ? UnicodeText::trimmed(text) : std::string();
    if (identifier.empty())
        return std::nullopt;
    return identifier;
}

std::string WebBundleWriter::icon(const std::string& bundlePath)
{
    return FileContents::readIfReadable(contentsPath(bundlePath, "Resources/AppIcon.icns")).value_or("");
}

std::vector<std::string> WebBundleWriter::codesignArguments(
    const std::string& bundlePath, const std::string& bundleIdentifier)
{
    return { codesign, "--force", "--sign", "-", "--identifier", bundleIdentifier, bundlePath };
}

void WebBundleWriter::run(const std::vector<std::string>& command)
{
    if (command.empty())
        return;
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return;
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t child = 0;
    int started = posix_spawn(&child, command.front().c_str(), &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }
}

std::string webHostExecutable(const std::string& bundlePath)
{
    return (fs::path(bundlePath) / "Contents/MacOS" / executableName).string();
}

HostRefresh hostRefresh(
    const std::optional<std::string>& embeddedDigest, const std::string& currentDigest, bool running)
{
    if (embeddedDigest == currentDigest)
        return HostRefresh::current;
    return running ? HostRefresh::waitUntilQuit : HostRefresh::refresh;
}

} // namespace quorvane
