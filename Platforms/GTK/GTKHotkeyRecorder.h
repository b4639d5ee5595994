#pragma once

#include "QuorvaneApp/Platform/SettingsForm.h"

#include <functional>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// The chord recorder of the application's windows: a button showing a chord's key caps that, pressed, grabs
// the keyboard so that even chords other programs (or the application itself) hold reach it, and hands back
// the next chord typed as text. Escape, losing the focus and five seconds without a chord give the keyboard
// back. Its accessible description reads the caps, or the prompt while it records. Main thread only.
namespace GTKHotkeyRecorder {

// What the recorder shows (and its description reads) while it records.
constexpr const char* recordingText = "Type a chord… (Esc cancels, Backspace clears)";

// The recorder of `control` (a chord control); `recorded` receives each chord typed ("" for Backspace alone).
GtkWidget* make(const SettingsControl& control, std::function<void(const std::string&)> recorded);
// Shows `wanted`'s key caps, unless the recorder is recording.
void refresh(GtkWidget* recorder, const SettingsControl& wanted);
// Whether a recorder holds the keyboard now: the application's own keys then wait.
bool recording();
// The chord text of a key pressed with the modifiers of `state` (GDK's mask) on the key whose unmodified
// keysym is `keyval` ("ctrl+opt+k", "shift+cmd+f5", "ctrl+print"); empty for a modifier key.
std::string chordText(unsigned state, unsigned keyval);

} // namespace GTKHotkeyRecorder

} // namespace quorvane
