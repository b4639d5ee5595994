#include "Platforms/X11/X11WindowSystem.h"

#include "Platforms/X11/MaximisedRelease.h"
#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11EventSource.h"
#include "QuorvaneApp/Platform/MainLoop.h"

#include <xcb/randr.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace quorvane {

namespace {

constexpr uint32_t allDesktops = 0xFFFFFFFF;
// _NET_MOVERESIZE_WINDOW flags: north-west gravity, x, y, width and height given, sent by a tool.
constexpr uint32_t moveResizeFlags
    = XCB_GRAVITY_NORTH_WEST | (1u << 8) | (1u << 9) | (1u << 10) | (1u << 11) | (2u << 12);
constexpr uint32_t sourceTool = 2;
// ICCCM's request to iconify a window.
constexpr uint32_t iconicState = 3;

} // namespace

X11WindowSystem::X11WindowSystem(X11Connection& connection, MainLoop& mainLoop)
    : m_connection(connection)
    , m_mainLoop(mainLoop)
    , m_clients(connection, mainLoop)
    , m_displays(connection, mainLoop)
    , m_picker(connection, mainLoop)
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
    if (m_picker.handle(event))
        return;
    uint8_t type = event.response_type & 0x7F;
    bool changed = false;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        m_connection.noteTime(property.time);
        xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
        if (property.window == m_connection.root()) {
            changed = property.atom == ewmh->_NET_CLIENT_LIST || property.atom == ewmh->_NET_SUPPORTING_WM_CHECK;
            if (property.atom == ewmh->_NET_SUPPORTING_WM_CHECK || property.atom == ewmh->_NET_SUPPORTED)
                m_connection.noteWindowManagerChange();
        } else
            changed = m_clients.watched(property.window)
                && (property.atom == ewmh->_NET_WM_NAME || property.atom == XCB_ATOM_WM_NAME
                    || property.atom == ewmh->_NET_FRAME_EXTENTS || property.atom == m_connection.wmState());
    } else if (type == XCB_DESTROY_NOTIFY) {
        // Perhaps the window manager's check window: the manager has gone.
        m_connection.noteWindowManagerChange();
    } else if (type == XCB_MAP_NOTIFY) {
        changed = m_clients.watched(reinterpret_cast<const xcb_map_notify_event_t&>(event).window);
    } else if (type == XCB_CONFIGURE_NOTIFY) {
        changed = reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == m_connection.root();
        if (changed)
            m_displays.forgetMonitors();
    } else if (m_connection.hasRandr() && type >= m_connection.randrEventBase()
        && type <= m_connection.randrEventBase() + XCB_RANDR_NOTIFY) {
        changed = true;
        m_displays.forgetMonitors();
    }
    // Several notices in one burst make one census.
    if (changed && m_changeHandler && !m_changePosted) {
        m_changePosted = true;
        m_mainLoop.post(m_self.bind([](X11WindowSystem& system) {
            system.m_changePosted = false;
            if (system.m_changeHandler)
                system.m_changeHandler();
        }));
    }
}

void X11WindowSystem::wakeIfWorker()
{
    if (!m_mainLoop.isMainThread())
        m_events->wake();
}

std::vector<WindowFacts> X11WindowSystem::windows()
{
    // Outside the loop's work (a caller without a running loop) every call reads afresh.
    bool serving = m_mainLoop.serving();
    if (serving && m_listing)
        return *m_listing;
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_ewmh_connection_t* ewmh = m_connection.ewmh();
    auto stackingCookie = requestProperty(xcb, m_connection.root(), ewmh->_NET_CLIENT_LIST_STACKING, 65536);
    auto desktopCookie = requestProperty(xcb, m_connection.root(), ewmh->_NET_CURRENT_DESKTOP, 1);
    // The clients listed last time are most likely still there: asked about in the same round trip as the
    // list itself, and read again only if new ones have come.
    bool mainThread = m_mainLoop.isMainThread();
    PendingClients guessed = m_clients.request(mainThread ? m_knownClients : std::vector<uint32_t> {});
    std::vector<uint32_t> stacking = cardinals(propertyReply(xcb, stackingCookie));
    std::vector<uint32_t> current = cardinals(propertyReply(xcb, desktopCookie));
    std::vector<X11Client> known = m_clients.collect(std::move(guessed));
    if (stacking.empty())
        stacking = readCardinals(xcb, m_connection.root(), ewmh->_NET_CLIENT_LIST, 65536);
    // The stacking list runs bottom to top.
    std::reverse(stacking.begin(), stacking.end());

    std::vector<WindowFacts> result;
    std::unordered_map<uint32_t, WriteFacts> writes;
    std::vector<std::vector<uint32_t>> struts;
    std::set<uint32_t> unready;
    for (X11Client& client : clientsOf(stacking, std::move(known))) {
        if (!client.readable)
            continue;
        if (!client.strut.empty())
            struts.push_back(client.strut);
        if (client.desktop && !current.empty() && *client.desktop != allDesktops && *client.desktop != current.front())
            continue;
        bool minimised = holds(client.states, ewmh->_NET_WM_STATE_HIDDEN);
        if (!minimised && !client.ready())
            unready.insert(client.window);
        // An unmapped window is either minimised (and says so) or not really there yet.
        if (!client.viewable && !minimised)
            continue;
        result.push_back(m_clients.factsOf(client));
        if (serving)
            writes.emplace(client.window, WriteFacts { std::move(client.states), std::move(client.extents) });
    }
    if (mainThread) {
        // Forgotten first: a window that is gone must not pass what was kept of it to one taking over its id.
        m_clients.keepOnly(stacking);
        m_clients.watch(std::move(unready));
        m_knownClients = stacking;
    }
    if (!serving)
        return result;
    m_listing = result;
    m_listedStruts = std::move(struts);
    m_listedWrites = std::move(writes);
    forgetListingsAfterThisWork();
    return result;
}

