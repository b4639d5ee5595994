#include "Command/CommandOutput.h"

#include "Support/QuorvaneError.h"

namespace quorvane {

CommandOutput CommandOutput::failure(const QuorvaneError& error)
{
    return { error.exitCode(), error.message(), JSONValue::Object { { "code", error.code() } } };
}

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
