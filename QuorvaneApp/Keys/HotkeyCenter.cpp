#include "QuorvaneApp/Keys/HotkeyCenter.h"

#include "Configuration/EffectiveHotkeys.h"
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/MacKeyCodes.h"
#include "QuorvaneApp/Platform/HotkeyRegistrar.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/Platform.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "Router/DoctorCheck.h"
#include "Support/UnicodeText.h"

#include <algorithm>

namespace quorvane {

HotkeyCenter::HotkeyCenter(
    const Platform& platform, const ConfigSource& config, std::function<bool()> tileModeOn)
    : m_registrar(platform.hotkeys)
    , m_permissions(platform.permissions)
    , m_config(config)
    , m_tileModeOn(std::move(tileModeOn))
    , m_tap(platform.keyboardTap, platform.mainLoop)
{
}

HotkeyCenter::~HotkeyCenter()
{
    for (uint32_t id : m_refs)
        m_registrar.unregisterChord(id);
}

void HotkeyCenter::start()
{
    installHandler();
    m_tap.start();
    rebind();
}

void HotkeyCenter::rebind()
{
    const QuorvaneConfig& config = m_config.config();
    std::vector<Binding> table;
    // The effective table holds only chords that parse.
    for (const EffectiveHotkey& row : effectiveHotkeys(config))
        table.push_back(Binding { row.bundleIdentifier, HotkeyParser::parse(row.chord) });
    apply(table, m_tileModeOn(), HotkeyParser::parseLeader(config.general.leaderKey));
}

void HotkeyCenter::noteInputMonitoring()
{
    if (!m_tap.running()) {
        installHandler();
        m_tap.start();
        if (!m_tap.running()) {
            m_inputMonitoringOn = false;
            return;
        }
    }
    if (!m_inputMonitoringOn) {
        m_inputMonitoringOn = true;
        // Leader chords and tile mode take effect without a restart.
        rebind();
    }
}

void HotkeyCenter::retryRefused()
{
    // Chords already held keep their registrations, so trying again lets no press slip through.
    if (!m_refused.empty())
        rebind();
}

std::vector<DoctorCheck> HotkeyCenter::permissionChecks()
{
    retryRefused();
    PermissionWording wording = m_permissions.wording();
    std::vector<DoctorCheck> checks;
    if (m_tap.running())
        checks.push_back(DoctorCheck { "keyboard", DoctorCheck::Status::pass, wording.keyboardWatched });
    else if (!UnicodeText::trimmed(m_config.config().general.leaderKey).empty())
        checks.push_back(DoctorCheck { "keyboard", DoctorCheck::Status::warn, wording.leaderKeyWaits });
    else
        checks.push_back(DoctorCheck { "keyboard", DoctorCheck::Status::warn, wording.tileModeWaits });
    for (const std::string& chord : m_refused) {
        checks.push_back(DoctorCheck {
            "hotkeys", DoctorCheck::Status::warn, chord + " is held by another program, so it does nothing." });
    }
    return checks;
}

void HotkeyCenter::setOnAction(std::function<void(const TapAction&)> onAction)
{
    m_onAction = onAction;
    m_tap.setOnAction(std::move(onAction));
}

void HotkeyCenter::installHandler()
{
    if (m_handlerInstalled)
        return;
    m_handlerInstalled = true;
    m_registrar.setPressHandler(m_self.bind([](HotkeyCenter& center, uint32_t id) { center.fire(id); }));
}

void HotkeyCenter::release()
{
    HotkeyRegistrar& registrar = m_registrar;
    for (uint32_t id : m_refs)
        registrar.unregisterChord(id);
    m_refs.clear();
    m_tokens.clear();
    m_chords.clear();
    m_signatures.clear();
    m_tap.update(false, std::nullopt, {});
}

void HotkeyCenter::apply(
    const std::vector<Binding>& permanent, bool tileMode, const std::optional<HotkeyKey>& leaderKey)
{
    if (!m_tap.running())
        m_tap.start();
    m_leaderKeyCode = leaderKey ? MacKeyCodes::code(*leaderKey) : std::nullopt;

    std::vector<std::pair<std::string, uint32_t>> leaderTokens;
    for (const Binding& binding : permanent) {
        if (!binding.chord.isLeader())
            continue;
        if (std::optional<uint32_t> code = MacKeyCodes::code(binding.chord.key))
            leaderTokens.emplace_back(binding.token, *code);
    }

    // A chord held before and still bound keeps its registration, only its token changes: letting go and
    // taking it again would let a press in between reach the focused window.
    std::map<std::string, uint32_t> held;
    for (uint32_t id : m_refs)
        held[m_signatures.at(id)] = id;
    m_refs.clear();
    m_tokens.clear();
    m_chords.clear();
    m_signatures.clear();

    // The first registration of a key and modifiers holds it; a refused one leaves it to later rows.
    std::set<std::string> registered;
    std::vector<std::pair<std::string, std::string>> refused;
    for (const Binding& binding : permanent) {
        if (binding.chord.isLeader())
            continue;
        std::optional<uint32_t> code = MacKeyCodes::code(binding.chord.key);
        if (!code)
            continue;
        std::string signature
            = std::to_string(*code) + "-" + std::to_string(MacKeyCodes::carbonModifiers(binding.chord.modifiers));
        if (registered.contains(signature))
            continue;
        std::optional<uint32_t> id;
        if (auto kept = held.find(signature); kept != held.end()) {
            id = kept->second;
            held.erase(kept);
        } else {
            id = registerChord(*code, binding.chord.modifiers);
        }
        if (!id) {
            refused.emplace_back(signature, binding.chord.canonical());
            continue;
        }
        registered.insert(signature);
        m_refs.push_back(*id);
        m_tokens[*id] = binding.token;
        m_chords[*id] = binding.chord.canonical();
        m_signatures[*id] = signature;
    }
    for (const auto& [signature, id] : held)
        m_registrar.unregisterChord(id);
    m_refused.clear();
    for (const auto& [signature, chord] : refused) {
        if (!registered.contains(signature) && std::find(m_refused.begin(), m_refused.end(), chord) == m_refused.end())
            m_refused.push_back(chord);
    }

    m_tap.update(tileMode && m_tap.running(), m_leaderKeyCode, leaderTokens);
}

std::optional<uint32_t> HotkeyCenter::registerChord(uint32_t keyCode, const std::set<HotkeyModifier>& modifiers)
{
    uint32_t id = m_nextID++;
    if (!m_registrar.registerChord(id, KeyChord { keyCode, modifiers }))
        return std::nullopt;
    return id;
}

void HotkeyCenter::fire(uint32_t id)
{
    auto found = m_tokens.find(id);
    if (found == m_tokens.end() || !m_onAction)
        return;
    if (auto chord = m_chords.find(id); chord != m_chords.end() && m_onChord)
        m_onChord(chord->second);
    m_onAction(TapAction::forToken(found->second));
}

} // namespace quorvane
