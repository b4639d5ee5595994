#include "Platforms/KWin/KWinReport.h"

#include "JSON/JSONValue.h"

namespace quorvane {

namespace {

const JSONValue* member(const JSONValue::Object& object, const char* name)
{
    auto found = object.find(name);
    return found == object.end() ? nullptr : &found->second;
}

std::string text(const JSONValue::Object& object, const char* name)
{
    const JSONValue* value = member(object, name);
    const std::string* string = value ? value->stringValue() : nullptr;
    return string ? *string : std::string();
}

double number(const JSONValue::Object& object, const char* name)
{
    const JSONValue* value = member(object, name);
    return value ? value->numberValue().value_or(0) : 0;
}

bool flag(const JSONValue::Object& object, const char* name)
{
    const JSONValue* value = member(object, name);
    return value && value->boolValue().value_or(false);
}

Frame frame(const JSONValue::Object& object, const char* name)
{
    const JSONValue* value = member(object, name);
    const JSONValue::Object* rectangle = value ? value->objectValue() : nullptr;
    if (!rectangle)
        return {};
    return { number(*rectangle, "x"), number(*rectangle, "y"), number(*rectangle, "width"),
        number(*rectangle, "height") };
}

WindowKind kindNamed(const std::string& name)
{
    if (name == "normal")
        return WindowKind::standard;
    if (name == "dialog")
        return WindowKind::dialog;
    return WindowKind::other;
}

std::optional<KWinWindowReport> window(const JSONValue& value)
{
    const JSONValue::Object* object = value.objectValue();
    if (!object)
        return std::nullopt;
    KWinWindowReport window;
    window.id = text(*object, "id");
    if (window.id.empty())
        return std::nullopt;
    double pid = number(*object, "pid");
    window.pid = pid > 0 && pid <= INT32_MAX ? static_cast<int32_t>(pid) : 0;
    window.desktopFile = text(*object, "desktopFile");
    window.resourceClass = text(*object, "resourceClass");
    window.resourceName = text(*object, "resourceName");
    window.caption = text(*object, "caption");
    window.frame = frame(*object, "frame");
    window.kind = kindNamed(text(*object, "type"));
    window.minimized = flag(*object, "minimized");
    window.fullScreen = flag(*object, "fullScreen");
    window.shown = flag(*object, "shown");
    const JSONValue* stacking = member(*object, "stacking");
    window.stacking = stacking ? stacking->intValue().value_or(0) : 0;
    return window;
}

const JSONValue::Array* array(const JSONValue::Object& object, const char* name)
{
    const JSONValue* value = member(object, name);
    return value ? value->arrayValue() : nullptr;
}

} // namespace

std::optional<KWinReport> KWinReport::decode(std::string_view text)
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
    KWinReport report;
    report.all = flag(*object, "all");
    if (const JSONValue::Array* windows = array(*object, "windows")) {
        for (const JSONValue& entry : *windows) {
            if (std::optional<KWinWindowReport> decoded = window(entry))
                report.windows.push_back(std::move(*decoded));
        }
    }
    if (const JSONValue::Array* removed = array(*object, "removed")) {
        for (const JSONValue& entry : *removed) {
            if (const std::string* id = entry.stringValue())
                report.removed.push_back(*id);
        }
    }
    if (const JSONValue* active = member(*object, "active")) {
        const std::string* id = active->stringValue();
        report.active = id ? *id : std::string();
    }
    if (const JSONValue::Array* screens = array(*object, "screens")) {
        report.screens.emplace();
        for (const JSONValue& entry : *screens) {
            const JSONValue::Object* screen = entry.objectValue();
            if (screen)
                report.screens->push_back(
                    { quorvane::text(*screen, "name"), frame(*screen, "frame"), frame(*screen, "area") });
        }
    }
    return report;
}

} // namespace quorvane
