#pragma once

#include "Hotkeys/HotkeyModifier.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace quorvane {

// The keyboard of one X connection as XKB describes it: which key codes type a keysym, what a key event
// types, and which modifier bit Num Lock sets. Follows keymap and layout-group changes once `handleEvent`
// sees the XKB notifications it selects. Use from one thread.
class X11Keymap {
public:
    // Sets XKB up on `connection` and reads the keymap; throws std::system_error when the server has no XKB.
    explicit X11Keymap(xcb_connection_t* connection);
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    // The first event code of XKB on the connection.
    uint8_t eventBase() const { return m_eventBase; }
    // Reads an XKB notification; true when what keys resolve to may have changed (a new keymap, or another
    // layout group in effect).
    bool handleEvent(const xcb_generic_event_t&);

    // The X key codes that type `keysym`: in the layout group in effect when it has the keysym, otherwise in
    // the first group after it (in group order) that has it, at the lowest shift level it appears on; then
    // those of its twin (X11KeyTable::twin). Kept until `handleEvent` next reports a change.
    const std::vector<xcb_keycode_t>& keycodes(uint32_t keysym) const;
    // The application's key code of an X key code (the first group, in group order from the event's, whose
    // keysym the key table knows), or none.
    std::optional<uint32_t> keyCode(xcb_keycode_t, uint16_t state) const;
    // The keysym the key types at its first level in the event's group.
    uint32_t keysym(xcb_keycode_t, uint16_t state) const;
    // What the key types with the event's modifiers and group, UTF-8.
    std::string characters(xcb_keycode_t, uint16_t state) const;

    // The core modifier mask in effect as the latest XKB notification told it.
    uint16_t modifierState() const;
    // The modifier bit of Num Lock (usually Mod2), 0 when no key sets one.
    uint16_t numLockMask() const { return m_numLockMask; }
    // The four combinations of the lock modifiers a grab is repeated for: none, Caps Lock, Num Lock, both.
    std::array<uint16_t, 4> lockCombinations() const;
    // The core modifier mask of ctrl, opt, shift and cmd.
    static uint16_t modifierMask(const std::set<HotkeyModifier>&);
    // ctrl, opt, shift and cmd held in a core event state.
    static std::set<HotkeyModifier> modifiers(uint16_t state);

private:
    void reload();
    std::vector<xcb_keycode_t> findKeycodes(uint32_t keysym) const;
    uint32_t group() const;

    xcb_connection_t* m_connection;
    xkb_context* m_context = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xkb_state* m_state = nullptr;
    // Set to each key event's modifiers to ask what the key types, so a press allocates no state of its own.
    xkb_state* m_scratch = nullptr;
    int32_t m_deviceId = -1;
    uint8_t m_eventBase = 0;
    uint16_t m_numLockMask = 0;
    // The answers of `keycodes` for the keymap and group in effect: grabs are brought up to date on every
    // leader press, while the keyboard waits.
    mutable std::map<uint32_t, std::vector<xcb_keycode_t>> m_keycodes;
};

} // namespace quorvane
