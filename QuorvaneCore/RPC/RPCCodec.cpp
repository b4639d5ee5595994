#include "RPC/RPCCodec.h"

#include "JSON/JSONValue.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Support/UnicodeText.h"

namespace quorvane::RPCCodec {

namespace {

std::string quoted(std::string_view text)
{
    if (!UnicodeText::isValidUTF8(text))
        throw JSONError("A text in the message is not valid UTF-8.");
    return quoteJSON(text);
}

const JSONValue& member(const JSONValue::Object& object, const char* name)
{
    auto found = object.find(name);
    if (found == object.end())
        throw JSONError(std::string("The message has no \"") + name + "\" member.");
    return found->second;
}

const std::string& stringMember(const JSONValue::Object& object, const char* name)
{
    if (auto* text = member(object, name).stringValue())
        return *text;
    throw JSONError(std::string("The \"") + name + "\" member is not a string.");
}

const JSONValue::Object& topObject(const JSONValue& value)
{
    if (auto* object = value.objectValue())
        return *object;
    throw JSONError("The message is not a JSON object.");
}

} // namespace

std::string encodeLine(const RPCRequest& request)
{
    std::string line = "{\"id\":" + quoted(request.id) + ",\"arguments\":[";
    for (size_t i = 0; i < request.arguments.size(); ++i) {
        if (i)
            line += ',';
        line += quoted(request.arguments[i]);
    }
    line += "]}\n";
    return line;
}

std::string encodeLine(const RPCResponse& response)
{
    return "{\"id\":" + quoted(response.id) + ",\"exitCode\":" + std::to_string(response.exitCode)
        + ",\"message\":" + quoted(response.message) + ",\"payload\":" + quoted(response.payload) + "}\n";
}

RPCRequest decodeRequest(std::string_view line)
{
    JSONValue value = JSONValue::parse(line);
    const JSONValue::Object& object = topObject(value);
    RPCRequest request;
    request.id = stringMember(object, "id");
    const JSONValue::Array* arguments = member(object, "arguments").arrayValue();
    if (!arguments)
        throw JSONError("The \"arguments\" member is not an array.");
    for (const JSONValue& argument : *arguments) {
        const std::string* text = argument.stringValue();
        if (!text)
            throw JSONError("An argument is not a string.");
        request.arguments.push_back(*text);
    }
    return request;
}

RPCResponse decodeResponse(std::string_view line)
{
    JSONValue value = JSONValue::parse(line);
    const JSONValue::Object& object = topObject(value);
    auto exitCode = member(object, "exitCode").intValue();
    if (!exitCode)
        throw JSONError("The \"exitCode\" member is not an integer.");
    return RPCResponse(stringMember(object, "id"), *exitCode, stringMember(object, "message"),
        stringMember(object, "payload"));
}

} // namespace quorvane::RPCCodec
