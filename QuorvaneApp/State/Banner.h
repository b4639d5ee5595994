#pragma once

#include <functional>
#include <string>

namespace quorvane {

// Where the parts of the application report a sentence for the status line. Main thread only.
class BannerSink {
public:
    virtual ~BannerSink() = default;

    // Sets the status line and its tone; empty text clears it.
    virtual void setBanner(std::string text, bool success) = 0;
};

// The status line the views show: its text, its tone, and a hold that keeps the tone through configuration
// events. Main thread only.
class Banner : public BannerSink {
public:
    void setBanner(std::string text, bool success) override;
    // Empties the status line; its tone stays.
    void clear();

    const std::string& text() const { return m_text; }
    bool isSuccess() const { return m_success; }
    bool holdTone() const { return m_holdTone; }
    void setHoldTone(bool hold) { m_holdTone = hold; }
    // Called with every text that is not empty, once it is the banner.
    void setObserver(std::function<void(const std::string&)> observer) { m_observer = std::move(observer); }
    // Called whenever the text or the tone changes.
    void setOnChange(std::function<void()> changed) { m_changed = std::move(changed); }

private:
    std::string m_text;
    bool m_success = false;
    bool m_holdTone = false;
    std::function<void(const std::string&)> m_observer;
    std::function<void()> m_changed;
};

} // namespace quorvane
