#pragma once

#include "QuorvaneApp/Platform/LoginItem.h"

namespace quorvane {

// The login item of the simulated desktop: remembers the last setting and how often it was set.
class SimulatedLoginItem : public LoginItem {
public:
    void setEnabled(bool enabled) override
    {
        m_enabled = enabled;
        ++m_changes;
    }

    bool enabled() const { return m_enabled; }
    int changes() const { return m_changes; }

private:
    bool m_enabled = false;
    int m_changes = 0;
};

} // namespace quorvane
