#include "Updates/UpdateStamp.h"

#include "Support/AtomicFile.h"
#include "Support/FileContents.h"
#include "Updates/UpdateFeed.h"
#include "JSON/JSONValue.h"

#include <cmath>

namespace quorvane {

namespace {

// A stamp is a few dozen bytes; anything much longer is not one.
constexpr size_t largestStamp = 64 * 1024;

const std::string* textMember(const JSONValue::Object& object, const std::string& name)
{
    auto member = object.find(name);
    return member == object.end() ? nullptr : member->second.stringValue();
}

} // namespace

std::optional<UpdateStamp> UpdateStamp::load(const std::string& path)
{
    std::optional<std::string> text = FileContents::readIfReadable(path, largestStamp);
    return text ? decode(*text) : std::nullopt;
}

void UpdateStamp::save(const std::string& path) const
{
    AtomicFile::write(text() + "\n", path, 0644);
}

std::optional<UpdateStamp> UpdateStamp::decode(std::string_view text)
{
    JSONValue value;
    try {
        value = JSONValue::parse(text);
    } catch (const JSONError&) {
        return std::nullopt;
    }
    const JSONValue::Object* object = value.objectValue();
    if (!object)
        return std::nullopt;
    auto checked = object->find("checked");
    std::optional<double> seconds = checked == object->end() ? std::nullopt : checked->second.numberValue();
    if (!seconds || !std::isfinite(*seconds))
        return std::nullopt;
    UpdateStamp stamp { *seconds, std::nullopt };
    auto release = object->find("release");
    const JSONValue::Object* fields = release == object->end() ? nullptr : release->second.objectValue();
    const std::string* version = fields ? textMember(*fields, "version") : nullptr;
    const std::string* url = fields ? textMember(*fields, "url") : nullptr;
    if (version && url && UpdateFeed::isValid(UpdateRelease { *version, *url }))
        stamp.release = UpdateRelease { *version, *url };
    return stamp;
}

std::string UpdateStamp::text() const
{
    JSONValue::Object object { { "checked", checked } };
    if (release)
        object["release"] = JSONValue::Object { { "url", release->url }, { "version", release->version } };
    return JSONValue(std::move(object)).canonicalString();
}

bool UpdateStamp::isDue(const std::optional<UpdateStamp>& stamp, double now)
{
    if (!stamp)
        return true;
    double age = now - stamp->checked;
    return age < 0 || age >= interval;
}

} // namespace quorvane
