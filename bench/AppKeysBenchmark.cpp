// The keys of the running application: the keyboard tap's decision, which runs on every key press of the
// whole desktop while the tap is on, and a registered chord from the backend's press to the model's action.
#include "Hotkeys/MacKeyCodes.h"
#include "Platforms/Simulated/SimulatedDesktop.h"
#include "QuorvaneApp/Keys/HotkeyCenter.h"
#include "QuorvaneApp/Keys/KeyTap.h"
#include "QuorvaneApp/Keys/AppHotkeyActions.h"
#include "QuorvaneApp/Model/AppModel.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using namespace quorvane;
namespace fs = std::filesystem;

uint32_t code(const std::string& name)
{
    return *MacKeyCodes::code(name.size() == 1 ? HotkeyKey::character(name) : HotkeyKey::named(name));
}

KeyEvent keyDown(const std::string& name, const std::string& characters)
{
    return KeyEvent { KeyEvent::Type::keyDown, code(name), {}, characters };
}

// caps is the leader with two leader chords; `tileMode` as given.
KeyTapState tapState(bool tileMode)
{
    KeyTapState state;
    state.tileMode = tileMode;
    state.leaderKeyCode = code("caps");
    state.leaderTokens
        = { { code("e"), TapAction::token("org.example.Editor") }, { code("f"), TapAction::tile(TileAction::fill()) } };
    return state;
}

void decide(benchmark::State& state, KeyTapState tap, const std::vector<KeyEvent>& events)
{
    double now = 100;
    size_t index = 0;
    for (auto _ : state) {
        KeyDecision decision = KeyTap::nextDecision(tap, events[index], now);
        benchmark::DoNotOptimize(decision);
        index = (index + 1) % events.size();
        now += 0.01;
    }
    state.SetItemsProcessed(state.iterations());
}

// Typing while nothing is armed and tile mode is off: the common case.
void nextDecisionTyping(benchmark::State& state)
{
    decide(state, tapState(false), { keyDown("q", "q"), keyDown("w", "w"), keyDown("e", "e") });
}
BENCHMARK(nextDecisionTyping)->Unit(benchmark::kNanosecond);

// Leader, then a leader chord: one event arms, the next fires a token.
void nextDecisionLeaderChord(benchmark::State& state)
{
    KeyEvent leader { KeyEvent::Type::flagsChanged, code("caps"), {}, "" };
    decide(state, tapState(false), { leader, keyDown("e", "e") });
}
BENCHMARK(nextDecisionLeaderChord)->Unit(benchmark::kNanosecond);

// Tile mode: bare tile keys found by code.
void nextDecisionTileKey(benchmark::State& state)
{
    decide(state, tapState(true), { keyDown("h", "h"), keyDown("l", "l"), keyDown("1", "1") });
}
BENCHMARK(nextDecisionTileKey)->Unit(benchmark::kNanosecond);

// Tile mode: a key that is no tile key is looked up by what it types too.
void nextDecisionTileModeOtherKey(benchmark::State& state)
{
    decide(state, tapState(true), { keyDown("q", "q"), keyDown("w", "w") });
}
BENCHMARK(nextDecisionTileModeOtherKey)->Unit(benchmark::kNanosecond);

// The model on the simulated desktop's sample scene, with a home of its own.
class SimulatedApplication {
public:
    explicit SimulatedApplication(const std::string& hotkeys)
    {
        m_home = (fs::temp_directory_path() / "quorvane-bench-XXXXXX").string();
        if (!::mkdtemp(m_home.data()))
            std::abort();
        fs::create_directories(m_home + "/.config/quorvane");
        std::ofstream(m_home + "/.config/quorvane/config.toml") << "[hotkeys]\n" << hotkeys;
        desktop.addSampleScene();
        desktop.keyboardTap.setAvailable(true);
        AppEnvironment environment;
        environment.paths = QuorvanePaths { m_home };
        environment.socketPath = m_home + "/quorvane.sock";
        environment.logLine = [](const std::string&) {};
        model = std::make_unique<AppModel>(desktop.platform(), environment);
    }
    ~SimulatedApplication()
    {
        model.reset();
        fs::remove_all(m_home);
    }

    SimulatedDesktop desktop;
    std::unique_ptr<AppModel> model;

private:
    std::string m_home;
};

KeyChord chord(const std::string& key, std::set<HotkeyModifier> modifiers)
{
    return KeyChord { code(key), std::move(modifiers) };
}

// A tile chord from the backend's press, through the main loop, to the tiling action.
void tileChordPressToDispatch(benchmark::State& state)
{
    SimulatedApplication application("");
    int dispatched = 0;
    application.model->hotkeys().setOnAction([&](const TapAction& action) {
        application.model->keys().perform(action);
        ++dispatched;
    });
    KeyChord focusLeft = chord("h", { HotkeyModifier::ctrl, HotkeyModifier::opt });
    for (auto _ : state) {
        application.desktop.hotkeys.press(focusLeft);
        application.desktop.loop.runPending();
    }
    if (dispatched != state.iterations())
        state.SkipWithError("a press was not dispatched");
}
BENCHMARK(tileChordPressToDispatch)->Unit(benchmark::kMicrosecond);

// An application hotkey from the press to the application in front, alternating between two applications.
void appHotkeyPressToActivation(benchmark::State& state)
{
    SimulatedApplication application(
        "\"ctrl+opt+t\" = \"org.example.Terminal\"\n\"ctrl+opt+e\" = \"org.example.Editor\"\n");
    const KeyChord chords[] = {
        chord("t", { HotkeyModifier::ctrl, HotkeyModifier::opt }),
        chord("e", { HotkeyModifier::ctrl, HotkeyModifier::opt }),
    };
    size_t index = 0;
    for (auto _ : state) {
        application.desktop.hotkeys.press(chords[index]);
        application.desktop.loop.runPending();
        index ^= 1;
    }
}
BENCHMARK(appHotkeyPressToActivation)->Unit(benchmark::kMicrosecond);

// A leader chord typed on the keyboard: the tap swallows both keys and the model brings the application forward.
void leaderChordTypedToActivation(benchmark::State& state)
{
    SimulatedApplication application(
        "\"leader+t\" = \"org.example.Terminal\"\n\"leader+e\" = \"org.example.Editor\"\n");
    GeneralConfig general = application.model->config().general;
    general.leaderKey = "caps";
    application.model->setGeneral(general);
    KeyEvent leader { KeyEvent::Type::flagsChanged, code("caps"), {}, "" };
    const KeyEvent keys[] = { keyDown("t", "t"), keyDown("e", "e") };
    size_t index = 0;
    for (auto _ : state) {
        application.desktop.keyboardTap.type(leader);
        application.desktop.keyboardTap.type(keys[index]);
        application.desktop.loop.runPending();
        index ^= 1;
    }
}
BENCHMARK(leaderChordTypedToActivation)->Unit(benchmark::kMicrosecond);

} // namespace
