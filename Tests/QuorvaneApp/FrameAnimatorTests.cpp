#include "TilingTesting.h"

#include "QuorvaneApp/Tiling/FrameAnimator.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "Tiling/TileMotion.h"

namespace quorvane {
namespace {

using test::frameOf;
using test::launchApp;
using test::openWindow;
using test::writesTo;

class FrameAnimatorTest : public testing::Test {
public:
    SimulatedDesktop desktop;
    WindowAccess access { desktop.windowSystem, desktop.applications };
    std::unique_ptr<FrameAnimator> animator = std::make_unique<FrameAnimator>(
        MotionPlatform { access, desktop.windowSystem, desktop.workers, desktop.loop });
    int32_t editor = launchApp(desktop, "org.example.Editor");
    int32_t terminal = launchApp(desktop, "org.example.Terminal");
    const Frame start { 0, 0, 400, 300 };
    const Frame target { 500, 100, 500, 700 };

    FrameAnimatorTest() { test::oneDisplay(desktop); }

    WindowHandle window(int32_t pid, Frame frame) { return openWindow(desktop, pid, "", frame); }

    // Runs queued workers and posted work until neither has any left.
    void settle()
    {
        while (desktop.workers.drain() + desktop.loop.runPending() > 0) { }
    }
    // Lets the whole animation play out.
    void playOut()
    {
        settle();
        desktop.advance(0.5);
        settle();
    }
};

TEST_F(FrameAnimatorTest, TheNewestRequestOfAPassWinsAndTheWholeBatchIsAnimated)
{
    WindowHandle handle = window(editor, start);
    WindowHandle unasked = window(terminal, start);
    animator->move(handle, editor, Frame { -800, 0, 100, 100 }, true);
    animator->move(handle, editor, target, true);
    animator->move(unasked, terminal, target, false);
    playOut();
    std::vector<Frame> frames = writesTo(desktop, handle);
    ASSERT_GE(frames.size(), 12u);
    EXPECT_EQ(frames.front(), start);
    EXPECT_EQ(frames.back(), target);
    for (const Frame& frame : frames) {
        EXPECT_GE(frame.x, start.x);
        EXPECT_LE(frame.x, target.x);
    }
    EXPECT_EQ(writesTo(desktop, unasked), frames);
    EXPECT_FALSE(animator->animating());
    EXPECT_FALSE(animator->clock().running());
}

TEST_F(FrameAnimatorTest, ABatchWithoutAnimationIsWrittenOnceWithoutAClock)
{
    WindowHandle handle = window(editor, start);
    animator->move(handle, editor, target, false);
    desktop.loop.runPending();
    EXPECT_FALSE(animator->clock().running());
    EXPECT_EQ(desktop.loop.timerCount(), 0u);
    EXPECT_EQ(writesTo(desktop, handle), std::vector<Frame> { target });
}

TEST_F(FrameAnimatorTest, ACommittedBatchGoesToTheWorkersWithinItsPass)
{
    WindowHandle first = window(editor, start);
    WindowHandle second = window(terminal, start);
    animator->move(first, editor, target, false);
    animator->move(second, terminal, target, false);
    animator->commit();
    // Written before the main loop takes another turn, as one batch.
    desktop.workers.drain();
    EXPECT_EQ(writesTo(desktop, first), std::vector<Frame> { target });
    EXPECT_EQ(writesTo(desktop, second), std::vector<Frame> { target });
    // The flush scheduled by the moves finds nothing left, and a later move makes a batch of its own.
    animator->move(first, editor, start, false);
    settle();
    EXPECT_EQ(writesTo(desktop, first), (std::vector<Frame> { target, start }));
    EXPECT_EQ(writesTo(desktop, second), std::vector<Frame> { target });
}

TEST_F(FrameAnimatorTest, WhereWritesArePromptAnUnanimatedBatchIsWrittenAtOnceUnlessAPassWaits)
{
    desktop.workers.setQueued(true);
    WindowHandle first = window(editor, start);
    WindowHandle second = window(terminal, start);
    animator->move(first, editor, target, false);
    animator->commit();
    EXPECT_TRUE(writesTo(desktop, first).empty());

    // The pass waiting for a worker keeps its turn: the next batch waits behind it.
    desktop.windowSystem.setWritesPromptly(true);
    animator->move(second, terminal, target, false);
    animator->commit();
    EXPECT_TRUE(writesTo(desktop, second).empty());
    desktop.workers.setQueued(false);
    settle();
    EXPECT_EQ(writesTo(desktop, first), std::vector<Frame> { target });
    EXPECT_EQ(writesTo(desktop, second), std::vector<Frame> { target });

    // With nothing under way, no worker is needed.
    desktop.workers.setQueued(true);
    animator->move(first, editor, start, false);
    animator->commit();
    EXPECT_EQ(writesTo(desktop, first), (std::vector<Frame> { target, start }));
}

TEST_F(FrameAnimatorTest, AnUnreadableWindowIsWrittenItsTargetAtEveryTick)
{
    WindowHandle handle = window(editor, start);
    desktop.windowSystem.update(handle, [](SimulatedWindow& w) { w.facts.frame.reset(); });
    animator->move(handle, editor, target, true);
    playOut();
    std::vector<Frame> frames = writesTo(desktop, handle);
    ASSERT_GE(frames.size(), 12u);
    for (const Frame& frame : frames)
        EXPECT_EQ(frame, target);
}

TEST_F(FrameAnimatorTest, ATickHalfASecondLateWritesTheFinalFrames)
{
    WindowHandle handle = window(editor, start);
    animator->move(handle, editor, target, true);
    settle();
    desktop.advance(0);
    desktop.loop.addTime(0.5);
    desktop.advance(0);
    settle();
    EXPECT_EQ(writesTo(desktop, handle), (std::vector<Frame> { start, target }));
    EXPECT_FALSE(animator->clock().running());
}

TEST_F(FrameAnimatorTest, ShrinkingWindowsGetTheirSizeFirst)
{
    struct Case {
        Frame to;
        bool animate;
        AxisWrite order;
    };
    const Case cases[] = {
        { { 0, 0, 400, 299 }, false, AxisWrite::sizeThenPosition },
        { { 0, 0, 400, 299 }, true, AxisWrite::sizeThenPosition },
        { { 50, 0, 400, 300 }, false, AxisWrite::positionThenSize },
        { { 50, 0, 800, 600 }, true, AxisWrite::positionThenSize },
    };
    for (const Case& c : cases) {
        desktop.windowSystem.clearWrites();
        WindowHandle handle = window(editor, start);
        animator->move(handle, editor, c.to, c.animate);
        playOut();
        std::vector<SimulatedWindowSystem::FrameWrite> writes = desktop.windowSystem.writes();
        ASSERT_FALSE(writes.empty());
        for (const SimulatedWindowSystem::FrameWrite& write : writes)
            EXPECT_EQ(write.order, c.order) << c.to;
        desktop.windowSystem.removeWindow(handle);
    }
}

TEST_F(FrameAnimatorTest, APassStillRunningWhenTimeRunsOutMakesTheNextTickFinal)
{
    WindowHandle handle = window(editor, start);
    desktop.workers.setQueued(true);
    animator->move(handle, editor, target, true);
    desktop.loop.runPending();
    desktop.advance(0);
    // The first pass has not run yet when the animation's time is up; later ticks are skipped meanwhile.
    desktop.advance(0.3);
    EXPECT_EQ(desktop.workers.queuedCount(), 1u);
    settle();
    EXPECT_EQ(writesTo(desktop, handle), std::vector<Frame> { start });
    EXPECT_TRUE(animator->animating());
    desktop.advance(1.0 / 60);
    settle();
    EXPECT_EQ(writesTo(desktop, handle), (std::vector<Frame> { start, target }));
    EXPECT_FALSE(animator->animating());
}

TEST_F(FrameAnimatorTest, ANewBatchTakesTheOldSessionsOtherWindowsOnFromWhereTheyAre)
{
    WindowHandle first = window(editor, start);
    WindowHandle second = window(terminal, start);
    animator->move(first, editor, target, true);
    settle();
    desktop.advance(0.05);
    settle();
    Frame reached = frameOf(desktop, first);
    ASSERT_NE(reached, start);
    animator->move(second, terminal, target, true);
    playOut();
    std::vector<Frame> frames = writesTo(desktop, first);
    // No step back to where the first session began: the window goes on from where it was.
    for (const Frame& frame : frames) {
        EXPECT_GE(frame.x, start.x);
        EXPECT_LE(frame.x, target.x);
    }
    EXPECT_EQ(frames.back(), target);
    EXPECT_EQ(frameOf(desktop, second), target);
    EXPECT_FALSE(animator->animating());
}

TEST_F(FrameAnimatorTest, BackToBackBatchesBringEveryWindowToItsNewestTarget)
{
    int32_t browser = launchApp(desktop, "org.example.Browser");
    const Frame elsewhere { 0, 400, 300, 300 };
    struct Move {
        WindowHandle handle;
        int32_t pid;
        Frame to;
    };
    WindowHandle editorWindow = window(editor, start);
    WindowHandle terminalWindow = window(terminal, start);
    WindowHandle browserWindow = window(browser, start);
    // Each batch a few milliseconds after the last, as three quick commands send them; the editor's window is
    // in the first and the last.
    const Move moves[] = {
        { editorWindow, editor, elsewhere },
        { terminalWindow, terminal, target },
        { browserWindow, browser, elsewhere },
        { editorWindow, editor, target },
    };
    for (const Move& move : moves) {
        animator->move(move.handle, move.pid, move.to, true);
        settle();
        desktop.advance(0.004);
        settle();
    }
    playOut();
    EXPECT_EQ(frameOf(desktop, editorWindow), target);
    EXPECT_EQ(frameOf(desktop, terminalWindow), target);
    EXPECT_EQ(frameOf(desktop, browserWindow), elsewhere);
    EXPECT_FALSE(animator->animating());
}

TEST_F(FrameAnimatorTest, AStaleQueuedPassWritesNothing)
{
    WindowHandle first = window(editor, start);
    WindowHandle second = window(terminal, start);
    desktop.workers.setQueued(true);
    animator->move(first, editor, target, true);
    desktop.loop.runPending();
    desktop.advance(0);
    animator->move(second, terminal, target, false);
    desktop.loop.runPending();
    settle();
    EXPECT_TRUE(writesTo(desktop, first).empty());
    EXPECT_TRUE(writesTo(desktop, second).empty());
    // The first window still goes on, in the session that took over.
    desktop.workers.setQueued(false);
    playOut();
    EXPECT_EQ(writesTo(desktop, first).front(), start);
    EXPECT_EQ(frameOf(desktop, first), target);
    EXPECT_EQ(frameOf(desktop, second), target);
}

TEST_F(FrameAnimatorTest, EnhancedModeIsBackToItsFirstSeenValue)
{
    int32_t browser = launchApp(desktop, "org.example.Browser");
    desktop.windowSystem.setEnhancedModeOf(editor, EnhancedMode::on);
    desktop.windowSystem.setEnhancedModeOf(terminal, EnhancedMode::off);
    WindowHandle editorWindow = window(editor, start);
    WindowHandle terminalWindow = window(terminal, start);
    WindowHandle browserWindow = window(browser, start);
    animator->move(editorWindow, editor, target, true);
    animator->move(terminalWindow, terminal, target, true);
    settle();
    desktop.advance(0.05);
    // The editor turns the mode back on mid-way: it is switched off again, and on at the end.
    desktop.windowSystem.setEnhancedModeOf(editor, EnhancedMode::on);
    desktop.advance(0.05);
    EXPECT_EQ(desktop.windowSystem.enhancedMode(editor), EnhancedMode::off);
    // A newer batch without the editor still restores it when it finishes.
    animator->move(browserWindow, browser, target, true);
    playOut();
    EXPECT_EQ(desktop.windowSystem.enhancedMode(editor), EnhancedMode::on);
    EXPECT_EQ(desktop.windowSystem.enhancedMode(terminal), EnhancedMode::off);
    EXPECT_EQ(desktop.windowSystem.enhancedMode(browser), EnhancedMode::unknown);
    std::vector<bool> editorChanges;
    for (const auto& [pid, on] : desktop.windowSystem.enhancedModeChanges()) {
        if (pid == editor)
            editorChanges.push_back(on);
    }
    EXPECT_EQ(editorChanges, (std::vector<bool> { false, false, true }));
}

TEST_F(FrameAnimatorTest, ASlowWindowJumpsToItsTargetWhileOthersKeepMoving)
{
    WindowHandle slow = window(editor, start);
    WindowHandle fast = window(terminal, start);
    desktop.windowSystem.update(slow, [](SimulatedWindow& w) { w.writeSeconds = 0.013; });
    animator->move(slow, editor, target, true);
    animator->move(fast, terminal, target, true);
    playOut();
    EXPECT_EQ(writesTo(desktop, slow), (std::vector<Frame> { start, target }));
    EXPECT_GE(writesTo(desktop, fast).size(), 10u);
    EXPECT_EQ(frameOf(desktop, fast), target);
}

TEST_F(FrameAnimatorTest, WorkPostedAfterTheAnimatorIsGoneIsDropped)
{
    WindowHandle handle = window(editor, start);
    desktop.workers.setQueued(true);
    animator->move(handle, editor, target, true);
    desktop.loop.runPending();
    desktop.advance(0);
    animator.reset();
    settle();
    desktop.advance(0.5);
    EXPECT_EQ(desktop.loop.timerCount(), 0u);
}

} // namespace
} // namespace quorvane
