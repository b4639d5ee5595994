#pragma once

namespace quorvane {

// Whether a System Settings window is on screen; `unknown` when the window list cannot be read.
enum class SettingsPresence {
    visible,
    absent,
    unknown,
};

} // namespace quorvane
