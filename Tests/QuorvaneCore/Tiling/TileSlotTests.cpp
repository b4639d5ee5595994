#include "Tiling/Direction.h"
#include "Tiling/LayoutKind.h"
#include "Tiling/TileSlot.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(TileSlot, ParsesWhatPeopleType)
{
    const std::pair<const char*, std::optional<TileSlot>> cases[] = {
        { "left-two-thirds", TileSlot::leftTwoThirds },
        { "  Left-Half\n", TileSlot::leftHalf },
        { "\u00A0fill\u2003", TileSlot::fill },
        { "MAXIMIZE", TileSlot::fill },
        { "\tTop\t", TileSlot::topHalf },
        { "left half", std::nullopt },
        { "center", std::nullopt },
        { "", std::nullopt },
        { "\xff", std::nullopt },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseTileSlot(text), expected) << '"' << text << '"';
    for (TileSlot slot : allTileSlots)
        EXPECT_EQ(parseTileSlot(toString(slot)), slot) << toString(slot);
}

TEST(TileSlot, LayoutNumbersAndNames)
{
    const char* kinds[] = { "halves", "thirds", "quarters", "mainStack", "stackMain", "horizontal" };
    for (int number = 1; number <= 6; ++number) {
        EXPECT_EQ(parseLayoutKind(kinds[number - 1]), layoutKind(number));
        EXPECT_EQ(toString(layoutKind(number).value()), kinds[number - 1]);
    }
    for (int number : { 0, 7, -1 })
        EXPECT_EQ(layoutKind(number), std::nullopt) << number;
    EXPECT_EQ(parseDirection("up"), Direction::up);
    EXPECT_EQ(parseDirection("Left"), std::nullopt);
}

} // namespace
} // namespace quorvane
