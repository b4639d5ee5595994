#include "QuorvaneApp/Keys/HotkeyEdits.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/HotkeyParser.h"
#include "QuorvaneApp/Config/ConfigLifecycle.h"
#include "QuorvaneApp/State/Banner.h"
#include "RPC/RPCResponse.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

namespace quorvane {

namespace {

// The chord as it is stored, or the text itself when it names no chord (the command then says why).
std::string canonicalOrText(const std::string& text)
{
    try {
        return HotkeyParser::parse(text).canonical();
    } catch (const QuorvaneError&) {
        return text;
    }
}

} // namespace

HotkeyEdits::HotkeyEdits(RequestHandler handler, ConfigLifecycle& configuration, BannerSink& banner)
    : m_handler(std::move(handler))
    , m_configuration(configuration)
    , m_banner(banner)
{
}

void HotkeyEdits::setShortcutHotkey(const SavedShortcut& shortcut, const std::string& chord)
{
    if (shortcut.kind == SavedShortcutKind::webApp && shortcut.slug) {
        setAppHotkey(*shortcut.slug, chord);
    } else if (shortcut.kind == SavedShortcutKind::appHotkey && shortcut.hotkey) {
        std::string trimmed = UnicodeText::trimmed(chord);
        if (trimmed.empty())
            unsetHotkey(*shortcut.hotkey);
        else
            replaceNativeHotkey(*shortcut.hotkey, trimmed, shortcut.bundleIdentifier);
    }
}

void HotkeyEdits::setAppHotkey(const std::string& slug, const std::string& chord)
{
    const WebAppRecord* found = webAppWithSlug(m_configuration.config(), slug);
    if (!found)
        return;
    std::string trimmed = UnicodeText::trimmed(chord);
    if (trimmed.empty()) {
        // Only the chord goes, from the app as the file has it: the tool may have changed its other keys.
        m_configuration.persist([&](ConfigFile& file) {
            const WebAppRecord* app = webAppWithSlug(*file.decoded(), slug);
            if (!app)
                return false;
            WebAppRecord record = *app;
            record.spec.hotkey.reset();
            file.upsertApp(record);
            return true;
        });
        return;
    }
    run({ "hotkey", "set", trimmed, found->spec.name });
}

void HotkeyEdits::setNativeHotkey(const std::string& chord, const std::string& bundle)
{
    run({ "hotkey", "set", chord, bundle });
}

void HotkeyEdits::replaceNativeHotkey(
    const std::string& oldChord, const std::string& newChord, const std::string& bundle)
{
    std::string chord = UnicodeText::trimmed(newChord);
    std::string target = UnicodeText::trimmed(bundle);
    if (chord.empty() || target.empty()) {
        m_banner.setBanner(needsChordAndApp, false);
        return;
    }
    RPCResponse bound = execute({ "hotkey", "set", chord, target });
    if (bound.exitCode != 0 || canonicalOrText(chord) == canonicalOrText(oldChord)) {
        report(bound);
        return;
    }
    // A failed removal leaves both chords bound and says so; the new one works either way.
    RPCResponse removed = execute({ "hotkey", "unset", oldChord, "--yes" });
    report(removed.exitCode != 0 ? removed : bound);
}

void HotkeyEdits::unsetHotkey(const std::string& chord)
{
    run({ "hotkey", "unset", chord, "--yes" });
}

RPCResponse HotkeyEdits::execute(const std::vector<std::string>& arguments)
{
    return m_handler(arguments);
}

void HotkeyEdits::report(const RPCResponse& response)
{
    m_banner.setBanner(response.message, response.exitCode == 0);
}

void HotkeyEdits::run(const std::vector<std::string>& arguments)
{
    report(execute(arguments));
}

} // namespace quorvane
