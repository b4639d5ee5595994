#include "Platforms/X11/DockStrut.h"

#include <algorithm>

namespace quorvane {

std::optional<DockStrut> DockStrut::fromValues(const std::vector<uint32_t>& values, double rootWidth, double rootHeight)
{
    if (values.size() != 12 && values.size() != 4)
        return std::nullopt;
    bool partial = values.size() == 12;
    // The first and last row or column of a band; a plain strut spans the whole edge.
    auto span = [&](size_t first, double length) {
        if (!partial)
            return std::pair<double, double> { 0, length };
        double start = values[first];
        double end = values[first + 1];
        return std::pair<double, double> { start, std::max(start, end + 1) };
    };
    double left = values[0], right = values[1], top = values[2], bottom = values[3];
    DockStrut strut;
    auto add = [&](Edge edge, Frame band) {
        if (band.width > 0 && band.height > 0)
            strut.bands.push_back({ edge, band });
    };
    auto [leftStart, leftEnd] = span(4, rootHeight);
    add(Edge::left, { 0, leftStart, left, leftEnd - leftStart });
    auto [rightStart, rightEnd] = span(6, rootHeight);
    add(Edge::right, { rootWidth - right, rightStart, right, rightEnd - rightStart });
    auto [topStart, topEnd] = span(8, rootWidth);
    add(Edge::top, { topStart, 0, topEnd - topStart, top });
    auto [bottomStart, bottomEnd] = span(10, rootWidth);
    add(Edge::bottom, { bottomStart, rootHeight - bottom, bottomEnd - bottomStart, bottom });
    return strut;
}

Frame visibleFrame(const Frame& monitor, const std::vector<DockStrut>& struts)
{
    double minX = monitor.x, minY = monitor.y, maxX = monitor.maxX(), maxY = monitor.maxY();
    for (const DockStrut& strut : struts) {
        for (const DockStrut::Band& band : strut.bands) {
            const Frame& area = band.frame;
            bool overlaps = area.x < monitor.maxX() && area.maxX() > monitor.x && area.y < monitor.maxY()
                && area.maxY() > monitor.y;
            if (!overlaps)
                continue;
            switch (band.edge) {
            case DockStrut::Edge::left:
                minX = std::max(minX, area.maxX());
                break;
            case DockStrut::Edge::right:
                maxX = std::min(maxX, area.x);
                break;
            case DockStrut::Edge::top:
                minY = std::max(minY, area.maxY());
                break;
            case DockStrut::Edge::bottom:
                maxY = std::min(maxY, area.y);
                break;
            }
        }
    }
    return { minX, minY, std::max(0.0, maxX - minX), std::max(0.0, maxY - minY) };
}

} // namespace quorvane
