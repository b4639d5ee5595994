#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// A modifier of a chord, declared in the order in which chords are written and compared.
enum class HotkeyModifier : uint8_t {
    ctrl,
    opt,
    shift,
    cmd,
    leader,
};

// Every modifier in declaration order.
inline constexpr HotkeyModifier allHotkeyModifiers[] = {
    HotkeyModifier::ctrl,
    HotkeyModifier::opt,
    HotkeyModifier::shift,
    HotkeyModifier::cmd,
    HotkeyModifier::leader,
};

// The raw value: "ctrl", "opt", "shift", "cmd" or "leader".
std::string_view toString(HotkeyModifier);

// Exactly the five raw values; the parser's aliases are not accepted here.
std::optional<HotkeyModifier> parseHotkeyModifier(std::string_view rawValue);

} // namespace quorvane
