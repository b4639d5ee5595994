#pragma once

#include "Tiling/Frame.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvane {

struct ListedWindow;

// Docking the setup window beside System Settings, so that the permission list stays in view.
namespace SetupBesideSettings {
// Points between the setup window and System Settings.
inline constexpr double gap = 16;
// How long, and how often (seconds), to look for the System Settings window after opening it.
inline constexpr double pollSeconds = 3.0;
inline constexpr double pollInterval = 0.2;
// The width of System Settings' sidebar; a window must be wider than this to count.
inline constexpr double sidebarWidth = 240;
// A window must be taller than this to count.
inline constexpr double minimumWindowHeight = 180;
inline constexpr std::string_view bundleIdentifier = "com.apple.systempreferences";
inline constexpr std::array<std::string_view, 2> ownerNames = { "System Settings", "System Preferences" };
} // namespace SetupBesideSettings

// A window origin in the window system's screen space (y grows upward).
struct WindowOrigin {
    double x = 0;
    double y = 0;

    friend bool operator==(const WindowOrigin&, const WindowOrigin&) = default;
};

// The largest on-screen, layer-0 System Settings window of a useful size, the earlier one on equal area.
std::optional<ListedWindow> systemSettingsWindow(const std::vector<ListedWindow>& windows);

// The frame of the list beside System Settings' sidebar: `frame` without its first `sidebarWidth`
// points (at most all but one point; a negative sidebar width counts as none).
Frame accessibilityListFrame(const Frame& frame, double sidebarWidth);

// Where a setup window of `width` × `height` goes beside `anchor` (the System Settings frame) inside
// `visibleFrame`, `gap` apart: top edges aligned, on the roomier side that fits (the right one on a tie).
// When neither side fits, it overlaps System Settings where it hides the least of the permission list.
// All rectangles are in the window system's screen space, where y grows upward.
WindowOrigin setupWindowBesideSettings(
    double width, double height, const Frame& anchor, const Frame& visibleFrame, double gap);

} // namespace quorvane
