// The animator's worker paths on real threads, on the simulated desktop's virtual clock. These are the tests
// to run under ThreadSanitizer (scripts/setup.sh build/tsan tsan).
#include "TilingTesting.h"

#include "QuorvaneApp/Tiling/FrameAnimator.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace quorvane {
namespace {

using test::frameOf;
using test::launchApp;
using test::openWindow;
using test::writesTo;

// Worker threads built on the standard library only, so a thread sanitizer sees every hand-over.
class ThreadedWorkers : public WorkerPool {
public:
    explicit ThreadedWorkers(int count)
    {
        for (int index = 0; index < count; ++index)
            m_threads.emplace_back([this] { serve(); });
    }
    ~ThreadedWorkers() override
    {
        {
            std::lock_guard guard(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    void submit(std::function<void()> work) override
    {
        {
            std::lock_guard guard(m_mutex);
            m_work.push_back(std::move(work));
        }
        m_changed.notify_one();
    }

private:
    void serve()
    {
        for (;;) {
            std::function<void()> work;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stopping || !m_work.empty(); });
                if (m_work.empty())
                    return;
                work = std::move(m_work.front());
                m_work.pop_front();
            }
            work();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_work;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

class FrameAnimatorThreads : public testing::Test {
public:
    SimulatedDesktop desktop;
    ThreadedWorkers workers { 4 };
    WindowAccess access { desktop.windowSystem, desktop.applications };
    FrameAnimator animator { MotionPlatform { access, desktop.windowSystem, workers, desktop.loop } };

    FrameAnimatorThreads() { test::oneDisplay(desktop); }

    // Ticks until the animation is over; once its time is up, waits (in real time) for the workers' posts.
    void playOut()
    {
        desktop.loop.runPending();
        for (int round = 0; round < 100000 && (animator.animating() || desktop.loop.timerCount() > 0); ++round) {
            desktop.advance(1.0 / 60);
            desktop.loop.waitForWork(0.001);
            desktop.loop.runPending();
        }
    }
};

TEST_F(FrameAnimatorThreads, TwelveWindowsOfSixApplicationsLandExactly)
{
    std::vector<std::pair<WindowHandle, Frame>> moves;
    for (int app = 0; app < 6; ++app) {
        int32_t pid = launchApp(desktop, "org.example.App" + std::to_string(app));
        for (int index = 0; index < 2; ++index) {
            WindowHandle handle = openWindow(desktop, pid, "", { 10.0 * app, 20.0 * index, 400, 300 });
            if (app == 0)
                desktop.windowSystem.update(handle, [](SimulatedWindow& w) { w.writeSeconds = 0.02; });
            Frame target { 100.0 * app, 300.0 * index, 300 + 10.0 * app, 250 };
            animator.move(handle, pid, target, true);
            moves.emplace_back(handle, target);
        }
    }
    playOut();
    EXPECT_FALSE(animator.animating());
    for (const auto& [handle, target] : moves)
        EXPECT_EQ(frameOf(desktop, handle), target);
}

TEST_F(FrameAnimatorThreads, BatchesReplaceEachOtherWhileWorkersWrite)
{
    int32_t first = launchApp(desktop, "org.example.First");
    int32_t second = launchApp(desktop, "org.example.Second");
    WindowHandle a = openWindow(desktop, first, "", { 0, 0, 400, 300 });
    WindowHandle b = openWindow(desktop, second, "", { 0, 0, 400, 300 });
    desktop.windowSystem.setEnhancedModeOf(first, EnhancedMode::on);
    for (int round = 0; round < 20; ++round) {
        double x = 10.0 * round;
        animator.move(a, first, { x, 0, 500, 400 }, round % 3 != 0);
        animator.move(b, second, { 0, x, 300, 200 }, round % 2 == 0);
        desktop.loop.runPending();
        desktop.advance(1.0 / 60);
        desktop.loop.runPending();
    }
    playOut();
    // Passes of older batches may still be under way: wait for the last one's write.
    for (int wait = 0; wait < 2000 && frameOf(desktop, a) != Frame { 190, 0, 500, 400 }; ++wait)
        desktop.loop.waitForWork(0.001);
    for (int wait = 0; wait < 2000 && frameOf(desktop, b) != Frame { 0, 190, 300, 200 }; ++wait)
        desktop.loop.waitForWork(0.001);
    EXPECT_EQ(frameOf(desktop, a), (Frame { 190, 0, 500, 400 }));
    EXPECT_EQ(frameOf(desktop, b), (Frame { 0, 190, 300, 200 }));
}

} // namespace
} // namespace quorvane
