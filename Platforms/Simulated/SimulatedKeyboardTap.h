#pragma once

#include "QuorvaneApp/Platform/KeyboardTap.h"

#include <mutex>

namespace quorvane {

class MainLoop;

// The keyboard of the simulated desktop: typed and scripted keys go through the tap's handler first, and
// the keys it does not swallow reach the application in front.
class SimulatedKeyboardTap : public KeyboardTap {
public:
    // One key of a script: typed `delay` virtual seconds after the one before.
    struct ScriptedKey {
        double delay = 0;
        KeyEvent event;
    };

    explicit SimulatedKeyboardTap(MainLoop&);

    // Whether input monitoring is allowed.
    void setAvailable(bool);
    // Types one key now, on the calling thread; true when the tap swallowed it.
    bool type(const KeyEvent&);
    // Types the keys as virtual time passes.
    void script(const std::vector<ScriptedKey>&);
    // Keys that reached the application in front.
    std::vector<KeyEvent> passedThrough() const;
    KeyInterest interest() const;

    bool available() override;
    bool start(Handler) override;
    bool running() override;
    void setInterest(const KeyInterest&) override;

private:
    MainLoop& m_loop;
    mutable std::mutex m_mutex;
    bool m_available = false;
    bool m_running = false;
    Handler m_handler;
    KeyInterest m_interest;
    std::vector<KeyEvent> m_passed;
};

} // namespace quorvane
