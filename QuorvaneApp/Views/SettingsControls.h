#pragma once

#include "QuorvaneApp/Platform/SettingsForm.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

struct DoctorCheck;

// Short ways to make the settings window's controls; an empty accessible name stands for the label.
namespace SettingsControls {

SettingsControl toggle(std::string key, std::string label, bool on);
SettingsControl number(std::string key, std::string label, double value, double minimum, double maximum);
SettingsControl choice(std::string key, std::string label, std::string value, std::vector<SettingsChoice> choices);
SettingsControl text(std::string key, std::string label, std::string value);
SettingsControl button(std::string key, std::string label, std::string accessibleName = "");
SettingsControl note(std::string key, std::string text, MenuTone tone = MenuTone::plain);
// A chord recorder showing `chord`'s key caps.
SettingsControl chord(std::string key, std::string label, std::string chord, std::string accessibleName = "");
// A spinner beside `text`, which also names it.
SettingsControl busy(std::string key, std::string text);
SettingsControl row(std::string key, std::vector<std::string> cells, std::vector<SettingsControl> buttons);
// A row of `quorvane doctor` as a toned sentence: a passing check reads well, a warning or failure badly.
SettingsControl check(std::string key, const DoctorCheck&);
// A number in the shortest decimal form that reads back the same ("12", "12.5").
std::string decimal(double value);
// The number `text` writes in decimal, whole text only; none for anything else.
std::optional<double> readDecimal(const std::string& text);

} // namespace SettingsControls

} // namespace quorvane
