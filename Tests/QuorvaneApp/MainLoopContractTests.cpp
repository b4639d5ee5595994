// The promises every main loop keeps, checked on the simulated loop and on GLib's.
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/Simulated/SimulatedMainLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace quorvane {
namespace {

using MakeLoop = std::unique_ptr<MainLoop> (*)();

class MainLoopContract : public testing::TestWithParam<MakeLoop> {
protected:
    std::unique_ptr<MainLoop> loop = GetParam()();
};

TEST_P(MainLoopContract, PostedWorkRunsOnTheMainThreadInPostingOrder)
{
    std::vector<std::string> ran;
    loop->post([&] { ran.push_back("first"); });
    std::thread([&] {
        loop->post([&] { ran.push_back(loop->isMainThread() ? "second on main" : "second elsewhere"); });
    }).join();
    loop->post([&] { ran.push_back("third"); });
    loop->post([&] { loop->quit(); });
    loop->run();
    EXPECT_EQ(ran, (std::vector<std::string> { "first", "second on main", "third" }));
}

TEST_P(MainLoopContract, RunAndWaitRunsOnTheMainThreadAndReturnsAfterIt)
{
    bool onMain = false;
    bool returned = false;
    EXPECT_TRUE(loop->runAndWait([&] { onMain = loop->isMainThread(); }, {}));
    EXPECT_TRUE(onMain);
    onMain = false;
    std::thread caller([&] {
        returned = loop->runAndWait([&] { onMain = loop->isMainThread(); }, {});
        loop->quit();
    });
    loop->run();
    caller.join();
    EXPECT_TRUE(returned);
    EXPECT_TRUE(onMain);
}

TEST_P(MainLoopContract, QuittingReleasesAWaitingCallerWithoutRunningItsWork)
{
    std::atomic<bool> ran = false;
    std::atomic<bool> answer = true;
    std::thread caller([&] { answer = loop->runAndWait([&] { ran = true; }, {}); });
    loop->quit();
    caller.join();
    EXPECT_FALSE(answer);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(loop->runAndWait([&] { ran = true; }, {}));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(loop->quitting());
}

// The socket server asks its waiting handler to give up before it joins its thread, which may be the main one.
TEST_P(MainLoopContract, AStopRequestReleasesAWaitingCallerWithoutRunningItsWork)
{
    std::atomic<bool> ran = false;
    std::atomic<bool> answer = true;
    std::stop_source stop;
    std::thread caller([&] { answer = loop->runAndWait([&] { ran = true; }, stop.get_token()); });
    stop.request_stop();
    caller.join();
    EXPECT_FALSE(answer);
    loop->post([&] { loop->quit(); });
    loop->run();
    EXPECT_FALSE(ran);
}

TEST_P(MainLoopContract, TimersFireOnceOrRepeatUntilCancelled)
{
    int once = 0, repeated = 0, cancelledFired = 0;
    double before = loop->now();
    loop->addTimer(0.01, false, [&] { ++once; });
    loop->cancelTimer(loop->addTimer(0.02, false, [&] { ++cancelledFired; }));
    TimerId repeating = 0;
    repeating = loop->addTimer(0.05, true, [&] {
        if (++repeated == 3) {
            loop->cancelTimer(repeating);
            loop->addTimer(0.05, false, [&] { loop->quit(); });
        }
    });
    if (auto* simulated = dynamic_cast<SimulatedMainLoop*>(loop.get()))
        simulated->advance(1);
    else
        loop->run();
    EXPECT_EQ(once, 1);
    EXPECT_EQ(repeated, 3);
    EXPECT_EQ(cancelledFired, 0);
    EXPECT_GE(loop->now() - before, 0.2);
}

// Loops of one process may share a context underneath (GLib's default one): what one leaves must not run later.
TEST_P(MainLoopContract, WorkLeftInALoopThatGoesNeverRunsInALaterOne)
{
    auto ran = std::make_shared<std::atomic<int>>(0);
    loop->post([ran] { ++*ran; });
    loop->addTimer(0, false, [ran] { ++*ran; });
    loop->addTimer(0.01, true, [ran] { ++*ran; });
    loop.reset();

    std::unique_ptr<MainLoop> later = GetParam()();
    later->addTimer(0.05, false, [&] { later->quit(); });
    if (auto* simulated = dynamic_cast<SimulatedMainLoop*>(later.get()))
        simulated->advance(1);
    else
        later->run();
    EXPECT_EQ(*ran, 0);
}

INSTANTIATE_TEST_SUITE_P(Simulated, MainLoopContract,
    testing::Values<MakeLoop>([]() -> std::unique_ptr<MainLoop> { return std::make_unique<SimulatedMainLoop>(); }));
INSTANTIATE_TEST_SUITE_P(GLib, MainLoopContract,
    testing::Values<MakeLoop>([]() -> std::unique_ptr<MainLoop> { return std::make_unique<GLibMainLoop>(); }));

TEST(SimulatedMainLoop, TimersFallDueInDeadlineOrderOnTheVirtualClock)
{
    SimulatedMainLoop loop;
    std::vector<std::pair<std::string, double>> fired;
    loop.addTimer(0.5, false, [&] { fired.emplace_back("late", loop.now()); });
    loop.addTimer(0.25, true, [&] { fired.emplace_back("tick", loop.now()); });
    loop.advance(0.375);
    // A slow call moves the clock without firing anything; the next advance catches up, earlier timers first.
    loop.addTime(0.125);
    EXPECT_TRUE(fired.size() == 1);
    loop.advance(0);
    EXPECT_EQ(
        fired, (std::vector<std::pair<std::string, double>> { { "tick", 0.25 }, { "late", 0.5 }, { "tick", 0.5 } }));
}

} // namespace
} // namespace quorvane
