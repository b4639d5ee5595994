#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The fixed key tables shared by the parser, the key faces and the key codes.
namespace HotkeyKeyTable {

// One of the 26 named keys: canonical name, keycap face and ANSI virtual key code.
struct NamedKey {
    std::string_view name;
    std::string_view face;
    uint32_t code;
};

// The 26 named keys in table order.
const std::vector<NamedKey>& namedKeys();

// The named key called `name` exactly, or nothing.
const NamedKey* namedKey(std::string_view name);

// The canonical name an alias stands for ("esc" → "escape", "left" → "left"), or nothing.
std::optional<std::string_view> alias(std::string_view name);

// The number of a function-key name: "f" then ASCII digits whose value is 1 to 20 ("f7", "f07").
// Runs of digits of any length are read without overflow.
std::optional<int> functionKeyNumber(std::string_view name);

// The virtual key code of F1 … F20.
uint32_t functionKeyCode(int number);

} // namespace HotkeyKeyTable

} // namespace quorvane
