#include "Platforms/X11/X11HotkeyRegistrar.h"

#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11EventSource.h"
#include "Platforms/X11/X11KeyTable.h"
#include "Platforms/X11/X11Keymap.h"

#include "Platforms/X11/XcbXkb.h"

#include <cstdlib>

namespace quorvane {

X11HotkeyRegistrar::X11HotkeyRegistrar(const std::string& displayName)
    : m_connection(std::make_unique<X11Connection>(displayName))
    , m_keymap(std::make_unique<X11Keymap>(m_connection->xcb()))
{
    // Held keys then repeat as presses alone, without the release the server would put between them.
    xcb_xkb_per_client_flags(m_connection->xcb(), XCB_XKB_ID_USE_CORE_KBD,
        XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0);
    m_connection->flush();
    m_events = std::make_unique<X11EventSource>(
        *m_connection, [this](const xcb_generic_event_t& event) { handleEvent(event); }, [] {});
}

X11HotkeyRegistrar::~X11HotkeyRegistrar()
{
    m_events.reset();
}

bool X11HotkeyRegistrar::grab(Registration& registration)
{
    std::optional<uint32_t> keysym = X11KeyTable::keysym(registration.chord.keyCode);
    if (!keysym)
        return false;
    const std::vector<xcb_keycode_t>& codes = m_keymap->keycodes(*keysym);
    if (codes.empty())
        return false;
    xcb_connection_t* xcb = m_connection->xcb();
    uint16_t mask = X11Keymap::modifierMask(registration.chord.modifiers);
    std::vector<std::pair<std::pair<xcb_keycode_t, uint16_t>, xcb_void_cookie_t>> sent;
    for (xcb_keycode_t code : codes)
        for (uint16_t locks : m_keymap->lockCombinations()) {
            uint16_t modifiers = mask | locks;
            // Without a Num Lock modifier two of the combinations are the same grab.
            bool repeated = false;
            for (const auto& [grabbed, cookie] : sent)
                repeated = repeated || grabbed == std::pair(code, modifiers);
            if (!repeated)
                sent.push_back({ { code, modifiers },
                    xcb_grab_key_checked(
                        xcb, 0, m_connection->root(), modifiers, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC) });
        }
    bool refused = false;
    for (const auto& [grabbed, cookie] : sent) {
        if (xcb_generic_error_t* error = xcb_request_check(xcb, cookie)) {
            refused = true;
            std::free(error);
        } else {
            registration.grabs.push_back(grabbed);
        }
    }
    if (refused)
        ungrab(registration);
    return !refused;
}

void X11HotkeyRegistrar::ungrab(Registration& registration)
{
    for (const auto& [code, modifiers] : registration.grabs)
        xcb_ungrab_key(m_connection->xcb(), code, m_connection->root(), modifiers);
    registration.grabs.clear();
    m_connection->flush();
}

bool X11HotkeyRegistrar::registerChord(uint32_t id, const KeyChord& chord)
{
    unregisterChord(id);
    Registration registration { chord, {} };
    if (!grab(registration))
        return false;
    m_registrations.emplace(id, std::move(registration));
    return true;
}

void X11HotkeyRegistrar::unregisterChord(uint32_t id)
{
    auto found = m_registrations.find(id);
    if (found == m_registrations.end())
        return;
    ungrab(found->second);
    m_registrations.erase(found);
}

bool X11HotkeyRegistrar::chordFree(const KeyChord& chord)
{
    for (const auto& [id, registration] : m_registrations) {
        // A grab of one's own would be replaced by the test grab and then lost with it.
        if (registration.chord == chord)
            return true;
    }
    std::optional<uint32_t> keysym = X11KeyTable::keysym(chord.keyCode);
    if (!keysym || m_keymap->keycodes(*keysym).empty())
        return true;
    Registration test { chord, {} };
    if (!grab(test))
        return false;
    ungrab(test);
    return true;
}

void X11HotkeyRegistrar::setPressHandler(std::function<void(uint32_t id)> handler)
{
    m_pressHandler = std::move(handler);
}

void X11HotkeyRegistrar::handleEvent(const xcb_generic_event_t& event)
{
    if (m_keymap->handleEvent(event)) {
        // The same chords on the keys that now type them; a chord refused on its new keys stays registered
        // without grabs and comes back at the next change that frees them.
        for (auto& [id, registration] : m_registrations) {
            ungrab(registration);
            grab(registration);
        }
        // A key held across the change may release where the grab no longer sees it.
        m_down.clear();
        return;
    }
    uint8_t type = event.response_type & 0x7F;
    if (type == XCB_KEY_RELEASE) {
        m_down.erase(reinterpret_cast<const xcb_key_release_event_t&>(event).detail);
        return;
    }
    if (type != XCB_KEY_PRESS)
        return;
    const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
    m_connection->noteTime(press.time);
    if (!m_down.insert(press.detail).second)
        return;
    uint16_t held = press.state & (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
    for (const auto& [id, registration] : m_registrations)
        for (const auto& [code, modifiers] : registration.grabs)
            if (code == press.detail && (modifiers & ~uint16_t(XCB_MOD_MASK_LOCK | m_keymap->numLockMask())) == held) {
                if (m_pressHandler)
                    m_pressHandler(id);
                return;
            }
}

} // namespace quorvane
