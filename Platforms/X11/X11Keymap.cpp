#include "Platforms/X11/X11Keymap.h"

#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11KeyTable.h"

#include "Platforms/X11/XcbXkb.h"
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <system_error>

namespace quorvane {

namespace {

// The events that tell of a new keymap and of another group in effect.
void selectKeyboardEvents(xcb_connection_t* connection, int32_t deviceId)
{
    constexpr uint16_t events
        = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    constexpr uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP
        | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS
        | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    constexpr uint16_t stateParts = XCB_XKB_STATE_PART_MODIFIER_BASE | XCB_XKB_STATE_PART_MODIFIER_LATCH
        | XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_BASE | XCB_XKB_STATE_PART_GROUP_LATCH
        | XCB_XKB_STATE_PART_GROUP_LOCK;
    xcb_xkb_select_events_details_t details {};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = stateParts;
    details.stateDetails = stateParts;
    xcb_xkb_select_events_aux(
        connection, static_cast<xcb_xkb_device_spec_t>(deviceId), events, 0, 0, mapParts, mapParts, &details);
}

} // namespace

X11Keymap::X11Keymap(xcb_connection_t* connection)
    : m_connection(connection)
{
    uint16_t major = 0;
    uint16_t minor = 0;
    uint8_t errorBase = 0;
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, &major, &minor, &m_eventBase, &errorBase))
        throw std::system_error(ENOTSUP, std::generic_category(), "the X server has no XKB extension");
    m_deviceId = xkb_x11_get_core_keyboard_device_id(connection);
    m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (m_deviceId < 0 || !m_context)
        throw std::system_error(ENOTSUP, std::generic_category(), "the X server reports no core keyboard");
    reload();
    selectKeyboardEvents(connection, m_deviceId);
    xcb_flush(connection);
}

X11Keymap::~X11Keymap()
{
    xkb_state_unref(m_scratch);
    xkb_state_unref(m_state);
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

void X11Keymap::reload()
{
    xkb_keymap* keymap
        = xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return;
    xkb_state* state = xkb_x11_state_new_from_device(keymap, m_connection, m_deviceId);
    xkb_state* scratch = state ? xkb_state_new(keymap) : nullptr;
    if (!scratch) {
        xkb_state_unref(state);
        xkb_keymap_unref(keymap);
        return;
    }
    xkb_state_unref(m_scratch);
    xkb_state_unref(m_state);
    xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_state = state;
    m_scratch = scratch;
    m_keycodes.clear();

    m_numLockMask = 0;
    auto mapping = fetchReply<xcb_get_modifier_mapping_reply_t>(
        m_connection, xcb_get_modifier_mapping_reply, xcb_get_modifier_mapping(m_connection));
    if (mapping) {
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.reply);
        int perModifier = mapping->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier)
            for (int i = 0; i < perModifier; ++i) {
                xcb_keycode_t code = codes[modifier * perModifier + i];
                const xkb_keysym_t* syms = nullptr;
                if (code && xkb_keymap_key_get_syms_by_level(m_keymap, code, 0, 0, &syms) > 0
                    && syms[0] == XKB_KEY_Num_Lock)
                    m_numLockMask = uint16_t(1u << modifier);
            }
    }
}

bool X11Keymap::handleEvent(const xcb_generic_event_t& event)
{
    if ((event.response_type & 0x7F) != m_eventBase)
        return false;
    // Every XKB event carries its kind in the byte after the event code.
    switch (event.pad0) {
    case XCB_XKB_NEW_KEYBOARD_NOTIFY: {
        const auto& notify = reinterpret_cast<const xcb_xkb_new_keyboard_notify_event_t&>(event);
        if (notify.deviceID != m_deviceId || !(notify.changed & XCB_XKB_NKN_DETAIL_KEYCODES))
            return false;
        reload();
        return true;
    }
    case XCB_XKB_MAP_NOTIFY:
        reload();
        return true;
    case XCB_XKB_STATE_NOTIFY: {
        const auto& notify = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
        uint32_t before = group();
        xkb_state_update_mask(m_state, notify.baseMods, notify.latchedMods, notify.lockedMods,
            static_cast<xkb_layout_index_t>(notify.baseGroup), static_cast<xkb_layout_index_t>(notify.latchedGroup),
            notify.lockedGroup);
        if (group() == before)
            return false;
        m_keycodes.clear();
        return true;
    }
    default:
        return false;
    }
}

uint32_t X11Keymap::group() const
{
    return xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_EFFECTIVE);
}

uint16_t X11Keymap::modifierState() const
{
    // Keymaps read from an X server keep the eight core modifiers at the first eight indices, in core order.
    return static_cast<uint16_t>(xkb_state_serialize_mods(m_state, XKB_STATE_MODS_EFFECTIVE) & 0xFF);
}

const std::vector<xcb_keycode_t>& X11Keymap::keycodes(uint32_t keysym) const
{
    auto [known, added] = m_keycodes.try_emplace(keysym);
    if (added) {
        known->second = findKeycodes(keysym);
        if (std::optional<uint32_t> twin = X11KeyTable::twin(keysym)) {
            std::vector<xcb_keycode_t> more = findKeycodes(*twin);
            known->second.insert(known->second.end(), more.begin(), more.end());
        }
    }
    return known->second;
}

