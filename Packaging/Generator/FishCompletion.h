#pragma once

#include <string>

namespace quorvane {

// The fish completion of `quorvane`: its commands, sub-commands, options, tile names and display numbers from
// the command grammar, and the configuration's own words (web apps, layouts, hotkeys) read through the tool's
// lists, so that they follow the configuration in force.
std::string fishCompletion();

} // namespace quorvane
