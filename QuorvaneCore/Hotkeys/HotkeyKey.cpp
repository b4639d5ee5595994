#include "Hotkeys/HotkeyKey.h"

#include "Hotkeys/HotkeyKeyTable.h"
#include "Support/UnicodeText.h"

namespace quorvane {

std::string hotkeyKeyFace(const HotkeyKey& key)
{
    if (key.kind == HotkeyKey::Kind::character)
        return UnicodeText::uppercased(key.text);
    if (const auto* named = HotkeyKeyTable::namedKey(key.text))
        return std::string(named->face);
    // Function keys show their name with the first character upper-cased: "F5".
    auto clusters = UnicodeText::graphemeClusters(key.text);
    if (clusters.empty())
        return {};
    std::string face = UnicodeText::uppercased(clusters.front());
    face += std::string_view(key.text).substr(clusters.front().size());
    return face;
}

} // namespace quorvane
