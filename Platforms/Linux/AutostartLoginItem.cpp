#include "Platforms/Linux/AutostartLoginItem.h"

#include "Configuration/DesktopEntryEscaping.h"
#include "Configuration/DesktopEntryLookup.h"
#include "Support/AtomicFile.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

namespace quorvane {

namespace {

constexpr mode_t entryMode = 0644;
// An autostart entry is a few hundred bytes; anything far larger is not one of ours.
constexpr size_t entrySizeLimit = 64 * 1024;

// Line breaks and tabs have escapes in a desktop file; other control characters and bytes that are not UTF-8
// cannot be written at all.
void requireUsablePath(const std::string& path)
{
    bool control = std::any_of(path.begin(), path.end(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f;
    });
    bool utf8 = UnicodeText::isValidUTF8(path);
    if (!path.starts_with('/') || control || !utf8)
        throw std::system_error(EINVAL, std::generic_category(),
            "An autostart entry cannot start " + (utf8 ? path : std::string("this executable")));
}

} // namespace

AutostartLoginItem::AutostartLoginItem(std::string autostartDirectory, std::string executable, LogLine logLine)
    : m_directory(std::move(autostartDirectory))
    , m_executable(std::move(executable))
    , m_logLine(std::move(logLine))
{
}

std::string AutostartLoginItem::entryPath() const
{
    return m_directory + "/quorvane.desktop";
}

std::string AutostartLoginItem::entryText(const std::string& executable)
{
    requireUsablePath(executable);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quorvane\n"
           "Comment=Keyboard-driven window management\n"
           "Exec="
        + DesktopEntryEscaping::execArgument(executable)
        + "\n"
          // A removed application leaves an entry that the session then skips.
          "TryExec="
        + DesktopEntryEscaping::string(executable)
        + "\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n"
        + markKey + "=true\n";
}

void AutostartLoginItem::setEnabled(bool enabled)
{
    try {
        apply(enabled);
    } catch (const std::system_error& error) {
        if (m_logLine)
            m_logLine("Quorvane could not change its login item " + entryPath() + ": " + error.what());
    }
}

void AutostartLoginItem::apply(bool enabled)
{
    std::string path = entryPath();
    std::optional<std::string> existing;
    bool foreign = false;
    try {
        existing = FileContents::readIfPresent(path, entrySizeLimit);
    } catch (const QuorvaneError&) {
        // A folder, a device or an oversized file stands there: nothing Quorvane wrote.
        foreign = true;
    }
    if (existing)
        foreign = DesktopEntryLookup::entryValue(*existing, markKey) != "true";
    if (foreign) {
        // Someone's own entry by that name stays; whatever it starts is what the session starts.
        if (enabled && m_logLine)
            m_logLine("launch_at_login is on, but " + path + " is not Quorvane's, so it was left as it was.");
        return;
    }

    if (!enabled) {
        if (existing)
            std::filesystem::remove(path);
        return;
    }
    std::string text = entryText(m_executable);
    if (existing != text)
        AtomicFile::write(text, path, entryMode);
}

} // namespace quorvane
