#pragma once

#include "QuorvaneApp/Platform/StatusItem.h"
#include "QuorvaneApp/Platform/WeakSelf.h"

#include <functional>
#include <string>
#include <vector>

namespace quorvane {

class Banner;
class ConfigSource;
class MainLoop;
class UpdateChecker;
struct DoctorCheck;
struct RPCResponse;
struct UpdateCheckResult;

// What the tray item shows and what its menu does: the banner with its tone, tile mode, saved layouts, web
// apps, a newer release, about, the update check and quit. Every action goes the way the same action goes
// from a hotkey or the command line, and its failure reaches the banner. Main thread only.
class StatusMenu {
public:
    // The ways into the rest of the application.
    struct Actions {
        // Whether tile mode is on.
        std::function<bool()> tileMode;
        // Does what a hotkey firing `token` does ("quorvane.tile-mode", "quorvane.layout", a bundle id).
        std::function<void(const std::string& token)> fireToken;
        // Runs one command line through the request handler the socket uses.
        std::function<RPCResponse(const std::vector<std::string>& arguments)> runCommand;
        // Ends the application as a termination signal does.
        std::function<void()> quit;
        // Opens an http or https address in the desktop's browser; false when nothing could open it.
        std::function<bool(const std::string& url)> openURL;
        // The release feed's checks; none in a build without a feed, whose menu then has no update lines.
        UpdateChecker* updates = nullptr;
        // Brings up the settings window where it was last (on General the first time).
        std::function<void()> showSettings;
        // Opens the onboarding panel at its first step.
        std::function<void()> showSetupGuide;
    };

    // Line keys, the application's own: stable across rebuilds.
    static constexpr const char* bannerKey = "banner";
    static constexpr const char* tileModeKey = "tile-mode";
    static constexpr const char* cycleLayoutsKey = "cycle-layouts";
    static constexpr const char* layoutsKey = "layouts";
    static constexpr const char* saveLayoutKey = "save-layout";
    static constexpr const char* webAppsKey = "web-apps";
    static constexpr const char* newAppKey = "new-app";
    static constexpr const char* updateAvailableKey = "update-available";
    static constexpr const char* settingsKey = "settings";
    static constexpr const char* setupGuideKey = "setup-guide";
    static constexpr const char* aboutKey = "about";
    static constexpr const char* checkForUpdatesKey = "check-for-updates";
    static constexpr const char* quitKey = "quit";
    // A saved layout's line is this and its name; a web app's is the other and its slug.
    static constexpr const char* layoutPrefix = "layout:";
    static constexpr const char* webAppPrefix = "web-app:";

    StatusMenu(MainLoop&, StatusItem&, const ConfigSource&, Banner&, Actions);
    ~StatusMenu();
    StatusMenu(const StatusMenu&) = delete;
    StatusMenu& operator=(const StatusMenu&) = delete;

    // Something the menu shows has changed: it is rebuilt once the main loop's current work is done, once
    // however many changes come before that.
    void refresh();
    // Brings the item and its menu up to date now.
    void rebuild();
    // Runs the line with `key`; nothing when the menu has no such line or it is not enabled.
    void choose(const std::string& key);
    // The "tray" row of `quorvane doctor`.
    DoctorCheck trayCheck() const;

    // What the item shows, given the model's state.
    static StatusItemLook lookFor(bool tileMode);
    const StatusMenuContent& content() const { return m_content; }
    bool refreshPending() const { return m_pending; }

private:
    StatusMenuContent build() const;
    void saveLayout();
    // Reports a command's outcome as the settings edits do: its message, toned by its exit status.
    void report(const RPCResponse&);
    // Reports what an update check asked for from the menu found.
    void report(const UpdateCheckResult&);
    void openRelease();

    MainLoop& m_loop;
    StatusItem& m_item;
    const ConfigSource& m_config;
    Banner& m_banner;
    Actions m_actions;
    UpdateChecker* m_updates;
    StatusItemLook m_look;
    StatusMenuContent m_content;
    bool m_shown = false;
    bool m_pending = false;
    WeakSelf<StatusMenu> m_self { *this };
};

} // namespace quorvane
