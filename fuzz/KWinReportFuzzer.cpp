#include "Platforms/KWin/KWinReport.h"
#include "Platforms/KWin/KWinSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reports come over the session bus from KWin's script; whatever they say, the snapshot they feed stays whole.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<quorvane::KWinReport> report = quorvane::KWinReport::decode(text);
    if (!report)
        return 0;
    quorvane::KWinSnapshot snapshot(1);
    auto application = [](const quorvane::KWinWindowReport& window) { return window.desktopFile; };
    snapshot.apply(*report, application);
    report->all = !report->all;
    snapshot.apply(*report, application);
    for (const quorvane::WindowFacts& window : snapshot.windows())
        snapshot.kwinId(window.handle);
    snapshot.displays();
    snapshot.active();
    return 0;
}
