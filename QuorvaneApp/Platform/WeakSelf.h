#pragma once

#include <memory>
#include <utility>

namespace quorvane {

// What work handed to the main loop, a worker or a platform callback holds of the object that made it:
// `bind` gives a callable that reaches the object only while it lives. The token may be copied to any
// thread; the object itself is reached on the thread that calls the bound work.
template <typename T> class WeakSelf {
public:
    explicit WeakSelf(T& object)
        : m_object(std::make_shared<T*>(&object))
    {
    }
    // Work bound earlier and still held somewhere finds nothing from now on.
    ~WeakSelf() { *m_object = nullptr; }
    WeakSelf(const WeakSelf&) = delete;
    WeakSelf& operator=(const WeakSelf&) = delete;

    // A callable that runs `work(object, arguments...)` while the object lives, and nothing after.
    template <typename Work> auto bind(Work work) const
    {
        return [weak = weak(), work = std::move(work)](auto&&... arguments) {
            if (T* object = lock(weak))
                work(*object, std::forward<decltype(arguments)>(arguments)...);
        };
    }
    std::weak_ptr<T*> weak() const { return m_object; }
    // The object behind `weak`, or null once it is gone.
    static T* lock(const std::weak_ptr<T*>& weak)
    {
        std::shared_ptr<T*> held = weak.lock();
        return held ? *held : nullptr;
    }

private:
    std::shared_ptr<T*> m_object;
};

} // namespace quorvane
