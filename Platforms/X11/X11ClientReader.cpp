#include "Platforms/X11/X11ClientReader.h"

#include "Platforms/X11/X11Connection.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "Support/UnicodeText.h"

#include <xcb/res.h>

#include <algorithm>
#include <unistd.h>
#include <utility>

namespace quorvane {

namespace {

// Longest text property read, in 32-bit units.
constexpr uint32_t textLength = 1024;
// Selected on every window whose lasting facts are kept. It brings no events: it only marks the window.
constexpr uint32_t readMark = XCB_EVENT_MASK_OWNER_GRAB_BUTTON;
// Selected on windows still being set up.
constexpr uint32_t watchMask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

} // namespace

X11ClientReader::X11ClientReader(X11Connection& connection, MainLoop& mainLoop)
    : m_connection(connection)
    , m_mainLoop(mainLoop)
    , m_ownPid(static_cast<int32_t>(::getpid()))
{
}

std::string X11ClientReader::windowId(uint32_t window)
{
    return "x11:" + std::to_string(window);
}

struct PendingClients::Requests {
    xcb_get_window_attributes_cookie_t attributes {};
    xcb_get_geometry_cookie_t geometry {};
    xcb_translate_coordinates_cookie_t origin {};
    xcb_get_property_cookie_t type {}, state {}, desktop {}, transient {}, extents {}, wmState {}, netName {}, name {},
        strutPartial {}, strut {};
    // Asked only of windows whose lasting facts are not kept.
    xcb_get_property_cookie_t gtkId {}, kdeFile {}, pid {}, wmClass {};
    bool lasting = false;
};

PendingClients::PendingClients() = default;
PendingClients::~PendingClients() = default;
PendingClients::PendingClients(PendingClients&&) noexcept = default;
PendingClients& PendingClients::operator=(PendingClients&&) noexcept = default;

std::vector<X11Client> X11ClientReader::read(const std::vector<uint32_t>& windows)
{
    return collect(request(windows));
}

PendingClients X11ClientReader::request(const std::vector<uint32_t>& windows)
{
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    PendingClients pending;
    pending.m_windows = windows;
    std::vector<PendingClients::Requests>& requests = pending.m_requests;
    requests.reserve(windows.size());
    bool mainThread = m_mainLoop.isMainThread();
    // Every request goes out before the first reply is read: one round trip for the whole list.
    for (xcb_window_t window : windows) {
        PendingClients::Requests& sent = requests.emplace_back();
        sent.lasting = mainThread && m_lasting.contains(window);
        // Marked before it is read, so that the facts kept belong to the window that carries the mark.
        if (mainThread && !sent.lasting) {
            uint32_t mask = maskFor(window);
            xcb_change_window_attributes(xcb, window, XCB_CW_EVENT_MASK, &mask);
        }
        sent.attributes = xcb_get_window_attributes(xcb, window);
        sent.geometry = xcb_get_geometry(xcb, window);
        sent.origin = xcb_translate_coordinates(xcb, window, m_connection.root(), 0, 0);
        sent.type = requestProperty(xcb, window, ewmh->_NET_WM_WINDOW_TYPE);
        sent.state = requestProperty(xcb, window, ewmh->_NET_WM_STATE);
        sent.desktop = requestProperty(xcb, window, ewmh->_NET_WM_DESKTOP, 1);
        sent.transient = requestProperty(xcb, window, XCB_ATOM_WM_TRANSIENT_FOR, 1);
        sent.extents = requestProperty(xcb, window, ewmh->_NET_FRAME_EXTENTS, 4);
        sent.wmState = requestProperty(xcb, window, m_connection.wmState(), 2);
        sent.netName = requestProperty(xcb, window, ewmh->_NET_WM_NAME, textLength);
        sent.name = requestProperty(xcb, window, XCB_ATOM_WM_NAME, textLength);
        sent.strutPartial = requestProperty(xcb, window, ewmh->_NET_WM_STRUT_PARTIAL, 12);
        sent.strut = requestProperty(xcb, window, ewmh->_NET_WM_STRUT, 4);
        if (sent.lasting)
            continue;
        sent.gtkId = requestProperty(xcb, window, m_connection.gtkApplicationId(), textLength);
        sent.kdeFile = requestProperty(xcb, window, m_connection.kdeDesktopFile(), textLength);
        sent.pid = requestProperty(xcb, window, ewmh->_NET_WM_PID, 1);
        sent.wmClass = requestProperty(xcb, window, XCB_ATOM_WM_CLASS, textLength);
    }
    return pending;
}

std::vector<X11Client> X11ClientReader::collect(PendingClients pending)
{
    xcb_connection_t* xcb = m_connection.xcb();
    const std::vector<uint32_t>& windows = pending.m_windows;
    bool mainThread = m_mainLoop.isMainThread();
    std::vector<X11Client> clients(windows.size());
    // Windows whose kept facts belong to a window that has gone: another one has taken over the id.
    std::vector<size_t> replaced;
    for (size_t i = 0; i < windows.size(); ++i) {
        PendingClients::Requests& request = pending.m_requests[i];
        X11Client& client = clients[i];
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
        if (request.lasting && client.readable && !(attributes->your_event_mask & readMark))
            replaced.push_back(i);
        client.types = cardinals(propertyReply(xcb, request.type));
        client.states = cardinals(propertyReply(xcb, request.state));
        if (std::vector<uint32_t> desktop = cardinals(propertyReply(xcb, request.desktop)); !desktop.empty())
            client.desktop = desktop.front();
        std::vector<uint32_t> transient = cardinals(propertyReply(xcb, request.transient));
        client.transient = !transient.empty() && transient.front() != XCB_WINDOW_NONE;
        client.extents = cardinals(propertyReply(xcb, request.extents));
        client.strut = cardinals(propertyReply(xcb, request.strutPartial));
        if (std::vector<uint32_t> strut = cardinals(propertyReply(xcb, request.strut)); client.strut.empty())
            client.strut = std::move(strut);
        client.wmState = !cardinals(propertyReply(xcb, request.wmState)).empty();
        client.netName = propertyText(propertyReply(xcb, request.netName));
        client.name = propertyText(propertyReply(xcb, request.name));
        if (request.lasting) {
            const LastingFacts& kept = m_lasting.at(client.window);
            client.declaredApplication = kept.declaredApplication;
            client.instance = kept.instance;
            client.className = kept.className;
            client.pid = kept.pid;
            continue;
        }
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
        if (mainThread && client.readable)
            m_lasting[client.window] = { client.declaredApplication, client.instance, client.className, client.pid };
    }
    if (!replaced.empty()) {
        std::vector<uint32_t> again;
        for (size_t index : replaced) {
            again.push_back(windows[index]);
            m_lasting.erase(windows[index]);
            m_connectionPids.erase(windows[index]);
        }
        std::vector<X11Client> fresh = read(again);
        for (size_t k = 0; k < replaced.size(); ++k)
            clients[replaced[k]] = std::move(fresh[k]);
    }

    // Clients that do not say their pid: ask the server which process holds their connection, once per window
    // (the connection that made a window never changes).
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

WindowFacts X11ClientReader::factsOf(const X11Client& client) const
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
    facts.minimized = holds(client.states, ewmh->_NET_WM_STATE_HIDDEN);
    facts.fullScreen = holds(client.states, ewmh->_NET_WM_STATE_FULLSCREEN);
    facts.ownWindow = client.pid == m_ownPid;
    facts.ready = client.ready();
    return facts;
}

void X11ClientReader::keepOnly(const std::vector<uint32_t>& listed)
{
    // A window id that has left the list may come back naming another client's window.
    auto unlisted
        = [&](const auto& entry) { return std::find(listed.begin(), listed.end(), entry.first) == listed.end(); };
    std::erase_if(m_connectionPids, unlisted);
    std::erase_if(m_lasting, unlisted);
}

uint32_t X11ClientReader::maskFor(uint32_t window) const
{
    return readMark | (m_watched.contains(window) ? watchMask : 0);
}

void X11ClientReader::watch(std::set<uint32_t> windows)
{
    xcb_connection_t* xcb = m_connection.xcb();
    std::set<uint32_t> before = std::exchange(m_watched, std::move(windows));
    // Newly unready windows tell when they are mapped or get their title or decoration; the others no longer
    // (a window that has gone answers with an error, which is harmless).
    bool changed = false;
    auto select = [&](xcb_window_t window) {
        uint32_t mask = maskFor(window);
        xcb_change_window_attributes(xcb, window, XCB_CW_EVENT_MASK, &mask);
        changed = true;
    };
    for (xcb_window_t window : m_watched)
        if (!before.contains(window))
            select(window);
    for (xcb_window_t window : before)
        if (!m_watched.contains(window))
            select(window);
    if (changed)
        m_connection.flush();
}

} // namespace quorvane
