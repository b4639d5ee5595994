#pragma once

#include "QuorvaneApp/Platform/HotkeyRegistrar.h"

#include <map>
#include <set>

namespace quorvane {

class MainLoop;

// Global chords of the simulated desktop; chords another program holds are refused.
class SimulatedHotkeyRegistrar : public HotkeyRegistrar {
public:
    explicit SimulatedHotkeyRegistrar(MainLoop&);

    // Another program holds `chord`: registering it fails.
    void refuse(const KeyChord& chord);
    // The next registration of `chord` fails, later ones work (a program held it for a moment).
    void refuseOnce(const KeyChord& chord);
    // The user presses `chord`: the press handler is posted with its id. False when nothing holds it.
    bool press(const KeyChord& chord);
    // Every registration in force, by id.
    const std::map<uint32_t, KeyChord>& registrations() const { return m_registrations; }
    // How many registrations were attempted, refused ones included.
    int attempts() const { return m_attempts; }

    bool registerChord(uint32_t id, const KeyChord& chord) override;
    void unregisterChord(uint32_t id) override;
    // Free unless another program holds it.
    bool chordFree(const KeyChord& chord) override { return !m_refused.contains(chord); }
    void setPressHandler(std::function<void(uint32_t id)>) override;

private:
    MainLoop& m_loop;
    std::set<KeyChord> m_refused;
    std::set<KeyChord> m_refusedOnce;
    std::map<uint32_t, KeyChord> m_registrations;
    int m_attempts = 0;
    std::function<void(uint32_t)> m_pressHandler;
};

} // namespace quorvane
