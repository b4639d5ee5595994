#include "Platforms/X11/X11Connection.h"

#include "Support/UnicodeText.h"

#include <xcb/randr.h>
#include <xcb/res.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace quorvane {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    auto reply = fetchReply<xcb_intern_atom_reply_t>(connection, xcb_intern_atom_reply,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

X11Connection::X11Connection(const std::string& displayName)
{
    int screenNumber = 0;
    m_connection = xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        const char* shown = displayName.empty() ? std::getenv("DISPLAY") : displayName.c_str();
        throw std::system_error(ECONNREFUSED, std::generic_category(),
            "cannot connect to the X display " + std::string(shown && *shown ? shown : "(none set)"));
    }
    const char* name = displayName.empty() ? std::getenv("DISPLAY") : displayName.c_str();
    m_displayName = name ? name : "";

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    m_rootWidth = screens.data->width_in_pixels;
    m_rootHeight = screens.data->height_in_pixels;

    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(m_connection, &m_ewmh);
    if (!xcb_ewmh_init_atoms_replies(&m_ewmh, cookies, nullptr)) {
        xcb_disconnect(m_connection);
        throw std::system_error(EPROTO, std::generic_category(), "cannot intern the EWMH atoms on " + m_displayName);
    }
    m_gtkApplicationId = internAtom(m_connection, "_GTK_APPLICATION_ID");
    m_kdeDesktopFile = internAtom(m_connection, "_KDE_NET_WM_DESKTOP_FILE");
    m_wmChangeState = internAtom(m_connection, "WM_CHANGE_STATE");
    m_wmState = internAtom(m_connection, "WM_STATE");

    if (const xcb_query_extension_reply_t* randr = xcb_get_extension_data(m_connection, &xcb_randr_id);
        randr && randr->present) {
        auto version = fetchReply<xcb_randr_query_version_reply_t>(
            m_connection, xcb_randr_query_version_reply, xcb_randr_query_version(m_connection, 1, 5));
        // Monitors came with RandR 1.5.
        if (version && (version->major_version > 1 || version->minor_version >= 5))
            m_randrEventBase = randr->first_event;
    }
    if (const xcb_query_extension_reply_t* res = xcb_get_extension_data(m_connection, &xcb_res_id);
        res && res->present) {
        auto version = fetchReply<xcb_res_query_version_reply_t>(
            m_connection, xcb_res_query_version_reply, xcb_res_query_version(m_connection, 1, 2));
        m_hasRes = version && (version->server_major > 1 || version->server_minor >= 2);
    }
}

X11Connection::~X11Connection()
{
    xcb_ewmh_connection_wipe(&m_ewmh);
    xcb_disconnect(m_connection);
}

void X11Connection::sendRootMessage(xcb_window_t window, xcb_atom_t type, const std::vector<uint32_t>& data)
{
    quorvane::sendRootMessage(m_connection, m_root, window, type, data);
}

void X11Connection::flush()
{
    xcb_flush(m_connection);
}

xcb_get_property_cookie_t requestProperty(
    xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, uint32_t length)
{
    return xcb_get_property(connection, 0, window, property, XCB_ATOM_ANY, 0, length);
}

XReply<xcb_get_property_reply_t> propertyReply(xcb_connection_t* connection, xcb_get_property_cookie_t cookie)
{
    return fetchReply<xcb_get_property_reply_t>(connection, xcb_get_property_reply, cookie);
}

std::vector<uint32_t> readCardinals(
    xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, uint32_t length)
{
    return cardinals(propertyReply(connection, requestProperty(connection, window, property, length)));
}

void sendRootMessage(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
    const std::vector<uint32_t>& data)
{
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    for (size_t i = 0; i < data.size() && i < 5; ++i)
        message.data.data32[i] = data[i];
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char*>(&message));
}

std::vector<uint32_t> cardinals(const XReply<xcb_get_property_reply_t>& reply)
{
    if (!reply || reply->format != 32)
        return {};
    auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.reply));
    int count = xcb_get_property_value_length(reply.reply) / 4;
    return std::vector<uint32_t>(values, values + count);
}

std::optional<std::string> propertyText(const XReply<xcb_get_property_reply_t>& reply)
{
    if (!reply || reply->format != 8 || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    std::string bytes(static_cast<const char*>(xcb_get_property_value(reply.reply)),
        static_cast<size_t>(xcb_get_property_value_length(reply.reply)));
    if (size_t end = bytes.find('\0'); end != std::string::npos)
        bytes.resize(end);
    // STRING is Latin-1; text said to be UTF-8 that is not is taken as Latin-1 too.
    return reply->type == XCB_ATOM_STRING ? UnicodeText::fromLatin1(bytes) : UnicodeText::utf8OrLatin1(bytes);
}

} // namespace quorvane
