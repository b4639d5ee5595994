#pragma once

#include <string>
#include <vector>

namespace quorvane {

// Chords as a PC keyboard labels their keys, for key caps on screen and for what a screen reader says.
namespace KeyCaps {

// The caps of a chord ("Ctrl", "Alt", "Shift", "Super", then the key); empty when the text is no chord.
std::vector<std::string> of(const std::string& chord);

// The caps joined by "+" ("Ctrl+Alt+Super+L"); the text itself when it is no chord.
std::string spoken(const std::string& chord);

} // namespace KeyCaps

} // namespace quorvane
