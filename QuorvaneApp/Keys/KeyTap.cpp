#include "QuorvaneApp/Keys/KeyTap.h"

#include "Hotkeys/MacKeyCodes.h"
#include "Hotkeys/TileKeys.h"
#include "QuorvaneApp/Platform/KeyboardTap.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "Support/UnicodeText.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace quorvane {

namespace {

struct TileKeyCodes {
    // By shift (0 without, 1 with): the action of each bound key code, the first binding of a code winning.
    std::array<std::map<uint32_t, TileAction>, 2> actions;
    // By shift: every text a bound key reports, with its action, in binding order.
    std::array<std::vector<std::pair<std::string, TileAction>>, 2> characters;
    // Every reported text is its own lower case, so a direct match is the one the binding table finds first.
    bool reportsLowerCase = true;
    // Every key code tile mode acts on, sorted; and by shift, the codes with an action.
    std::vector<uint32_t> codes;
    std::array<std::vector<uint32_t>, 2> codesByShift;
};

// The tile keys by code and by text, built once: the lookup runs on every key press in tile mode.
const TileKeyCodes& tileKeyCodes()
{
    static const TileKeyCodes table = [] {
        TileKeyCodes made;
        for (const TileKeyBinding& binding : TileKeys::bindings()) {
            size_t shift = binding.shifted ? 1 : 0;
            for (const std::string& reported : binding.characters) {
                made.characters[shift].emplace_back(reported, binding.action);
                made.reportsLowerCase = made.reportsLowerCase && UnicodeText::lowercased(reported) == reported;
            }
            std::optional<uint32_t> code = MacKeyCodes::code(binding.key);
            if (!code)
                continue;
            made.actions[shift].emplace(*code, binding.action);
            made.codes.push_back(*code);
        }
        std::sort(made.codes.begin(), made.codes.end());
        made.codes.erase(std::unique(made.codes.begin(), made.codes.end()), made.codes.end());
        for (size_t shift : { 0, 1 })
            for (const auto& [code, action] : made.actions[shift])
                made.codesByShift[shift].push_back(code);
        return made;
    }();
    return table;
}

// What `TileKeys::action` answers, without walking the binding table on every key.
std::optional<TileAction> tileKeyAction(uint32_t keyCode, const std::string& characters, bool shift)
{
    const TileKeyCodes& table = tileKeyCodes();
    size_t index = shift ? 1 : 0;
    if (auto found = table.actions[index].find(keyCode); found != table.actions[index].end())
        return found->second;
    // Keys whose codes differ on this keyboard are found by what they type.
    if (characters.empty())
        return std::nullopt;
    if (!table.reportsLowerCase)
        return TileKeys::action(keyCode, characters, shift);
    auto match = [&](const std::string& typed) -> std::optional<TileAction> {
        for (const auto& [reported, action] : table.characters[index]) {
            if (reported == typed)
                return action;
        }
        return std::nullopt;
    };
    if (std::optional<TileAction> action = match(characters))
        return action;
    return match(UnicodeText::lowercased(characters));
}

// Shift alone does not count: Shift+E still completes "leader+e", and Shift+H moves in tile mode.
bool holdsModifiers(const KeyEvent& event)
{
    return event.modifiers.contains(HotkeyModifier::ctrl) || event.modifiers.contains(HotkeyModifier::opt)
        || event.modifiers.contains(HotkeyModifier::cmd);
}

} // namespace

struct KeyTap::Shared : std::enable_shared_from_this<Shared> {
    Shared(KeyboardTap& tap, MainLoop& loop)
        : tap(tap)
        , loop(loop)
    {
    }

    bool consume(const KeyEvent& event);
    // Main thread: tells the platform which keys matter now, and again when an armed leader lapses.
    void refreshInterest();

    KeyboardTap& tap;
    MainLoop& loop;
    std::mutex lock;
    KeyTapState state;
    // Main thread only.
    std::function<void(const TapAction&)> onAction;
    bool detached = false;
    TimerId lapseTimer = 0;
};

bool KeyTap::Shared::consume(const KeyEvent& event)
{
    if (event.type == KeyEvent::Type::tapDisabled)
        return false;
    double now = loop.now();
    KeyDecision decision;
    bool interestChanged;
    {
        std::lock_guard guard(lock);
        bool wasArmed = state.armed(now);
        double until = state.leaderArmedUntil;
        decision = nextDecision(state, event, now);
        interestChanged = wasArmed != state.armed(now) || (wasArmed && until != state.leaderArmedUntil);
    }
    if (decision.action) {
        loop.post([shared = shared_from_this(), action = std::move(*decision.action)] {
            if (!shared->detached && shared->onAction)
                shared->onAction(action);
        });
    }
    if (interestChanged)
        loop.post([shared = shared_from_this()] { shared->refreshInterest(); });
    return decision.swallow;
}

