#include "Platforms/X11/X11DisplayReader.h"

#include "Platforms/X11/DockStrut.h"
#include "Platforms/X11/X11Connection.h"
#include "QuorvaneApp/Platform/MainLoop.h"

#include <xcb/randr.h>

#include <algorithm>
#include <optional>

namespace quorvane {

X11DisplayReader::X11DisplayReader(X11Connection& connection, MainLoop& mainLoop)
    : m_connection(connection)
    , m_mainLoop(mainLoop)
{
}

struct X11DisplayReader::MonitorRequest {
    xcb_randr_get_monitors_cookie_t cookie;
};

std::vector<DisplayFacts> X11DisplayReader::read(const std::vector<uint32_t>* clients)
{
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    // The monitors and the clients' struts in one round trip when the clients are known; otherwise the client
    // list comes first.
    std::optional<MonitorRequest> monitors = requestMonitors();
    std::vector<uint32_t> clientList;
    if (clients)
        clientList = *clients;
    else
        clientList = readCardinals(xcb, m_connection.root(), ewmh->_NET_CLIENT_LIST, 65536);
    std::vector<xcb_get_property_cookie_t> partial, plain;
    for (xcb_window_t window : clientList) {
        partial.push_back(requestProperty(xcb, window, ewmh->_NET_WM_STRUT_PARTIAL, 12));
        plain.push_back(requestProperty(xcb, window, ewmh->_NET_WM_STRUT, 4));
    }
    std::vector<DisplayFacts> displays = collectMonitors(monitors);
    std::vector<std::vector<uint32_t>> struts;
    for (size_t i = 0; i < clientList.size(); ++i) {
        std::vector<uint32_t> values = cardinals(propertyReply(xcb, partial[i]));
        std::vector<uint32_t> fallback = cardinals(propertyReply(xcb, plain[i]));
        struts.push_back(values.empty() ? std::move(fallback) : std::move(values));
    }
    return withStruts(std::move(displays), struts);
}

std::vector<DisplayFacts> X11DisplayReader::read(const std::vector<std::vector<uint32_t>>& struts)
{
    return withStruts(collectMonitors(requestMonitors()), struts);
}

std::optional<X11DisplayReader::MonitorRequest> X11DisplayReader::requestMonitors()
{
    if (!m_connection.hasRandr() || (m_monitors && m_mainLoop.isMainThread()))
        return std::nullopt;
    return MonitorRequest { xcb_randr_get_monitors(m_connection.xcb(), m_connection.root(), 1) };
}

std::vector<DisplayFacts> X11DisplayReader::collectMonitors(std::optional<MonitorRequest> request)
{
    bool mainThread = m_mainLoop.isMainThread();
    if (!request && m_monitors && mainThread)
        return *m_monitors;
    xcb_connection_t* xcb = m_connection.xcb();
    XReply<xcb_randr_get_monitors_reply_t> monitors;
    if (request)
        monitors = fetchReply<xcb_randr_get_monitors_reply_t>(xcb, xcb_randr_get_monitors_reply, request->cookie);

    // Monitor names are atoms, read once.
    std::vector<DisplayFacts> displays;
    struct NameRequest {
        size_t display;
        xcb_atom_t atom;
        xcb_get_atom_name_cookie_t cookie;
    };
    std::vector<NameRequest> names;
    if (monitors) {
        for (auto each = xcb_randr_get_monitors_monitors_iterator(monitors.reply); each.rem;
             xcb_randr_monitor_info_next(&each)) {
            const xcb_randr_monitor_info_t& monitor = *each.data;
            DisplayFacts display;
            display.frame = { double(monitor.x), double(monitor.y), double(monitor.width), double(monitor.height) };
            display.visibleFrame = display.frame;
            display.isMain = monitor.primary;
            if (auto known = m_atomNames.find(monitor.name); mainThread && known != m_atomNames.end())
                display.name = known->second;
            else
                names.push_back({ displays.size(), monitor.name, xcb_get_atom_name(xcb, monitor.name) });
            displays.push_back(display);
        }
    }
    for (const NameRequest& name : names) {
        auto reply = fetchReply<xcb_get_atom_name_reply_t>(xcb, xcb_get_atom_name_reply, name.cookie);
        if (!reply)
            continue;
        std::string& text = displays[name.display].name;
        text = std::string(
            xcb_get_atom_name_name(reply.reply), static_cast<size_t>(xcb_get_atom_name_name_length(reply.reply)));
        // An atom's name never changes.
        if (mainThread)
            m_atomNames[name.atom] = text;
    }
    if (displays.empty()) {
        DisplayFacts screen;
        screen.name = "screen";
        screen.frame = { 0, 0, double(m_connection.rootWidth()), double(m_connection.rootHeight()) };
        screen.visibleFrame = screen.frame;
        screen.isMain = true;
        displays.push_back(screen);
    }
    if (std::none_of(displays.begin(), displays.end(), [](const DisplayFacts& display) { return display.isMain; }))
        displays.front().isMain = true;
    if (mainThread)
        m_monitors = displays;
    return displays;
}

std::vector<DisplayFacts> X11DisplayReader::withStruts(
    std::vector<DisplayFacts> displays, const std::vector<std::vector<uint32_t>>& values)
{
    // The visible frames: every monitor without the bands its docks reserve.
    std::vector<DockStrut> struts;
    for (const std::vector<uint32_t>& each : values) {
        if (auto strut = DockStrut::fromValues(each, m_connection.rootWidth(), m_connection.rootHeight()))
            struts.push_back(*strut);
    }
    for (DisplayFacts& display : displays)
        display.visibleFrame = visibleFrame(display.frame, struts);
    return displays;
}

} // namespace quorvane
