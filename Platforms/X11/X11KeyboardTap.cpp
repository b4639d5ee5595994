#include "Platforms/X11/X11KeyboardTap.h"

#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11KeyTable.h"
#include "Platforms/X11/X11Keymap.h"
#include "Platforms/X11/XcbXkb.h"

#include <xcb/xinput.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace quorvane {

namespace {

constexpr uint16_t anyModifier = XCB_MOD_MASK_ANY;
// Stands for keys the key table does not know: no leader token or tile key has it.
constexpr uint32_t unknownKeyCode = 0xFFFFFFFF;
// How long after the leader's release a change of Caps Lock is still the leader's doing.
constexpr auto keepLockAfterRelease = std::chrono::milliseconds(500);

bool isModifierKeysym(uint32_t keysym)
{
    return (keysym >= XKB_KEY_Shift_L && keysym <= XKB_KEY_Hyper_R) || (keysym >= 0xFE01 && keysym <= 0xFE13)
        || keysym == XKB_KEY_Num_Lock;
}

} // namespace

X11KeyboardTap::X11KeyboardTap(const std::string& displayName)
{
    try {
        m_connection = std::make_unique<X11Connection>(displayName);
    } catch (const std::system_error&) {
        m_missing = "a connection to the X display";
        return;
    }
    xcb_connection_t* xcb = m_connection->xcb();
    const xcb_query_extension_reply_t* input = xcb_get_extension_data(xcb, &xcb_input_id);
    auto version = input && input->present ? fetchReply<xcb_input_xi_query_version_reply_t>(
                       xcb, xcb_input_xi_query_version_reply, xcb_input_xi_query_version(xcb, 2, 2))
                                           : XReply<xcb_input_xi_query_version_reply_t>();
    // Raw events reach every client that asks, grabs or not, since XInput 2.1.
    if (version && (version->major_version > 2 || (version->major_version == 2 && version->minor_version >= 1)))
        m_inputOpcode = input->major_opcode;
    else
        m_missing = "XInput 2";
    try {
        m_keymap = std::make_unique<X11Keymap>(xcb);
    } catch (const std::system_error&) {
        m_missing += std::string(m_missing.empty() ? "" : " and ") + "XKB";
    }
}

X11KeyboardTap::~X11KeyboardTap()
{
    {
        // Under the watchdog's lock, so it cannot miss the notice between its check and its wait.
        std::lock_guard guard(m_freezeLock);
        m_stopping = true;
    }
    wake();
    m_freezeChanged.notify_all();
    if (m_reader.joinable())
        m_reader.join();
    if (m_watchdog.joinable())
        m_watchdog.join();
    if (m_wakeDescriptor >= 0)
        ::close(m_wakeDescriptor);
}

bool X11KeyboardTap::available()
{
    return m_missing.empty();
}

bool X11KeyboardTap::running()
{
    return m_running;
}

bool X11KeyboardTap::start(Handler handler)
{
    if (m_running)
        return true;
    if (!available())
        return false;
    m_wakeDescriptor = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeDescriptor < 0)
        return false;
    m_handler = std::move(handler);
    xcb_connection_t* xcb = m_connection->xcb();
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask {};
    // The master keyboard's raw events only: they come once per key, after any freeze, in order with its
    // grabbed events and XKB's state. A slave device's come at once, while the keyboard is still frozen and
    // before the modifiers pressed ahead of them count, and a second time through the master.
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS;
    xcb_input_xi_select_events(xcb, m_connection->root(), 1, &mask.head);
    {
        std::lock_guard guard(m_lock);
        updateGrabs();
    }
    m_connection->flush();
    m_running = true;
    m_reader = std::thread([this] { run(); });
    m_watchdog = std::thread([this] { watch(); });
    return true;
}

void X11KeyboardTap::setInterest(const KeyInterest& interest)
{
    {
        std::lock_guard guard(m_lock);
        m_interest = interest;
        if (interest.leaderArmed) {
            m_armed = true;
        } else if (m_armed && std::chrono::steady_clock::now() - m_armedAt > std::chrono::milliseconds(300)) {
            // A lapse told while the reader has just armed again is older than that press: keep the grabs.
            m_armed = false;
        }
        if (!m_running)
            return;
        updateGrabs();
    }
    m_connection->flush();
    wake();
}

