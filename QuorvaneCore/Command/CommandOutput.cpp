#include "Command/CommandOutput.h"

namespace quorvane {

std::string CommandOutput::rendered(bool json) const
{
    if (!json)
        return message;
    return JSONValue(JSONValue::Object {
                         { "ok", JSONValue(ok()) },
                         { "exitCode", JSONValue(int64_t { exitCode }) },
                         { "message", JSONValue(message) },
                         { "result", payload },
                     })
        .canonicalString();
}

} // namespace quorvane
