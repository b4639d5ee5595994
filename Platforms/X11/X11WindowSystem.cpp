#include "Platforms/X11/X11WindowSystem.h"

#include "Platforms/X11/DockStrut.h"
#include "Platforms/X11/MaximisedRelease.h"
#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11EventSource.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "Support/UnicodeText.h"

#include <glib.h>
#include <xcb/randr.h>
#include <xcb/res.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <unistd.h>

namespace quorvane {

namespace {

// Longest text property read, in 32-bit units.
constexpr uint32_t textLength = 1024;
constexpr uint32_t allDesktops = 0xFFFFFFFF;
// _NET_MOVERESIZE_WINDOW flags: north-west gravity, x, y, width and height given, sent by a tool.
constexpr uint32_t moveResizeFlags
    = XCB_GRAVITY_NORTH_WEST | (1u << 8) | (1u << 9) | (1u << 10) | (1u << 11) | (2u << 12);
constexpr uint32_t sourceTool = 2;

bool contains(const std::vector<uint32_t>& values, uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

std::string windowId(xcb_window_t window)
{
    return "x11:" + std::to_string(window);
}

} // namespace

// One managed client as read in a single pipelined pass.
struct X11WindowSystem::Client {
    xcb_window_t window = 0;
    bool readable = false;
    bool viewable = false;
    // Client area in root coordinates.
    Frame client;
    std::vector<uint32_t> types;
    std::vector<uint32_t> states;
    std::optional<uint32_t> desktop;
    bool transient = false;
    std::vector<uint32_t> extents;
    // The window manager has taken the window in (ICCCM WM_STATE).
    bool wmState = false;
    std::optional<std::string> netName;
    std::optional<std::string> name;
    std::optional<std::string> declaredApplication;
    std::string instance;
    std::string className;
    int32_t pid = 0;

    // Shown, titled and taken in by the window manager. Until then the window is being set up: a program
    // may map its window first and name it a moment later.
    bool ready() const { return viewable && (netName || name) && (wmState || extents.size() == 4); }

