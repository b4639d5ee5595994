#include "QuorvaneApp/Model/MachineName.h"

#include "Support/FileContents.h"
#include "Support/UnicodeText.h"

#include <system_error>
#include <unistd.h>

namespace quorvane::MachineName {

namespace {

constexpr std::string_view key = "PRETTY_HOSTNAME=";

// One shell word: quotes group and are dropped, a backslash keeps the next character outside single quotes.
std::string unquoted(std::string_view value)
{
    std::string word;
    char quote = 0;
    for (size_t index = 0; index < value.size(); ++index) {
        char c = value[index];
        if (quote != '\'' && c == '\\' && index + 1 < value.size()) {
            word += value[++index];
        } else if (quote && c == quote) {
            quote = 0;
        } else if (!quote && (c == '"' || c == '\'')) {
            quote = c;
        } else {
            word += c;
        }
    }
    return word;
}

} // namespace

std::optional<std::string> prettyHostName(std::string_view machineInfo)
{
    std::optional<std::string> found;
    while (!machineInfo.empty()) {
        size_t end = machineInfo.find('\n');
        std::string line = UnicodeText::trimmed(machineInfo.substr(0, end));
        machineInfo.remove_prefix(end == std::string_view::npos ? machineInfo.size() : end + 1);
        if (line.starts_with(key))
            found = UnicodeText::trimmed(unquoted(std::string_view(line).substr(key.size())));
    }
    if (!found || found->empty())
        return std::nullopt;
    return found;
}

std::string current(const std::string& machineInfoPath)
{
    try {
        if (std::optional<std::string> text = FileContents::readIfPresent(machineInfoPath)) {
            if (std::optional<std::string> name = prettyHostName(*text))
                return *name;
        }
    } catch (const std::system_error&) {
        // An unreadable file says nothing; the host name still does.
    }
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "";
    return name;
}

} // namespace quorvane::MachineName
