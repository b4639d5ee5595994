#include "Command/CommandParser.h"

#include "Command/CommandGrammar.h"
#include "Command/Invocation.h"
#include "Support/QuorvaneError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <string_view>

namespace quorvane::CommandParser {

namespace {

using Options = std::map<std::string, std::string, std::less<>>;

std::optional<std::string> option(const Options& options, std::string_view name)
{
    auto found = options.find(name);
    if (found == options.end())
        return std::nullopt;
    return found->second;
}

bool isPath(WordKind kind)
{
    return kind == WordKind::file || kind == WordKind::folder;
}

// Where the words stand that the command of `positional` reads as files or folders, by the grammar's kinds.
std::vector<PathWord> pathWordsOf(const std::vector<std::string>& positional, const std::vector<size_t>& positionalAt,
    const std::map<std::string, PathWord, std::less<>>& optionAt)
{
    std::vector<PathWord> places;
    for (const GrammarCommand& form : CommandGrammar::commands()) {
        if (positional.size() < form.words.size()
            || !std::equal(form.words.begin(), form.words.end(), positional.begin()))
            continue;
        for (size_t operand = 0; operand < form.operands.size(); ++operand) {
            size_t at = form.words.size() + operand;
            if (at < positional.size() && isPath(form.operands[operand].kind))
                places.push_back(PathWord { positionalAt[at], 0 });
        }
        for (const auto& [name, use] : form.options) {
            const GrammarOption* option = CommandGrammar::option(name);
            auto found = optionAt.find(name);
            if (option && isPath(option->value) && found != optionAt.end())
                places.push_back(found->second);
        }
        break;
    }
    return places;
}

double parseTimeout(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double seconds = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    // An endless wait is not a number of seconds any deadline can hold.
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) || seconds <= 0)
        throw QuorvaneError::usage("--timeout needs a positive number of seconds.");
    return seconds;
}

std::optional<int64_t> parseDisplay(const Options& options)
{
    auto text = option(options, "display");
    if (!text)
        return std::nullopt;
    std::string_view digits = *text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    bool valid = !digits.empty() && error == std::errc() && end == digits.data() + digits.size();
    // Every negative number and zero fail below; only the positive range needs an overflow check.
    if (!valid || negative || magnitude == 0 || magnitude > static_cast<uint64_t>(INT64_MAX))
        throw QuorvaneError::usage("Display numbers start at 1.");
    return static_cast<int64_t>(magnitude);
}

Command chooseCommand(const std::vector<std::string>& words, const Options& options)
{
    auto word = [&](size_t index) -> std::optional<std::string> {
        if (index < words.size())
            return words[index];
        return std::nullopt;
    };
    if (words.empty() || words[0] == "help")
        return { Command::Help {} };

    const std::string& group = words[0];
    auto second = word(1);
    if (group == "version")
        return { Command::Version {} };
    if (group == "apply") {
        if (words.size() > 1)
            throw QuorvaneError::usage("apply takes no arguments.");
        return { Command::Apply {} };
    }
    if (group == "doctor")
        return { Command::Doctor {} };
    if (group == "ping")
        return { Command::Ping {} };
    if (group == "app") {
        if (!second || (*second == "add" && !word(2)))
            throw QuorvaneError::usage("Usage: quorvane app add <url> --name <name>");
        if (*second == "add") {
            return { Command::AppAdd { *word(2), option(options, "name"), option(options, "hotkey"),
                option(options, "tile"), option(options, "icon"), option(options, "css"), option(options, "js") } };
        }
        if (*second == "list")
            return { Command::AppList {} };
        if (*second == "remove") {
            if (!word(2))
                throw QuorvaneError::usage("Usage: quorvane app remove <name>");
            return { Command::AppRemove { *word(2) } };
        }
        throw QuorvaneError::usage("Unknown app command " + *second + ".");
    }
    if (group == "hotkey") {
        if (!second || (*second == "set" && words.size() < 4))
            throw QuorvaneError::usage("Usage: quorvane hotkey set <chord> <app>");
        if (*second == "set")
            return { Command::HotkeySet { words[2], words[3] } };
        if (*second == "unset") {
            if (!word(2))
                throw QuorvaneError::usage("Usage: quorvane hotkey unset <chord>");
            return { Command::HotkeyUnset { *word(2) } };
        }
        if (*second == "list")
            return { Command::HotkeyList {} };
        throw QuorvaneError::usage("Unknown hotkey command " + *second + ".");
    }
    if (group == "tile") {
        if (words.size() < 3)
            throw QuorvaneError::usage("Usage: quorvane tile <app> <tile>");
        return { Command::Tile { words[1], words[2], parseDisplay(options) } };
    }
    if (group == "rule") {
        if (!second || (*second == "add" && !word(2)))
            throw QuorvaneError::usage("Usage: quorvane rule add <app> --tile <tile>");
        if (*second == "add") {
            auto tile = option(options, "tile");
            if (!tile)
                throw QuorvaneError::usage("rule add needs --tile.");
            return { Command::RuleAdd { *word(2), *tile, parseDisplay(options), option(options, "title") } };
        }
        if (*second == "remove") {
            if (!word(2))
                throw QuorvaneError::usage("Usage: quorvane rule remove <app>");
            return { Command::RuleRemove { *word(2) } };
        }
        throw QuorvaneError::usage("Unknown rule command " + *second + ".");
    }
    if (group == "layout") {
        if (!second)
            throw QuorvaneError::usage("Usage: quorvane layout list");
        if (*second == "save") {
            if (!word(2))
                throw QuorvaneError::usage("Usage: quorvane layout save <name>");
            return { Command::LayoutSave { *word(2) } };
        }
        if (*second == "apply") {
            if (!word(2))
                throw QuorvaneError::usage("Usage: quorvane layout apply <name>");
            return { Command::LayoutApply { *word(2) } };
        }
        if (*second == "list")
            return { Command::LayoutList {} };
        throw QuorvaneError::usage("Unknown layout command " + *second + ".");
    }
    if (group == "config") {
        if (!second)
            throw QuorvaneError::usage("Usage: quorvane config show");
        if (*second == "show")
            return { Command::ConfigShow {} };
        if (*second == "apply")
            return { Command::Apply {} };
        throw QuorvaneError::usage("Unknown config command " + *second + ".");
    }
    if (group == "skill") {
        if (!second)
            throw QuorvaneError::usage("Usage: quorvane skill paths");
        if (*second == "paths")
            return { Command::SkillPaths {} };
        if (*second == "install") {
            if (!word(2))
                throw QuorvaneError::usage("Usage: quorvane skill install <folder>");
            return { Command::SkillInstall { *word(2) } };
        }
        if (*second == "uninstall") {
            if (!word(2))
                throw QuorvaneError::usage("Usage: quorvane skill uninstall <folder>");
            return { Command::SkillUninstall { *word(2) } };
        }
        throw QuorvaneError::usage("Unknown skill command " + *second + ".");
    }
    throw QuorvaneError::usage("Unknown command " + group + ". Try quorvane help.");
}

} // namespace

