#pragma once

#include "QuorvaneApp/Platform/OverlayPanels.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

typedef struct _GdkScreen GdkScreen;
typedef struct _GtkWidget GtkWidget;

namespace quorvane {

class GTKRingWindow;

// The overlay panels and rings drawn with GTK 3 on GLib's default main context. GTK must be initialised
// (GTKOverlayPanels::start) before one is made. Main thread only.
class GTKOverlayPanels : public OverlayPanels {
public:
    // Tells the window system where one of the windows goes: its title (unique among the panels and rings)
    // and its frame.
    using Placement = std::function<void(const std::string& title, const Frame& frame)>;

    // Initialises GTK on `display` (an X display name); answers whether it could open it.
    static bool start(const std::string& display);
    // Opens the Wayland display `name` beside the one GTK started on, for panels that are Wayland clients;
    // answers whether it could. After `start`. When the compositor goes, `lost` runs on the main loop (where
    // GDK alone would end the process).
    static bool openWayland(const std::string& name, std::function<void()> lost);

    // Panels on the display GTK started on, placing themselves.
    GTKOverlayPanels();
    // Panels on the Wayland display `openWayland` opened. A Wayland client cannot place its own windows:
    // `placement` is told where each goes whenever it shows or moves.
    explicit GTKOverlayPanels(Placement placement);
    ~GTKOverlayPanels() override;
    GTKOverlayPanels(const GTKOverlayPanels&) = delete;
    GTKOverlayPanels& operator=(const GTKOverlayPanels&) = delete;

    void show(PanelKind, const Frame&, const PanelContent&) override;
    void hide(PanelKind) override;
    void setRings(const std::vector<Ring>&) override;
    bool owns(const std::string& windowId) override;
    void setOnButton(std::function<void(PanelKind)> pressed) override { m_pressed = std::move(pressed); }

private:
    struct Panel {
        GtkWidget* window = nullptr;
        GtkWidget* content = nullptr;
        PanelContent shown;
        Frame frame;
    };

    Panel& panel(PanelKind);
    std::string ringTitle(size_t index) const;

    GdkScreen* m_screen;
    Placement m_placement;
    std::map<PanelKind, Panel> m_panels;
    std::vector<std::unique_ptr<GTKRingWindow>> m_rings;
    std::function<void(PanelKind)> m_pressed;
};

} // namespace quorvane
