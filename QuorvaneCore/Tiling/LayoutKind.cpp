#include "Tiling/LayoutKind.h"

#include "Support/RawValue.h"

#include <array>

namespace quorvane {

namespace {

constexpr std::array<LayoutKind, 6> allKinds = {
    LayoutKind::halves,
    LayoutKind::thirds,
    LayoutKind::quarters,
    LayoutKind::mainStack,
    LayoutKind::stackMain,
    LayoutKind::horizontal,
};

} // namespace

std::string_view toString(LayoutKind kind)
{
    switch (kind) {
    case LayoutKind::halves:
        return "halves";
    case LayoutKind::thirds:
        return "thirds";
    case LayoutKind::quarters:
        return "quarters";
    case LayoutKind::mainStack:
        return "mainStack";
    case LayoutKind::stackMain:
        return "stackMain";
    case LayoutKind::horizontal:
        return "horizontal";
    }
    __builtin_unreachable();
}

std::optional<LayoutKind> parseLayoutKind(std::string_view text)
{
    return parseRawValue<LayoutKind>(text, allKinds);
}

std::optional<LayoutKind> layoutKind(int number)
{
    if (number < 1 || number > static_cast<int>(allKinds.size()))
        return std::nullopt;
    return allKinds[static_cast<size_t>(number - 1)];
}

} // namespace quorvane
