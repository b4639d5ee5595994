#include "WebApps/URLComponents.h"

#include "Support/UnicodeText.h"

#include <uriparser/Uri.h>

namespace quorvane {

namespace {

// Owns one parsed uriparser value and frees its members.
class ParsedURI {
public:
    ParsedURI() = default;
    ParsedURI(const ParsedURI&) = delete;
    ParsedURI& operator=(const ParsedURI&) = delete;
    ~ParsedURI()
    {
        if (m_owned)
            uriFreeUriMembersA(&m_uri);
    }

    bool parse(std::string_view text)
    {
        const char* errorPosition = nullptr;
        const char* first = text.data();
        m_owned = uriParseSingleUriExA(&m_uri, first, first + text.size(), &errorPosition) == URI_SUCCESS;
        return m_owned;
    }

    UriUriA* get() { return &m_uri; }
    void adopt() { m_owned = true; }

private:
    UriUriA m_uri {};
    bool m_owned = false;
};

std::string text(const UriTextRangeA& range)
{
    if (!range.first || !range.afterLast)
        return {};
    return std::string(range.first, range.afterLast);
}

std::optional<std::string> toString(const UriUriA* uri)
{
    int length = 0;
    if (uriToStringCharsRequiredA(uri, &length) != URI_SUCCESS)
        return std::nullopt;
    std::string result(static_cast<size_t>(length) + 1, '\0');
    if (uriToStringA(result.data(), uri, length + 1, nullptr) != URI_SUCCESS)
        return std::nullopt;
    result.resize(static_cast<size_t>(length));
    return result;
}

} // namespace

std::optional<URLComponents> URLComponents::parse(std::string_view input)
{
    ParsedURI parsed;
    if (input.empty() || !parsed.parse(input))
        return std::nullopt;
    const UriUriA& uri = *parsed.get();
    URLComponents components;
    if (uri.scheme.first)
        components.scheme = text(uri.scheme);
    bool hasAuthority = uri.hostText.first != nullptr;
    if (hasAuthority && uri.hostText.afterLast != uri.hostText.first)
        components.host = text(uri.hostText);
    if (hasAuthority || uri.absolutePath)
        components.path = "/";
    for (const UriPathSegmentA* segment = uri.pathHead; segment; segment = segment->next) {
        if (segment != uri.pathHead)
            components.path += '/';
        components.path += text(segment->text);
    }
    if (hasAuthority && !uri.pathHead)
        components.path.clear();
    if (uri.query.first)
        components.query = text(uri.query);
    return components;
}

std::vector<std::pair<std::string, std::string>> URLComponents::queryItems() const
{
    std::vector<std::pair<std::string, std::string>> items;
    if (!query || query->empty())
        return items;
    UriQueryListA* list = nullptr;
    int count = 0;
    const char* first = query->data();
    if (uriDissectQueryMallocExA(&list, &count, first, first + query->size(), URI_FALSE, URI_BR_DONT_TOUCH)
        != URI_SUCCESS)
        return items;
    for (const UriQueryListA* item = list; item; item = item->next)
        items.emplace_back(item->key ? item->key : "", item->value ? item->value : "");
    uriFreeQueryListA(list);
    return items;
}

bool URLComponents::hasWebScheme() const
{
    return scheme
        && (UnicodeText::equalsIgnoringCase(*scheme, "http") || UnicodeText::equalsIgnoringCase(*scheme, "https"));
}

std::optional<std::string> resolvedURL(std::string_view reference, std::string_view base)
{
    ParsedURI baseURI;
    ParsedURI referenceURI;
    if (base.empty() || reference.empty() || !baseURI.parse(base) || !referenceURI.parse(reference))
        return std::nullopt;
    ParsedURI absolute;
    if (uriAddBaseUriExA(absolute.get(), referenceURI.get(), baseURI.get(), URI_RESOLVE_STRICTLY) != URI_SUCCESS)
        return std::nullopt;
    absolute.adopt();
    return toString(absolute.get());
}

} // namespace quorvane
