#pragma once

#include "QuorvaneApp/Platform/KeyChord.h"

#include <cstdint>
#include <functional>

namespace quorvane {

// Global chords registered with the desktop: they fire whichever application is in front. Main thread only.
class HotkeyRegistrar {
public:
    virtual ~HotkeyRegistrar() = default;

    // Registers `chord` under `id`; false when the desktop refuses it (another program holds it).
    virtual bool registerChord(uint32_t id, const KeyChord& chord) = 0;
    // Drops the registration `id`; an unknown id is ignored.
    virtual void unregisterChord(uint32_t id) = 0;
    // Whether `chord` could be registered now: false when another program holds it. A chord this registrar
    // holds itself is free. Desktops that cannot tell without taking the chord answer true.
    virtual bool chordFree(const KeyChord& chord)
    {
        (void)chord;
        return true;
    }
    // `handler` is posted to the main loop with the id of each registered chord pressed.
    virtual void setPressHandler(std::function<void(uint32_t id)> handler) = 0;
};

} // namespace quorvane
