#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Quoting command words for /bin/sh, and splitting a command line the way a person types it.
namespace ShellQuote {

// `word` between single quotes, each inner single quote written as '"'"', so it stays one shell word.
std::string single(std::string_view word);

// Each word through `single`, joined with one space.
std::string command(const std::vector<std::string>& argv);

// The words of a typed command line: blanks separate words, quotes group, a backslash escapes the next
// character (outside quotes and inside double quotes). Undoes `command` for any non-empty words.
std::vector<std::string> split(std::string_view text);

// "#!/bin/sh\ncd -- <folder> || exit 1\nexec <command>" with every word quoted and no final line feed.
std::string launchScript(std::string_view workingDirectory, const std::vector<std::string>& argv);

} // namespace ShellQuote

} // namespace quorvane
