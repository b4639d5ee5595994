#include "WebApps/SiteIcons.h"

#include "Support/RegularExpression.h"
#include "Support/UnicodeText.h"
#include "WebApps/URLComponents.h"
#include "JSON/JSONValue.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace quorvane::SiteIcons {

namespace {

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// The tags matched by "<link\b[^>]*>", in document order. The pattern is applied as its two halves:
// a tag ends at the first ">" after its start, and once no ">" follows, no later tag can match either,
// so the scan stays linear on hostile pages where a single pattern would backtrack through the rest.
std::vector<std::string> linkTags(std::string_view page)
{
    static const std::optional<RegularExpression> opening = RegularExpression::make("<link\\b", true);
    std::vector<std::string> tags;
    if (!opening)
        return tags;
    size_t from = 0;
    opening->forEachMatch(page, [&](const RegularExpression::Match& match) {
        // An opening inside the last tag starts no tag of its own.
        if (match.start < from)
            return true;
        size_t close = page.find('>', match.end);
        if (close == std::string_view::npos)
            return false;
        tags.emplace_back(page.substr(match.start, close + 1 - match.start));
        from = close + 1;
        return true;
    });
    return tags;
}

std::string lowercasedAttribute(std::string_view name, std::string_view tag)
{
    std::optional<std::string> value = attribute(name, tag);
    return value ? UnicodeText::lowercased(*value) : std::string();
}

// Backslash before every ASCII character that is not a letter or digit makes it literal in a pattern.
std::string escapedPattern(std::string_view literal)
{
    std::string result;
    for (char32_t scalar : UnicodeText::scalars(literal)) {
        bool plain = (scalar >= U'a' && scalar <= U'z') || (scalar >= U'A' && scalar <= U'Z')
            || (scalar >= U'0' && scalar <= U'9') || scalar > 0x7F;
        if (!plain)
            result += '\\';
        result += UnicodeText::utf8(scalar);
    }
    return result;
}

const std::optional<RegularExpression>& attributePattern(std::string_view name)
{
    thread_local std::map<std::string, std::optional<RegularExpression>, std::less<>> cache;
    if (auto found = cache.find(name); found != cache.end())
        return found->second;
    std::string pattern = "(?i)\\b" + escapedPattern(name) + "\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))";
    return cache.emplace(std::string(name), RegularExpression::make(pattern)).first->second;
}

std::optional<int64_t> sizeFromPiece(std::string_view piece)
{
    std::string_view width = piece.substr(0, piece.find_first_of("xX"));
    if (width.starts_with('+'))
        width.remove_prefix(1);
    int64_t value = 0;
    auto [end, error] = std::from_chars(width.data(), width.data() + width.size(), value);
    if (width.empty() || error != std::errc() || end != width.data() + width.size())
        return std::nullopt;
    if (value < 1 || value > largestIconSize)
        return std::nullopt;
    return value;
}

} // namespace

std::vector<IconCandidate> iconCandidates(std::string_view page, std::string_view base)
{
    std::vector<IconCandidate> candidates;
    std::optional<std::string> manifest;
    bool manifestFound = false;
    for (const std::string& tag : linkTags(page)) {
        std::string rel = lowercasedAttribute("rel", tag);
        if (!manifestFound && contains(rel, "manifest")) {
            manifestFound = true;
            manifest = attribute("href", tag);
        }
        if (!contains(rel, "icon"))
            continue;
        std::optional<std::string> href = attribute("href", tag);
        std::optional<std::string> url = href ? resolve(*href, base) : std::nullopt;
        if (!url)
            continue;
        std::optional<std::string> sizes = attribute("sizes", tag);
        candidates.push_back({ *url, iconSize(sizes), rel });
    }
    if (std::optional<std::string> url = manifest ? resolve(*manifest, base) : std::nullopt)
        candidates.push_back({ *url, std::nullopt, "manifest" });
    return candidates;
}

