#include "QuorvaneApp/Views/SettingsControls.h"

#include "Hotkeys/HotkeyParser.h"
#include "QuorvaneApp/Views/KeyCaps.h"
#include "Router/DoctorCheck.h"

#include <charconv>
#include <cmath>

namespace quorvane::SettingsControls {

namespace {

SettingsControl make(SettingsControl::Kind kind, std::string key, std::string label, std::string value)
{
    SettingsControl control;
    control.kind = kind;
    control.key = std::move(key);
    control.label = std::move(label);
    control.value = std::move(value);
    return control;
}

} // namespace

SettingsControl toggle(std::string key, std::string label, bool on)
{
    return make(SettingsControl::Kind::toggle, std::move(key), std::move(label), on ? "true" : "false");
}

SettingsControl number(std::string key, std::string label, double value, double minimum, double maximum)
{
    SettingsControl control = make(SettingsControl::Kind::number, std::move(key), std::move(label), decimal(value));
    control.minimum = minimum;
    control.maximum = maximum;
    return control;
}

SettingsControl choice(std::string key, std::string label, std::string value, std::vector<SettingsChoice> choices)
{
    SettingsControl control = make(SettingsControl::Kind::choice, std::move(key), std::move(label), std::move(value));
    control.choices = std::move(choices);
    return control;
}

SettingsControl text(std::string key, std::string label, std::string value)
{
    return make(SettingsControl::Kind::text, std::move(key), std::move(label), std::move(value));
}

SettingsControl button(std::string key, std::string label, std::string accessibleName)
{
    SettingsControl control = make(SettingsControl::Kind::button, std::move(key), std::move(label), "");
    control.accessibleName = std::move(accessibleName);
    return control;
}

SettingsControl note(std::string key, std::string text, MenuTone tone)
{
    SettingsControl control = make(SettingsControl::Kind::note, std::move(key), "", std::move(text));
    control.tone = tone;
    return control;
}

SettingsControl chord(std::string key, std::string label, std::string chord, std::string accessibleName)
{
    SettingsControl control = make(SettingsControl::Kind::chord, std::move(key), std::move(label), std::move(chord));
    control.cells = KeyCaps::of(control.value);
    control.accessibleName = std::move(accessibleName);
    return control;
}

SettingsControl busy(std::string key, std::string text)
{
    SettingsControl control = make(SettingsControl::Kind::busy, std::move(key), "", std::move(text));
    control.accessibleName = control.value;
    return control;
}

SettingsControl row(std::string key, std::vector<std::string> cells, std::vector<SettingsControl> buttons)
{
    SettingsControl control = make(SettingsControl::Kind::row, std::move(key), cells.empty() ? "" : cells.front(), "");
    control.cells = std::move(cells);
    control.buttons = std::move(buttons);
    return control;
}

SettingsControl check(std::string key, const DoctorCheck& check)
{
    return note(std::move(key), check.detail,
        check.status == DoctorCheck::Status::pass ? MenuTone::success : MenuTone::failure);
}

std::string decimal(double value)
{
    if (!std::isfinite(value))
        return "0";
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

std::optional<double> readDecimal(const std::string& text)
{
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace quorvane::SettingsControls