    Frame outerFrame() const
    {
        double left = 0, right = 0, top = 0, bottom = 0;
        if (extents.size() == 4) {
            left = extents[0];
            right = extents[1];
            top = extents[2];
            bottom = extents[3];
        }
        return { client.x - left, client.y - top, client.width + left + right, client.height + top + bottom };
    }
};

X11WindowSystem::X11WindowSystem(X11Connection& connection, MainLoop& mainLoop)
    : m_connection(connection)
    , m_mainLoop(mainLoop)
    , m_self(std::make_shared<X11WindowSystem*>(this))
    , m_ownPid(static_cast<int32_t>(::getpid()))
{
    xcb_connection_t* xcb = m_connection.xcb();
    uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(xcb, m_connection.root(), XCB_CW_EVENT_MASK, &mask);
    if (m_connection.hasRandr())
        xcb_randr_select_input(xcb, m_connection.root(),
            XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE
                | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    m_connection.flush();
    m_events = std::make_unique<X11EventSource>(
        m_connection, [this](const xcb_generic_event_t& event) { handleEvent(&event); },
        [this] {
            if (m_lostHandler)
                m_lostHandler();
        });
}

X11WindowSystem::~X11WindowSystem() = default;

void X11WindowSystem::handleEvent(const void* raw)
{
    const auto& event = *static_cast<const xcb_generic_event_t*>(raw);
    uint8_t type = event.response_type & 0x7F;
    bool changed = false;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        m_connection.noteTime(property.time);
        xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
        if (property.window == m_connection.root())
            changed = property.atom == ewmh->_NET_CLIENT_LIST || property.atom == ewmh->_NET_SUPPORTING_WM_CHECK;
        else
            changed = m_watched.contains(property.window)
                && (property.atom == ewmh->_NET_WM_NAME || property.atom == XCB_ATOM_WM_NAME
                    || property.atom == ewmh->_NET_FRAME_EXTENTS || property.atom == m_connection.wmState());
    } else if (type == XCB_MAP_NOTIFY) {
        changed = m_watched.contains(reinterpret_cast<const xcb_map_notify_event_t&>(event).window);
    } else if (type == XCB_CONFIGURE_NOTIFY) {
        changed = reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == m_connection.root();
    } else if (m_connection.hasRandr() && type >= m_connection.randrEventBase()
        && type <= m_connection.randrEventBase() + XCB_RANDR_NOTIFY) {
        changed = true;
    }
    // Several notices in one burst make one census.
    if (changed && m_changeHandler && !m_changePosted) {
        m_changePosted = true;
        m_mainLoop.post([self = std::weak_ptr(m_self)] {
            auto alive = self.lock();
            if (!alive)
                return;
            X11WindowSystem& system = **alive;
            system.m_changePosted = false;
            if (system.m_changeHandler)
                system.m_changeHandler();
        });
    }
}

void X11WindowSystem::wakeIfWorker()
{
    if (!m_mainLoop.isMainThread())
        m_events->wake();
}

std::vector<X11WindowSystem::Client> X11WindowSystem::readClients(const std::vector<uint32_t>& windows)
{
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    struct Requests {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_get_property_cookie_t type, state, desktop, transient, extents, wmState, netName, name, gtkId, kdeFile, pid,
            wmClass;
    };
    std::vector<Requests> requests;
    requests.reserve(windows.size());
    // Every request goes out before the first reply is read: one round trip for the whole list.
    for (xcb_window_t window : windows) {
        requests.push_back({
            xcb_get_window_attributes(xcb, window),
            xcb_get_geometry(xcb, window),
            xcb_translate_coordinates(xcb, window, m_connection.root(), 0, 0),
            requestProperty(xcb, window, ewmh->_NET_WM_WINDOW_TYPE),
            requestProperty(xcb, window, ewmh->_NET_WM_STATE),
            requestProperty(xcb, window, ewmh->_NET_WM_DESKTOP, 1),
            requestProperty(xcb, window, XCB_ATOM_WM_TRANSIENT_FOR, 1),
            requestProperty(xcb, window, ewmh->_NET_FRAME_EXTENTS, 4),
            requestProperty(xcb, window, m_connection.wmState(), 2),
            requestProperty(xcb, window, ewmh->_NET_WM_NAME, textLength),
            requestProperty(xcb, window, XCB_ATOM_WM_NAME, textLength),
            requestProperty(xcb, window, m_connection.gtkApplicationId(), textLength),
            requestProperty(xcb, window, m_connection.kdeDesktopFile(), textLength),
            requestProperty(xcb, window, ewmh->_NET_WM_PID, 1),
            requestProperty(xcb, window, XCB_ATOM_WM_CLASS, textLength),
        });
    }

    std::vector<Client> clients(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        Requests& request = requests[i];
        Client& client = clients[i];
        client.window = windows[i];
        auto attributes
            = fetchReply<xcb_get_window_attributes_reply_t>(xcb, xcb_get_window_attributes_reply, request.attributes);
        auto geometry = fetchReply<xcb_get_geometry_reply_t>(xcb, xcb_get_geometry_reply, request.geometry);
        auto origin
            = fetchReply<xcb_translate_coordinates_reply_t>(xcb, xcb_translate_coordinates_reply, request.origin);
        client.readable = attributes && geometry && origin;
        if (client.readable) {
            client.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            client.client
                = { double(origin->dst_x), double(origin->dst_y), double(geometry->width), double(geometry->height) };
        }
        client.types = cardinals(propertyReply(xcb, request.type));
        client.states = cardinals(propertyReply(xcb, request.state));
        if (std::vector<uint32_t> desktop = cardinals(propertyReply(xcb, request.desktop)); !desktop.empty())
            client.desktop = desktop.front();
        std::vector<uint32_t> transient = cardinals(propertyReply(xcb, request.transient));
        client.transient = !transient.empty() && transient.front() != XCB_WINDOW_NONE;
        client.extents = cardinals(propertyReply(xcb, request.extents));
        client.wmState = !cardinals(propertyReply(xcb, request.wmState)).empty();
        client.netName = propertyText(propertyReply(xcb, request.netName));
        client.name = propertyText(propertyReply(xcb, request.name));
        auto gtkId = propertyText(propertyReply(xcb, request.gtkId));
        auto kdeFile = propertyText(propertyReply(xcb, request.kdeFile));
        if (gtkId && !gtkId->empty())
            client.declaredApplication = *gtkId;
        else if (kdeFile && !kdeFile->empty())
            client.declaredApplication = ApplicationIds::idOfDesktopFile(*kdeFile);
        if (std::vector<uint32_t> pid = cardinals(propertyReply(xcb, request.pid)); !pid.empty())
            client.pid = static_cast<int32_t>(pid.front());
        // WM_CLASS holds two NUL-terminated strings: the instance, then the class. Its type says Latin-1, but
        // programs write UTF-8 there too, and the ids read so stand in users' rules: UTF-8 is kept as it is,
        // any other bytes are read as Latin-1, so that no invalid text reaches a command or the config file.
        if (auto wmClass = propertyReply(xcb, request.wmClass); wmClass && wmClass->format == 8) {
            std::string both(static_cast<const char*>(xcb_get_property_value(wmClass.reply)),
                static_cast<size_t>(xcb_get_property_value_length(wmClass.reply)));
            size_t split = both.find('\0');
            client.instance = UnicodeText::utf8OrLatin1(both.substr(0, split));
            if (split != std::string::npos)
                client.className = UnicodeText::utf8OrLatin1(both.c_str() + split + 1);
        }
    }

    // Clients that do not say their pid: ask the server which process holds their connection, once per window
    // (the connection that made a window never changes).
    bool mainThread = m_mainLoop.isMainThread();
    if (m_connection.hasRes()) {
        std::vector<std::pair<size_t, xcb_res_query_client_ids_cookie_t>> queries;
        for (size_t i = 0; i < clients.size(); ++i) {
            if (clients[i].pid != 0 || !clients[i].readable)
                continue;
            if (auto known = m_connectionPids.find(clients[i].window); mainThread && known != m_connectionPids.end()) {
                clients[i].pid = known->second;
                continue;
            }
            xcb_res_client_id_spec_t spec { clients[i].window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID };
            queries.emplace_back(i, xcb_res_query_client_ids(xcb, 1, &spec));
        }
        for (auto& [index, cookie] : queries) {
            auto reply = fetchReply<xcb_res_query_client_ids_reply_t>(xcb, xcb_res_query_client_ids_reply, cookie);
            if (!reply)
                continue;
            for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.reply); ids.rem;
                 xcb_res_client_id_value_next(&ids)) {
                if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
                    && xcb_res_client_id_value_value_length(ids.data) >= 1)
                    clients[index].pid = static_cast<int32_t>(*xcb_res_client_id_value_value(ids.data));
            }
            if (mainThread && clients[index].pid != 0)
                m_connectionPids[clients[index].window] = clients[index].pid;
        }
    }
    return clients;
}