std::vector<X11Client> X11WindowSystem::clientsOf(const std::vector<uint32_t>& windows, std::vector<X11Client> known)
{
    std::unordered_map<uint32_t, X11Client*> byWindow;
    for (X11Client& client : known)
        byWindow.emplace(client.window, &client);
    std::vector<uint32_t> unknown;
    for (uint32_t window : windows) {
        if (!byWindow.contains(window))
            unknown.push_back(window);
    }
    std::vector<X11Client> fresh = m_clients.read(unknown);
    for (X11Client& client : fresh)
        byWindow.emplace(client.window, &client);
    std::vector<X11Client> clients;
    clients.reserve(windows.size());
    for (uint32_t window : windows)
        clients.push_back(*byWindow.at(window));
    return clients;
}

const WindowFacts* X11WindowSystem::listedInThisWork(WindowHandle handle) const
{
    if (!m_listing || !m_mainLoop.serving())
        return nullptr;
    auto found = std::find_if(
        m_listing->begin(), m_listing->end(), [&](const WindowFacts& facts) { return facts.handle == handle; });
    return found == m_listing->end() ? nullptr : &*found;
}

std::optional<X11WindowSystem::WriteFacts> X11WindowSystem::writeFactsInThisWork(uint32_t window) const
{
    if (!m_listing || !m_mainLoop.serving())
        return std::nullopt;
    auto found = m_listedWrites.find(window);
    if (found == m_listedWrites.end())
        return std::nullopt;
    return found->second;
}

void X11WindowSystem::forgetListingsAfterThisWork()
{
    if (m_forgetPosted)
        return;
    m_forgetPosted = true;
    m_mainLoop.post(m_self.bind([](X11WindowSystem& system) {
        system.m_listing.reset();
        system.m_listedStruts.reset();
        system.m_listedWrites.clear();
        system.m_displayListing.reset();
        system.m_forgetPosted = false;
    }));
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
    if (const WindowFacts* listed = listedInThisWork(WindowHandle { active.front() }))
        return *listed;
    std::vector<X11Client> clients = m_clients.read({ active.front() });
    wakeIfWorker();
    if (!clients.front().readable)
        return std::nullopt;
    return m_clients.factsOf(clients.front());
}

std::vector<DisplayFacts> X11WindowSystem::displays()
{
    bool serving = m_mainLoop.serving();
    if (serving && m_displayListing)
        return *m_displayListing;
    // The clients this piece of work has listed are the ones whose struts count.
    std::vector<DisplayFacts> displays
        = serving && m_listedStruts ? m_displays.read(*m_listedStruts) : m_displays.read(nullptr);
    wakeIfWorker();
    if (serving) {
        m_displayListing = displays;
        forgetListingsAfterThisWork();
    }
    return displays;
}

std::optional<Frame> X11WindowSystem::readFrame(WindowHandle handle)
{
    if (const WindowFacts* listed = listedInThisWork(handle); listed && listed->frame)
        return listed->frame;
    xcb_connection_t* xcb = m_connection.xcb();
    auto window = static_cast<xcb_window_t>(handle.value);
    auto geometryCookie = xcb_get_geometry(xcb, window);
    auto originCookie = xcb_translate_coordinates(xcb, window, m_connection.root(), 0, 0);
    auto extentsCookie = requestProperty(xcb, window, m_connection.ewmh()->_NET_FRAME_EXTENTS, 4);
    X11Client client;
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
    std::vector<uint32_t> states, extents;
    if (std::optional<WriteFacts> listed = writeFactsInThisWork(window)) {
        states = std::move(listed->states);
        extents = std::move(listed->extents);
    } else {
        auto stateCookie = requestProperty(xcb, window, ewmh->_NET_WM_STATE);
        auto extentsCookie = requestProperty(xcb, window, ewmh->_NET_FRAME_EXTENTS, 4);
        states = cardinals(propertyReply(xcb, stateCookie));
        extents = cardinals(propertyReply(xcb, extentsCookie));
    }
    // A window held maximised ignores or undoes a move on many window managers, and its decoration
    // changes with the state: the client size is worked out from the extents after the release.
    if (holds(states, ewmh->_NET_WM_STATE_MAXIMIZED_VERT) || holds(states, ewmh->_NET_WM_STATE_MAXIMIZED_HORZ))
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

void X11WindowSystem::minimize(WindowHandle handle)
{
    m_connection.sendRootMessage(
        static_cast<xcb_window_t>(handle.value), m_connection.wmChangeState(), { iconicState });
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

void X11WindowSystem::pickWindow(std::function<void(std::optional<WindowFacts>)> picked)
{
    m_picker.start([this, picked = std::move(picked)](std::optional<uint32_t> client) {
        std::optional<WindowFacts> window;
        if (client) {
            // The census's own reading of the window, so the answer names the app as rules and tiles do.
            m_listing.reset();
            for (WindowFacts& facts : windows()) {
                if (facts.handle == WindowHandle { *client }) {
                    window = std::move(facts);
                    break;
                }
            }
        }
        picked(window);
    });
}

} // namespace quorvane
