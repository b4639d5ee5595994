#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>

namespace quorvane {

// The hand-over behind `MainLoop::runAndWait` and `quit`, shared by every main-loop backend: a caller on another
// thread waits for its work to run on the main thread, and quitting releases every waiting caller at once.
class QuitGate {
public:
    // Whether `quit` was called.
    bool quitting() const;
    // Releases every waiting call; calls that start later answer false at once.
    void quit();
    // Runs `work` at once when called `onMainThread`, else hands it to `post` (which runs it on the main
    // thread) and waits until it has run. False, and `work` is never run, when quitting or a request on `stop`
    // comes before the main thread starts it; once started it is waited for.
    bool callAndWait(bool onMainThread, const std::function<void(std::function<void()>)>& post,
        std::function<void()> work, std::stop_token stop);

private:
    mutable std::mutex m_mutex;
    std::condition_variable_any m_changed;
    bool m_quitting = false;
};

} // namespace quorvane
