#include "Tiling/TileSlot.h"

#include "Support/RawValue.h"
#include "Support/UnicodeText.h"

#include <string>
#include <utility>

namespace quorvane {

std::string_view toString(TileSlot slot)
{
    switch (slot) {
    case TileSlot::leftHalf:
        return "left-half";
    case TileSlot::rightHalf:
        return "right-half";
    case TileSlot::topHalf:
        return "top-half";
    case TileSlot::bottomHalf:
        return "bottom-half";
    case TileSlot::leftThird:
        return "left-third";
    case TileSlot::centerThird:
        return "center-third";
    case TileSlot::rightThird:
        return "right-third";
    case TileSlot::leftTwoThirds:
        return "left-two-thirds";
    case TileSlot::rightTwoThirds:
        return "right-two-thirds";
    case TileSlot::topLeft:
        return "top-left";
    case TileSlot::topRight:
        return "top-right";
    case TileSlot::bottomLeft:
        return "bottom-left";
    case TileSlot::bottomRight:
        return "bottom-right";
    case TileSlot::fill:
        return "fill";
    }
    __builtin_unreachable();
}

std::optional<TileSlot> parseTileSlot(std::string_view text)
{
    static constexpr std::pair<std::string_view, TileSlot> aliases[] = {
        { "maximize", TileSlot::fill },
        { "max", TileSlot::fill },
        { "full", TileSlot::fill },
        { "left", TileSlot::leftHalf },
        { "right", TileSlot::rightHalf },
        { "top", TileSlot::topHalf },
        { "bottom", TileSlot::bottomHalf },
    };
    std::string name = UnicodeText::lowercased(UnicodeText::trimmed(text));
    for (const auto& [alias, slot] : aliases) {
        if (name == alias)
            return slot;
    }
    return parseRawValue<TileSlot>(name, allTileSlots);
}

} // namespace quorvane
