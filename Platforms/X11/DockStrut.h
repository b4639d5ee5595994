#pragma once

#include "Tiling/Frame.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace quorvane {

// The screen edges a dock reserves: up to four bands along the root window's edges.
struct DockStrut {
    enum class Edge { left, right, top, bottom };
    struct Band {
        // The root window's edge the band runs along.
        Edge edge;
        Frame frame;
    };
    // Each band as a rectangle of the root window; empty bands are left out.
    std::vector<Band> bands;

    // From `_NET_WM_STRUT_PARTIAL` (12 values) or `_NET_WM_STRUT` (4 values, each band the full edge); none
    // for any other count.
    static std::optional<DockStrut> fromValues(
        const std::vector<uint32_t>& values, double rootWidth, double rootHeight);
};

// A monitor's rectangle without the bands of the docks that touch it: each band that overlaps the monitor
// pushes in the monitor's edge on the band's side.
Frame visibleFrame(const Frame& monitor, const std::vector<DockStrut>& struts);

} // namespace quorvane