WindowFacts X11WindowSystem::factsOf(const Client& client)
{
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    WindowFacts facts;
    facts.handle = WindowHandle { client.window };
    facts.id = windowId(client.window);
    facts.pid = client.pid;
    facts.bundleIdentifier = client.declaredApplication
        ? *client.declaredApplication
        : m_applicationIds.resolve(client.pid, client.instance, client.className);
    facts.title = client.netName ? *client.netName : client.name.value_or("");
    if (client.readable)
        facts.frame = client.outerFrame();

    // The first type the window lists that is known decides; a window without one is a normal window.
    std::optional<WindowKind> kind;
    for (uint32_t type : client.types) {
        if (type == ewmh->_NET_WM_WINDOW_TYPE_NORMAL)
            kind = WindowKind::standard;
        else if (type == ewmh->_NET_WM_WINDOW_TYPE_DIALOG)
            kind = WindowKind::dialog;
        else if (type == ewmh->_NET_WM_WINDOW_TYPE_UTILITY || type == ewmh->_NET_WM_WINDOW_TYPE_SPLASH
            || type == ewmh->_NET_WM_WINDOW_TYPE_TOOLBAR || type == ewmh->_NET_WM_WINDOW_TYPE_MENU
            || type == ewmh->_NET_WM_WINDOW_TYPE_DOCK || type == ewmh->_NET_WM_WINDOW_TYPE_DESKTOP
            || type == ewmh->_NET_WM_WINDOW_TYPE_NOTIFICATION || type == ewmh->_NET_WM_WINDOW_TYPE_DROPDOWN_MENU
            || type == ewmh->_NET_WM_WINDOW_TYPE_POPUP_MENU || type == ewmh->_NET_WM_WINDOW_TYPE_TOOLTIP
            || type == ewmh->_NET_WM_WINDOW_TYPE_COMBO || type == ewmh->_NET_WM_WINDOW_TYPE_DND)
            kind = WindowKind::other;
        if (kind)
            break;
    }
    if (!kind)
        kind = WindowKind::standard;
    // A window that belongs to another (WM_TRANSIENT_FOR) is that window's dialog, whatever type it says.
    if (client.transient && kind == WindowKind::standard)
        kind = WindowKind::dialog;
    facts.kind = kind;
    facts.minimized = contains(client.states, ewmh->_NET_WM_STATE_HIDDEN);
    facts.fullScreen = contains(client.states, ewmh->_NET_WM_STATE_FULLSCREEN);
    facts.ownWindow = client.pid == m_ownPid;
    facts.ready = client.ready();
    return facts;
}

