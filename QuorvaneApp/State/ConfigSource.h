#pragma once

#include <cstdint>

namespace quorvane {

struct QuorvaneConfig;

// The configuration in force, as every part but the config life cycle reads it. Main thread only.
class ConfigSource {
public:
    virtual ~ConfigSource() = default;

    virtual const QuorvaneConfig& config() const = 0;
    // Grows by one whenever another configuration comes into force.
    virtual uint64_t generation() const = 0;
};

} // namespace quorvane
