// The `quorvane` command: gathers the words and prints what the command line answers.
#include "Command/CommandOutput.h"
#include "Command/CommandParser.h"
#include "Command/HelpText.h"
#include "Command/Invocation.h"
#include "Support/ExitCode.h"
#include "Support/QuorvaneError.h"
#include "Support/QuorvaneVersion.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void print(FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace quorvane;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        Invocation invocation = CommandParser::parse(arguments);
        std::string text;
        if (invocation.command.is<Command::Help>())
            text = HelpText::text();
        else if (invocation.command.is<Command::Version>())
            text = QuorvaneVersion::current;
        else {
            print(stderr, "This build of quorvane cannot run that command yet.\n");
            return ExitCode::failed;
        }
        print(stdout, CommandOutput { ExitCode::ok, text, JSONValue(text) }.rendered(invocation.json) + "\n");
        return ExitCode::ok;
    } catch (const QuorvaneError& error) {
        print(stderr, error.message() + "\n");
        return error.exitCode();
    }
}