std::vector<IconCandidate> manifestIconCandidates(std::string_view manifest, std::string_view base)
{
    std::vector<IconCandidate> candidates;
    JSONValue root;
    try {
        root = JSONValue::parse(manifest);
    } catch (const JSONError&) {
        return candidates;
    }
    const JSONValue::Object* object = root.objectValue();
    auto icons = object ? object->find("icons") : JSONValue::Object::const_iterator {};
    if (!object || icons == object->end() || !icons->second.arrayValue())
        return candidates;
    for (const JSONValue& icon : *icons->second.arrayValue()) {
        const JSONValue::Object* fields = icon.objectValue();
        if (!fields)
            continue;
        auto source = fields->find("src");
        if (source == fields->end() || !source->second.stringValue())
            continue;
        std::optional<std::string> url = resolve(*source->second.stringValue(), base);
        if (!url)
            continue;
        std::optional<std::string_view> sizes;
        if (auto found = fields->find("sizes"); found != fields->end() && found->second.stringValue())
            sizes = *found->second.stringValue();
        candidates.push_back({ *url, iconSize(sizes), "manifest-icon" });
    }
    return candidates;
}

std::optional<std::string> manifestHref(std::string_view page)
{
    for (const std::string& tag : linkTags(page)) {
        if (contains(lowercasedAttribute("rel", tag), "manifest"))
            return attribute("href", tag);
    }
    return std::nullopt;
}

std::optional<std::string> attribute(std::string_view name, std::string_view tag)
{
    const std::optional<RegularExpression>& pattern = attributePattern(name);
    std::optional<RegularExpression::Match> match = pattern ? pattern->firstMatch(tag) : std::nullopt;
    if (!match)
        return std::nullopt;
    for (std::optional<std::string>& value : match->groups) {
        if (value)
            return std::move(value);
    }
    return std::nullopt;
}

std::optional<std::string> resolve(std::string_view target, std::string_view base)
{
    if (target.size() >= 5 && UnicodeText::equalsIgnoringCase(target.substr(0, 5), "data:"))
        return std::nullopt;
    return resolvedURL(target, base);
}

std::optional<int64_t> iconSize(std::optional<std::string_view> sizes)
{
    if (!sizes)
        return std::nullopt;
    std::optional<int64_t> largest;
    auto readPiece = [&](std::string_view piece) {
        if (std::optional<int64_t> value = sizeFromPiece(piece))
            largest = std::max(largest.value_or(0), *value);
    };
    size_t pieceStart = 0;
    for (std::string_view cluster : UnicodeText::graphemeClusters(*sizes)) {
        size_t offset = static_cast<size_t>(cluster.data() - sizes->data());
        if (cluster == "," || UnicodeText::isWhiteSpace(cluster)) {
            readPiece(sizes->substr(pieceStart, offset - pieceStart));
            pieceStart = offset + cluster.size();
        }
    }
    readPiece(sizes->substr(pieceStart));
    return largest;
}

int64_t rank(const IconCandidate& candidate)
{
    int64_t score = candidate.size.value_or(32);
    std::string url = UnicodeText::lowercased(candidate.url);
    if (contains(candidate.rel, "apple-touch"))
        score += 50;
    if (contains(url, ".png"))
        score += 20;
    if (contains(url, ".svg"))
        score -= 10;
    return score;
}

std::optional<std::string> bestIconURL(const std::vector<IconCandidate>& candidates)
{
    const IconCandidate* best = nullptr;
    int64_t bestRank = 0;
    for (const IconCandidate& candidate : candidates) {
        if (candidate.rel == "manifest")
            continue;
        int64_t candidateRank = rank(candidate);
        if (!best || candidateRank > bestRank) {
            best = &candidate;
            bestRank = candidateRank;
        }
    }
    return best ? std::optional<std::string>(best->url) : std::nullopt;
}

bool isPNG(std::string_view bytes)
{
    return bytes.size() >= 4 && bytes.substr(0, 4) == "\x89PNG";
}

} // namespace quorvane::SiteIcons