void KeyTap::Shared::refreshInterest()
{
    if (detached)
        return;
    double now = loop.now();
    KeyInterest interest;
    double armedUntil = 0;
    {
        std::lock_guard guard(lock);
        interest.leaderKeyCode = state.leaderKeyCode;
        interest.tileMode = state.tileMode;
        interest.leaderArmed = state.armed(now);
        for (const auto& [code, action] : state.leaderTokens)
            interest.keyCodes.push_back(code);
        interest.leaderKeyCodes = interest.keyCodes;
        if (state.tileMode) {
            interest.tileKeyCodes = tileKeyCodes().codesByShift[0];
            interest.shiftedTileKeyCodes = tileKeyCodes().codesByShift[1];
            const std::vector<uint32_t>& tileCodes = tileKeyCodes().codes;
            interest.keyCodes.insert(interest.keyCodes.end(), tileCodes.begin(), tileCodes.end());
            std::sort(interest.keyCodes.begin(), interest.keyCodes.end());
            interest.keyCodes.erase(
                std::unique(interest.keyCodes.begin(), interest.keyCodes.end()), interest.keyCodes.end());
        }
        armedUntil = state.leaderArmedUntil;
    }
    if (lapseTimer)
        loop.cancelTimer(lapseTimer);
    lapseTimer = 0;
    if (interest.leaderArmed) {
        // Just past the deadline, so the armed state has lapsed when the timer looks.
        lapseTimer = loop.addTimer(armedUntil - now + 1e-3, false, [shared = shared_from_this()] {
            shared->lapseTimer = 0;
            shared->refreshInterest();
        });
    }
    tap.setInterest(interest);
}

KeyTap::KeyTap(KeyboardTap& tap, MainLoop& loop)
    : m_tap(tap)
    , m_shared(std::make_shared<Shared>(tap, loop))
{
}

KeyTap::~KeyTap()
{
    m_shared->detached = true;
    if (m_shared->lapseTimer)
        m_shared->loop.cancelTimer(m_shared->lapseTimer);
}

void KeyTap::setOnAction(std::function<void(const TapAction&)> onAction)
{
    m_shared->onAction = std::move(onAction);
}

bool KeyTap::start()
{
    if (m_tap.running())
        return true;
    if (!m_tap.available())
        return false;
    return m_tap.start([shared = m_shared](const KeyEvent& event) { return shared->consume(event); });
}

bool KeyTap::running() const
{
    return m_tap.running();
}

void KeyTap::update(bool tileMode, std::optional<uint32_t> leaderKeyCode,
    const std::vector<std::pair<std::string, uint32_t>>& leaderTokens)
{
    {
        std::lock_guard guard(m_shared->lock);
        KeyTapState& state = m_shared->state;
        state.tileMode = tileMode;
        state.leaderKeyCode = leaderKeyCode;
        state.leaderTokens.clear();
        for (const auto& [token, code] : leaderTokens)
            state.leaderTokens.insert_or_assign(code, TapAction::forToken(token));
        if (!leaderKeyCode)
            state.leaderArmedUntil = 0;
    }
    m_shared->refreshInterest();
}

bool KeyTap::consume(const KeyEvent& event)
{
    return m_shared->consume(event);
}

KeyDecision KeyTap::nextDecision(KeyTapState& state, const KeyEvent& event, double now)
{
    bool keyDown = event.type == KeyEvent::Type::keyDown;
    bool flagsChanged = event.type == KeyEvent::Type::flagsChanged;
    // Lock-like leaders such as caps report flags-changed events only; every press re-arms, and the leader
    // itself never reaches the application in front.
    if (state.leaderKeyCode == event.keyCode && (keyDown || flagsChanged)) {
        state.leaderArmedUntil = now + leaderSeconds;
        return { true, std::nullopt };
    }
    if (!keyDown)
        return {};
    bool held = holdsModifiers(event);
    if (state.armed(now)) {
        // Any key spends the leader, and tile mode never sees the key that did.
        state.leaderArmedUntil = 0;
        auto found = state.leaderTokens.find(event.keyCode);
        if (found == state.leaderTokens.end() || held)
            return {};
        return { true, found->second };
    }
    if (!state.tileMode || held)
        return {};
    if (std::optional<TileAction> action
        = tileKeyAction(event.keyCode, event.characters, event.modifiers.contains(HotkeyModifier::shift)))
        return { true, TapAction::tile(*action) };
    return {};
}

KeyTapState KeyTap::state() const
{
    std::lock_guard guard(m_shared->lock);
    return m_shared->state;
}

} // namespace quorvane
