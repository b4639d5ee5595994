#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

typedef struct _AtspiAccessible AtspiAccessible;

namespace quorvane::test {

// One node of a program's accessible tree on the accessibility bus, as a screen reader sees it; holds a
// reference to it. Empty when nothing was found.
class Accessible {
public:
    Accessible() = default;
    // Takes over a reference.
    explicit Accessible(AtspiAccessible* adopted);
    Accessible(const Accessible&);
    Accessible& operator=(const Accessible&);
    ~Accessible();

    explicit operator bool() const { return m_node != nullptr; }
    AtspiAccessible* get() const { return m_node; }
    std::string name() const;
    // What the node says of itself beyond its name, such as a chord recorder that is recording.
    std::string description() const;
    // The role as AT-SPI names it: "push button", "page tab", "spin button", "text", "label", "frame"...
    std::string role() const;
    std::vector<Accessible> children() const;
    // The first node at or under this one with `role` and `name`, depth first; empty when there is none.
    Accessible find(const std::string& role, const std::string& name) const;
    // Every node at or under this one with `role`.
    std::vector<Accessible> findAll(const std::string& role) const;
    bool showing() const;
    bool selected() const;
    bool sensitive() const;
    // Whether it has the keyboard's focus.
    bool focused() const;
    // Gives it the keyboard's focus.
    bool grabFocus() const;

    // Runs the action called `action` ("click", "activate", "toggle"), or the first one when empty.
    bool act(const std::string& action = "") const;
    // A spin button's value, set as a person would.
    bool setValue(double value) const;
    std::optional<double> value() const;
    // Replaces an editable text's contents.
    bool setText(const std::string& text) const;
    std::string text() const;
    // Turns a notebook to this page tab through its list's selection.
    bool selectTab() const;

private:
    AtspiAccessible* m_node = nullptr;
};

// The accessibility bus of the desktop in this process's environment. Open it once in a process: the
// library cannot start again once it has stopped.
class AccessibilityBus {
public:
    AccessibilityBus();
    ~AccessibilityBus();
    AccessibilityBus(const AccessibilityBus&) = delete;
    AccessibilityBus& operator=(const AccessibilityBus&) = delete;

    // The program registered as `name` (its program name); waits up to `seconds` for it to register.
    Accessible application(const std::string& name, double seconds = 10);
};

// Polls `look` every 20 ms until it finds something or `seconds` pass.
Accessible waitFor(const std::function<Accessible()>& look, double seconds = 5);

} // namespace quorvane::test
