#pragma once

#include "Configuration/QuorvanePaths.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace quorvane {

struct WebAppBundlePlan;

// Makes a web app a desktop application: a launcher entry named by the web app's desktop identifier in the
// desktop's applications folder, starting the bundle's host, and its icon in the user's icon theme. Every
// file name comes from `desktopIdentifier`, which holds no "/" and never starts with ".", so nothing can be
// written outside those two folders; a symbolic link found where a file goes is replaced, never followed.
// An entry that does not carry the web app's mark is another application's: it and its icons are never
// written over or deleted.
class DesktopEntryWriter {
public:
    // The key that marks an entry as the one written for a bundle identifier.
    static constexpr const char* bundleMarkKey = "X-Quorvane-BundleIdentifier";

    explicit DesktopEntryWriter(QuorvanePaths paths);

    // Writes the entry and the icon images of `icon`: a square PNG image itself, or the PNG images of an icon
    // file, or else those of the fallback artwork. Another application's entry at the place is a conflict,
    // thrown before anything is written; file-system failures are thrown.
    void install(const WebAppBundlePlan&, std::string_view icon) const;
    // Deletes the entry and every icon image of the web app; nothing when they are absent or another
    // application's.
    void remove(const std::string& bundleIdentifier) const;

    // The launcher entry of the web app with this bundle identifier.
    std::string entryPath(const std::string& bundleIdentifier) const;
    // Its icon image of `edge` pixels.
    std::string iconPath(const std::string& bundleIdentifier, int edge) const;
    // Of its installed icon images, the smallest of at least `edge` pixels, else the largest; none when none is.
    std::optional<std::string> installedIcon(const std::string& bundleIdentifier, int edge) const;

    // The entry's text; `iconName` is what its Icon key names.
    static std::string entryText(const WebAppBundlePlan&, const std::string& iconName);

private:
    // Whether a file at the entry's place lacks this web app's mark.
    bool heldByAnother(const std::string& bundleIdentifier) const;
    // The edges of its icon images on disk.
    std::set<int> installedEdges(const std::string& bundleIdentifier) const;

    QuorvanePaths m_paths;
};

} // namespace quorvane
