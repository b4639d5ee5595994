#pragma once

#include "Tiling/Frame.h"

#include <functional>
#include <string>
#include <vector>

namespace quorvane {

// The kinds of small always-on-top panels the application shows; each kind has at most one panel.
enum class PanelKind {
    // The tile-mode cheat sheet.
    cheatSheet,
    // The one-line notice ("Only one display connected").
    notice,
    // The agent launcher's toast.
    toast,
};

// One row of a panel: a label and the keys that do it, under a group heading.
struct PanelRow {
    std::string group;
    std::string label;
    std::string keys;
    // The keys as their caps read, in order.
    std::vector<std::string> caps;
    // The group's tint: rows of one group share it, and each group has its own (0, 1, 2, …).
    unsigned tint = 0;

    friend bool operator==(const PanelRow&, const PanelRow&) = default;
};

// What a panel shows. Its look is the backend's; the texts are the application's.
struct PanelContent {
    std::string title;
    std::string subtitle;
    std::vector<PanelRow> rows;
    std::vector<std::string> notes;
    // The label of a button under the notes; empty: none.
    std::string button;

    friend bool operator==(const PanelContent&, const PanelContent&) = default;
};

// A ring drawn around a managed window while tile mode is on.
struct Ring {
    Frame frame;
    bool focused = false;

    friend bool operator==(const Ring&, const Ring&) = default;
};

// Panels that never take focus and never activate the application. Main thread only; frames are in the
// global top-left space.
class OverlayPanels {
public:
    virtual ~OverlayPanels() = default;

    // Shows (or updates) the panel of `kind` at `frame`.
    virtual void show(PanelKind kind, const Frame& frame, const PanelContent& content) = 0;
    // Hides the panel of `kind`; a hidden one stays hidden.
    virtual void hide(PanelKind kind) = 0;
    // Draws exactly these rings; an empty list removes them all.
    virtual void setRings(const std::vector<Ring>& rings) = 0;
    // Whether the window with this id is one of the panels or rings.
    virtual bool owns(const std::string& windowId) = 0;
    // `pressed` gets the kind of panel whose button was clicked.
    virtual void setOnButton(std::function<void(PanelKind)> pressed) = 0;
};

} // namespace quorvane
