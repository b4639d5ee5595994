#include "Setup/SetupBesideSettings.h"

#include "Setup/ListedWindow.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// Slack for a side to count as fitting, against floating-point noise in window frames.
constexpr double fitSlack = 0.01;
// Overlaps closer than this count as equal, and the window nearer System Settings wins.
constexpr double overlapBand = 0.5;

bool isSystemSettings(const ListedWindow& window)
{
    if (window.bundleIdentifier == SetupBesideSettings::bundleIdentifier)
        return true;
    return std::ranges::find(SetupBesideSettings::ownerNames, window.ownerName)
        != SetupBesideSettings::ownerNames.end();
}

double horizontalOverlap(double x, double width, const Frame& frame)
{
    return std::max(0.0, std::min(x + width, frame.maxX()) - std::max(x, frame.x));
}

} // namespace

std::optional<ListedWindow> systemSettingsWindow(const std::vector<ListedWindow>& windows)
{
    const ListedWindow* best = nullptr;
    for (const ListedWindow& window : windows) {
        bool counts = window.onScreen && window.layer == 0 && window.bounds.width > SetupBesideSettings::sidebarWidth
            && window.bounds.height > SetupBesideSettings::minimumWindowHeight && isSystemSettings(window);
        if (!counts)
            continue;
        double area = window.bounds.width * window.bounds.height;
        if (!best || area > best->bounds.width * best->bounds.height)
            best = &window;
    }
    if (!best)
        return std::nullopt;
    return *best;
}

Frame accessibilityListFrame(const Frame& frame, double sidebarWidth)
{
    double shift = std::max(std::min(sidebarWidth, frame.width - 1), 0.0);
    return { frame.x + shift, frame.y, std::max(frame.width - shift, 1.0), frame.height };
}

WindowOrigin setupWindowBesideSettings(
    double width, double height, const Frame& anchor, const Frame& visibleFrame, double gap)
{
    const Frame& a = anchor;
    const Frame& v = visibleFrame;
    double w = std::max(width, 1.0);
    double h = std::max(height, 1.0);

    double y = std::min(std::max(a.maxY() - h, v.y), v.maxY() - h);
    if (v.height <= h)
        y = v.maxY() - h;

    double rightX = a.maxX() + gap;
    double leftX = a.x - gap - w;
    auto fits = [&](double x) { return v.x - fitSlack <= x && x + w <= v.maxX() + fitSlack; };
    bool rightFits = fits(rightX);
    bool leftFits = fits(leftX);
    if (rightFits && leftFits)
        return { v.maxX() - rightX >= a.x - gap - v.x ? rightX : leftX, y };
    if (rightFits)
        return { rightX, y };
    if (leftFits)
        return { leftX, y };

    Frame list = accessibilityListFrame(a, SetupBesideSettings::sidebarWidth);
    double candidates[] = { list.x - w, list.maxX(), leftX, rightX };
    double overlaps[std::size(candidates)];
    for (size_t index = 0; index < std::size(candidates); ++index) {
        candidates[index] = std::max(v.x, std::min(candidates[index], v.maxX() - w));
        overlaps[index] = horizontalOverlap(candidates[index], w, list);
    }
    double least = *std::min_element(std::begin(overlaps), std::end(overlaps));
    auto distanceToAnchor = [&](double x) { return std::abs(x + w / 2 - a.midX()); };
    std::optional<double> best;
    for (size_t index = 0; index < std::size(candidates); ++index) {
        if (overlaps[index] > least + overlapBand)
            continue;
        if (!best || distanceToAnchor(candidates[index]) < distanceToAnchor(*best))
            best = candidates[index];
    }
    return { *best, y };
}

} // namespace quorvane
