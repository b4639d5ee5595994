#include "QuorvaneApp/Views/NewAppPanel.h"

#include "Command/CommandParser.h"
#include "Command/Invocation.h"
#include "QuorvaneApp/Platform/AppWindows.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/WorkerPool.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/Views/ChordCheck.h"
#include "QuorvaneApp/Views/SettingsControls.h"
#include "RPC/RPCResponse.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "Tiling/TileSlot.h"
#include "WebApps/URLComponents.h"
#include "WebApps/WebAppBundlePlan.h"

#include <cctype>

namespace quorvane {

namespace {

using namespace SettingsControls;

constexpr const char* addressKey = "new-app.address";
constexpr const char* nameKey = "new-app.name";
constexpr const char* hotkeyKey = "new-app.hotkey";
constexpr const char* tileKey = "new-app.tile";
constexpr const char* createKey = "new-app.create";
constexpr const char* cancelKey = "new-app.cancel";

SettingsControl live(SettingsControl control, bool enabled)
{
    control.live = true;
    control.enabled = enabled;
    return control;
}

} // namespace

NewAppPanel::NewAppPanel(MainLoop& loop, WorkerPool& workers, AppWindows& windows, const ChordCheck& chords,
    BannerSink& banner, Actions actions)
    : m_loop(loop)
    , m_workers(workers)
    , m_windows(windows)
    , m_chords(chords)
    , m_banner(banner)
    , m_actions(std::move(actions))
{
}

NewAppPanel::~NewAppPanel()
{
    if (m_open)
        m_windows.closePanel(panelKey);
}

std::string NewAppPanel::proposedName(const std::string& address)
{
    std::optional<URLComponents> parts = URLComponents::parse(UnicodeText::trimmed(address));
    if (!parts || !parts->host || parts->host->empty())
        return "";
    std::string host = UnicodeText::lowercased(*parts->host);
    if (host.starts_with("www."))
        host.erase(0, 4);
    // An address by number is named by all of it.
    bool numeric = host.find_first_not_of("0123456789.") == std::string::npos || host.starts_with('[');
    std::string name = numeric ? host : host.substr(0, host.find('.'));
    if (!name.empty() && std::islower(static_cast<unsigned char>(name[0])))
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

void NewAppPanel::show()
{
    if (!m_open) {
        m_draft = Draft {};
        m_status.clear();
        m_fetch = 0;
    }
    m_open = true;
    m_windows.showPanel(panelKey, form(), events());
}

void NewAppPanel::close()
{
    if (m_open)
        m_windows.closePanel(panelKey);
}

SettingsForm NewAppPanel::form() const
{
    bool idle = m_fetch == 0;
    std::vector<SettingsChoice> tiles { { "", "None" } };
    for (TileSlot slot : allTileSlots)
        tiles.push_back({ std::string(toString(slot)), std::string(toString(slot)) });
    SettingsControl address = live(text(addressKey, "Address", m_draft.address), idle);
    address.hint = "An http or https address.";
    SettingsControl name = live(text(nameKey, "Name", m_draft.name), idle);
    SettingsControl hotkey = chord(hotkeyKey, "Hotkey", m_draft.hotkey, "New web app hotkey");
    hotkey.enabled = idle;
    hotkey.hint = "Optional. Press, then type the chord.";
    SettingsControl tile = choice(tileKey, "Tile", m_draft.tile, std::move(tiles));
    tile.enabled = idle;
    std::vector<SettingsControl> controls { std::move(address), std::move(name), std::move(hotkey), std::move(tile) };
    if (idle) {
        SettingsControl create = button(createKey, "Create");
        create.enabled = !UnicodeText::trimmed(m_draft.address).empty();
        controls.push_back(std::move(create));
    } else {
        controls.push_back(busy("new-app.fetching", fetchingText));
    }
    controls.push_back(button(cancelKey, "Cancel"));

    SettingsForm form;
    form.title = title;
    form.pages.push_back({ panelKey, title, { { "new-app.fields", "", "", std::move(controls) } } });
    form.status = m_status;
    if (!m_status.empty())
        form.statusTone = MenuTone::failure;
    return form;
}

SettingsEvents NewAppPanel::events()
{
    return SettingsEvents {
        m_self.bind([](NewAppPanel& panel, const std::string& key, const std::string& value) {
            panel.edited(key, value);
        }),
        m_self.bind([](NewAppPanel& panel, const std::string& key) { panel.pressed(key); }),
        nullptr,
        m_self.bind([](NewAppPanel& panel) {
            panel.m_open = false;
            // Whatever the fetch brings now finds nobody waiting.
            panel.m_fetch = 0;
        }),
    };
}

void NewAppPanel::edited(const std::string& key, const std::string& value)
{
    if (m_fetch != 0)
        return;
    if (key == addressKey) {
        m_draft.address = value;
        if (!m_draft.nameTyped)
            m_draft.name = proposedName(value);
    } else if (key == nameKey) {
        // Emptied, the name follows the address again, from its next change or at Create: filled in at once, the
        // proposal would land in the field being typed into (select all, then type).
        m_draft.name = value;
        m_draft.nameTyped = !UnicodeText::trimmed(value).empty();
    } else if (key == hotkeyKey) {
        std::string chord = UnicodeText::trimmed(value);
        if (!chord.empty()) {
            try {
                chord = m_chords.verify(chord, "");
            } catch (const QuorvaneError& error) {
                fail(error.message());
                return;
            }
        }
        m_draft.hotkey = chord;
        m_status.clear();
    } else if (key == tileKey) {
        m_draft.tile = value;
    }
    refresh();
}

void NewAppPanel::pressed(const std::string& key)
{
    if (key == createKey)
        create();
    else if (key == cancelKey)
        cancel();
}

void NewAppPanel::create()
{
    if (m_fetch != 0)
        return;
    std::string name = UnicodeText::trimmed(m_draft.name);
    if (name.empty())
        name = proposedName(m_draft.address);
    if (name.empty()) {
        fail(needsName);
        return;
    }
    std::vector<std::string> words { "app", "add", UnicodeText::trimmed(m_draft.address), "--name", name };
    if (!m_draft.hotkey.empty())
        words.insert(words.end(), { "--hotkey", m_draft.hotkey });
    if (!m_draft.tile.empty())
        words.insert(words.end(), { "--tile", m_draft.tile });
    Invocation invocation;
    std::string url;
    try {
        invocation = CommandParser::parse(words);
        url = validatedWebURL(words[2]);
    } catch (const QuorvaneError& error) {
        fail(error.message());
        return;
    }
    m_fetch = ++m_fetches;
    m_status.clear();
    refresh();
    // The fetch holds copies only: the panel may be gone by the time it ends.
    auto done = m_self.bind([fetch = m_fetch, invocation](NewAppPanel& panel, const std::string& address,
                                const std::optional<std::string>& icon) {
        panel.finish(fetch, invocation, address, icon);
    });
    m_workers.submit([fetchIcon = m_actions.fetchIcon, &loop = m_loop, url, done = std::move(done)] {
        std::optional<std::string> icon = fetchIcon ? fetchIcon(url, iconSeconds) : std::nullopt;
        loop.post([done, url, icon = std::move(icon)] { done(url, icon); });
    });
}

void NewAppPanel::cancel()
{
    if (m_fetch == 0) {
        close();
        return;
    }
    m_fetch = 0;
    m_status.clear();
    refresh();
}

void NewAppPanel::finish(
    uint64_t fetch, const Invocation& invocation, const std::string& url, const std::optional<std::string>& icon)
{
    if (fetch != m_fetch || !m_open)
        return;
    m_fetch = 0;
    RPCResponse response = m_actions.addApp(invocation, url, icon);
    if (response.exitCode != 0) {
        fail(response.message);
        return;
    }
    m_banner.setBanner(response.message, true);
    close();
}

void NewAppPanel::refresh()
{
    if (m_open)
        m_windows.updatePanel(panelKey, form());
}

void NewAppPanel::fail(std::string status)
{
    m_status = std::move(status);
    refresh();
}

} // namespace quorvane
