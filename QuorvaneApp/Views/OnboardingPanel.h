#pragma once

#include "QuorvaneApp/Platform/OnboardingForm.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/WeakSelf.h"
#include "QuorvaneApp/Setup/CLILink.h"
#include "QuorvaneApp/Views/AgentSettings.h"
#include "Setup/SetupStep.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class AppWindows;
class Banner;
class ChordCheck;
class ConfigSource;
class MainLoop;
struct DoctorCheck;
struct GeneralConfig;

// The onboarding panel: six steps with their eyebrow, heading and Back, Continue and Done. Welcome shows the
// tile chords as key caps and lights up a chord when it is pressed; the window-control step shows the
// permission rows as `quorvane doctor` words them, read again every second; the command-line step links
// the `quorvane` command; the skill and agent steps are the Agents tab's own controls. Done saves
// `onboarding_complete` through the general-settings update. Main thread only.
class OnboardingPanel {
public:
    static constexpr const char* windowTitle = "Quorvane Setup";
    static constexpr const char* backKey = "onboarding.back";
    static constexpr const char* continueKey = "onboarding.continue";
    static constexpr const char* doneKey = "onboarding.done";
    static constexpr const char* linkKey = "onboarding.link";
    // How often the window-control step reads the permission rows again.
    static constexpr double recheckSeconds = 1;

    // Where the `quorvane` command is.
    struct CommandLine {
        // The command of this installation; none when the build has none.
        std::optional<std::string> command;
        // The `quorvane` the PATH finds first; none when it finds none.
        std::optional<std::string> onPath;
    };

    struct Actions {
        // Whether windows can be read and moved now (the model records what it finds).
        std::function<bool()> windowControlAllowed;
        // The permission rows of `quorvane doctor`.
        std::function<std::vector<DoctorCheck>()> checks;
        std::function<PermissionWording()> wording;
        std::function<CommandLine()> commandLine;
        // Links the command into the PATH; gives the sentence for the person.
        std::function<CLILink::Outcome()> linkCommandLine;
        // Validates, saves and applies general settings.
        std::function<void(const GeneralConfig&)> saveGeneral;
        AgentSettings::Actions agents;
        // The person closed the panel (`finished`: with Done). Not called for `close`.
        std::function<void(bool finished)> closed;
    };

    OnboardingPanel(MainLoop&, AppWindows&, const ConfigSource&, Banner&, const ChordCheck&, Actions);
    ~OnboardingPanel();
    OnboardingPanel(const OnboardingPanel&) = delete;
    OnboardingPanel& operator=(const OnboardingPanel&) = delete;

    // Opens the panel at `step`, or turns the open one to it and brings it forward.
    void show(SetupStep step);
    // Closes the panel without its close-time actions (the application is quitting).
    void close();
    // Something the panel shows may have changed: brought up to date once the main loop's current work is
    // done. Nothing while it is closed.
    void refresh();
    // A chord with this canonical text fired: on the welcome step its caps light up and its action is named.
    void noteChord(const std::string& chord);

    bool isOpen() const { return m_open; }
    SetupStep step() const { return m_step; }
    const OnboardingForm& form() const { return m_form; }

private:
    OnboardingForm build();
    void update();
    void pressed(const std::string& key);
    void edited(const std::string& key, const std::string& value);
    void turnTo(SetupStep step);
    void syncTimer();
    void finish();
    void closedByPerson();
    std::vector<OnboardingChord> chords() const;
    std::vector<SettingsSection> windowControlSections(bool allowed, const PermissionWording&);
    std::vector<SettingsSection> commandLineSections();

    MainLoop& m_loop;
    AppWindows& m_windows;
    const ConfigSource& m_config;
    Banner& m_banner;
    Actions m_actions;
    AgentSettings m_agents;
    OnboardingForm m_form;
    SetupStep m_step = SetupStep::welcome;
    bool m_open = false;
    bool m_pending = false;
    bool m_quietClose = false;
    bool m_finished = false;
    std::string m_litChord;
    std::optional<CLILink::Outcome> m_link;
    uint64_t m_timer = 0;
    WeakSelf<OnboardingPanel> m_self { *this };
};

} // namespace quorvane
