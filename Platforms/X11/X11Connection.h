#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvane {

// One connection to an X server with the EWMH atoms interned, shared by the main thread and the animation
// workers (xcb is thread-safe). Every read treats an X error (a window that has gone, BadWindow, BadMatch)
// as an absent answer.
class X11Connection {
public:
    // Connects to `displayName`, or to $DISPLAY when it is empty; throws std::system_error when no server
    // answers there.
    explicit X11Connection(const std::string& displayName = {});
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* xcb() const { return m_connection; }
    xcb_ewmh_connection_t* ewmh() { return &m_ewmh; }
    xcb_window_t root() const { return m_root; }
    uint16_t rootWidth() const { return m_rootWidth; }
    uint16_t rootHeight() const { return m_rootHeight; }
    // The display name connected to (":5").
    const std::string& displayName() const { return m_displayName; }
    // First event code of the RandR extension, 0 when the server has none.
    uint8_t randrEventBase() const { return m_randrEventBase; }
    bool hasRandr() const { return m_randrEventBase != 0; }
    bool hasRes() const { return m_hasRes; }

    // Atoms beyond EWMH's.
    xcb_atom_t gtkApplicationId() const { return m_gtkApplicationId; }
    xcb_atom_t kdeDesktopFile() const { return m_kdeDesktopFile; }
    xcb_atom_t wmChangeState() const { return m_wmChangeState; }
    xcb_atom_t wmState() const { return m_wmState; }

    // The timestamp of the latest event seen, for requests that ask for the current server time.
    void noteTime(xcb_timestamp_t time) { m_lastTime = time; }
    xcb_timestamp_t lastTime() const { return m_lastTime; }
    // Grows whenever the window manager in charge, or what it supports, may have changed: what has been
    // learnt about it before holds while this stays the same. Main thread.
    uint64_t windowManagerGeneration() const { return m_windowManagerGeneration; }
    void noteWindowManagerChange() { ++m_windowManagerGeneration; }

    // Sends a client message about `window` to the root window, as the EWMH asks of pagers and tools.
    void sendRootMessage(xcb_window_t window, xcb_atom_t type, const std::vector<uint32_t>& data);
    void flush();

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_ewmh_connection_t m_ewmh {};
    xcb_window_t m_root = 0;
    uint16_t m_rootWidth = 0;
    uint16_t m_rootHeight = 0;
    std::string m_displayName;
    uint8_t m_randrEventBase = 0;
    bool m_hasRes = false;
    xcb_atom_t m_gtkApplicationId = XCB_ATOM_NONE;
    xcb_atom_t m_kdeDesktopFile = XCB_ATOM_NONE;
    xcb_atom_t m_wmChangeState = XCB_ATOM_NONE;
    xcb_atom_t m_wmState = XCB_ATOM_NONE;
    xcb_timestamp_t m_lastTime = XCB_CURRENT_TIME;
    uint64_t m_windowManagerGeneration = 0;
};

// Replies of xcb requests, freed when they go.
template <typename Reply> struct XReply {
    Reply* reply = nullptr;
    XReply() = default;
    explicit XReply(Reply* r)
        : reply(r)
    {
    }
    XReply(XReply&& other) noexcept
        : reply(std::exchange(other.reply, nullptr))
    {
    }
    XReply& operator=(XReply&& other) noexcept
    {
        std::swap(reply, other.reply);
        return *this;
    }
    ~XReply() { std::free(reply); }
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

// Waits for a reply; an X error counts as no reply.
template <typename Reply, typename Cookie, typename Fetch>
XReply<Reply> fetchReply(xcb_connection_t* connection, Fetch fetch, Cookie cookie)
{
    xcb_generic_error_t* error = nullptr;
    Reply* reply = fetch(connection, cookie, &error);
    std::free(error);
    return XReply<Reply>(reply);
}

// Asks for up to `length` 32-bit units of a window's property, of whatever type it holds.
xcb_get_property_cookie_t requestProperty(
    xcb_connection_t*, xcb_window_t window, xcb_atom_t property, uint32_t length = 64);
// Waits for a property's reply; an X error counts as no reply.
XReply<xcb_get_property_reply_t> propertyReply(xcb_connection_t*, xcb_get_property_cookie_t);
// Reads a property of 32-bit values at once (one round trip); empty when the window or property is missing.
std::vector<uint32_t> readCardinals(xcb_connection_t*, xcb_window_t window, xcb_atom_t property, uint32_t length = 64);
// Sends a client message about `window` to `root` on any connection, as the EWMH asks of pagers and tools.
void sendRootMessage(
    xcb_connection_t*, xcb_window_t root, xcb_window_t window, xcb_atom_t type, const std::vector<uint32_t>& data);

// The values of a property reply: 32-bit cardinals, windows or atoms.
std::vector<uint32_t> cardinals(const XReply<xcb_get_property_reply_t>&);
// Whether a list of atoms or windows read from a property holds `value`.
inline bool holds(const std::vector<uint32_t>& values, uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}
// The text of a property reply (UTF-8 or Latin-1 as the property holds it), cut at the first NUL.
std::optional<std::string> propertyText(const XReply<xcb_get_property_reply_t>&);

} // namespace quorvane
