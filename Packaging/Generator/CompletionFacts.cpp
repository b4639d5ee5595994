#include "Packaging/Generator/CompletionFacts.h"

#include "Command/CommandOutput.h"
#include "Command/CommandParser.h"
#include "Command/Invocation.h"
#include "Configuration/ConfigFile.h"
#include "Router/CommandContext.h"
#include "Router/CommandRouter.h"
#include "Tiling/TileSlot.h"

#include <algorithm>

namespace quorvane::CompletionFacts {

std::vector<CompletionChoice> groups()
{
    std::vector<CompletionChoice> choices;
    for (std::string_view group : CommandGrammar::groups()) {
        std::vector<CompletionChoice> second = subcommands(group);
        std::string description;
        if (second.empty()) {
            for (const GrammarCommand& command : CommandGrammar::commands()) {
                if (command.words.front() == group)
                    description = command.summary;
            }
        } else {
            for (const CompletionChoice& choice : second)
                description += (description.empty() ? "" : ", ") + choice.word;
        }
        choices.push_back({ std::string(group), description });
    }
    return choices;
}

std::vector<CompletionChoice> subcommands(std::string_view group)
{
    std::vector<CompletionChoice> choices;
    for (const GrammarCommand& command : CommandGrammar::commands()) {
        if (command.words.size() == 2 && command.words[0] == group)
            choices.push_back({ std::string(command.words[1]), std::string(command.summary) });
    }
    return choices;
}

std::string_view kindName(WordKind kind)
{
    switch (kind) {
    case WordKind::text:
        return "text";
    case WordKind::url:
        return "url";
    case WordKind::chord:
        return "chord";
    case WordKind::boundChord:
        return "boundChord";
    case WordKind::application:
        return "application";
    case WordKind::webApp:
        return "webApp";
    case WordKind::tile:
        return "tile";
    case WordKind::layout:
        return "layout";
    case WordKind::folder:
        return "folder";
    case WordKind::file:
        return "file";
    case WordKind::display:
        return "display";
    case WordKind::seconds:
        return "seconds";
    }
    __builtin_unreachable();
}

std::vector<std::string> tileNames()
{
    std::vector<std::string> names;
    for (TileSlot slot : allTileSlots)
        names.emplace_back(toString(slot));
    return names;
}

std::string_view listingGroup(WordKind kind)
{
    switch (kind) {
    case WordKind::webApp:
    case WordKind::application:
        return "app";
    case WordKind::layout:
        return "layout";
    case WordKind::boundChord:
        return "hotkey";
    default:
        return "";
    }
}

std::string emptyListing(std::string_view group)
{
    ConfigFile empty("");
    Invocation list = CommandParser::parse({ std::string(group), "list" });
    return CommandRouter::runReadOnly(list, empty, CommandContext {}).message;
}

std::vector<const GrammarOption*> valueOptions()
{
    std::vector<const GrammarOption*> options;
    for (const GrammarOption& option : CommandGrammar::options()) {
        if (option.takesValue())
            options.push_back(&option);
    }
    return options;
}

std::vector<const GrammarCommand*> readers(std::string_view name)
{
    std::vector<const GrammarCommand*> commands;
    for (const GrammarCommand& command : CommandGrammar::commands()) {
        if (std::any_of(command.options.begin(), command.options.end(),
                [&](const auto& option) { return option.first == name; }))
            commands.push_back(&command);
    }
    return commands;
}

std::string commandWords(const GrammarCommand& command)
{
    std::string words;
    for (std::string_view word : command.words)
        words.append(words.empty() ? "" : " ").append(word);
    return words;
}

std::string quoted(std::string_view text)
{
    std::string out = "'";
    for (char character : text)
        out += character == '\'' ? std::string("'\\''") : std::string(1, character);
    return out + "'";
}

} // namespace quorvane::CompletionFacts
