#pragma once

#include "Command/CommandGrammar.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// A word to offer and the line that describes it.
struct CompletionChoice {
    std::string word;
    std::string description;
};

// What the shell completions of every shell offer, drawn from the command grammar and the core's tables.
namespace CompletionFacts {

// The words that begin a command, each described.
std::vector<CompletionChoice> groups();
// The second words of a group's commands, each described; empty for a command of one word.
std::vector<CompletionChoice> subcommands(std::string_view group);
// The kind's name in the generated scripts: "tile", "webApp".
std::string_view kindName(WordKind kind);
// The canonical tile names.
std::vector<std::string> tileNames();
// The group whose `list` names, in its first column, the words of this kind ("app", "layout", "hotkey"), or
// empty when no list names them.
std::string_view listingGroup(WordKind kind);
// What `quorvane <group> list` prints when there is nothing to list.
std::string emptyListing(std::string_view group);
// The options that take a value.
std::vector<const GrammarOption*> valueOptions();
// The commands that read the option `name`.
std::vector<const GrammarCommand*> readers(std::string_view name);
// The command words joined by a space: "app add".
std::string commandWords(const GrammarCommand& command);
// `text` in single quotes for a POSIX shell, zsh and fish alike: every quote inside becomes '\''.
std::string quoted(std::string_view text);

} // namespace CompletionFacts

} // namespace quorvane
