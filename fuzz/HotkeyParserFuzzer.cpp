// Any text either parses to a chord that reads back equal from its canonical text, or fails with a usage error.
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/MacKeyCodes.h"
#include "Hotkeys/SystemHotkeys.h"
#include "Support/QuorvaneError.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    quorvane::HotkeyChord chord;
    try {
        chord = quorvane::HotkeyParser::parse(text);
    } catch (const quorvane::QuorvaneError& error) {
        if (error.code() != "usage" || error.exitCode() != 1 || error.message().empty())
            std::abort();
        if (!quorvane::hotkeyKeycaps(text).empty())
            std::abort();
        quorvane::HotkeyParser::parseLeader(text);
        return 0;
    }
    std::string canonical = chord.canonical();
    quorvane::HotkeyChord again = quorvane::HotkeyParser::parse(canonical);
    if (!(again == chord) || again.canonical() != canonical)
        std::abort();
    if (chord.modifiers.empty() || (chord.isLeader() && chord.modifiers.size() != 1))
        std::abort();
    if (chord.display().empty() || quorvane::hotkeyKeycaps(text).size() != chord.modifiers.size() + 1)
        std::abort();
    quorvane::MacKeyCodes::code(chord.key);
    quorvane::SystemHotkeys::reservation(chord);
    quorvane::HotkeyParser::parseLeader(chord.key.canonical());
    return 0;
}
