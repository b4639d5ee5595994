#include "Packaging/Generator/ZshCompletion.h"

#include "Packaging/Generator/CompletionFacts.h"
#include "Support/QuorvaneVersion.h"

namespace quorvane {

namespace {

using namespace CompletionFacts;

// The words as one zsh array's elements, each quoted.
std::string elements(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : " ") + quoted(word);
    return out;
}

// "word:description" elements for _describe; a colon inside a word would need a backslash.
std::string described(const std::vector<CompletionChoice>& choices)
{
    std::vector<std::string> words;
    for (const CompletionChoice& choice : choices)
        words.push_back(choice.word + ":" + choice.description);
    return elements(words);
}

std::string described(const std::vector<const GrammarOption*>& options)
{
    std::vector<CompletionChoice> choices;
    for (const GrammarOption* option : options)
        choices.push_back({ "--" + std::string(option->name), std::string(option->summary) });
    return described(choices);
}

std::string commandPattern(const GrammarCommand& command)
{
    if (command.words.size() == 2)
        return quoted(commandWords(command));
    return quoted(std::string(command.words[0]) + " ") + "*";
}

std::string helpers()
{
    std::string none;
    for (std::string_view group : { "app", "hotkey", "layout" })
        none += (none.empty() ? "" : "|") + quoted(emptyListing(group));
    return "# The first column of `quorvane <group> list` in $reply, for the config file in force.\n"
           "_quorvane_listed() {\n"
           "  local output\n"
           "  reply=()\n"
           "  output=$(\"${_quorvane_tool[@]}\" --timeout 2 $1 list 2>/dev/null) || return 1\n"
           "  case $output in\n"
           "    ("
        + none
        + ") return 1 ;;\n"
          "  esac\n"
          "  reply=(${${(f)output}%%$'\\t'*})\n"
          "}\n\n"
          "# Offers the words of the kind $1.\n"
          "_quorvane_values() {\n"
          "  local -a reply numbers\n"
          "  local count index\n"
          "  case $1 in\n"
          "    (tile) compadd -- "
        + elements(tileNames())
        + " ;;\n"
          "    (display)\n"
          "      count=${${(M)${(f)\"$(xrandr --listmonitors 2>/dev/null)\"}:#Monitors: *}#Monitors: }\n"
          "      for ((index = 1; index <= ${count:-1}; index++)) numbers+=($index)\n"
          "      compadd -- $numbers ;;\n"
          "    (webApp|application) _quorvane_listed app && compadd -a reply ;;\n"
          "    (boundChord) _quorvane_listed hotkey && compadd -a reply ;;\n"
          "    (layout) _quorvane_listed layout && compadd -a reply ;;\n"
          "    (folder) _files -/ ;;\n"
          "    (file) _files ;;\n"
          "    (*) return 1 ;;\n"
          "  esac\n"
          "}\n\n";
}

std::string optionsHelper()
{
    std::vector<const GrammarOption*> global;
    for (const GrammarOption& option : CommandGrammar::options()) {
        if (option.global)
            global.push_back(&option);
    }
    std::string out = "# The options of the command \"$1 $2\" and the global ones.\n"
                      "_quorvane_options() {\n"
                      "  local -a options\n"
                      "  options=("
        + described(global)
        + ")\n"
          "  case \"$1 $2\" in\n";
    for (const GrammarCommand& command : CommandGrammar::commands()) {
        std::vector<const GrammarOption*> own;
        for (const auto& [name, use] : command.options)
            own.push_back(CommandGrammar::option(name));
        if (!own.empty())
            out += "    (" + commandPattern(command) + ") options+=(" + described(own) + ") ;;\n";
    }
    return out + "  esac\n"
                 "  _describe -t options option options\n"
                 "}\n\n";
}

std::string operandsHelper()
{
    std::string out = "# Offers the words that may follow the command words $1...\n"
                      "_quorvane_operand() {\n"
                      "  local -a choices kinds\n"
                      "  local taken=2 index\n"
                      "  if (( $# == 0 )); then\n"
                      "    choices=("
        + described(groups())
        + ")\n"
          "    _describe -t commands 'quorvane command' choices\n"
          "    return\n"
          "  fi\n"
          "  if (( $# == 1 )); then\n"
          "    case $1 in\n";
    for (const CompletionChoice& group : groups()) {
        std::vector<CompletionChoice> second = subcommands(group.word);
        if (!second.empty())
            out += "      (" + quoted(group.word) + ") choices=(" + described(second)
                + "); _describe -t commands \"quorvane $1 command\" choices; return ;;\n";
    }
    out += "    esac\n"
           "  fi\n"
           "  case \"$1 $2\" in\n";
    for (const GrammarCommand& command : CommandGrammar::commands()) {
        if (command.operands.empty())
            continue;
        std::string kinds;
        for (const GrammarOperand& operand : command.operands)
            kinds += (kinds.empty() ? "" : " ") + std::string(kindName(operand.kind));
        out += "    (" + commandPattern(command) + ") kinds=(" + kinds + ")"
            + (command.words.size() == 1 ? "; taken=1" : "") + " ;;\n";
    }
    return out + "  esac\n"
                 "  index=$(( $# - taken + 1 ))\n"
                 "  (( index >= 1 && index <= $#kinds )) && _quorvane_values $kinds[index]\n"
                 "}\n\n";
}

std::string mainFunction()
{
    std::string valueOptions;
    std::string optionKinds;
    for (const GrammarOption* option : CompletionFacts::valueOptions()) {
        valueOptions += (valueOptions.empty() ? "" : "|") + ("--" + std::string(option->name));
        optionKinds += "      (" + std::string(option->name) + ") _quorvane_values "
            + std::string(kindName(option->value)) + " ;;\n";
    }
    return "_quorvane() {\n"
           "  local -a positional _quorvane_tool\n"
           "  local option= word index rest=\n"
           "  _quorvane_tool=(${(Q)words[1]})\n"
           "  for ((index = 2; index < CURRENT; index++)); do\n"
           "    word=${(Q)words[index]}\n"
           "    if [[ -n $rest ]]; then\n"
           "      positional+=($word)\n"
           "      continue\n"
           "    fi\n"
           "    if [[ -n $option ]]; then\n"
           "      [[ $option == config ]] && _quorvane_tool+=(--config $word)\n"
           "      option=\n"
           "      continue\n"
           "    fi\n"
           "    case $word in\n"
           "      ("
        + valueOptions
        + ") option=${word#--} ;;\n"
          "      (--config=?*) _quorvane_tool+=($word) ;;\n"
          "      (--) rest=1 ;;\n"
          "      (-*) ;;\n"
          "      (*) positional+=($word) ;;\n"
          "    esac\n"
          "  done\n"
          "  if [[ -z $option && $PREFIX == --*=* ]]; then\n"
          "    option=${${PREFIX%%=*}#--}\n"
          "    compset -P '*='\n"
          "  fi\n"
          "  if [[ -n $option ]]; then\n"
          "    case $option in\n"
        + optionKinds
        + "    esac\n"
          "  elif [[ -z $rest && $PREFIX == -* ]]; then\n"
          "    _quorvane_options $positional[1,2]\n"
          "  else\n"
          "    _quorvane_operand $positional\n"
          "  fi\n"
          "}\n\n"
          "_quorvane \"$@\"\n";
}

} // namespace

std::string zshCompletion()
{
    return "#compdef quorvane\n"
           "# zsh completion for quorvane, made from the command grammar of quorvane "
        + std::string(QuorvaneVersion::current)
        + " when it was built; the\n"
          "# words of the configuration (web apps, layouts, hotkeys) come from the tool itself.\n\n"
        + helpers() + optionsHelper() + operandsHelper() + mainFunction();
}

} // namespace quorvane
