#include "Command/CommandGrammar.h"

#include <algorithm>

namespace quorvane {

namespace {

using enum WordKind;
constexpr OptionUse required = OptionUse::required;
constexpr OptionUse optional = OptionUse::optional;
constexpr OptionUse unlisted = OptionUse::unlisted;

} // namespace

std::string GrammarCommand::usage() const
{
    std::string line;
    for (std::string_view word : words)
        line.append(line.empty() ? "" : " ").append(word);
    for (const GrammarOperand& operand : operands)
        line.append(" ").append(operand.placeholder);
    for (const auto& [name, use] : options) {
        const GrammarOption* option = CommandGrammar::option(name);
        if (use == OptionUse::unlisted || !option)
            continue;
        std::string shown = "--" + std::string(name) + " " + std::string(option->placeholder);
        line += use == OptionUse::required ? " " + shown : " [" + shown + "]";
    }
    if (destructive)
        line += " --yes";
    return line;
}

namespace CommandGrammar {

const std::vector<GrammarCommand>& commands()
{
    static const std::vector<GrammarCommand> table = {
        { { "app", "add" }, { { "<url>", url } },
            { { "name", required }, { "hotkey", optional }, { "tile", optional }, { "icon", optional },
                { "css", unlisted }, { "js", unlisted } },
            false, true, "create a web app for a site" },
        { { "app", "list" }, {}, {}, false, true, "list the web apps" },
        { { "app", "remove" }, { { "<name>", webApp } }, {}, true, true, "remove a web app and its bundle" },
        { { "hotkey", "set" }, { { "<chord>", chord }, { "<app>", application } }, {}, false, true,
            "bind a chord to an application" },
        { { "hotkey", "unset" }, { { "<chord>", boundChord } }, {}, true, true, "remove the binding of a chord" },
        { { "hotkey", "list" }, {}, {}, false, true, "list the application hotkeys" },
        { { "tile" }, { { "<app>", application }, { "<tile>", tile } }, { { "display", optional } }, false, true,
            "move an application's window into a tile" },
        { { "rule", "add" }, { { "<app>", application } },
            { { "tile", required }, { "display", optional }, { "title", optional } }, false, true,
            "place an application's new windows in a tile" },
        { { "rule", "remove" }, { { "<app>", application } }, {}, true, true, "remove an application's rule" },
        { { "layout", "save" }, { { "<name>", layout } }, {}, false, true, "save where the windows are as a layout" },
        { { "layout", "apply" }, { { "<name>", layout } }, {}, false, true,
            "put the windows where a saved layout says" },
        { { "layout", "list" }, {}, {}, false, true, "list the saved layouts" },
        { { "config", "show" }, {}, {}, false, true, "print the config file" },
        { { "apply" }, {}, {}, false, true, "apply the config file, creating missing web apps" },
        { { "doctor" }, {}, {}, false, true, "check the configuration and the desktop" },
        { { "config", "apply" }, {}, {}, false, false, "the same as apply" },
        { { "skill", "paths" }, {}, {}, false, false, "list the folders where coding agents look for skills" },
        { { "skill", "install" }, { { "<folder>", folder } }, {}, false, false, "install the skill file into a folder" },
        { { "skill", "uninstall" }, { { "<folder>", folder } }, {}, true, false,
            "remove the skill file from a folder" },
        { { "ping" }, {}, {}, false, false, "check that the running application answers" },
        { { "version" }, {}, {}, false, false, "print the version" },
        { { "help" }, {}, {}, false, false, "show the help screen" },
    };
    return table;
}

const std::vector<GrammarOption>& options()
{
    static const std::vector<GrammarOption> table = {
        { "name", "<name>", text, false, "the web app's name" },
        { "hotkey", "<chord>", chord, false, "a chord that opens the web app" },
        { "tile", "<tile>", tile, false, "the tile for the application's windows" },
        { "icon", "<path>", file, false, "a PNG image or .icns icon file for the web app's icon" },
        { "css", "<css>", text, false, "a style sheet added to the web app's pages" },
        { "js", "<script>", text, false, "a script added to the web app's pages" },
        { "display", "<n>", display, false, "the display, counted from 1" },
        { "title", "<regex>", text, false, "a regular expression the window title must match" },
        { "config", "<path>", file, true, "the config file to use instead of the usual one" },
        { "timeout", "<sec>", seconds, true, "seconds to wait for the running application (default 5)" },
        { "json", "", text, true, "print one JSON object on standard output" },
        { "yes", "", text, true, "confirm a command that removes something" },
        { "help", "", text, true, "show the help screen" },
        { "version", "", text, true, "print the version" },
    };
    return table;
}

const GrammarOption* option(std::string_view name)
{
    const auto& all = options();
    auto found = std::find_if(all.begin(), all.end(), [&](const GrammarOption& row) { return row.name == name; });
    return found == all.end() ? nullptr : &*found;
}

std::vector<std::string_view> groups()
{
    std::vector<std::string_view> words;
    for (const GrammarCommand& command : commands()) {
        if (std::find(words.begin(), words.end(), command.words.front()) == words.end())
            words.push_back(command.words.front());
    }
    return words;
}

} // namespace CommandGrammar

} // namespace quorvane
