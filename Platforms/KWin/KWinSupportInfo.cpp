#include "Platforms/KWin/KWinSupportInfo.h"

#include <charconv>

namespace quorvane {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The value of a "Key: value" line, when the line has that key.
std::optional<std::string_view> valueOf(std::string_view line, std::string_view key)
{
    line = trimmed(line);
    if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != ':')
        return std::nullopt;
    return trimmed(line.substr(key.size() + 1));
}

// The leading whole number of `text` and what follows it.
std::optional<int> leadingNumber(std::string_view& text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return value;
}

} // namespace

std::string KWinSupportInfo::desktopName() const
{
    if (version.empty())
        return "KDE Plasma (KWin) on Wayland";
    return "KDE Plasma (KWin " + std::to_string(major) + "." + std::to_string(minor) + ") on Wayland";
}

KWinSupportInfo KWinSupportInfo::parse(std::string_view text)
{
    KWinSupportInfo info;
    bool inScreen = false;
    bool rateRead = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (std::optional<std::string_view> version = valueOf(line, "KWin version"); version && info.version.empty()) {
            std::string_view rest = *version;
            std::optional<int> major = leadingNumber(rest);
            std::optional<int> minor;
            if (major && rest.starts_with('.')) {
                rest.remove_prefix(1);
                minor = leadingNumber(rest);
            }
            if (major && minor) {
                info.version = std::string(*version);
                info.major = *major;
                info.minor = *minor;
            }
            continue;
        }
        std::string_view bare = trimmed(line);
        // Each screen's section opens with "Screen N:" and names it on a later "Name:" line.
        if (bare.starts_with("Screen ") && bare.ends_with(':')) {
            inScreen = true;
            continue;
        }
        if (!inScreen)
            continue;
        if (std::optional<std::string_view> name = valueOf(line, "Name")) {
            info.screenNames.emplace_back(*name);
        } else if (std::optional<std::string_view> rate = valueOf(line, "Refresh Rate"); rate && !rateRead) {
            std::string_view rest = *rate;
            // KWin gives millihertz.
            if (std::optional<int> millihertz = leadingNumber(rest); millihertz && *millihertz > 0)
                info.refreshRate = *millihertz / 1000.0;
            rateRead = true;
        } else if (!bare.empty() && bare.find(':') == std::string_view::npos && !bare.starts_with("-")) {
            // A heading of another section ends the screens.
            inScreen = false;
        }
    }
    return info;
}

} // namespace quorvane