std::vector<WindowFacts> X11WindowSystem::windows()
{
    // Outside the loop's work (a caller without a running loop) every call reads afresh.
    bool serving = g_main_depth() > 0;
    if (serving && m_listing)
        return *m_listing;
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    auto stackingCookie = requestProperty(xcb, m_connection.root(), ewmh->_NET_CLIENT_LIST_STACKING, 65536);
    auto desktopCookie = requestProperty(xcb, m_connection.root(), ewmh->_NET_CURRENT_DESKTOP, 1);
    std::vector<uint32_t> stacking = cardinals(propertyReply(xcb, stackingCookie));
    std::vector<uint32_t> current = cardinals(propertyReply(xcb, desktopCookie));
    if (stacking.empty())
        stacking = readCardinals(xcb, m_connection.root(), ewmh->_NET_CLIENT_LIST, 65536);
    // The stacking list runs bottom to top.
    std::reverse(stacking.begin(), stacking.end());

    std::vector<WindowFacts> result;
    std::set<uint32_t> unready;
    for (const Client& client : readClients(stacking)) {
        if (!client.readable)
            continue;
        if (client.desktop && !current.empty() && *client.desktop != allDesktops && *client.desktop != current.front())
            continue;
        bool minimised = contains(client.states, ewmh->_NET_WM_STATE_HIDDEN);
        if (!minimised && !client.ready())
            unready.insert(client.window);
        // An unmapped window is either minimised (and says so) or not really there yet.
        if (!client.viewable && !minimised)
            continue;
        result.push_back(factsOf(client));
    }
    if (m_mainLoop.isMainThread()) {
        watch(std::move(unready));
        // Kept while the window stays listed; a window id that has left the list may come back naming
        // another client's window.
        std::erase_if(m_connectionPids, [&](const auto& entry) {
            return std::find(stacking.begin(), stacking.end(), entry.first) == stacking.end();
        });
    }
    if (!serving)
        return result;
    m_listing = result;
    m_listedClients = std::move(stacking);
    forgetListingsAfterThisWork();
    return result;
}

