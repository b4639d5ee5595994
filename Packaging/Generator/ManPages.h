#pragma once

#include <string>

namespace quorvane {

// The manual pages, in the man macros, made from the command grammar, the help screen and the table of the
// configuration's keys, so that they say what the programs do.
namespace ManPages {

// quorvane(1): the commands, options, tiles, chords and exit statuses of the tool.
std::string tool();
// quorvane-app(1): the application's options, signals, exit statuses and files.
std::string application();
// quorvane-config(5): every key of config.toml with its type, default and meaning.
std::string config();

} // namespace ManPages

} // namespace quorvane
