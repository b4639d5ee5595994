#pragma once

#include "QuorvaneApp/Platform/HotkeyRegistrar.h"

#include <xcb/xcb.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quorvane {

class X11Connection;
class X11EventSource;
class X11Keymap;

// Chords as passive key grabs on the root window, on a connection of their own: one grab per key code and
// per combination of the lock modifiers, so a chord works whatever Caps Lock and Num Lock say. Grabs follow
// keymap and layout-group changes. Create and use on the main thread.
class X11HotkeyRegistrar : public HotkeyRegistrar {
public:
    // Connects to `displayName`; throws std::system_error when the server does not answer or has no XKB.
    explicit X11HotkeyRegistrar(const std::string& displayName);
    ~X11HotkeyRegistrar() override;

    // False when the key has no keysym in the key table or no key types it, or when any of its grabs is
    // refused (another client holds the chord); a refused chord keeps none of its grabs.
    bool registerChord(uint32_t id, const KeyChord& chord) override;
    void unregisterChord(uint32_t id) override;
    // A test grab of every key and lock combination, given back at once. A key nothing types is free: its
    // registration fails for another reason.
    bool chordFree(const KeyChord& chord) override;
    // Each press fires once however long the chord is held.
    void setPressHandler(std::function<void(uint32_t id)> handler) override;

private:
    struct Registration {
        KeyChord chord;
        // (key code, modifier mask) of every grab held.
        std::vector<std::pair<xcb_keycode_t, uint16_t>> grabs;
    };

    // Grabs the chord's keys as the keymap now resolves them; false (and nothing held) when one is refused.
    bool grab(Registration&);
    void ungrab(Registration&);
    void handleEvent(const xcb_generic_event_t&);

    std::unique_ptr<X11Connection> m_connection;
    std::unique_ptr<X11Keymap> m_keymap;
    std::unique_ptr<X11EventSource> m_events;
    std::map<uint32_t, Registration> m_registrations;
    std::function<void(uint32_t)> m_pressHandler;
    // Keys down that fired, so the key's auto-repeat does not fire again.
    std::set<xcb_keycode_t> m_down;
};

} // namespace quorvane
