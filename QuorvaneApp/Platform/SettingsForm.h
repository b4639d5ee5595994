#pragma once

#include "QuorvaneApp/Platform/StatusItem.h"

#include <string>
#include <vector>

namespace quorvane {

// One entry of a choice.
struct SettingsChoice {
    std::string id;
    std::string label;

    friend bool operator==(const SettingsChoice&, const SettingsChoice&) = default;
};

// One control of the settings window. Its `key` is the application's own, differs from every other
// control's of the window and stays the same across updates: a backend keeps a control by its key and
// hands the key back with each edit.
struct SettingsControl {
    enum class Kind {
        // On or off; `value` is "true" or "false".
        toggle,
        // A number between `minimum` and `maximum` in steps of `step`; `value` in decimal.
        number,
        // One of `choices`; `value` is the chosen id. When `editable`, text may be typed instead, and `value`
        // is that text.
        choice,
        // A line of text, handed back when accepted (Enter) or left, or at every change when `live`.
        text,
        // Pressed.
        button,
        // A sentence to read (`value`), toned.
        note,
        // One line of a list: its `cells` side by side, then its `buttons`.
        row,
        // A chord recorder showing `value`'s key caps, `cells`. Pressed, it takes the keyboard and hands back
        // the next chord typed, as text ("ctrl+opt+k"), or "" for Backspace alone; Escape, leaving the window
        // and five seconds without a chord give the keyboard back and hand back nothing.
        chord,
        // A spinner turning beside the sentence `value`, while work the window waits for runs.
        busy,
    };

    Kind kind = Kind::note;
    std::string key;
    std::string label;
    // What a screen reader (and a test) calls the control; empty: the label.
    std::string accessibleName;
    std::string value;
    // A line under the control.
    std::string hint;
    std::vector<SettingsChoice> choices;
    double minimum = 0;
    double maximum = 0;
    double step = 1;
    bool editable = false;
    bool live = false;
    bool enabled = true;
    MenuTone tone = MenuTone::plain;
    std::vector<std::string> cells;
    // A row's picture before its cells: an image file, drawn small; nothing when empty or unreadable.
    std::string image;
    std::vector<SettingsControl> buttons;

    friend bool operator==(const SettingsControl&, const SettingsControl&) = default;
};

// A titled group of controls, with an optional sentence before them.
struct SettingsSection {
    std::string key;
    std::string title;
    std::string intro;
    std::vector<SettingsControl> controls;

    friend bool operator==(const SettingsSection&, const SettingsSection&) = default;
};

// One tab.
struct SettingsPage {
    std::string key;
    std::string title;
    std::vector<SettingsSection> sections;

    friend bool operator==(const SettingsPage&, const SettingsPage&) = default;
};

// The whole settings window: its tabs and the status line under them, which reads as a menu line does.
struct SettingsForm {
    std::string title;
    std::vector<SettingsPage> pages;
    std::string status;
    MenuTone statusTone = MenuTone::plain;

    friend bool operator==(const SettingsForm&, const SettingsForm&) = default;
};

} // namespace quorvane
