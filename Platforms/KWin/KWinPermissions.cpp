#include "Platforms/KWin/KWinPermissions.h"

#include "Platforms/KWin/KWinConnection.h"
#include "Platforms/KWin/KWinWindowSystem.h"
#include "Router/DoctorCheck.h"

#include <cstdlib>

namespace quorvane {

namespace {

constexpr const char* here = "on KDE Plasma on Wayland";

} // namespace

KWinPermissions::KWinPermissions(KWinConnection& connection, KWinWindowSystem& windows)
    : m_connection(connection)
    , m_windows(windows)
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    m_waylandDisplay = display ? display : "";
}

bool KWinPermissions::windowControlAllowed()
{
    return m_windows.reporting();
}

bool KWinPermissions::inputMonitoringAllowed()
{
    // KWin hands over exactly the keys its shortcuts ask for; no permission stands in the way.
    return true;
}

std::vector<DoctorCheck> KWinPermissions::checks()
{
    const KWinSupportInfo& kwin = m_connection.supportInfo();
    std::vector<DoctorCheck> checks;
    std::string display = m_waylandDisplay.empty() ? std::string() : ", Wayland display " + m_waylandDisplay;
    checks.push_back({ "display", DoctorCheck::Status::pass, "Running on " + kwin.desktopName() + display + "." });
    if (kwin.major >= 6)
        checks.push_back({ "kwin", DoctorCheck::Status::warn,
            "KWin " + kwin.version
                + " should work through its newer script interface, but Quorvane has been tested "
                  "with KWin 5.27 only." });
    if (m_windows.reporting())
        checks.push_back({ "windows", DoctorCheck::Status::pass, "Quorvane can move windows through a KWin script." });
    else
        checks.push_back({ "windows", DoctorCheck::Status::fail,
            "KWin does not run Quorvane's script now, so Quorvane cannot move windows." });
    checks.push_back({ "keys", DoctorCheck::Status::warn,
        std::string("Chords and the leader key are KWin shortcuts, listed in Plasma's shortcut settings as "
                    "\"Quorvane …\". Tile mode's keys and the leader's second key are taken from KWin only while "
                    "they act, so ")
            + here
            + " held keys do not repeat, Caps Lock as the leader still switches Caps Lock on and off, a key that "
              "completes no leader chord does not end the leader's wait, and the shortcut recorder cannot test a "
              "grab." });
    checks.push_back({ "overlay", DoctorCheck::Status::pass,
        "Tile mode's cheat sheet, window rings and notices are Wayland windows that KWin's script keeps above the "
        "others. KWin activates a window when it appears; the script hands activation straight back to the window "
        "that had it, so the panels never keep the keys." });
    return checks;
}

PermissionWording KWinPermissions::wording()
{
    PermissionWording wording;
    wording.windowControlName = "Window control through KWin";
    wording.windowControlHelp = "KWin did not run Quorvane's script. Check that scripting is enabled in KWin, then "
                                "come back: this step checks again every second.";
    wording.windowControlAllowed = "Quorvane can move windows through KWin.";
    wording.windowControlDenied = "Quorvane cannot move windows: KWin does not run its script.";
    wording.keyboardWatched = "The bare keys of tile mode work through KWin's shortcuts.";
    return wording;
}

} // namespace quorvane
