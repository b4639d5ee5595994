#include "QuorvaneApp/Views/AppsSettings.h"

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/SettingsControls.h"
#include "RPC/RPCResponse.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "Tiling/TileSlot.h"
#include "WebApps/WebAppBundlePlan.h"

namespace quorvane {

namespace {

using namespace SettingsControls;

// Each row's controls end in the web app's slug.
constexpr std::string_view hotkeyPrefix = "apps.hotkey:";
constexpr std::string_view openPrefix = "apps.open:";
constexpr std::string_view editPrefix = "apps.edit:";
constexpr std::string_view removePrefix = "apps.remove:";
constexpr std::string_view confirmPrefix = "apps.confirm-remove:";
constexpr std::string_view keepPrefix = "apps.keep:";

std::string keyed(std::string_view prefix, const std::string& slug)
{
    return std::string(prefix) + slug;
}

} // namespace

AppsSettings::AppsSettings(const ConfigSource& config, BannerSink& banner, const ChordCheck& chords, Actions actions)
    : m_config(config)
    , m_banner(banner)
    , m_chords(chords)
    , m_actions(std::move(actions))
{
}

const WebAppRecord* AppsSettings::app(const std::string& slug) const
{
    return webAppWithSlug(m_config.config(), slug);
}

std::vector<SettingsSection> AppsSettings::sections()
{
    // An app removed or renamed elsewhere takes its edit and its question with it.
    if (m_draft && !app(m_draft->slug))
        m_draft.reset();
    if (!m_removing.empty() && !app(m_removing))
        m_removing.clear();
    std::vector<SettingsSection> sections { listSection() };
    if (m_draft)
        sections.push_back(editSection());
    return sections;
}

SettingsSection AppsSettings::listSection() const
{
    SettingsSection section { "apps.list", "Web apps", "", {} };
    for (const WebAppRecord& record : m_config.config().apps) {
        const std::string& name = record.spec.name;
        std::vector<SettingsControl> buttons;
        if (m_removing == record.slug) {
            buttons.push_back(button(keyed(confirmPrefix, record.slug), "Remove for Good",
                "Remove " + name + " and its launcher"));
            buttons.push_back(button(keyed(keepPrefix, record.slug), "Keep", "Keep " + name));
        } else {
            buttons.push_back(chord(keyed(hotkeyPrefix, record.slug), "", record.spec.hotkey.value_or(""),
                "Hotkey for " + name));
            buttons.push_back(button(keyed(openPrefix, record.slug), "Open", "Open " + name));
            buttons.push_back(button(keyed(editPrefix, record.slug), "Edit", "Edit " + name));
            buttons.push_back(button(keyed(removePrefix, record.slug), "Remove", "Remove " + name));
        }
        std::string tile = record.spec.tile ? "opens on " + *record.spec.tile : "";
        SettingsControl line = row("apps.app:" + record.slug, { name, record.spec.url, std::move(tile) }, std::move(buttons));
        if (m_actions.iconPath)
            line.image = m_actions.iconPath(record.spec.bundleIdentifier, iconEdge);
        section.controls.push_back(std::move(line));
        if (m_removing == record.slug)
            section.controls.push_back(note("apps.asking:" + record.slug,
                "Remove " + name + "? Its launcher goes too; its cookies stay for a web app of the same name.",
                MenuTone::failure));
    }
    if (section.controls.empty())
        section.controls.push_back(note("apps.empty", "No web apps yet."));
    section.controls.push_back(button("apps.new-app", "New Web App\u2026"));
    return section;
}

SettingsSection AppsSettings::editSection() const
{
    std::vector<SettingsChoice> tiles { { "", "None" } };
    for (TileSlot slot : allTileSlots)
        tiles.push_back({ std::string(toString(slot)), std::string(toString(slot)) });
    SettingsControl name = text("apps.edit-name", "Name", m_draft->name);
    name.accessibleName = "App name";
    name.live = true;
    SettingsControl address = text("apps.edit-address", "Address", m_draft->address);
    address.accessibleName = "App address";
    address.live = true;
    SettingsControl tile = choice("apps.edit-tile", "Tile", m_draft->tile, std::move(tiles));
    tile.accessibleName = "App tile";
    const WebAppRecord* editing = app(m_draft->slug);
    return { "apps.editing", "Edit " + (editing ? editing->spec.name : m_draft->name), "",
        { std::move(name), std::move(address), std::move(tile), button("apps.save", "Save"),
            button("apps.cancel-edit", "Cancel", "Cancel editing") } };
}

void AppsSettings::edit(const std::string& key, const std::string& value)
{
    if (key.starts_with(hotkeyPrefix)) {
        std::string slug = key.substr(hotkeyPrefix.size());
        const WebAppRecord* record = app(slug);
        if (!record)
            return;
        std::optional<std::string> chord = recordedChord(m_chords, m_banner, value, record->spec.name);
        if (chord)
            m_actions.setHotkey(slug, *chord);
    } else if (m_draft && key == "apps.edit-name") {
        m_draft->name = value;
    } else if (m_draft && key == "apps.edit-address") {
        m_draft->address = value;
    } else if (m_draft && key == "apps.edit-tile") {
        m_draft->tile = value;
    }
}

void AppsSettings::press(const std::string& key)
{
    auto slugAfter = [&](std::string_view prefix) { return key.substr(prefix.size()); };
    if (key == "apps.new-app") {
        m_actions.newApp();
    } else if (key == "apps.save") {
        save();
    } else if (key == "apps.cancel-edit") {
        m_draft.reset();
    } else if (key.starts_with(openPrefix)) {
        if (const WebAppRecord* record = app(slugAfter(openPrefix)))
            m_actions.open(record->spec.bundleIdentifier);
    } else if (key.starts_with(editPrefix)) {
        if (const WebAppRecord* record = app(slugAfter(editPrefix)))
            m_draft = Draft { record->slug, record->spec.name, record->spec.url, record->spec.tile.value_or("") };
    } else if (key.starts_with(removePrefix)) {
        m_removing = slugAfter(removePrefix);
    } else if (key.starts_with(keepPrefix)) {
        m_removing.clear();
    } else if (key.starts_with(confirmPrefix)) {
        m_removing.clear();
        if (const WebAppRecord* record = app(slugAfter(confirmPrefix))) {
            std::string name = record->spec.name;
            report(m_banner, m_actions.runCommand({ "app", "remove", name, "--yes" }));
        }
    }
}

void AppsSettings::save()
{
    const WebAppRecord* current = app(m_draft->slug);
    if (!current)
        return;
    WebAppRecord record = *current;
    std::string oldName = record.spec.name;
    try {
        record.spec.name = UnicodeText::trimmed(m_draft->name);
        record.spec.url = validatedWebURL(m_draft->address);
        record.spec.tile.reset();
        if (!m_draft->tile.empty()) {
            std::optional<TileSlot> slot = parseTileSlot(m_draft->tile);
            if (!slot)
                throw QuorvaneError::usage("Unknown tile " + m_draft->tile + ".");
            record.spec.tile = std::string(toString(*slot));
        }
    } catch (const QuorvaneError& error) {
        m_banner.setBanner(error.message(), false);
        return;
    }
    if (std::optional<std::string> failure = m_actions.saveApp(oldName, record)) {
        m_banner.setBanner(*failure, false);
        return;
    }
    m_draft.reset();
}

} // namespace quorvane
