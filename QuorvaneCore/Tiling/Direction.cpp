#include "Tiling/Direction.h"

#include "Support/RawValue.h"

namespace quorvane {

std::string_view toString(Direction direction)
{
    switch (direction) {
    case Direction::left:
        return "left";
    case Direction::right:
        return "right";
    case Direction::up:
        return "up";
    case Direction::down:
        return "down";
    }
    __builtin_unreachable();
}

std::optional<Direction> parseDirection(std::string_view text)
{
    return parseRawValue<Direction>(text, { Direction::left, Direction::right, Direction::up, Direction::down });
}

} // namespace quorvane
