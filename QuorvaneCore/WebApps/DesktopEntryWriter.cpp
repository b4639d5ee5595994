#include "WebApps/DesktopEntryWriter.h"

#include "Configuration/DesktopEntryEscaping.h"
#include "Resources/BundledResource.h"
#include "Support/AtomicFile.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "WebApps/DesktopIdentifier.h"
#include "WebApps/ICNSReader.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebBundleWriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace quorvane {

namespace fs = std::filesystem;

namespace {

constexpr mode_t fileMode = 0644;

// The sizes the hicolor theme lists; an image of another size is named by its path instead.
constexpr std::array themeSizes = { 16, 22, 24, 32, 48, 64, 96, 128, 256, 512 };

// The images to install: `icon` itself when it is a square PNG, else those of `icon` as an icon file, else
// those of the fallback artwork.
std::map<int, std::string> iconImages(std::string_view icon)
{
    if (int edge = ICNSReader::squarePNGEdge(icon))
        return { { edge, std::string(icon) } };
    std::map<int, std::string> images = ICNSReader::pngImages(icon);
    if (images.empty())
        images = ICNSReader::pngImages(BundledResource::data("FallbackIcon.icns").value_or(std::string_view()));
    return images;
}

// A file name made from a desktop identifier; refuses anything that could leave its folder.
std::string requireFileName(std::string name)
{
    if (name.empty() || name.starts_with('.') || name.find('/') != std::string::npos)
        throw QuorvaneError::usage(name + " cannot name a file of the desktop.");
    return name;
}

// The largest launcher entry read to learn whose it is.
constexpr size_t entrySizeLimit = 1024 * 1024;

} // namespace

DesktopEntryWriter::DesktopEntryWriter(QuorvanePaths paths)
    : m_paths(std::move(paths))
{
}

std::string DesktopEntryWriter::entryPath(const std::string& bundleIdentifier) const
{
    return m_paths.desktopEntriesDirectory() + "/" + requireFileName(desktopIdentifier(bundleIdentifier) + ".desktop");
}

std::string DesktopEntryWriter::iconPath(const std::string& bundleIdentifier, int edge) const
{
    std::string size = std::to_string(edge) + "x" + std::to_string(edge);
    return m_paths.iconThemeDirectory() + "/" + size + "/apps/"
        + requireFileName(desktopIdentifier(bundleIdentifier) + ".png");
}

void DesktopEntryWriter::install(const WebAppBundlePlan& plan, std::string_view icon) const
{
    if (heldByAnother(plan.bundleIdentifier)) {
        throw QuorvaneError::conflict(entryPath(plan.bundleIdentifier)
            + " belongs to another application, so it was left as it was. Give " + plan.name
            + " a bundle_id of its own.");
    }
    std::map<int, std::string> images = iconImages(icon);
    bool themed = false;
    for (const auto& [edge, png] : images) {
        AtomicFile::write(png, iconPath(plan.bundleIdentifier, edge), fileMode);
        themed = themed || std::ranges::find(themeSizes, edge) != themeSizes.end();
    }
    // Desktops look icons up only in the theme's own sizes; any other size is named by its file.
    std::string iconName = desktopIdentifier(plan.bundleIdentifier);
    if (!themed && !images.empty())
        iconName = iconPath(plan.bundleIdentifier, images.rbegin()->first);
    AtomicFile::write(entryText(plan, iconName), entryPath(plan.bundleIdentifier), fileMode);
}

void DesktopEntryWriter::remove(const std::string& bundleIdentifier) const
{
    // Its icons have no mark of their own: they share the name of the entry, and stay with it.
    if (heldByAnother(bundleIdentifier))
        return;
    fs::remove(entryPath(bundleIdentifier));
    for (int edge : installedEdges(bundleIdentifier))
        fs::remove(iconPath(bundleIdentifier, edge));
}

bool DesktopEntryWriter::heldByAnother(const std::string& bundleIdentifier) const
{
    std::string path = entryPath(bundleIdentifier);
    std::error_code error;
    // A link holds nothing of its own and is replaced like an absent file.
    if (!fs::is_regular_file(fs::symlink_status(path, error)))
        return false;
    std::string mark = "\n" + std::string(bundleMarkKey) + "=" + DesktopEntryEscaping::string(bundleIdentifier) + "\n";
    std::optional<std::string> text = FileContents::readIfReadable(path, entrySizeLimit);
    return !text || ("\n" + *text + "\n").find(mark) == std::string::npos;
}

std::optional<std::string> DesktopEntryWriter::installedIcon(const std::string& bundleIdentifier, int edge) const
{
    std::set<int> edges = installedEdges(bundleIdentifier);
    if (edges.empty())
        return std::nullopt;
    auto atLeast = edges.lower_bound(edge);
    return iconPath(bundleIdentifier, atLeast != edges.end() ? *atLeast : *edges.rbegin());
}

std::set<int> DesktopEntryWriter::installedEdges(const std::string& bundleIdentifier) const
{
    std::set<int> edges;
    std::error_code error;
    for (const fs::directory_entry& size : fs::directory_iterator(m_paths.iconThemeDirectory(), error)) {
        std::string name = size.path().filename().string();
        size_t cross = name.find('x');
        bool digits = cross > 0 && cross < 5 && std::all_of(name.begin(), name.begin() + cross, ::isdigit);
        if (!digits || name.substr(0, cross) != name.substr(cross + 1))
            continue;
        int edge = std::stoi(name.substr(0, cross));
        if (fs::exists(iconPath(bundleIdentifier, edge), error))
            edges.insert(edge);
    }
    return edges;
}

std::string DesktopEntryWriter::entryText(const WebAppBundlePlan& plan, const std::string& iconName)
{
    std::string id = desktopIdentifier(plan.bundleIdentifier);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name="
        + DesktopEntryEscaping::string(plan.name) + "\nComment=" + DesktopEntryEscaping::string(plan.url)
        + "\nExec=" + DesktopEntryEscaping::execArgument(webHostExecutable(plan.bundlePath)) + "\nIcon="
        + DesktopEntryEscaping::string(iconName) + "\nTerminal=false\nStartupNotify=true\nStartupWMClass=" + id
        + "\nCategories=Network;\n" + bundleMarkKey + "=" + DesktopEntryEscaping::string(plan.bundleIdentifier) + "\n";
}

} // namespace quorvane
