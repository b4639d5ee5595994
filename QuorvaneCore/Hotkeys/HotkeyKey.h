#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace quorvane {

// The key of a chord: one letter or digit held lower-case, or a key name ("space", "f5").
struct HotkeyKey {
    enum class Kind : uint8_t {
        character,
        named,
    };

    Kind kind = Kind::named;
    std::string text;

    // A letter or digit key; `character` is one grapheme cluster, already lower-case.
    static HotkeyKey character(std::string character) { return { Kind::character, std::move(character) }; }
    // A key of the key table or a function key "f1" … "f20".
    static HotkeyKey named(std::string name) { return { Kind::named, std::move(name) }; }

    // The character itself or the key name.
    const std::string& canonical() const { return text; }

    friend bool operator==(const HotkeyKey&, const HotkeyKey&) = default;
};

// What a keycap shows for the key: "A", "Space", "←", "F5".
std::string hotkeyKeyFace(const HotkeyKey&);

} // namespace quorvane