void X11WindowSystem::watch(std::set<uint32_t> windows)
{
    xcb_connection_t* xcb = m_connection.xcb();
    bool changed = false;
    // Newly unready windows tell when they are mapped or get their title or decoration; the others no longer
    // (a window that has gone answers with an error, which is harmless).
    for (xcb_window_t window : windows) {
        if (m_watched.contains(window))
            continue;
        uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(xcb, window, XCB_CW_EVENT_MASK, &mask);
        changed = true;
    }
    for (xcb_window_t window : m_watched) {
        if (windows.contains(window))
            continue;
        uint32_t none = 0;
        xcb_change_window_attributes(xcb, window, XCB_CW_EVENT_MASK, &none);
        changed = true;
    }
    m_watched = std::move(windows);
    if (changed)
        m_connection.flush();
}

void X11WindowSystem::forgetListingsAfterThisWork()
{
    if (m_forgetPosted)
        return;
    m_forgetPosted = true;
    m_mainLoop.post([self = std::weak_ptr(m_self)] {
        auto alive = self.lock();
        if (!alive)
            return;
        X11WindowSystem& system = **alive;
        system.m_listing.reset();
        system.m_listedClients.reset();
        system.m_displayListing.reset();
        system.m_forgetPosted = false;
    });
}

std::optional<std::vector<OnScreenWindow>> X11WindowSystem::onScreenWindows()
{
    return std::nullopt;
}

std::optional<WindowFacts> X11WindowSystem::focusedWindow()
{
    xcb_connection_t* xcb = m_connection.xcb();
    std::vector<uint32_t> active = readCardinals(xcb, m_connection.root(), m_connection.ewmh()->_NET_ACTIVE_WINDOW, 1);
    if (active.empty() || active.front() == XCB_WINDOW_NONE)
        return std::nullopt;
    std::vector<Client> clients = readClients({ active.front() });
    wakeIfWorker();
    if (!clients.front().readable)
        return std::nullopt;
    return factsOf(clients.front());
}

