#include "Platforms/X11/X11Permissions.h"

#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11KeyboardTap.h"
#include "Router/DoctorCheck.h"

#include <algorithm>

namespace quorvane {

X11Permissions::X11Permissions(X11Connection& connection, X11KeyboardTap& keyboardTap)
    : m_connection(connection)
    , m_keyboardTap(keyboardTap)
{
}

X11PermissionFacts X11Permissions::facts()
{
    uint64_t generation = m_connection.windowManagerGeneration();
    if (!m_known || m_knownGeneration != generation) {
        m_known = windowManagerFacts();
        m_knownGeneration = generation;
    }
    X11PermissionFacts facts = *m_known;
    facts.tapMissing = m_keyboardTap.missing();
    return facts;
}

X11PermissionFacts X11Permissions::windowManagerFacts()
{
    X11PermissionFacts facts;
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    auto checkCookie = requestProperty(xcb, m_connection.root(), ewmh->_NET_SUPPORTING_WM_CHECK, 1);
    auto supportedCookie = requestProperty(xcb, m_connection.root(), ewmh->_NET_SUPPORTED, 4096);
    auto check = cardinals(propertyReply(xcb, checkCookie));
    auto supported = cardinals(propertyReply(xcb, supportedCookie));
    if (check.empty() || check.front() == XCB_WINDOW_NONE)
        return facts;
    // A window manager that has gone leaves the root's property behind; its check window names itself only
    // while it lives.
    xcb_window_t child = check.front();
    auto selfCookie = requestProperty(xcb, child, ewmh->_NET_SUPPORTING_WM_CHECK, 1);
    auto nameCookie = requestProperty(xcb, child, ewmh->_NET_WM_NAME, 256);
    auto self = cardinals(propertyReply(xcb, selfCookie));
    auto name = propertyText(propertyReply(xcb, nameCookie));
    if (self.empty() || self.front() != child)
        return facts;
    // Its check window goes with the window manager, and says so to the window system's event handler.
    uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(xcb, child, XCB_CW_EVENT_MASK, &structure);
    m_connection.flush();
    facts.windowManager = name && !name->empty() ? *name : std::string("the window manager");
    facts.takesMoveRequests
        = std::find(supported.begin(), supported.end(), ewmh->_NET_MOVERESIZE_WINDOW) != supported.end();
    return facts;
}

bool X11Permissions::windowControlAllowed()
{
    X11PermissionFacts now = facts();
    return now.windowManager && now.takesMoveRequests;
}

bool X11Permissions::inputMonitoringAllowed()
{
    return m_keyboardTap.available();
}

std::vector<DoctorCheck> X11Permissions::checks()
{
    std::vector<DoctorCheck> checks;
    checks.push_back(
        { "display", DoctorCheck::Status::pass, "Connected to the X display " + m_connection.displayName() + "." });
    X11PermissionFacts now = facts();
    if (now.windowManager && now.takesMoveRequests)
        checks.push_back(
            { "windows", DoctorCheck::Status::pass, "Quorvane can move windows through " + *now.windowManager + "." });
    else if (now.windowManager)
        checks.push_back({ "windows", DoctorCheck::Status::fail,
            *now.windowManager + " does not take _NET_MOVERESIZE_WINDOW requests, so Quorvane cannot move windows." });
    else
        checks.push_back({ "windows", DoctorCheck::Status::fail,
            "No EWMH window manager is running on " + m_connection.displayName()
                + ", so Quorvane cannot move windows." });
    return checks;
}

PermissionWording X11Permissions::wording()
{
    return wordingFor(facts());
}

PermissionWording X11Permissions::wordingFor(const X11PermissionFacts& facts)
{
    PermissionWording wording;
    wording.windowControlName = "Window control";
    if (!facts.windowManager)
        wording.windowControlHelp = "Start a window manager that supports EWMH (Openbox, Xfwm, Mutter, KWin and most "
                                    "others do), then come back: this step notices it within a second. In a Wayland "
                                    "session, Quorvane moves windows only through KWin.";
    else if (!facts.takesMoveRequests)
        wording.windowControlHelp = *facts.windowManager
            + " does not take move requests from other programs, so Quorvane cannot tile under it. Switch to a "
              "window manager that supports _NET_MOVERESIZE_WINDOW.";
    if (facts.windowManager && facts.takesMoveRequests)
        wording.windowControlAllowed = "Quorvane can move windows through " + *facts.windowManager + ".";
    else if (facts.windowManager)
        wording.windowControlDenied
            = "Quorvane cannot move windows: " + *facts.windowManager + " does not support _NET_MOVERESIZE_WINDOW.";
    else
        wording.windowControlDenied = "Quorvane cannot move windows: no EWMH window manager is running.";
    if (!facts.tapMissing.empty()) {
        wording.leaderKeyWaits = "Leader keys wait until the X server offers " + facts.tapMissing + ".";
        wording.tileModeWaits
            = "Tile mode uses the ctrl+opt chords until the X server offers " + facts.tapMissing + ".";
        wording.bareKeysWait = "The X server does not offer " + facts.tapMissing
            + ", so the bare keys wait until it does. The chords above still work.";
    }
    return wording;
}

} // namespace quorvane
