#pragma once

#include "QuorvaneApp/Platform/OverlayPanels.h"

#include <map>
#include <optional>
#include <set>

namespace quorvane {

// The overlay of the simulated desktop: remembers what each panel shows.
class SimulatedOverlayPanels : public OverlayPanels {
public:
    struct Shown {
        Frame frame;
        PanelContent content;
    };

    // The panel of `kind` while it is shown.
    std::optional<Shown> shown(PanelKind) const;
    const std::vector<Ring>& rings() const { return m_rings; }
    // Makes `owns` claim a window id.
    void claim(const std::string& windowId) { m_owned.insert(windowId); }

    void show(PanelKind, const Frame&, const PanelContent&) override;
    void hide(PanelKind) override;
    void setRings(const std::vector<Ring>&) override;
    bool owns(const std::string& windowId) override { return m_owned.contains(windowId); }
    void setOnButton(std::function<void(PanelKind)> pressed) override { m_pressed = std::move(pressed); }
    // Clicks the button of the panel of `kind`; false when it shows none.
    bool pressButton(PanelKind);

private:
    std::map<PanelKind, Shown> m_shown;
    std::vector<Ring> m_rings;
    std::set<std::string> m_owned;
    std::function<void(PanelKind)> m_pressed;
};

} // namespace quorvane
