#pragma once

#include "QuorvaneApp/Platform/AppWindows.h"
#include "QuorvaneApp/Platform/SettingsForm.h"

#include <map>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// The controls of a window drawn from a form, by key: each control's widgets as last given, and what the
// person does in them reported to `events`, except while the application's own changes are applied (between
// `beginUpdate` and `endUpdate`). Main thread only.
class GTKFormControls {
public:
    struct Control {
        SettingsControl shown;
        GtkWidget* input = nullptr;
        // The line under the input, where the window lays one out.
        GtkWidget* hint = nullptr;
        // The text last given or handed back, for text fields and typed choices.
        std::string current;
    };

    // `events` must outlive the controls.
    explicit GTKFormControls(const SettingsEvents& events);
    GTKFormControls(const GTKFormControls&) = delete;
    GTKFormControls& operator=(const GTKFormControls&) = delete;

    // Makes the widget of `control` (anything but a row) and keeps it under the control's key.
    GtkWidget* add(const SettingsControl& control);
    // Brings the kept control with `wanted`'s key in line with it, its hint included.
    void refresh(const SettingsControl& wanted);
    Control& at(const std::string& key) { return m_controls.at(key); }
    const std::map<std::string, Control>& all() const { return m_controls; }
    void forget(const std::vector<std::string>& keys);
    void clear() { m_controls.clear(); }

    void beginUpdate() { m_updating = true; }
    void endUpdate() { m_updating = false; }
    bool updating() const { return m_updating; }

private:
    // Hands the text of a field (or a typed choice) back when it differs from what was last given.
    void commitText(const std::string& key);
    void edited(const std::string& key, const std::string& value);
    void pressed(const std::string& key);

    const SettingsEvents& m_events;
    std::map<std::string, Control> m_controls;
    bool m_updating = false;
};

} // namespace quorvane
