#include "Hotkeys/TileKeyGroup.h"

#include "Support/RawValue.h"

namespace quorvane {

std::string_view toString(TileKeyGroup group)
{
    switch (group) {
    case TileKeyGroup::focus:
        return "focus";
    case TileKeyGroup::move:
        return "move";
    case TileKeyGroup::layout:
        return "layout";
    case TileKeyGroup::more:
        return "more";
    }
    return {};
}

std::optional<TileKeyGroup> parseTileKeyGroup(std::string_view rawValue)
{
    return parseRawValue<TileKeyGroup>(
        rawValue, { TileKeyGroup::focus, TileKeyGroup::move, TileKeyGroup::layout, TileKeyGroup::more });
}

} // namespace quorvane
