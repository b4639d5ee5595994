#pragma once

namespace quorvane {

namespace QuorvaneVersion {
// The version the tool and the application report.
inline constexpr const char* current = "1.0.1";
// The schema version written as the root `version` key of config.toml.
inline constexpr int configSchema = 1;
} // namespace QuorvaneVersion

} // namespace quorvane
