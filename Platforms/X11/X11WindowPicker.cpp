#include "Platforms/X11/X11WindowPicker.h"

#include "Platforms/X11/X11Connection.h"

#include <deque>
#include <utility>

namespace quorvane {

namespace {

// The crosshair of the core cursor font, and its mask.
constexpr uint16_t crosshairGlyph = 34;
constexpr uint32_t escapeKeysym = 0xff1b;
constexpr double pickSeconds = 60;
// How deep under a top-level window its client is looked for (frame, then decoration and client).
constexpr int searchDepth = 4;

} // namespace

X11WindowPicker::X11WindowPicker(X11Connection& connection, MainLoop& loop)
    : m_connection(connection)
    , m_loop(loop)
{
}

X11WindowPicker::~X11WindowPicker()
{
    if (m_timeout)
        m_loop.cancelTimer(m_timeout);
    if (m_done) {
        xcb_ungrab_pointer(m_connection.xcb(), XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(m_connection.xcb(), XCB_CURRENT_TIME);
        m_connection.flush();
    }
    if (m_cursor != XCB_CURSOR_NONE)
        xcb_free_cursor(m_connection.xcb(), m_cursor);
}

xcb_cursor_t X11WindowPicker::crosshair()
{
    if (m_cursor != XCB_CURSOR_NONE)
        return m_cursor;
    xcb_connection_t* xcb = m_connection.xcb();
    xcb_font_t font = xcb_generate_id(xcb);
    xcb_open_font(xcb, font, 6, "cursor");
    m_cursor = xcb_generate_id(xcb);
    xcb_create_glyph_cursor(
        xcb, m_cursor, font, font, crosshairGlyph, crosshairGlyph + 1, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    xcb_close_font(xcb, font);
    return m_cursor;
}

xcb_keycode_t X11WindowPicker::escapeKey()
{
    if (m_escape)
        return m_escape;
    xcb_connection_t* xcb = m_connection.xcb();
    const xcb_setup_t* setup = xcb_get_setup(xcb);
    uint8_t count = setup->max_keycode - setup->min_keycode + 1;
    auto mapping = fetchReply<xcb_get_keyboard_mapping_reply_t>(
        xcb, xcb_get_keyboard_mapping_reply, xcb_get_keyboard_mapping(xcb, setup->min_keycode, count));
    if (!mapping)
        return 0;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.reply);
    int perKey = mapping->keysyms_per_keycode;
    for (int key = 0; key < count && perKey > 0; ++key) {
        if (keysyms[key * perKey] == escapeKeysym) {
            m_escape = static_cast<xcb_keycode_t>(setup->min_keycode + key);
            break;
        }
    }
    return m_escape;
}

void X11WindowPicker::start(std::function<void(std::optional<uint32_t>)> done)
{
    if (m_done) {
        done(std::nullopt);
        return;
    }
    xcb_connection_t* xcb = m_connection.xcb();
    escapeKey();
    auto pointer = fetchReply<xcb_grab_pointer_reply_t>(xcb, xcb_grab_pointer_reply,
        xcb_grab_pointer(xcb, 0, m_connection.root(), XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE,
            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_WINDOW_NONE, crosshair(), XCB_CURRENT_TIME));
    if (!pointer || pointer->status != XCB_GRAB_STATUS_SUCCESS) {
        // Another program holds the pointer (a menu is open): there is nothing to click with.
        done(std::nullopt);
        return;
    }
    // Without the keyboard, Escape cannot cancel; the click still picks.
    auto keyboard = fetchReply<xcb_grab_keyboard_reply_t>(xcb, xcb_grab_keyboard_reply,
        xcb_grab_keyboard(xcb, 0, m_connection.root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    (void)keyboard;
    m_done = std::move(done);
    m_pressed = XCB_WINDOW_NONE;
    m_timeout = m_loop.addTimer(pickSeconds, false, [this] {
        m_timeout = 0;
        finish(std::nullopt);
    });
}

bool X11WindowPicker::handle(const xcb_generic_event_t& event)
{
    if (!m_done)
        return false;
    switch (event.response_type & 0x7F) {
    case XCB_BUTTON_PRESS: {
        const auto& press = reinterpret_cast<const xcb_button_press_event_t&>(event);
        m_connection.noteTime(press.time);
        m_pressed = press.child;
        return true;
    }
    case XCB_BUTTON_RELEASE: {
        const auto& release = reinterpret_cast<const xcb_button_release_event_t&>(event);
        m_connection.noteTime(release.time);
        xcb_window_t window = m_pressed != XCB_WINDOW_NONE ? m_pressed : release.child;
        finish(window != XCB_WINDOW_NONE ? clientOf(window) : std::nullopt);
        return true;
    }
    case XCB_KEY_PRESS: {
        const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
        m_connection.noteTime(key.time);
        if (key.detail == m_escape)
            finish(std::nullopt);
        return true;
    }
    case XCB_KEY_RELEASE:
        return true;
    default:
        return false;
    }
}

void X11WindowPicker::finish(std::optional<uint32_t> client)
{
    if (!m_done)
        return;
    if (m_timeout)
        m_loop.cancelTimer(std::exchange(m_timeout, 0));
    xcb_ungrab_pointer(m_connection.xcb(), XCB_CURRENT_TIME);
    xcb_ungrab_keyboard(m_connection.xcb(), XCB_CURRENT_TIME);
    m_connection.flush();
    auto done = std::exchange(m_done, nullptr);
    done(client);
}

std::optional<uint32_t> X11WindowPicker::clientOf(xcb_window_t window)
{
    xcb_connection_t* xcb = m_connection.xcb();
    std::deque<std::pair<xcb_window_t, int>> waiting { { window, 0 } };
    while (!waiting.empty()) {
        auto [candidate, depth] = waiting.front();
        waiting.pop_front();
        auto state = propertyReply(xcb, requestProperty(xcb, candidate, m_connection.wmState(), 2));
        if (state && state->type != XCB_ATOM_NONE)
            return candidate;
        if (depth >= searchDepth)
            continue;
        auto tree = fetchReply<xcb_query_tree_reply_t>(xcb, xcb_query_tree_reply, xcb_query_tree(xcb, candidate));
        if (!tree)
            continue;
        xcb_window_t* children = xcb_query_tree_children(tree.reply);
        for (int index = 0; index < xcb_query_tree_children_length(tree.reply); ++index)
            waiting.emplace_back(children[index], depth + 1);
    }
    return std::nullopt;
}

} // namespace quorvane
