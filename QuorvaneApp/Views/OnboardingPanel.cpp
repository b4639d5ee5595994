#include "QuorvaneApp/Views/OnboardingPanel.h"

#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/TileKeys.h"
#include "QuorvaneApp/Platform/AppWindows.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/KeyCaps.h"
#include "QuorvaneApp/Views/SettingsControls.h"
#include "Router/DoctorCheck.h"

#include <algorithm>

namespace quorvane {

namespace {

using namespace SettingsControls;

constexpr std::string_view agentsPrefix = "agents.";

std::string introOf(SetupStep step, bool allowed)
{
    switch (step) {
    case SetupStep::welcome:
        return "Quorvane tiles windows from the keyboard. Try a chord below: it acts on your front window as "
               "always, and its keys light up here.";
    case SetupStep::accessibility:
        return allowed ? "Quorvane can read and move the windows of other applications on this desktop."
                       : "Quorvane cannot move windows on this desktop yet. This step checks again every second.";
    case SetupStep::commandLine:
        return "The quorvane command edits the configuration and tiles windows from a terminal or a script.";
    case SetupStep::skillFile:
        return AgentSettings::skillIntro;
    case SetupStep::agentHotkey:
        return "One chord opens your coding agent in the terminal you choose.";
    case SetupStep::done:
        return "Quorvane is set up. It stays in the tray: its menu has tile mode, layouts, web apps, the settings "
               "and this guide again.";
    }
    return "";
}

// The rows that say whether windows can be moved and keys seen, without the settings' own rows.
bool permissionRow(const DoctorCheck& check)
{
    return check.name != "tray" && check.name != "hotkeys" && check.name != "config"
        && check.name.find("gap") == std::string::npos;
}

} // namespace

OnboardingPanel::OnboardingPanel(MainLoop& loop, AppWindows& windows, const ConfigSource& config, Banner& banner,
    const ChordCheck& chords, Actions actions)
    : m_loop(loop)
    , m_windows(windows)
    , m_config(config)
    , m_banner(banner)
    , m_actions(std::move(actions))
    , m_agents(config, banner, chords, m_actions.agents)
{
    m_windows.setOnboardingEvents(SettingsEvents {
        m_self.bind([](OnboardingPanel& panel, const std::string& key, const std::string& value) {
            panel.edited(key, value);
        }),
        m_self.bind([](OnboardingPanel& panel, const std::string& key) { panel.pressed(key); }),
        nullptr,
        m_self.bind([](OnboardingPanel& panel) { panel.closedByPerson(); }),
    });
}

OnboardingPanel::~OnboardingPanel()
{
    m_windows.setOnboardingEvents({});
    if (m_timer)
        m_loop.cancelTimer(m_timer);
    if (m_open)
        m_windows.closeOnboarding();
}

void OnboardingPanel::show(SetupStep step)
{
    m_step = step;
    m_litChord.clear();
    m_finished = false;
    m_pending = false;
    m_open = true;
    m_form = build();
    m_windows.showOnboarding(m_form);
    syncTimer();
}

void OnboardingPanel::syncTimer()
{
    // Only the window-control step reads the desktop again by itself.
    bool wanted = m_open && m_step == SetupStep::accessibility;
    if (wanted && !m_timer) {
        m_timer = m_loop.addTimer(recheckSeconds, true, m_self.bind([](OnboardingPanel& panel) { panel.update(); }));
    } else if (!wanted && m_timer) {
        m_loop.cancelTimer(m_timer);
        m_timer = 0;
    }
}

void OnboardingPanel::close()
{
    if (!m_open)
        return;
    m_quietClose = true;
    m_windows.closeOnboarding();
    m_quietClose = false;
    // A backend that reports nothing still leaves the panel closed.
    m_open = false;
    syncTimer();
}

void OnboardingPanel::closedByPerson()
{
    if (!m_open)
        return;
    m_open = false;
    m_pending = false;
    syncTimer();
    if (!m_quietClose && m_actions.closed)
        m_actions.closed(m_finished);
}

void OnboardingPanel::refresh()
{
    if (!m_open || m_pending)
        return;
    m_pending = true;
    m_loop.post(m_self.bind([](OnboardingPanel& panel) {
        if (panel.m_pending)
            panel.update();
    }));
}

void OnboardingPanel::update()
{
    m_pending = false;
    if (!m_open)
        return;
    OnboardingForm form = build();
    if (form == m_form)
        return;
    m_form = std::move(form);
    m_windows.updateOnboarding(m_form);
}

void OnboardingPanel::noteChord(const std::string& chord)
{
    if (!m_open || m_step != SetupStep::welcome)
        return;
    m_litChord = chord;
    update();
}

void OnboardingPanel::turnTo(SetupStep step)
{
    m_step = step;
    m_litChord.clear();
    update();
    syncTimer();
}

void OnboardingPanel::pressed(const std::string& key)
{
    int at = rawValue(m_step);
    if (key == backKey) {
        if (std::optional<SetupStep> previous = setupStep(at - 1))
            turnTo(*previous);
    } else if (key == continueKey) {
        std::optional<SetupStep> next = setupStep(at + 1);
        if (next && mayContinue(m_step, m_actions.windowControlAllowed()))
            turnTo(*next);
    } else if (key == doneKey) {
        finish();
    } else if (key == linkKey) {
        m_link = m_actions.linkCommandLine();
        update();
    } else if (key.starts_with(agentsPrefix)) {
        m_agents.press(key);
        refresh();
    }
}

void OnboardingPanel::edited(const std::string& key, const std::string& value)
{
    if (key.starts_with(agentsPrefix)) {
        m_agents.edit(key, value);
        refresh();
    }
}

void OnboardingPanel::finish()
{
    GeneralConfig general = m_config.config().general;
    general.onboardingComplete = true;
    m_actions.saveGeneral(general);
    // A save the update refused leaves the panel open, its sentence in the status line.
    if (!m_config.config().general.onboardingComplete) {
        update();
        return;
    }
    m_finished = true;
    m_windows.closeOnboarding();
}

std::vector<OnboardingChord> OnboardingPanel::chords() const
{
    std::vector<OnboardingChord> chords;
    for (const ResolvedTileChord& resolved : TileKeys::resolved(m_config.config().general.tileHotkeys)) {
        // Return and Escape only leave tile mode.
        if (resolved.action.kind == TileAction::Kind::exit)
            continue;
        bool listed = std::any_of(
            chords.begin(), chords.end(), [&](const OnboardingChord& chord) { return chord.id == resolved.chord; });
        if (!listed)
            chords.push_back({ resolved.chord, KeyCaps::of(resolved.chord), resolved.title,
                !m_litChord.empty() && resolved.chord == m_litChord });
    }
    return chords;
}

std::vector<SettingsSection> OnboardingPanel::windowControlSections(bool allowed, const PermissionWording& wording)
{
    SettingsSection rows { "onboarding.checks", "What Quorvane finds", "", {} };
    std::vector<std::string> said;
    for (const DoctorCheck& check : m_actions.checks()) {
        // The desktop's own row often says what the window-control row says; once is enough.
        if (!permissionRow(check) || std::find(said.begin(), said.end(), check.detail) != said.end())
            continue;
        said.push_back(check.detail);
        rows.controls.push_back(SettingsControls::check("onboarding.check:" + check.name, check));
    }
    if (!allowed && !wording.windowControlHelp.empty())
        rows.controls.push_back(note("onboarding.help", wording.windowControlHelp));
    return { rows };
}

std::vector<SettingsSection> OnboardingPanel::commandLineSections()
{
    CommandLine place = m_actions.commandLine();
    SettingsSection section { "onboarding.command-line", "The quorvane command", "", {} };
    if (place.command)
        section.controls.push_back(note("onboarding.command", "This installation's command is " + *place.command + "."));
    if (place.onPath) {
        section.controls.push_back(note("onboarding.on-path",
            "quorvane is already on your PATH at " + *place.onPath + ". Try quorvane help in a terminal.",
            MenuTone::success));
    } else if (place.command) {
        section.controls.push_back(note("onboarding.on-path", "quorvane is not on your PATH yet."));
        section.controls.push_back(button(linkKey, "Link quorvane", "Link the quorvane command"));
    } else {
        section.controls.push_back(note("onboarding.on-path", "The quorvane command is not in this build."));
    }
    if (m_link)
        section.controls.push_back(
            note("onboarding.link-message", m_link->message, m_link->linked ? MenuTone::success : MenuTone::failure));
    return { section };
}

OnboardingForm OnboardingPanel::build()
{
    OnboardingForm form;
    form.title = windowTitle;
    form.eyebrow = eyebrow(m_step);
    form.heading = std::string(title(m_step));
    bool allowed = true;
    switch (m_step) {
    case SetupStep::welcome:
        form.chords = chords();
        for (const OnboardingChord& chord : form.chords) {
            if (!chord.lit)
                continue;
            std::string keys;
            for (const std::string& cap : chord.caps)
                keys += (keys.empty() ? "" : "+") + cap;
            form.pressedNote = "You pressed " + keys + ": " + chord.action + ".";
        }
        break;
    case SetupStep::accessibility: {
        allowed = m_actions.windowControlAllowed();
        PermissionWording wording = m_actions.wording();
        form.heading = wording.windowControlName;
        form.sections = windowControlSections(allowed, wording);
        break;
    }
    case SetupStep::commandLine:
        form.sections = commandLineSections();
        break;
    case SetupStep::skillFile: {
        SettingsSection skills = m_agents.skillSection();
        skills.intro.clear();
        form.sections = { std::move(skills) };
        break;
    }
    case SetupStep::agentHotkey:
        form.sections = { m_agents.agentSection() };
        break;
    case SetupStep::done:
        break;
    }
    form.intro = introOf(m_step, allowed);
    form.status = m_banner.text();
    if (!form.status.empty())
        form.statusTone = m_banner.isSuccess() ? MenuTone::success : MenuTone::failure;

    SettingsControl back = button(backKey, "Back", "Back");
    back.enabled = m_step != SetupStep::welcome;
    form.buttons.push_back(std::move(back));
    if (m_step == SetupStep::done) {
        form.buttons.push_back(button(doneKey, "Done", "Done"));
    } else {
        SettingsControl next = button(continueKey, "Continue", "Continue");
        next.enabled = mayContinue(m_step, allowed);
        form.buttons.push_back(std::move(next));
    }
    return form;
}

} // namespace quorvane
