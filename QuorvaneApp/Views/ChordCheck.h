#pragma once

#include "Configuration/ResolvedTarget.h"

#include <string>

namespace quorvane {

class ConfigSource;
struct EffectiveHotkey;
class HotkeyRegistrar;

// Whether a chord the person records in a window may be saved: the grammar, the chords Quorvane binds
// already, and the desktop, which may have given the chord to another program, in that order. Main thread
// only.
class ChordCheck {
public:
    ChordCheck(const ConfigSource&, HotkeyRegistrar&, ApplicationIdCheck isApplicationId = {});

    // The canonical text of the chord `text` names, when it may fire `owner` (an application's id, a web
    // app's name or a built-in token, whose own chord is no clash; empty: nobody yet). Otherwise throws a
    // QuorvaneError whose message says why, naming what holds a chord Quorvane binds already.
    std::string verify(const std::string& text, const std::string& owner) const;

    // What a chord another program holds is told with.
    static std::string heldElsewhere(const std::string& canonical);

private:
    // What a row of the effective table fires, in words.
    std::string holder(const EffectiveHotkey&) const;

    const ConfigSource& m_config;
    HotkeyRegistrar& m_registrar;
    ApplicationIdCheck m_isApplicationId;
};

} // namespace quorvane