std::vector<DisplayFacts> X11WindowSystem::displays()
{
    bool mainThread = m_mainLoop.isMainThread();
    bool serving = g_main_depth() > 0 && mainThread;
    if (serving && m_displayListing)
        return *m_displayListing;
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    // The monitors and the clients' struts in one round trip when this piece of work has listed the clients
    // already; otherwise the client list comes first. Monitor names are atoms, read once.
    std::optional<xcb_randr_get_monitors_cookie_t> monitorsCookie;
    if (m_connection.hasRandr())
        monitorsCookie = xcb_randr_get_monitors(xcb, m_connection.root(), 1);
    std::vector<uint32_t> clientList;
    if (serving && m_listedClients)
        clientList = *m_listedClients;
    else
        clientList = readCardinals(xcb, m_connection.root(), ewmh->_NET_CLIENT_LIST, 65536);
    std::vector<xcb_get_property_cookie_t> partial, plain;
    for (xcb_window_t window : clientList) {
        partial.push_back(requestProperty(xcb, window, ewmh->_NET_WM_STRUT_PARTIAL, 12));
        plain.push_back(requestProperty(xcb, window, ewmh->_NET_WM_STRUT, 4));
    }
    XReply<xcb_randr_get_monitors_reply_t> monitors;
    if (monitorsCookie)
        monitors = fetchReply<xcb_randr_get_monitors_reply_t>(xcb, xcb_randr_get_monitors_reply, *monitorsCookie);

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
            display.isMain = monitor.primary;
            if (auto known = m_atomNames.find(monitor.name); mainThread && known != m_atomNames.end())
                display.name = known->second;
            else
                names.push_back({ displays.size(), monitor.name, xcb_get_atom_name(xcb, monitor.name) });
            displays.push_back(display);
        }
    }
    for (const NameRequest& request : names) {
        auto name = fetchReply<xcb_get_atom_name_reply_t>(xcb, xcb_get_atom_name_reply, request.cookie);
        if (!name)
            continue;
        std::string& text = displays[request.display].name;
        text = std::string(
            xcb_get_atom_name_name(name.reply), static_cast<size_t>(xcb_get_atom_name_name_length(name.reply)));
        // An atom's name never changes.
        if (mainThread)
            m_atomNames[request.atom] = text;
    }
    if (displays.empty()) {
        DisplayFacts screen;
        screen.name = "screen";
        screen.frame = { 0, 0, double(m_connection.rootWidth()), double(m_connection.rootHeight()) };
        screen.isMain = true;
        displays.push_back(screen);
    }
    if (std::none_of(displays.begin(), displays.end(), [](const DisplayFacts& display) { return display.isMain; }))
        displays.front().isMain = true;

    // The visible frames: every monitor without the bands its docks reserve.
    std::vector<DockStrut> struts;
    for (size_t i = 0; i < clientList.size(); ++i) {
        std::vector<uint32_t> values = cardinals(propertyReply(xcb, partial[i]));
        std::vector<uint32_t> fallback = cardinals(propertyReply(xcb, plain[i]));
        if (values.empty())
            values = fallback;
        if (auto strut = DockStrut::fromValues(values, m_connection.rootWidth(), m_connection.rootHeight()))
            struts.push_back(*strut);
    }
    for (DisplayFacts& display : displays)
        display.visibleFrame = visibleFrame(display.frame, struts);
    wakeIfWorker();
    if (serving) {
        m_displayListing = displays;
        forgetListingsAfterThisWork();
    }
    return displays;
}

std::optional<Frame> X11WindowSystem::readFrame(WindowHandle handle)
{
    // A window listed in this piece of work has the frame just read.
    if (m_listing && g_main_depth() > 0 && m_mainLoop.isMainThread()) {
        for (const WindowFacts& facts : *m_listing) {
            if (facts.handle == handle && facts.frame)
                return facts.frame;
        }
    }
    xcb_connection_t* xcb = m_connection.xcb();
    auto window = static_cast<xcb_window_t>(handle.value);
    auto geometryCookie = xcb_get_geometry(xcb, window);
    auto originCookie = xcb_translate_coordinates(xcb, window, m_connection.root(), 0, 0);
    auto extentsCookie = requestProperty(xcb, window, m_connection.ewmh()->_NET_FRAME_EXTENTS, 4);
    Client client;
    auto geometry = fetchReply<xcb_get_geometry_reply_t>(xcb, xcb_get_geometry_reply, geometryCookie);
    auto origin = fetchReply<xcb_translate_coordinates_reply_t>(xcb, xcb_translate_coordinates_reply, originCookie);
    client.extents = cardinals(propertyReply(xcb, extentsCookie));
    wakeIfWorker();
    if (!geometry || !origin)
        return std::nullopt;
    client.client = { double(origin->dst_x), double(origin->dst_y), double(geometry->width), double(geometry->height) };
    return client.outerFrame();
}

