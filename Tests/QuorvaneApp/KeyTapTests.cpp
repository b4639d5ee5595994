#include "KeysTesting.h"

namespace quorvane {
namespace {

using test::flagsChanged;
using test::keyCode;
using test::keyDown;

constexpr auto ctrl = HotkeyModifier::ctrl;
constexpr auto opt = HotkeyModifier::opt;
constexpr auto shift = HotkeyModifier::shift;
constexpr auto cmd = HotkeyModifier::cmd;

const KeyDecision passes {};
const KeyDecision swallowed { true, std::nullopt };

KeyDecision fires(const std::string& token)
{
    return { true, TapAction::forToken(token) };
}

KeyDecision tiles(TileAction action)
{
    return { true, TapAction::tile(action) };
}

// One key event at an instant of the loop's clock and what the tap must decide.
struct Step {
    double at;
    KeyEvent event;
    KeyDecision expected;
};

struct Scenario {
    const char* name;
    bool tileMode;
    std::vector<Step> steps;
};

// caps is the leader; leader+e opens the editor and leader+f fills.
KeyTapState leaderState(bool tileMode)
{
    KeyTapState state;
    state.tileMode = tileMode;
    state.leaderKeyCode = keyCode("caps");
    state.leaderTokens = { { keyCode("e"), TapAction::token("org.example.Editor") },
        { keyCode("f"), TapAction::tile(TileAction::fill()) } };
    return state;
}

void expectScenarios(const std::vector<Scenario>& scenarios)
{
    for (const Scenario& scenario : scenarios) {
        KeyTapState state = leaderState(scenario.tileMode);
        for (size_t index = 0; index < scenario.steps.size(); ++index) {
            const Step& step = scenario.steps[index];
            EXPECT_EQ(KeyTap::nextDecision(state, step.event, step.at), step.expected)
                << scenario.name << ", step " << index + 1;
        }
    }
}

TEST(KeyTapDecision, TheLeaderArmsForEightTenthsOfASecondAndIsSpentByAnyKey)
{
    expectScenarios({
        { "caps by flags-changed, then e", false,
            { { 10, flagsChanged("caps"), swallowed }, { 10.5, keyDown("e"), fires("org.example.Editor") } } },
        { "caps as a key-down, then e", false,
            { { 10, keyDown("caps"), swallowed }, { 10.8, keyDown("e"), fires("org.example.Editor") } } },
        { "e after 0.9 s types", false, { { 10, flagsChanged("caps"), swallowed }, { 10.9, keyDown("e"), passes } } },
        { "every press re-arms", false,
            { { 10, flagsChanged("caps"), swallowed }, { 10.7, flagsChanged("caps"), swallowed },
                { 11.4, keyDown("e"), fires("org.example.Editor") } } },
        { "shift does not count as held", false,
            { { 10, flagsChanged("caps"), swallowed },
                { 10.1, keyDown("e", { shift }, "E"), fires("org.example.Editor") } } },
        { "ctrl+e spends the leader and passes, then e types", false,
            { { 10, flagsChanged("caps"), swallowed }, { 10.1, keyDown("e", { ctrl }), passes },
                { 10.2, keyDown("e"), passes } } },
        { "a key without a leader chord passes and spends it", false,
            { { 10, flagsChanged("caps"), swallowed }, { 10.1, keyDown("q"), passes },
                { 10.2, keyDown("e"), passes } } },
        { "other flags-changed events keep it armed", false,
            { { 10, flagsChanged("caps"), swallowed }, { 10.1, flagsChanged("shift", { shift }), passes },
                { 10.2, keyDown("e"), fires("org.example.Editor") } } },
        { "a leader chord of a tile binding runs the tile action", false,
            { { 10, flagsChanged("caps"), swallowed }, { 10.1, keyDown("f"), tiles(TileAction::fill()) } } },
        { "nothing is armed at the clock's first instant", false, { { 0, keyDown("e"), passes } } },
        { "a leader held with modifiers still arms", false,
            { { 10, keyDown("caps", { cmd }), swallowed }, { 10.1, keyDown("e"), fires("org.example.Editor") } } },
    });
}

TEST(KeyTapDecision, TileModeSwallowsTheBareTileKeysOnly)
{
    expectScenarios({
        { "h focuses left", true, { { 10, keyDown("h"), tiles(TileAction::focus(Direction::left)) } } },
        { "shift+h moves left", true,
            { { 10, keyDown("h", { shift }, "H"), tiles(TileAction::move(Direction::left)) } } },
        { "cmd+h passes", true, { { 10, keyDown("h", { cmd }), passes } } },
        { "opt+left passes", true, { { 10, keyDown("left", { opt }), passes } } },
        { "q passes", true, { { 10, keyDown("q"), passes } } },
        { "escape leaves", true, { { 10, keyDown("escape", {}, "\x1B"), tiles(TileAction::exit()) } } },
        { "an unknown key code typing an arrow's character", true,
            { { 10, KeyEvent { KeyEvent::Type::keyDown, 0x7F, {}, "\uF702" },
                tiles(TileAction::focus(Direction::left)) } } },
        { "an unknown key code typing a capital letter, with shift", true,
            { { 10, KeyEvent { KeyEvent::Type::keyDown, 0x7F, { shift }, "H" },
                tiles(TileAction::move(Direction::left)) } } },
        { "tile mode off: h types", false, { { 10, keyDown("h"), passes } } },
        { "tile mode never sees the key that ends the leader", true,
            { { 10, flagsChanged("caps"), swallowed }, { 10.1, keyDown("h"), passes },
                { 10.2, keyDown("h"), tiles(TileAction::focus(Direction::left)) } } },
        { "a leader chord wins over tile mode while armed", true,
            { { 10, flagsChanged("caps"), swallowed }, { 10.1, keyDown("e"), fires("org.example.Editor") } } },
    });
}

TEST(KeyTapDecision, AnUpdateKeepsTheLaterOfTwoLeaderChordsOnOneKey)
{
    SimulatedDesktop desktop;
    KeyTap tap(desktop.keyboardTap, desktop.loop);
    tap.update(
        false, keyCode("caps"), { { "org.example.Editor", keyCode("e") }, { "org.example.Browser", keyCode("e") } });
    EXPECT_EQ(tap.state().leaderTokens,
        (std::map<uint32_t, TapAction> { { keyCode("e"), TapAction::token("org.example.Browser") } }));
    tap.update(false, std::nullopt, {});
    EXPECT_EQ(tap.state(), KeyTapState {});
}

// The model on the simulated desktop: caps is the leader, leader+t brings the terminal forward.
class KeyTapOnDesktop : public test::KeysTest {
protected:
    void startWithLeader()
    {
        startWith(test::configText(
            { { "leader_key", "\"caps\"" } }, "\n[hotkeys]\n\"leader+t\" = \"org.example.Terminal\"\n"));
    }

