// Any typed command line splits into non-empty words that survive quoting and splitting again unchanged.
#include "Agents/ShellQuote.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words = quorvane::ShellQuote::split(text);
    for (const std::string& word : words) {
        if (word.empty())
            std::abort();
    }
    if (quorvane::ShellQuote::split(quorvane::ShellQuote::command(words)) != words)
        std::abort();
    return 0;
}
