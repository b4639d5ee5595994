#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// A 128-bit universally unique identifier (RFC 4122).
struct UUID {
    std::array<uint8_t, 16> bytes {};

    // The canonical 36-character text with upper-case hexadecimal digits.
    std::string uuidString() const;
    // A fresh random (version 4) identifier.
    static UUID random();
    // Reads the 36-character text in either case.
    static std::optional<UUID> parse(std::string_view text);

    friend bool operator==(const UUID&, const UUID&) = default;
};

} // namespace quorvane
