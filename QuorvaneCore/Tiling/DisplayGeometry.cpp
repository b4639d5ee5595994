#include "Tiling/DisplayGeometry.h"

#include "Tiling/DisplayNotice.h"
#include "Tiling/TileGeometry.h"

#include <algorithm>

namespace quorvane {

namespace {

// Display moves recognise a tiled window within 32 points of total deviation.
constexpr double displayMoveTolerance = 8;

bool holds(const Frame& area, double x, double y)
{
    return area.x <= x && x < area.x + area.width && area.y <= y && y < area.y + area.height;
}

} // namespace

DisplayShift displayMove(const Frame& window, const std::vector<Frame>& screens, int delta, double gap)
{
    if (screens.size() < 2)
        return DisplayShift::onlyOneDisplay();
    auto holder = std::find_if(
        screens.begin(), screens.end(), [&](const Frame& area) { return holds(area, window.midX(), window.midY()); });
    long long count = static_cast<long long>(screens.size());
    long long current = holder == screens.end() ? 0 : holder - screens.begin();
    long long target = ((current + delta % count) + count) % count;
    return DisplayShift::moved(
        frameMovedToDisplay(window, screens[static_cast<size_t>(current)], screens[static_cast<size_t>(target)], gap));
}

Frame frameMovedToDisplay(const Frame& window, const Frame& from, const Frame& to, double gap)
{
    if (auto slot = inferSlot(window, from, gap, displayMoveTolerance))
        return frameForTile(*slot, to, gap);
    double rx = 0, rw = 1, ry = 0, rh = 1;
    if (from.width != 0) {
        rx = (window.x - from.x) / from.width;
        rw = window.width / from.width;
    }
    if (from.height != 0) {
        ry = (window.y - from.y) / from.height;
        rh = window.height / from.height;
    }
    return { to.x + rx * to.width, to.y + ry * to.height, std::max(rw * to.width, 1.0), std::max(rh * to.height, 1.0) };
}

Frame displayNoticeFrame(const std::optional<Frame>& near, const NoticeSize& panel, const Frame& screen)
{
    const Frame& s = screen;
    double centerX = near ? near->x + near->width / 2 : s.x + s.width / 2;
    double anchor = near ? near->y : s.y + 48;
    double anchorHeight = near ? near->height : 0;

    double width = std::min(std::max(s.width - 16, 1.0), panel.width);
    double x = centerX - width / 2;
    double y = anchor - panel.height - 8;
    if (y < s.y + 8)
        y = anchor + anchorHeight + 8;
    if (x < s.x + 8)
        x = s.x + 8;
    if (x + width > s.x + s.width - 8)
        x = s.x + s.width - 8 - width;
    if (y + panel.height > s.y + s.height - 8)
        y = std::max(s.y + s.height - 8 - panel.height, s.y + 8);
    return { x, y, width, panel.height };
}

Frame appKitFrame(const Frame& fromTopLeft, double primaryHeight)
{
    return { fromTopLeft.x, primaryHeight - fromTopLeft.y - fromTopLeft.height, fromTopLeft.width, fromTopLeft.height };
}

Frame topLeftFrame(const Frame& fromAppKit, double primaryHeight)
{
    return appKitFrame(fromAppKit, primaryHeight);
}

} // namespace quorvane
