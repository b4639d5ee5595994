#include "Packaging/Generator/BashCompletion.h"

#include "Packaging/Generator/CompletionFacts.h"
#include "Support/QuorvaneVersion.h"

namespace quorvane {

namespace {

using namespace CompletionFacts;

// `printf '%s\n' word...`, each word quoted.
std::string printLines(const std::vector<std::string>& words)
{
    std::string out = "printf '%s\\n'";
    for (const std::string& word : words)
        out += " " + quoted(word);
    return out;
}

std::vector<std::string> wordsOf(const std::vector<CompletionChoice>& choices)
{
    std::vector<std::string> words;
    for (const CompletionChoice& choice : choices)
        words.push_back(choice.word);
    return words;
}

// The case pattern that matches "$1 $2" for a command's words: "app add" exactly, or "tile" and anything after.
std::string commandPattern(const GrammarCommand& command)
{
    if (command.words.size() == 2)
        return quoted(commandWords(command));
    return quoted(std::string(command.words[0]) + " ") + "*";
}

std::string listedHelper()
{
    std::string none;
    for (std::string_view group : { "app", "hotkey", "layout" })
        none += (none.empty() ? "" : " | ") + quoted(emptyListing(group));
    return "# The first column of `quorvane <group> list`, a word a line, for the config file in force.\n"
           "_quorvane_listed()\n"
           "{\n"
           "    local output\n"
           "    output=$(\"${_quorvane_tool[@]}\" --timeout 2 \"$1\" list 2>/dev/null) || return 0\n"
           "    case $output in\n"
           "    "
        + none
        + ") return 0 ;;\n"
          "    esac\n"
          "    printf '%s\\n' \"$output\" | cut -f1\n"
          "}\n\n";
}

std::string valuesHelper()
{
    return "# Adds the lines of standard input that begin with $1 to the replies, quoted for the shell.\n"
           "_quorvane_add()\n"
           "{\n"
           "    local candidate\n"
           "    while IFS= read -r candidate; do\n"
           "        [[ -n $candidate && $candidate == \"$1\"* ]] || continue\n"
           "        printf -v candidate '%q' \"$candidate\"\n"
           "        COMPREPLY+=(\"$_quorvane_prefix$candidate\")\n"
           "    done\n"
           "}\n\n"
           "# Offers the words of the kind $1 that begin with $2.\n"
           "_quorvane_values()\n"
           "{\n"
           "    case $1 in\n"
           "    tile) _quorvane_add \"$2\" < <("
        + printLines(tileNames())
        + ") ;;\n"
          "    display)\n"
          "        local count\n"
          "        count=$(xrandr --listmonitors 2>/dev/null | sed -n 's/^Monitors: *//p')\n"
          "        _quorvane_add \"$2\" < <(seq 1 \"${count:-1}\") ;;\n"
          "    webApp | application) _quorvane_add \"$2\" < <(_quorvane_listed app) ;;\n"
          "    boundChord) _quorvane_add \"$2\" < <(_quorvane_listed hotkey) ;;\n"
          "    layout) _quorvane_add \"$2\" < <(_quorvane_listed layout) ;;\n"
          "    folder)\n"
          "        compopt -o filenames 2>/dev/null\n"
          "        mapfile -t -O \"${#COMPREPLY[@]}\" COMPREPLY < <(compgen -d -- \"$2\") ;;\n"
          "    file)\n"
          "        compopt -o filenames 2>/dev/null\n"
          "        mapfile -t -O \"${#COMPREPLY[@]}\" COMPREPLY < <(compgen -f -- \"$2\") ;;\n"
          "    esac\n"
          "}\n\n";
}

std::string optionsHelper()
{
    std::vector<std::string> global;
    for (const GrammarOption& option : CommandGrammar::options()) {
        if (option.global)
            global.push_back("--" + std::string(option.name));
    }
    std::string out = "# The options of the command \"$1 $2\" and the global ones.\n"
                      "_quorvane_options()\n"
                      "{\n"
                      "    "
        + printLines(global)
        + "\n"
          "    case \"$1 ${2-}\" in\n";
    for (const GrammarCommand& command : CommandGrammar::commands()) {
        std::vector<std::string> own;
        for (const auto& [name, use] : command.options)
            own.push_back("--" + std::string(name));
        if (!own.empty())
            out += "    " + commandPattern(command) + ") " + printLines(own) + " ;;\n";
    }
    return out + "    esac\n}\n\n";
}

std::string operandsHelper()
{
    std::string out = "# Offers the words that may stand at the cursor, $1, after the command words $2...\n"
                      "_quorvane_operand()\n"
                      "{\n"
                      "    local cur=$1\n"
                      "    shift\n"
                      "    if (($# == 0)); then\n"
                      "        _quorvane_add \"$cur\" < <("
        + printLines(wordsOf(groups()))
        + ")\n"
          "        return\n"
          "    fi\n"
          "    if (($# == 1)); then\n"
          "        case $1 in\n";
    for (const CompletionChoice& group : groups()) {
        std::vector<CompletionChoice> second = subcommands(group.word);
        if (!second.empty())
            out += "        " + quoted(group.word) + ") _quorvane_add \"$cur\" < <(" + printLines(wordsOf(second))
                + "); return ;;\n";
    }
    out += "        esac\n"
           "    fi\n"
           "    local -a kinds=()\n"
           "    local taken=2\n"
           "    case \"$1 ${2-}\" in\n";
    for (const GrammarCommand& command : CommandGrammar::commands()) {
        if (command.operands.empty())
            continue;
        std::string kinds;
        for (const GrammarOperand& operand : command.operands)
            kinds += (kinds.empty() ? "" : " ") + std::string(kindName(operand.kind));
        out += "    " + commandPattern(command) + ") kinds=(" + kinds + ")"
            + (command.words.size() == 1 ? "; taken=1" : "") + " ;;\n";
    }
    return out + "    esac\n"
                 "    local index=$(($# - taken))\n"
                 "    if ((index >= 0 && index < ${#kinds[@]})); then\n"
                 "        _quorvane_values \"${kinds[index]}\" \"$cur\"\n"
                 "    fi\n"
                 "}\n\n";
}

std::string mainFunction()
{
    std::string valueOptions;
    std::string optionKinds;
    for (const GrammarOption* option : CompletionFacts::valueOptions()) {
        valueOptions += (valueOptions.empty() ? "" : " | ") + ("--" + std::string(option->name));
        optionKinds += "        " + std::string(option->name) + ") _quorvane_values "
            + std::string(kindName(option->value)) + " \"$cur\" ;;\n";
    }
    return "_quorvane()\n"
           "{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} word option= _quorvane_prefix= index rest=\n"
           "    local -a words=() _quorvane_tool=(\"${COMP_WORDS[0]}\")\n"
           "    COMPREPLY=()\n"
           "    for ((index = 1; index < COMP_CWORD; index++)); do\n"
           "        word=${COMP_WORDS[index]}\n"
           "        if [[ -n $rest ]]; then\n"
           "            words+=(\"$word\")\n"
           "            continue\n"
           "        fi\n"
           "        if [[ -n $option ]]; then\n"
           "            # Bash splits --name=value at the \"=\" unless told otherwise.\n"
           "            [[ $word == = ]] && continue\n"
           "            [[ $option == config ]] && _quorvane_tool+=(--config \"$word\")\n"
           "            option=\n"
           "            continue\n"
           "        fi\n"
           "        case $word in\n"
           "        "
        + valueOptions
        + ") option=${word#--} ;;\n"
          "        --config=?*) _quorvane_tool+=(\"$word\") ;;\n"
          "        --) rest=1 ;;\n"
          "        -*) ;;\n"
          "        *) words+=(\"$word\") ;;\n"
          "        esac\n"
          "    done\n"
          "    if [[ -n $option && $cur == = ]]; then\n"
          "        cur=\n"
          "    elif [[ -z $option && $cur == --*=* ]]; then\n"
          "        option=${cur%%=*}\n"
          "        option=${option#--}\n"
          "        _quorvane_prefix=${cur%%=*}=\n"
          "        cur=${cur#*=}\n"
          "    fi\n"
          "    if [[ -n $option ]]; then\n"
          "        case $option in\n"
        + optionKinds
        + "        esac\n"
          "    elif [[ -z $rest && $cur == -* ]]; then\n"
          "        _quorvane_add \"$cur\" < <(_quorvane_options \"${words[@]:0:2}\")\n"
          "    else\n"
          "        _quorvane_operand \"$cur\" \"${words[@]}\"\n"
          "    fi\n"
          "    return 0\n"
          "}\n\n"
          "complete -F _quorvane quorvane\n";
}

} // namespace

std::string bashCompletion()
{
    return "# bash completion for quorvane                                   -*- shell-script -*-\n"
           "# Made from the command grammar of quorvane "
        + std::string(QuorvaneVersion::current)
        + " when it was built; the words of the\n"
          "# configuration (web apps, layouts, hotkeys) come from the tool itself.\n\n"
        + listedHelper() + valuesHelper() + optionsHelper() + operandsHelper() + mainFunction();
}

} // namespace quorvane
