#include "Tiling/Direction.h"

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
    for (Direction direction : { Direction::left, Direction::right, Direction::up, Direction::down }) {
        if (text == toString(direction))
            return direction;
    }
    return std::nullopt;
}

} // namespace quorvane