std::vector<xcb_keycode_t> X11Keymap::findKeycodes(uint32_t keysym) const
{
    xkb_layout_index_t groups = xkb_keymap_num_layouts(m_keymap);
    xkb_keycode_t lowest = xkb_keymap_min_keycode(m_keymap);
    xkb_keycode_t highest = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(m_keymap), 255);
    for (xkb_layout_index_t step = 0; step < groups; ++step) {
        xkb_layout_index_t wanted = (group() + step) % groups;
        std::vector<xcb_keycode_t> found;
        xkb_level_index_t foundLevel = 0;
        for (xkb_keycode_t code = lowest; code <= highest; ++code) {
            xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(m_keymap, code);
            if (layouts == 0)
                continue;
            // A key with fewer groups than the keymap repeats its first ones, as the server does.
            xkb_layout_index_t layout = wanted % layouts;
            xkb_level_index_t levels = xkb_keymap_num_levels_for_key(m_keymap, code, layout);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* syms = nullptr;
                int count = xkb_keymap_key_get_syms_by_level(m_keymap, code, layout, level, &syms);
                bool has = false;
                for (int i = 0; i < count; ++i)
                    has = has || syms[i] == keysym;
                if (!has)
                    continue;
                if (found.empty() || level < foundLevel) {
                    found = { static_cast<xcb_keycode_t>(code) };
                    foundLevel = level;
                } else if (level == foundLevel) {
                    found.push_back(static_cast<xcb_keycode_t>(code));
                }
                break;
            }
        }
        if (!found.empty())
            return found;
    }
    return {};
}

std::optional<uint32_t> X11Keymap::keyCode(xcb_keycode_t code, uint16_t state) const
{
    xkb_layout_index_t groups = xkb_keymap_num_layouts(m_keymap);
    xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(m_keymap, code);
    if (groups == 0 || layouts == 0)
        return std::nullopt;
    // Core events carry the group in bits 13 and 14 of their state.
    xkb_layout_index_t eventGroup = (state >> 13) & 3;
    for (xkb_layout_index_t step = 0; step < groups; ++step) {
        xkb_layout_index_t layout = ((eventGroup + step) % groups) % layouts;
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(m_keymap, code, layout, 0, &syms) > 0)
            if (std::optional<uint32_t> known = X11KeyTable::keyCode(syms[0]))
                return known;
    }
    return std::nullopt;
}

uint32_t X11Keymap::keysym(xcb_keycode_t code, uint16_t state) const
{
    xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(m_keymap, code);
    if (layouts == 0)
        return XKB_KEY_NoSymbol;
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(m_keymap, code, ((state >> 13) & 3) % layouts, 0, &syms) > 0)
        return syms[0];
    return XKB_KEY_NoSymbol;
}

std::string X11Keymap::characters(xcb_keycode_t code, uint16_t state) const
{
    // Setting every component of the scratch state makes it exactly the event's state.
    xkb_state_update_mask(m_scratch, state & 0xFF, 0, 0, (state >> 13) & 3, 0, 0);
    char buffer[64] = {};
    xkb_state_key_get_utf8(m_scratch, code, buffer, sizeof buffer);
    std::string typed(buffer);
    // Control characters (Return, Escape, ctrl+letter) type nothing visible.
    if (typed.size() == 1 && (static_cast<unsigned char>(typed[0]) < 0x20 || typed[0] == 0x7F))
        return {};
    return typed;
}

std::array<uint16_t, 4> X11Keymap::lockCombinations() const
{
    return { 0, XCB_MOD_MASK_LOCK, m_numLockMask, uint16_t(XCB_MOD_MASK_LOCK | m_numLockMask) };
}

uint16_t X11Keymap::modifierMask(const std::set<HotkeyModifier>& modifiers)
{
    uint16_t mask = 0;
    for (HotkeyModifier modifier : modifiers) {
        switch (modifier) {
        case HotkeyModifier::ctrl:
            mask |= XCB_MOD_MASK_CONTROL;
            break;
        case HotkeyModifier::opt:
            mask |= XCB_MOD_MASK_1;
            break;
        case HotkeyModifier::shift:
            mask |= XCB_MOD_MASK_SHIFT;
            break;
        case HotkeyModifier::cmd:
            mask |= XCB_MOD_MASK_4;
            break;
        case HotkeyModifier::leader:
            break;
        }
    }
    return mask;
}

std::set<HotkeyModifier> X11Keymap::modifiers(uint16_t state)
{
    std::set<HotkeyModifier> held;
    if (state & XCB_MOD_MASK_CONTROL)
        held.insert(HotkeyModifier::ctrl);
    if (state & XCB_MOD_MASK_1)
        held.insert(HotkeyModifier::opt);
    if (state & XCB_MOD_MASK_SHIFT)
        held.insert(HotkeyModifier::shift);
    if (state & XCB_MOD_MASK_4)
        held.insert(HotkeyModifier::cmd);
    return held;
}

} // namespace quorvane
