#include "X11/TestKeyboard.h"

#include "Platforms/X11/XcbXkb.h"

#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace quorvane::test {

Keyboard::Keyboard()
    : m_connection(xcb_connect(nullptr, nullptr))
{
    std::free(xcb_xkb_use_extension_reply(m_connection, xcb_xkb_use_extension(m_connection, 1, 0), nullptr));
}

Keyboard::~Keyboard()
{
    xcb_disconnect(m_connection);
}

void Keyboard::press(uint8_t key)
{
    send(XCB_KEY_PRESS, key);
}

void Keyboard::release(uint8_t key)
{
    send(XCB_KEY_RELEASE, key);
}

void Keyboard::chord(std::initializer_list<uint8_t> keys)
{
    for (uint8_t key : keys)
        press(key);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        release(*key);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

uint16_t Keyboard::lockedModifiers()
{
    auto* state
        = xcb_xkb_get_state_reply(m_connection, xcb_xkb_get_state(m_connection, XCB_XKB_ID_USE_CORE_KBD), nullptr);
    uint16_t locked = state ? state->lockedMods : 0;
    std::free(state);
    return locked;
}

void Keyboard::setLocks(bool caps, bool num)
{
    uint8_t mods = (caps ? XCB_MOD_MASK_LOCK : 0) | (num ? XCB_MOD_MASK_2 : 0);
    xcb_xkb_latch_lock_state(
        m_connection, XCB_XKB_ID_USE_CORE_KBD, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2, mods, 0, 0, 0, 0, 0);
    sync();
}

void Keyboard::lockGroup(uint8_t group)
{
    xcb_xkb_latch_lock_state(m_connection, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1, group, 0, 0, 0);
    sync();
}

void Keyboard::grab(uint8_t key, uint16_t modifiers)
{
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_grab_key(m_connection, 0, root, modifiers, key, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    sync();
}

void Keyboard::sync()
{
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void Keyboard::send(uint8_t type, uint8_t key)
{
    xcb_test_fake_input(m_connection, type, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
}

std::vector<std::string> KeyLog::take(double quiet)
{
    std::vector<std::string> lines;
    while (std::optional<std::string> line = m_window.process.readLine(quiet))
        lines.push_back(line->substr(0, line->rfind(' ')));
    return lines;
}

std::string press(uint8_t key, uint16_t state)
{
    return "press " + std::to_string(key) + " " + std::to_string(state);
}

std::string release(uint8_t key, uint16_t state)
{
    return "release " + std::to_string(key) + " " + std::to_string(state);
}

} // namespace quorvane::test