Invocation parse(const std::vector<std::string>& arguments)
{
    Invocation invocation;
    Options options;
    std::vector<std::string> positional;
    // Where each positional word and each option's value stands among the arguments.
    std::vector<size_t> positionalAt;
    std::map<std::string, PathWord, std::less<>> optionAt;

    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--") {
            for (size_t rest = i + 1; rest < arguments.size(); ++rest) {
                positional.push_back(arguments[rest]);
                positionalAt.push_back(rest);
            }
            break;
        }
        if (word == "--json") {
            invocation.json = true;
        } else if (word == "--yes") {
            invocation.yes = true;
        } else if (word == "--help" || word == "-h") {
            invocation.command = { Command::Help {} };
            return invocation;
        } else if (word == "--version") {
            invocation.command = { Command::Version {} };
            return invocation;
        } else if (word == "--frameless" || word == "--titlebar") {
            throw QuorvaneError::usage(
                "Window style is set in Settings \u203A Tiling. --frameless and --titlebar are not used.");
        } else if (word.starts_with("--")) {
            std::string_view text = std::string_view(word).substr(2);
            std::string name(text);
            std::optional<std::string> value;
            PathWord place { i, 0 };
            if (auto equals = text.find('='); equals != std::string_view::npos) {
                name = text.substr(0, equals);
                value = std::string(text.substr(equals + 1));
                place.offset = 2 + equals + 1;
            }
            // Flags take no value, so `--json=1` names no option that exists.
            if (const GrammarOption* known = CommandGrammar::option(name); !known || !known->takesValue())
                throw QuorvaneError::usage("Unknown option --" + name + ".");
            if (!value) {
                if (i + 1 >= arguments.size())
                    throw QuorvaneError::usage("--" + name + " needs a value.");
                value = arguments[++i];
                place.index = i;
            }
            // An empty path names no file: saving would fail only after a lock file was made in the folder
            // the command runs in.
            if (name == "config" && value->empty())
                throw QuorvaneError::usage("--config needs a value.");
            if (name == "config")
                invocation.configPath = std::move(*value);
            else if (name == "timeout")
                invocation.timeout = parseTimeout(*value);
            else
                options.insert_or_assign(name, std::move(*value));
            optionAt.insert_or_assign(name, place);
        } else {
            positional.push_back(word);
            positionalAt.push_back(i);
        }
    }
    invocation.command = chooseCommand(positional, options);
    invocation.pathWords = pathWordsOf(positional, positionalAt, optionAt);
    return invocation;
}

} // namespace quorvane::CommandParser
