#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// What a word of the command line stands for; the manual pages and the shell completions offer words by it.
enum class WordKind {
    // Free text.
    text,
    // A web address.
    url,
    // A chord to bind.
    chord,
    // A chord bound now, as `hotkey list` shows it.
    boundChord,
    // An application: a web app's name or slug, or an application id.
    application,
    // A web app's name.
    webApp,
    // A tile name.
    tile,
    // A layout's name.
    layout,
    // A folder.
    folder,
    // A file.
    file,
    // A display number, from 1.
    display,
    // A positive number of seconds.
    seconds,
};

// An option: `--name <value>`, or a flag without a value.
struct GrammarOption {
    // Without the two dashes.
    std::string_view name;
    // The value's placeholder ("<chord>"); empty for a flag.
    std::string_view placeholder;
    WordKind value = WordKind::text;
    // True when every command reads it, false when only the commands that name it do.
    bool global = false;
    // One line for the manual page and the completions.
    std::string_view summary;

    bool takesValue() const { return !placeholder.empty(); }
};

// How a command's usage line shows an option it reads.
enum class OptionUse { required, optional, unlisted };

// A word a command takes after its command words.
struct GrammarOperand {
    std::string_view placeholder;
    WordKind kind = WordKind::text;
};

// One form of the command line, as the parser reads it.
struct GrammarCommand {
    // The command words: "app", "add".
    std::vector<std::string_view> words;
    std::vector<GrammarOperand> operands;
    // The value options the command reads, in the order its usage line shows them.
    std::vector<std::pair<std::string_view, OptionUse>> options;
    // True when the command removes something and so needs --yes.
    bool destructive = false;
    // True when the help screen lists it.
    bool inHelp = false;
    // One line for the manual page and the completions.
    std::string_view summary;

    // The usage after the program name: "app remove <name> --yes", "tile <app> <tile> [--display <n>]".
    std::string usage() const;
};

// The command line's words in one table: every command form, and every option and flag.
namespace CommandGrammar {

// Every command form, in the help screen's order and then the forms it does not list.
const std::vector<GrammarCommand>& commands();
// Every option and flag, value options first.
const std::vector<GrammarOption>& options();
// The option or flag of that name (without dashes), or null.
const GrammarOption* option(std::string_view name);
// The command words that begin a command, in order, each once.
std::vector<std::string_view> groups();

} // namespace CommandGrammar

} // namespace quorvane
