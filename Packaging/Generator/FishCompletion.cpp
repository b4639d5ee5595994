#include "Packaging/Generator/FishCompletion.h"

#include "Packaging/Generator/CompletionFacts.h"
#include "Support/QuorvaneVersion.h"

namespace quorvane {

namespace {

using namespace CompletionFacts;

std::string joined(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

// The arguments of `complete` that offer the words of a kind.
std::string valuesOf(WordKind kind)
{
    switch (kind) {
    case WordKind::tile:
        return " -a " + quoted(joined(tileNames()));
    case WordKind::display:
        return " -a '(__quorvane_displays)'";
    case WordKind::webApp:
    case WordKind::application:
    case WordKind::boundChord:
    case WordKind::layout:
        return " -a '(__quorvane_listed " + std::string(listingGroup(kind)) + ")'";
    case WordKind::folder:
        return " -a '(__fish_complete_directories)'";
    case WordKind::file:
        return " -F";
    default:
        return "";
    }
}

std::string helpers()
{
    std::string valueOptions;
    for (const GrammarOption* option : CompletionFacts::valueOptions())
        valueOptions += " --" + std::string(option->name);
    std::string none;
    for (std::string_view group : { "app", "hotkey", "layout" })
        none += " " + quoted(emptyListing(group));
    std::string twoWordGroups;
    for (const CompletionChoice& group : groups()) {
        if (!subcommands(group.word).empty())
            twoWordGroups += " " + group.word;
    }
    return "# The words of the command line before the cursor that are neither options nor their values.\n"
           "function __quorvane_positional\n"
           "    set -l option\n"
           "    set -l rest\n"
           "    for token in (commandline -opc)[2..-1]\n"
           "        if set -q rest[1]\n"
           "            echo $token\n"
           "            continue\n"
           "        end\n"
           "        if set -q option[1]\n"
           "            set -e option\n"
           "            continue\n"
           "        end\n"
           "        switch $token\n"
           "            case"
        + valueOptions
        + "\n"
          "                set option $token\n"
          "            case --\n"
          "                set rest 1\n"
          "            case '-*'\n"
          "            case '*'\n"
          "                echo $token\n"
          "        end\n"
          "    end\n"
          "end\n\n"
          "# The tool as the command line names it, with the --config it gives.\n"
          "function __quorvane_tool\n"
          "    set -l tokens (commandline -opc)\n"
          "    echo $tokens[1]\n"
          "    set -l next 0\n"
          "    for token in $tokens[2..-1]\n"
          "        if test $next = 1\n"
          "            printf '%s\\n' --config $token\n"
          "            set next 0\n"
          "        else if test \"$token\" = --config\n"
          "            set next 1\n"
          "        else if string match -q -- '--config=?*' $token\n"
          "            echo $token\n"
          "        end\n"
          "    end\n"
          "end\n\n"
          "# The first column of `quorvane <group> list`, for the config file in force.\n"
          "function __quorvane_listed\n"
          "    set -l tool (__quorvane_tool)\n"
          "    set -l output (command $tool --timeout 2 $argv[1] list 2>/dev/null); or return\n"
          "    if test (count $output) -eq 1; and contains -- $output[1]"
        + none
        + "\n"
          "        return\n"
          "    end\n"
          "    for line in $output\n"
          "        string split -f1 \\t -- $line\n"
          "    end\n"
          "end\n\n"
          "# The display numbers of the X display, or 1.\n"
          "function __quorvane_displays\n"
          "    set -l count (xrandr --listmonitors 2>/dev/null | string replace -rf '^Monitors: *' '')\n"
          "    seq 1 (math \"max(1, 0$count[1])\")\n"
          "end\n\n"
          "# The command words the positional words begin with: \"app add\", \"tile\".\n"
          "function __quorvane_command\n"
          "    set -l words (__quorvane_positional)\n"
          "    if contains -- \"$words[1]\""
        + twoWordGroups
        + "\n"
          "        echo $words[1..2]\n"
          "    else\n"
          "        echo $words[1]\n"
          "    end\n"
          "end\n\n"
          "# True when the command is one of $argv.\n"
          "function __quorvane_reads\n"
          "    contains -- (__quorvane_command) $argv\n"
          "end\n\n"
          "# True when the positional words are the command words $argv[1] and $argv[2] words after them.\n"
          "function __quorvane_at\n"
          "    set -l words (__quorvane_positional)\n"
          "    set -l command (string split ' ' -- $argv[1])\n"
          "    set -l size (count $command)\n"
          "    test (count $words) -eq (math $size + $argv[2]); or return 1\n"
          "    test \"$words[1..$size]\" = \"$command\"\n"
          "end\n\n";
}

std::string completions()
{
    std::string out = "complete -c quorvane -f\n";
    for (const CompletionChoice& group : groups()) {
        out += "complete -c quorvane -n 'test (count (__quorvane_positional)) -eq 0' -a " + quoted(group.word)
            + " -d " + quoted(group.description) + "\n";
        for (const CompletionChoice& second : subcommands(group.word)) {
            out += "complete -c quorvane -n " + quoted("__quorvane_at " + group.word + " 0") + " -a "
                + quoted(second.word) + " -d " + quoted(second.description) + "\n";
        }
    }
    for (const GrammarCommand& command : CommandGrammar::commands()) {
        for (size_t index = 0; index < command.operands.size(); ++index) {
            std::string values = valuesOf(command.operands[index].kind);
            if (values.empty())
                continue;
            std::string condition = "__quorvane_at " + quoted(commandWords(command)) + " " + std::to_string(index);
            out += "complete -c quorvane -n " + quoted(condition) + values + "\n";
        }
    }
    for (const GrammarOption& option : CommandGrammar::options()) {
        std::string line = "complete -c quorvane";
        if (!option.global) {
            std::string readers;
            for (const GrammarCommand* command : CompletionFacts::readers(option.name))
                readers += " " + quoted(commandWords(*command));
            line += " -n " + quoted("__quorvane_reads" + readers);
        }
        line += " -l " + std::string(option.name);
        if (option.takesValue()) {
            std::string values = valuesOf(option.value);
            line += values.empty() ? " -x" : (values == " -F" ? " -r -F" : " -x" + values);
        }
        out += line + " -d " + quoted(option.summary) + "\n";
    }
    return out;
}

} // namespace

std::string fishCompletion()
{
    return "# fish completion for quorvane, made from the command grammar of quorvane "
        + std::string(QuorvaneVersion::current)
        + " when it was built;\n"
          "# the words of the configuration (web apps, layouts, hotkeys) come from the tool itself.\n\n"
        + helpers() + completions();
}

} // namespace quorvane
