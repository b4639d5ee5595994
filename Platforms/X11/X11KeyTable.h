#pragma once

#include <cstdint>
#include <optional>

namespace quorvane {

// The X keysym of every key the chord grammar names, keyed by the application's own key code
// (`MacKeyCodes::code`): the letters and digits, the named keys and F1 to F20.
namespace X11KeyTable {

// The keysym of the key with this code ("h" → XKB_KEY_h, "return" → XKB_KEY_Return), or none.
std::optional<uint32_t> keysym(uint32_t keyCode);

// The key code whose key types this keysym, or none. Letters are found by their lower-case keysym, and a
// key's twin (see below) by the key's own.
std::optional<uint32_t> keyCode(uint32_t keysym);

// The keysym of another key that counts as the key of `keysym`, or none: the keypad's Enter is Return.
std::optional<uint32_t> twin(uint32_t keysym);

} // namespace X11KeyTable

} // namespace quorvane
