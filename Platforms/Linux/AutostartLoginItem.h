#pragma once

#include "QuorvaneApp/Platform/LoginItem.h"

#include <functional>
#include <string>

namespace quorvane {

// The login item of a freedesktop session: an autostart entry, "quorvane.desktop" in the autostart folder,
// that starts the application at log-in. Only an entry that carries Quorvane's own mark is ever replaced or
// removed; one a person or another tool put there is left as it is.
class AutostartLoginItem : public LoginItem {
public:
    using LogLine = std::function<void(const std::string&)>;

    // The key that marks the entries Quorvane writes.
    static constexpr const char* markKey = "X-Quorvane-Autostart";

    // `autostartDirectory` is where the session looks for entries; `executable` the absolute path of the
    // application to start. Failures are told to `logLine`.
    AutostartLoginItem(std::string autostartDirectory, std::string executable, LogLine logLine = {});

    // Writes the entry (atomically, only when its text differs) or removes it.
    void setEnabled(bool enabled) override;

    // The entry's path.
    std::string entryPath() const;
    // The text of an entry that starts `executable`. Throws std::system_error for a path that is not
    // absolute UTF-8 text without control characters other than tab and line breaks.
    static std::string entryText(const std::string& executable);

private:
    // As `setEnabled`, throwing what fails.
    void apply(bool enabled);

    std::string m_directory;
    std::string m_executable;
    LogLine m_logLine;
};

} // namespace quorvane
