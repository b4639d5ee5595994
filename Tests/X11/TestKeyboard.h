#pragma once

#include "X11/VirtualDesktop.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace quorvane::test {

// X key codes of the virtual desktop's keyboard (evdev, us).
constexpr uint8_t keyE = 26, keyQ = 24, keyH = 43, keyJ = 44, keyF = 41, keyG = 42, keySpace = 65, keyReturn = 36,
                  keyKeypadEnter = 104;
constexpr uint8_t keyControl = 37, keyAlt = 64, keyShift = 50, keySuper = 133, keyCaps = 66;

// A keyboard for tests: XTest presses and releases, lock and group state through XKB.
class Keyboard {
public:
    Keyboard();
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    void press(uint8_t key);
    void release(uint8_t key);
    // Presses the keys in order and releases them in reverse, then rests as a typist would between keys.
    void chord(std::initializer_list<uint8_t> keys);
    uint16_t lockedModifiers();
    void setLocks(bool caps, bool num);
    void lockGroup(uint8_t group);
    // Grabs a chord for this client, as another program holding it would.
    void grab(uint8_t key, uint16_t modifiers);
    // Waits until the server has handled everything sent so far.
    void sync();

private:
    void send(uint8_t type, uint8_t key);

    xcb_connection_t* m_connection;
};

// The key events a `--keys` test window logged, as "press KEY STATE" and "release KEY STATE".
class KeyLog {
public:
    explicit KeyLog(TestWindow& window)
        : m_window(window)
    {
    }
    // Every event logged until the window is quiet for `quiet` seconds.
    std::vector<std::string> take(double quiet = 0.3);

private:
    TestWindow& m_window;
};

std::string press(uint8_t key, uint16_t state = 0);
std::string release(uint8_t key, uint16_t state = 0);

} // namespace quorvane::test
