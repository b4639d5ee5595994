#pragma once

namespace quorvane {

enum class SettingsPresence;

// Remembers whether the guided setup opened System Settings itself, so that it only closes what it opened.
struct SetupSettingsSession {
    bool openedByQuorvane = false;

    // Notes a press of the open-settings button made while System Settings had the given presence.
    void noteButtonClick(SettingsPresence presence);
    // Whether System Settings is to be closed once the permission is granted.
    bool closesSystemSettingsOnGrant() const { return openedByQuorvane; }

    friend bool operator==(const SetupSettingsSession&, const SetupSettingsSession&) = default;
};

} // namespace quorvane