    std::string frontmost() { return desktop.applications.frontmost()->bundleIdentifier; }
};

TEST_F(KeyTapOnDesktop, ALeaderChordFiresAndNeitherKeyReachesTheApplication)
{
    startWithLeader();
    desktop.keyboardTap.script({ { 1, flagsChanged("caps") }, { 0.5, keyDown("t") } });
    desktop.advance(2);
    EXPECT_EQ(frontmost(), "org.example.Terminal");
    EXPECT_TRUE(desktop.keyboardTap.passedThrough().empty());
}

TEST_F(KeyTapOnDesktop, TheTapTellsTheDesktopWhileTheLeaderIsArmed)
{
    startWithLeader();
    EXPECT_EQ(desktop.keyboardTap.interest(),
        (KeyInterest { keyCode("caps"), { keyCode("t") }, false, false, { keyCode("t") }, {}, {} }));
    desktop.keyboardTap.script({ { 1, flagsChanged("caps") } });
    desktop.advance(1.5);
    EXPECT_TRUE(desktop.keyboardTap.interest().leaderArmed);
    desktop.advance(0.4);
    EXPECT_FALSE(desktop.keyboardTap.interest().leaderArmed);
}

TEST_F(KeyTapOnDesktop, ADisabledTapNoticePassesAndChangesNothing)
{
    startWithLeader();
    desktop.keyboardTap.type(flagsChanged("caps"));
    KeyTapState armed = center().tap().state();
    EXPECT_FALSE(desktop.keyboardTap.type(KeyEvent { KeyEvent::Type::tapDisabled, 0, {}, "" }));
    EXPECT_EQ(center().tap().state(), armed);
    desktop.keyboardTap.type(keyDown("t"));
    desktop.loop.runPending();
    EXPECT_EQ(frontmost(), "org.example.Terminal");
}

TEST_F(KeyTapOnDesktop, TileModeTurnsTheBareKeysOnAndOff)
{
    startWithLeader();
    desktop.keyboardTap.type(keyDown("h"));
    model->keys().performToken("quorvane.tile-mode");
    EXPECT_TRUE(model->tileMode());
    EXPECT_TRUE(desktop.keyboardTap.type(keyDown("h")));
    KeyInterest interest = desktop.keyboardTap.interest();
    EXPECT_TRUE(interest.tileMode);
    // Which keys act, by use: the leader's t completes its chord only, h acts bare and with Shift, f bare only.
    auto has = [](const std::vector<uint32_t>& codes, const char* key) {
        return std::find(codes.begin(), codes.end(), keyCode(key)) != codes.end();
    };
    const struct {
        const char* key;
        bool leader, tile, shiftedTile;
    } uses[] = { { "t", true, false, false }, { "h", false, true, true }, { "f", false, true, false } };
    for (const auto& use : uses) {
        EXPECT_EQ(has(interest.leaderKeyCodes, use.key), use.leader) << use.key;
        EXPECT_EQ(has(interest.tileKeyCodes, use.key), use.tile) << use.key;
        EXPECT_EQ(has(interest.shiftedTileKeyCodes, use.key), use.shiftedTile) << use.key;
        EXPECT_TRUE(has(interest.keyCodes, use.key)) << use.key;
    }
    // Escape is a bare key of tile mode too: it leaves.
    EXPECT_TRUE(desktop.keyboardTap.type(keyDown("escape", {}, "\x1B")));
    desktop.loop.runPending();
    EXPECT_FALSE(model->tileMode());
    EXPECT_FALSE(desktop.keyboardTap.type(keyDown("h")));
    EXPECT_EQ(desktop.keyboardTap.passedThrough().size(), 2u);
}

TEST_F(KeyTapOnDesktop, WithoutTheTapTileModeLeavesTheBareKeysAloneAndTheChordsWork)
{
    desktop.keyboardTap.setAvailable(false);
    startWithLeader();
    model->keys().performToken("quorvane.tile-mode");
    EXPECT_TRUE(model->tileMode());
    EXPECT_FALSE(center().tap().state().tileMode);
    EXPECT_FALSE(desktop.keyboardTap.type(keyDown("h")));
    EXPECT_TRUE(desktop.hotkeys.press(test::keyChord("ctrl+opt+h")));
}

TEST_F(KeyTapOnDesktop, TheCensusStartsTheTapOnceAllowedAndRebinds)
{
    desktop.keyboardTap.setAvailable(false);
    startWithLeader();
    desktop.advance(1.2);
    EXPECT_FALSE(center().inputMonitoringOn());
    EXPECT_FALSE(center().tap().state().leaderTokens.empty());
    model->keys().performToken("quorvane.tile-mode");
    desktop.keyboardTap.setAvailable(true);
    desktop.advance(1.2);
    EXPECT_TRUE(center().inputMonitoringOn());
    EXPECT_TRUE(center().tap().state().tileMode);
    desktop.keyboardTap.script({ { 0.1, flagsChanged("caps") }, { 0.1, keyDown("t") } });
    desktop.advance(0.5);
    EXPECT_EQ(frontmost(), "org.example.Terminal");
}

} // namespace
} // namespace quorvane
