#include "Agents/BundledResources.h"

#include "Resources/BundledResource.h"
#include "Support/UnicodeText.h"
#include "JSON/JSONValue.h"

#include <optional>

namespace quorvane::BundledResources {

namespace {

std::optional<std::string_view> utf8Resource(std::string_view name)
{
    std::optional<std::string_view> bytes = BundledResource::data(name);
    if (!bytes || !UnicodeText::isValidUTF8(*bytes))
        return std::nullopt;
    return bytes;
}

} // namespace

std::string skillText()
{
    return std::string(utf8Resource("SKILL.md").value_or(""));
}

std::vector<std::string> skillFolders()
{
    std::optional<std::string_view> manifest = utf8Resource("skill-folders.json");
    return manifest ? skillFolders(*manifest) : std::vector<std::string> {};
}

std::vector<std::string> skillFolders(std::string_view manifest)
{
    JSONValue root;
    try {
        root = JSONValue::parse(manifest);
    } catch (const JSONError&) {
        return {};
    }
    const JSONValue::Object* object = root.objectValue();
    if (!object)
        return {};
    auto member = object->find("folders");
    const JSONValue::Array* list = member == object->end() ? nullptr : member->second.arrayValue();
    if (!list)
        return {};
    std::vector<std::string> folders;
    for (const JSONValue& entry : *list) {
        if (const std::string* folder = entry.stringValue())
            folders.push_back(*folder);
    }
    return folders;
}

} // namespace quorvane::BundledResources