void X11KeyboardTap::updateGrabs()
{
    std::set<Grab> wanted;
    std::set<xcb_keycode_t> leaderKeys;
    std::set<xcb_keycode_t> bareKeys;
    m_capsLeader = false;
    if (m_interest.leaderKeyCode) {
        if (std::optional<uint32_t> keysym = X11KeyTable::keysym(*m_interest.leaderKeyCode)) {
            m_capsLeader = *keysym == XKB_KEY_Caps_Lock;
            for (xcb_keycode_t code : m_keymap->keycodes(*keysym)) {
                wanted.insert({ code, anyModifier });
                leaderKeys.insert(code);
            }
        }
    }
    if (m_interest.tileMode || m_armed) {
        for (uint32_t keyCode : m_interest.keyCodes) {
            std::optional<uint32_t> keysym = X11KeyTable::keysym(keyCode);
            if (!keysym)
                continue;
            for (xcb_keycode_t code : m_keymap->keycodes(*keysym)) {
                if (leaderKeys.contains(code))
                    continue;
                bareKeys.insert(code);
                for (uint16_t shift : { uint16_t(0), uint16_t(XCB_MOD_MASK_SHIFT) })
                    for (uint16_t locks : m_keymap->lockCombinations())
                        wanted.insert({ code, uint16_t(shift | locks) });
            }
        }
    }
    xcb_connection_t* xcb = m_connection->xcb();
    for (const Grab& grab : m_grabs)
        if (!wanted.contains(grab))
            xcb_ungrab_key(xcb, grab.first, m_connection->root(), grab.second);
    // A grab another client holds fails with an error nobody waits for: that key then simply passes.
    for (const Grab& grab : wanted)
        if (!m_grabs.contains(grab))
            xcb_grab_key(
                xcb, 0, m_connection->root(), grab.second, grab.first, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC);
    m_grabs = std::move(wanted);
    m_leaderKeys = std::move(leaderKeys);
    m_bareKeys = std::move(bareKeys);
}

bool X11KeyboardTap::isLeaderKey(xcb_keycode_t code) const
{
    return m_leaderKeys.contains(code);
}

void X11KeyboardTap::wake()
{
    if (m_wakeDescriptor >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(m_wakeDescriptor, &one, sizeof one);
    }
}

void X11KeyboardTap::run()
{
    xcb_connection_t* xcb = m_connection->xcb();
    while (!m_stopping) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(xcb)) {
            handleEvent(*event);
            std::free(event);
        }
        if (xcb_connection_has_error(xcb))
            break;
        pollfd descriptors[2] = { { xcb_get_file_descriptor(xcb), POLLIN, 0 }, { m_wakeDescriptor, POLLIN, 0 } };
        if (::poll(descriptors, 2, -1) < 0 && errno != EINTR)
            break;
        if (descriptors[1].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] ssize_t read = ::read(m_wakeDescriptor, &count, sizeof count);
        }
    }
    m_running = false;
}

void X11KeyboardTap::watch()
{
    std::unique_lock guard(m_freezeLock);
    while (!m_stopping) {
        if (!m_frozen) {
            m_freezeChanged.wait(guard);
            continue;
        }
        auto deadline = m_frozenAt + freezeDeadline;
        if (std::chrono::steady_clock::now() < deadline) {
            m_freezeChanged.wait_until(guard, deadline);
            continue;
        }
        // The handler did not answer in time: the key goes to the focused window as if nothing held it.
        m_frozen = false;
        xcb_allow_events(m_connection->xcb(), XCB_ALLOW_REPLAY_KEYBOARD, XCB_CURRENT_TIME);
        m_connection->flush();
        wake();
    }
}

void X11KeyboardTap::handleEvent(const xcb_generic_event_t& event)
{
    uint8_t type = event.response_type & 0x7F;
    if (type == XCB_KEY_PRESS) {
        handlePress(reinterpret_cast<const xcb_key_press_event_t&>(event));
    } else if (type == XCB_KEY_RELEASE) {
        handleRelease(reinterpret_cast<const xcb_key_release_event_t&>(event));
    } else if (type == XCB_GE_GENERIC) {
        const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
        if (generic.extension == m_inputOpcode && generic.event_type == XCB_INPUT_RAW_KEY_PRESS) {
            const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
            if (!(raw.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT))
                handleRawPress(static_cast<xcb_keycode_t>(raw.detail));
        }
    } else {
        std::lock_guard guard(m_lock);
        if ((event.response_type & 0x7F) == m_keymap->eventBase() && event.pad0 == XCB_XKB_STATE_NOTIFY) {
            // The server may apply the leader's lock action after its event reached us: put it back whenever
            // it changes while the leader is down or just released.
            const auto& state = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
            bool locked = state.lockedMods & XCB_MOD_MASK_LOCK;
            if (std::chrono::steady_clock::now() < m_keepLockUntil && locked != m_lockWasOn)
                restoreLock();
        }
        if (m_keymap->handleEvent(event)) {
            updateGrabs();
            m_connection->flush();
        }
    }
}

std::optional<bool> X11KeyboardTap::decideFrozen(const KeyEvent& keyEvent)
{
    {
        std::lock_guard guard(m_freezeLock);
        m_frozen = true;
        m_frozenAt = std::chrono::steady_clock::now();
    }
    m_freezeChanged.notify_all();
    bool swallow = m_handler(keyEvent);
    std::lock_guard guard(m_freezeLock);
    bool answered = !m_frozen;
    m_frozen = false;
    return answered ? std::nullopt : std::optional(swallow);
}

