#pragma once

#include "QuorvaneApp/Platform/SettingsForm.h"
#include "QuorvaneApp/State/SettingsTab.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class BannerSink;
class ChordCheck;
struct RPCResponse;

// One tab of the settings window: what it shows and what its controls do. The keys of its controls begin
// with the tab's raw value and a dot ("tiling.gap"). Main thread only.
class SettingsPane {
public:
    // Runs one command line through the request handler the socket uses, and gives its answer.
    using RunCommand = std::function<RPCResponse(const std::vector<std::string>& arguments)>;

    virtual ~SettingsPane() = default;

    virtual SettingsTab tab() const = 0;
    // What the tab shows now.
    virtual std::vector<SettingsSection> sections() = 0;
    // One of its controls took `value`.
    virtual void edit(const std::string& key, const std::string& value) = 0;
    // One of its buttons was pressed.
    virtual void press(const std::string& key) = 0;

protected:
    // Shows a command's outcome in the status line: a failure's message in the error tone, a success's
    // message (or nothing) in the success tone.
    static void report(BannerSink&, const RPCResponse&);
    // The chord recorded for `owner` (see ChordCheck) in canonical text, blank for a blank one; none once the
    // reason it may not be saved is in the status line.
    static std::optional<std::string> recordedChord(
        const ChordCheck&, BannerSink&, const std::string& text, const std::string& owner);
};

} // namespace quorvane