void X11WindowSystem::setFrame(WindowHandle handle, const Frame& frame, AxisWrite)
{
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    auto window = static_cast<xcb_window_t>(handle.value);
    auto stateCookie = requestProperty(xcb, window, ewmh->_NET_WM_STATE);
    auto extentsCookie = requestProperty(xcb, window, ewmh->_NET_FRAME_EXTENTS, 4);
    std::vector<uint32_t> states = cardinals(propertyReply(xcb, stateCookie));
    std::vector<uint32_t> extents = cardinals(propertyReply(xcb, extentsCookie));
    // A window held maximised ignores or undoes a move on many window managers, and its decoration
    // changes with the state: the client size is worked out from the extents after the release.
    if (contains(states, ewmh->_NET_WM_STATE_MAXIMIZED_VERT) || contains(states, ewmh->_NET_WM_STATE_MAXIMIZED_HORZ))
        extents = MaximisedRelease::release(m_connection, window);
    wakeIfWorker();
    if (extents.size() != 4)
        extents = { 0, 0, 0, 0 };
    // Position of the outer frame, size of the client area; both in whole pixels and at least 1 wide.
    auto whole = [](double value) { return static_cast<uint32_t>(static_cast<int32_t>(std::lround(value))); };
    double width = std::max(1.0, std::round(frame.width) - extents[0] - extents[1]);
    double height = std::max(1.0, std::round(frame.height) - extents[2] - extents[3]);
    m_connection.sendRootMessage(window, ewmh->_NET_MOVERESIZE_WINDOW,
        { moveResizeFlags, whole(frame.x), whole(frame.y), whole(width), whole(height) });
    m_connection.flush();
}

void X11WindowSystem::raise(WindowHandle handle)
{
    m_connection.sendRootMessage(static_cast<xcb_window_t>(handle.value), m_connection.ewmh()->_NET_ACTIVE_WINDOW,
        { sourceTool, m_connection.lastTime(), XCB_WINDOW_NONE });
    m_connection.flush();
}

EnhancedMode X11WindowSystem::enhancedMode(int32_t)
{
    return EnhancedMode::unknown;
}

void X11WindowSystem::setEnhancedMode(int32_t, bool) { }

double X11WindowSystem::refreshRate()
{
    if (!m_connection.hasRandr())
        return 0;
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_window_t root = m_connection.root();
    auto primary = fetchReply<xcb_randr_get_output_primary_reply_t>(
        xcb, xcb_randr_get_output_primary_reply, xcb_randr_get_output_primary(xcb, root));
    auto resources = fetchReply<xcb_randr_get_screen_resources_current_reply_t>(
        xcb, xcb_randr_get_screen_resources_current_reply, xcb_randr_get_screen_resources_current(xcb, root));
    if (!resources)
        return 0;
    xcb_randr_output_t output = primary ? primary->output : XCB_NONE;
    if (output == XCB_NONE && xcb_randr_get_screen_resources_current_outputs_length(resources.reply) > 0)
        output = xcb_randr_get_screen_resources_current_outputs(resources.reply)[0];
    if (output == XCB_NONE)
        return 0;
    auto outputInfo = fetchReply<xcb_randr_get_output_info_reply_t>(
        xcb, xcb_randr_get_output_info_reply, xcb_randr_get_output_info(xcb, output, resources->config_timestamp));
    if (!outputInfo || outputInfo->crtc == XCB_NONE)
        return 0;
    auto crtc = fetchReply<xcb_randr_get_crtc_info_reply_t>(xcb, xcb_randr_get_crtc_info_reply,
        xcb_randr_get_crtc_info(xcb, outputInfo->crtc, resources->config_timestamp));
    wakeIfWorker();
    if (!crtc)
        return 0;
    const xcb_randr_mode_info_t* modes = xcb_randr_get_screen_resources_current_modes(resources.reply);
    int count = xcb_randr_get_screen_resources_current_modes_length(resources.reply);
    for (int i = 0; i < count; ++i) {
        const xcb_randr_mode_info_t& mode = modes[i];
        if (mode.id != crtc->mode || mode.htotal == 0 || mode.vtotal == 0)
            continue;
        double lines = mode.vtotal;
        if (mode.mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN)
            lines *= 2;
        if (mode.mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE)
            lines /= 2;
        return double(mode.dot_clock) / (double(mode.htotal) * lines);
    }
    return 0;
}

void X11WindowSystem::setChangeHandler(std::function<void()> handler)
{
    m_changeHandler = std::move(handler);
}

} // namespace quorvane
