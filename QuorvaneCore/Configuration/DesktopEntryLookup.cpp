#include "Configuration/DesktopEntryLookup.h"

#include "Configuration/QuorvanePaths.h"
#include "Support/FileContents.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quorvane::DesktopEntryLookup {

namespace {

namespace fs = std::filesystem;

// Desktop files are a few kilobytes; a larger one is not read to decide whether it hides its id.
constexpr size_t entrySizeLimit = 1 << 20;

bool isFileName(std::string_view id)
{
    return !id.empty() && std::none_of(id.begin(), id.end(), [](char c) {
        return c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
}

// The file for `rest` under `folder`: "<rest>.desktop" itself, else, for each "-" in `rest` whose prefix is
// a sub-folder, the file for what follows the "-" inside that sub-folder. Only folders that exist are
// entered, so an id with many "-" costs one look-up per "-" and level.
std::optional<fs::path> locate(const fs::path& folder, std::string_view rest)
{
    std::error_code error;
    fs::path file = folder / (std::string(rest) + ".desktop");
    if (fs::is_regular_file(file, error))
        return file;
    for (size_t dash = rest.find('-', 1); dash != std::string_view::npos && dash + 1 < rest.size();
         dash = rest.find('-', dash + 1)) {
        std::string_view name = rest.substr(0, dash);
        // "." and ".." would leave the applications folder.
        if (name == "." || name == "..")
            continue;
        fs::path child = folder / std::string(name);
        if (!fs::is_directory(child, error))
            continue;
        if (std::optional<fs::path> found = locate(child, rest.substr(dash + 1)))
            return found;
    }
    return std::nullopt;
}

std::string_view trimmedASCII(std::string_view text)
{
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string_view::npos)
        return {};
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

} // namespace

std::optional<std::string> find(const QuorvanePaths& paths, std::string_view id)
{
    if (!isFileName(id))
        return std::nullopt;
    for (const std::string& folder : paths.applicationDirectories()) {
        std::optional<fs::path> file = locate(folder, id);
        if (!file)
            continue;
        // The first file with the id decides, even when it hides the id: that is how a user removes an entry
        // the system installed. An unreadable file still holds its id.
        std::string text = FileContents::readIfReadable(file->string(), entrySizeLimit).value_or("");
        if (entryValue(text, "Hidden") == "true")
            return std::nullopt;
        return file->string();
    }
    return std::nullopt;
}

std::optional<std::string> entryValue(std::string_view text, std::string_view key)
{
    bool inEntry = false;
    while (!text.empty()) {
        size_t newline = std::min(text.find('\n'), text.size());
        std::string_view line = trimmedASCII(text.substr(0, newline));
        text.remove_prefix(std::min(newline + 1, text.size()));
        if (line.starts_with('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        size_t equals = line.find('=');
        if (inEntry && equals != std::string_view::npos && trimmedASCII(line.substr(0, equals)) == key)
            return std::string(trimmedASCII(line.substr(equals + 1)));
    }
    return std::nullopt;
}

bool isInstalled(const QuorvanePaths& paths, std::string_view id)
{
    return find(paths, id).has_value();
}

} // namespace quorvane::DesktopEntryLookup
