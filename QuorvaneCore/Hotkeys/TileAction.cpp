#include "Hotkeys/TileAction.h"

#include "Support/RawValue.h"

#include <vector>

namespace quorvane {

std::string TileAction::token() const
{
    switch (kind) {
    case Kind::focus:
        return "tile:focus-" + std::string(toString(direction));
    case Kind::move:
        return "tile:move-" + std::string(toString(direction));
    case Kind::layout:
        return "tile:layout-" + std::to_string(number);
    case Kind::fill:
        return "tile:fill";
    case Kind::nextDisplay:
        return "tile:next-display";
    case Kind::previousDisplay:
        return "tile:previous-display";
    case Kind::exit:
        return "tile:exit";
    }
    return {};
}

std::optional<TileAction> TileAction::fromToken(std::string_view token)
{
    static const std::vector<TileAction> all = [] {
        std::vector<TileAction> actions;
        for (Direction direction : { Direction::left, Direction::right, Direction::up, Direction::down }) {
            actions.push_back(focus(direction));
            actions.push_back(move(direction));
        }
        for (int number = 1; number <= 6; ++number)
            actions.push_back(layout(number));
        actions.insert(actions.end(), { fill(), nextDisplay(), previousDisplay(), exit() });
        return actions;
    }();
    return parseRawValue<TileAction>(token, all, &TileAction::token);
}

} // namespace quorvane
