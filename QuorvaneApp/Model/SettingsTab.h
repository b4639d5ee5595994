#pragma once

namespace quorvane {

// The tabs of the settings window.
enum class SettingsTab { general, tiling, hotkeys, apps, agents };

} // namespace quorvane
