#pragma once

#include "QuorvaneApp/Platform/Applications.h"

namespace quorvane {

class X11Connection;
class X11WindowSystem;

// Applications as seen through their windows and desktop files: an X server knows windows, not programs.
class X11Applications : public Applications {
public:
    X11Applications(X11Connection&, X11WindowSystem&);

    // The applications with windows on the current desktop, front-most window first.
    std::vector<RunningApplication> running() override;
    std::optional<RunningApplication> frontmost() override;
    void activate(int32_t pid) override;
    void hide(int32_t pid) override;
    std::optional<std::string> locate(const std::string& bundleIdentifier) override;
    bool open(const std::string& location) override;
    // Quits are not observed on X11 yet; the handler is kept and never called.
    void setQuitHandler(std::function<void(const RunningApplication&)> handler) override;
    int32_t ownPid() override;

private:
    X11Connection& m_connection;
    X11WindowSystem& m_windows;
    std::function<void(const RunningApplication&)> m_quitHandler;
};

} // namespace quorvane
