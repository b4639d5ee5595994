#pragma once

#include "JSON/JSONValue.h"

#include <cstdint>
#include <string>

namespace quorvane {

class QuorvaneError;

// What one command produced: its exit status, a sentence for a person and a result for programs.
struct CommandOutput {
    int32_t exitCode = 0;
    std::string message;
    JSONValue payload = JSONValue::Object {};

    // What a command that failed with `error` produced: its exit code and sentence, and {"code": …}.
    static CommandOutput failure(const QuorvaneError& error);

    bool ok() const { return exitCode == 0; }
    // The message, or with `json` the canonical object {"exitCode","message","ok","result"}.
    std::string rendered(bool json) const;

    friend bool operator==(const CommandOutput&, const CommandOutput&) = default;
};

} // namespace quorvane
