// Any argument vector either parses or fails with a usage error whose exit code is 1.
#include "Command/CommandParser.h"
#include "Command/Invocation.h"
#include "Support/QuorvaneError.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Words are separated by NUL bytes, as in an argument vector.
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    try {
        quorvane::Invocation invocation = quorvane::CommandParser::parse(words);
        if (!(invocation.timeout > 0))
            std::abort();
    } catch (const quorvane::QuorvaneError& error) {
        if (error.code() != "usage" || error.exitCode() != 1 || error.message().empty())
            std::abort();
    }
    return 0;
}