void X11KeyboardTap::handlePress(const xcb_key_press_event_t& press)
{
    KeyEvent keyEvent;
    bool leader;
    bool capsLeader;
    {
        std::lock_guard guard(m_lock);
        capsLeader = m_capsLeader;
        uint32_t keysym = m_keymap->keysym(press.detail, press.state);
        keyEvent.type = isModifierKeysym(keysym) ? KeyEvent::Type::flagsChanged : KeyEvent::Type::keyDown;
        keyEvent.keyCode = m_keymap->keyCode(press.detail, press.state).value_or(unknownKeyCode);
        keyEvent.modifiers = X11Keymap::modifiers(press.state);
        keyEvent.characters = m_keymap->characters(press.detail, press.state);
        leader = isLeaderKey(press.detail);
    }
    bool activates = !m_grabActive;
    std::optional<bool> decided = decideFrozen(keyEvent);
    bool swallow = decided.value_or(false);
    xcb_connection_t* xcb = m_connection->xcb();
    {
        std::lock_guard guard(m_lock);
        if (leader && swallow) {
            // The keys that complete the chord are grabbed before the keyboard thaws, or a quick second key
            // would slip past.
            m_armed = true;
            m_armedAt = std::chrono::steady_clock::now();
            updateGrabs();
        } else if (keyEvent.type == KeyEvent::Type::keyDown) {
            // Spent. The completion keys stay grabbed until the model tells the tap so: a grab dropped while a
            // press of its key is on the way swallows that press for good.
            m_armed = false;
        }
    }
    // Caps Lock is put back while the keyboard is still frozen, so the keys after it see it unchanged.
    if (leader && swallow && capsLeader) {
        if (activates)
            m_lockWasOn = press.state & XCB_MOD_MASK_LOCK;
        m_keepLockUntil = std::chrono::steady_clock::time_point::max();
        restoreLock();
    }
    // Answers name the current time: a press taken from the frozen queue gets a grab time later than its own,
    // and there is only ever the one freeze to answer.
    if (!decided) {
        // The watchdog has replayed the key: a second answer would be taken by the next freeze.
        m_grabActive = false;
    } else if (swallow) {
        // The grab lasts until the key is released: keep answering each event, so a key rolled over in that
        // moment can still be replayed to the window.
        xcb_allow_events(xcb, XCB_ALLOW_SYNC_KEYBOARD, XCB_CURRENT_TIME);
        if (activates) {
            m_grabActive = true;
            m_grabKey = press.detail;
        }
    } else {
        xcb_allow_events(xcb, XCB_ALLOW_REPLAY_KEYBOARD, XCB_CURRENT_TIME);
        m_grabActive = false;
    }
    m_connection->flush();
}

void X11KeyboardTap::handleRelease(const xcb_key_release_event_t& release)
{
    bool capsLeader;
    {
        std::lock_guard guard(m_lock);
        capsLeader = m_capsLeader && isLeaderKey(release.detail);
    }
    // Caps Lock may turn off at the release rather than the press.
    if (capsLeader) {
        m_keepLockUntil = std::chrono::steady_clock::now() + keepLockAfterRelease;
        restoreLock();
    }
    // The release of the key that began our grab ends the grab and its freeze with it: an answer then would
    // be taken by whatever freeze comes next, another key's press, which would never reach its window.
    if (m_grabActive && release.detail == m_grabKey)
        m_grabActive = false;
    else if (m_grabActive)
        xcb_allow_events(m_connection->xcb(), XCB_ALLOW_SYNC_KEYBOARD, XCB_CURRENT_TIME);
    m_connection->flush();
}

void X11KeyboardTap::handleRawPress(xcb_keycode_t code)
{
    KeyEvent keyEvent;
    {
        std::lock_guard guard(m_lock);
        // While a press of ours holds the keyboard every key comes as a grabbed event too; the leader is
        // always grabbed.
        if (!m_armed || m_grabActive || isLeaderKey(code))
            return;
        // XKB's notifications come in order with the raw events: this is the state the key was pressed in.
        uint16_t state = m_keymap->modifierState();
        uint16_t held = state & (XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
        // Raw events come before the grabbed event of the same key: a completion key pressed bare arrives
        // again as a grabbed press, which decides it.
        if (m_bareKeys.contains(code) && held == 0)
            return;
        keyEvent.keyCode = m_keymap->keyCode(code, state).value_or(unknownKeyCode);
        keyEvent.modifiers = X11Keymap::modifiers(state);
        if (isModifierKeysym(m_keymap->keysym(code, state)))
            return;
    }
    // The key passes whatever the answer: nothing holds it. It spends the leader; its grabs go when the model
    // next tells the tap its interest.
    m_handler(keyEvent);
    std::lock_guard guard(m_lock);
    m_armed = false;
}

void X11KeyboardTap::restoreLock()
{
    xcb_xkb_latch_lock_state(m_connection->xcb(), XCB_XKB_ID_USE_CORE_KBD, XCB_MOD_MASK_LOCK,
        m_lockWasOn ? XCB_MOD_MASK_LOCK : 0, 0, 0, 0, 0, 0);
}

} // namespace quorvane
