#include "QuorvaneApp/Views/SettingsPane.h"

#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/Views/ChordCheck.h"
#include "RPC/RPCResponse.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

namespace quorvane {

void SettingsPane::report(BannerSink& banner, const RPCResponse& response)
{
    banner.setBanner(response.message, response.exitCode == 0);
}

std::optional<std::string> SettingsPane::recordedChord(
    const ChordCheck& check, BannerSink& banner, const std::string& text, const std::string& owner)
{
    std::string chord = UnicodeText::trimmed(text);
    if (chord.empty())
        return chord;
    try {
        return check.verify(chord, owner);
    } catch (const QuorvaneError& error) {
        banner.setBanner(error.message(), false);
        return std::nullopt;
    }
}

} // namespace quorvane
