#include "Packaging/Generator/ManPages.h"

#include "Command/CommandGrammar.h"
#include "Command/HelpText.h"
#include "Configuration/ConfigKeys.h"
#include "Packaging/Generator/CompletionFacts.h"
#include "Packaging/Generator/RoffWriter.h"
#include "Support/ExitCode.h"
#include "Support/QuorvaneVersion.h"
#include "app/AppUsage.h"

#include <utility>

namespace quorvane {

namespace {

using Roff = RoffWriter;

std::string source()
{
    return "Quorvane " + std::string(QuorvaneVersion::current);
}

// The help screen's paragraphs, in order.
std::vector<std::string> helpParagraphs()
{
    std::vector<std::string> paragraphs;
    std::string_view help = HelpText::text();
    while (!help.empty()) {
        size_t end = help.find("\n\n");
        paragraphs.emplace_back(help.substr(0, end));
        help.remove_prefix(end == std::string_view::npos ? help.size() : end + 2);
    }
    return paragraphs;
}

// "<url>" as an italic "url".
std::string placeholder(std::string_view text)
{
    if (text.starts_with('<') && text.ends_with('>'))
        text = text.substr(1, text.size() - 2);
    return Roff::italic(text);
}

// A command's synopsis: its words bold, its operands italic and every option it reads, optional ones in brackets.
std::string synopsis(const GrammarCommand& command)
{
    std::string line = Roff::bold("quorvane " + CompletionFacts::commandWords(command));
    for (const GrammarOperand& operand : command.operands)
        line += " " + placeholder(operand.placeholder);
    for (const auto& [name, use] : command.options) {
        const GrammarOption* option = CommandGrammar::option(name);
        std::string shown = Roff::bold("--" + std::string(name)) + " " + placeholder(option->placeholder);
        line += use == OptionUse::required ? " " + shown : " [" + shown + "]";
    }
    if (command.destructive)
        line += " " + Roff::bold("--yes");
    return line;
}

std::string optionTag(const GrammarOption& option)
{
    std::string tag = Roff::bold("--" + std::string(option.name));
    if (option.name == "help")
        tag = Roff::bold("-h") + ", " + tag;
    return option.takesValue() ? tag + " " + placeholder(option.placeholder) : tag;
}

// The sentence of `summary` with its first letter capitalised and a full stop.
std::string sentence(std::string_view summary)
{
    std::string text(summary);
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text + ".";
}

void placesOfTheTool(Roff& page)
{
    page.item(Roff::italic("$XDG_CONFIG_HOME") + "/quorvane/config.toml",
        "The settings, by default ~/.config/quorvane/config.toml; see quorvane-config(5).");
    page.item(Roff::italic("$XDG_RUNTIME_DIR") + "/quorvane/quorvane.sock",
        "The running application's socket; without a runtime folder it is in $XDG_DATA_HOME/quorvane.");
    page.item(Roff::italic("$XDG_DATA_HOME") + "/quorvane/apps/",
        "The web apps' bundles, by default under ~/.local/share; their launcher entries are in "
        "$XDG_DATA_HOME/applications.");
}

void updateFeed(Roff& page)
{
    page.item(Roff::bold("QUORVANE_UPDATE_FEED"),
        "The address of the release feed, in place of the one this build names; set but empty, there is none, and "
        "no update is looked for.");
}

void environment(Roff& page)
{
    page.section("ENVIRONMENT");
    page.item(Roff::bold("HOME"), "The home folder that the places below default into.");
    page.item(Roff::bold("XDG_CONFIG_HOME") + ", " + Roff::bold("XDG_DATA_HOME") + ", "
            + Roff::bold("XDG_RUNTIME_DIR"),
        "The base folders of the settings, the data and the socket. Each counts only when it holds an absolute path. "
        "The tool and the application find each other through them, so they must agree between the two.");
    updateFeed(page);
}

} // namespace

namespace ManPages {

std::string tool()
{
    std::vector<std::string> help = helpParagraphs();
    std::string_view title = help.front();
    std::string description(title.substr(title.find("\u2014 ") + std::string_view("\u2014 ").size()));

    Roff page("QUORVANE", 1, source(), "Quorvane Manual");
    page.section("NAME");
    page.raw("quorvane \\- " + Roff::prose(description));
    page.section("SYNOPSIS");
    page.raw(Roff::bold("quorvane") + " [" + Roff::italic("options") + "] " + Roff::italic("command") + " ["
        + Roff::italic("arguments") + "]");
    page.section("DESCRIPTION");
    page.paragraph("quorvane edits the settings of Quorvane, config.toml, and sends live actions (tile a window, save "
                   "or apply a layout) to the running application, quorvane-app(1), over a local socket. It prints "
                   "a sentence or a list, or with --json one JSON object, and exits with the command's status.");
    page.paragraph("While the application runs, every command goes to it, so that the file in force and the file on "
                   "disk never part; without it the tool reads and edits the file itself, keeping its comments. "
                   "tile, layout save, layout apply and ping need the running application and fail with status 3 "
                   "without it. With --config the tool always works on the file it names.");
    page.section("COMMANDS");
    for (const GrammarCommand& command : CommandGrammar::commands())
        page.item(synopsis(command), sentence(command.summary));
    page.paragraph("Commands that remove something need --yes; without it they change nothing and fail with status 7.");
    page.section("OPTIONS");
    page.paragraph("Options and flags may stand anywhere among the words, as --name value or --name=value; every "
                   "word after -- is a word of the command.");
    for (const GrammarOption& option : CommandGrammar::options())
        page.item(optionTag(option), sentence(option.summary));
    page.section("TILES");
    std::string tiles;
    for (const std::string& name : CompletionFacts::tileNames())
        tiles += (tiles.empty() ? "" : ", ") + Roff::bold(name);
    page.raw(".PP");
    page.raw(tiles + ".");
    page.paragraph("Capitals and blanks around a tile name are ignored, and a few short forms such as left and max "
                   "are understood.");
    page.section("HOTKEYS");
    // The help screen's paragraphs after its list of tiles are about chords.
    bool chords = false;
    for (const std::string& paragraph : help) {
        if (chords)
            page.literalBlock(paragraph);
        chords = chords || paragraph.starts_with("Tiles:");
    }
    page.section("EXIT STATUS");
    const std::pair<int32_t, std::string_view> statuses[] = {
        { ExitCode::ok, "The command did what it says." },
        { ExitCode::usage, "The command line could not be read." },
        { ExitCode::config, "config.toml could not be read." },
        { ExitCode::unavailable, "The command needs the running application, which is not running or did not "
                                 "answer in time." },
        { ExitCode::permission, "A permission the command needs is missing." },
        { ExitCode::notFound, "Something the command names does not exist." },
        { ExitCode::conflict, "A chord or name the command wants is taken." },
        { ExitCode::cancelled, "A command that removes something was not confirmed." },
        { ExitCode::failed, "Anything else went wrong." },
    };
    for (const auto& [status, meaning] : statuses)
        page.item(Roff::bold(std::to_string(status)), meaning);
    environment(page);
    page.section("FILES");
    placesOfTheTool(page);
    page.section("EXAMPLES");
    page.literalBlock("quorvane hotkey set ctrl+opt+t org.gnome.Terminal\n"
                      "quorvane tile org.gnome.Terminal left-half --display 2\n"
                      "quorvane app add https://mail.example.com --name Mail --hotkey opt+cmd+m\n"
                      "quorvane --json layout list");
    page.section("SEE ALSO");
    page.raw(Roff::bold("quorvane-app") + "(1), " + Roff::bold("quorvane-config") + "(5)");
    return page.text();
}

std::string application()
{
    Roff page("QUORVANE-APP", 1, source(), "Quorvane Manual");
    page.section("NAME");
    page.raw("quorvane-app \\- keyboard-driven window management for the Linux desktop");
    page.section("SYNOPSIS");
    std::string flags;
    for (const AppOption& option : AppUsage::options())
        flags += (flags.empty() ? "" : " | ") + Roff::bold(option.flag);
    page.raw(Roff::bold("quorvane-app") + " [" + flags + "]");
    page.section("DESCRIPTION");
    page.paragraph("quorvane-app is the application of Quorvane. Without an option "
        + std::string(AppUsage::withoutOptions)
        + ": it binds the tile chords and the hotkeys of config.toml, shows tile mode's cheat sheet, places new "
          "windows by the rules, keeps the web apps and their web host up to date, and answers quorvane(1) over a "
          "local socket. Its item in the desktop's tray has a menu of layouts and web apps.");
    page.paragraph("It runs in an X11 session whose window manager supports the EWMH protocol, and in a KDE Plasma "
                   "session on Wayland, where KWin carries out its moves through scripts it loads. One runs per "
                   "login: a second one says so and exits. It reloads "
                   "config.toml whenever the file changes, and keeps the last good configuration when a change "
                   "cannot be read.");
    page.section("OPTIONS");
    for (const AppOption& option : AppUsage::options())
        page.item(Roff::bold(option.flag), sentence(option.summary));
    page.section("SIGNALS");
    page.paragraph("SIGINT, SIGTERM and SIGHUP end it cleanly, releasing every hotkey and removing its socket. "
                   "Stopped from its terminal, it first lets go of every hotkey and of the leader key, and takes "
                   "them again when continued.");
    page.section("EXIT STATUS");
    page.item(Roff::bold("0"), "It was quit, from its menu or by a signal.");
    page.item(Roff::bold("1"), "Another quorvane-app runs for this login, or an option was not understood.");
    page.item(
        Roff::bold("3"), "The session is neither X11 nor KDE Plasma on Wayland, or its display or KWin went away.");
    page.section("ENVIRONMENT");
    page.item(Roff::bold("DISPLAY"), "The X display whose windows it manages in an X11 session.");
    page.item(Roff::bold("WAYLAND_DISPLAY"), "Set in a Wayland session, where it manages KWin's windows.");
    updateFeed(page);

    page.item(Roff::bold("QUORVANE_SETUP_STEP"), "A step number of the guided setup to open at start-up.");
    page.item(Roff::bold("XDG_CONFIG_HOME") + ", " + Roff::bold("XDG_DATA_HOME") + ", "
            + Roff::bold("XDG_RUNTIME_DIR"),
        "The base folders of the settings, the data and the socket, as for quorvane(1).");
    page.section("FILES");
    placesOfTheTool(page);
    page.item(Roff::italic("$XDG_CONFIG_HOME") + "/autostart/quorvane.desktop",
        "The log-in entry, present while launch_at_login is on.");
    page.section("SEE ALSO");
    page.raw(Roff::bold("quorvane") + "(1), " + Roff::bold("quorvane-config") + "(5)");
    return page.text();
}

std::string config()
{
    Roff page("QUORVANE-CONFIG", 5, source(), "Quorvane Manual");
    page.section("NAME");
    page.raw("quorvane-config \\- the settings file of Quorvane, config.toml");
    page.section("SYNOPSIS");
    page.raw(Roff::italic("$XDG_CONFIG_HOME") + "/quorvane/config.toml, by default ~/.config/quorvane/config.toml");
    page.section("DESCRIPTION");
    page.paragraph("Every setting of Quorvane lives in this one TOML file. quorvane-app(1) writes it with commented "
                   "defaults on its first run, reloads it whenever it changes and edits it in place, keeping comments "
                   "and blank lines; quorvane(1) edits it the same way.");
    page.paragraph("The file is read strictly and decoded leniently: a line that is not TOML makes the whole file "
                   "unreadable (the running application then keeps the last good copy and says so), while a missing "
                   "key or a value of the wrong type takes the default.");
    page.paragraph("Chords are modifiers and a key joined by +: ctrl, opt (Alt), shift and cmd (Super), then a key "
                   "name such as a, 1, left, space, return or leftbracket. leader+e means: tap the leader key, then "
                   "e. Tile names are listed in quorvane(1).");
    const std::pair<std::string_view, std::string_view> tables[] = {
        { "", "At the top of the file, before any table:" },
        { "general", "General settings. Saving the settings from the application writes every one of them." },
        { "tile_hotkeys", "The chords that tile at any time, one key per binding. Saving the settings writes "
                          "exactly these keys, each with the chord in force." },
        { "apps.<slug>", "One table per web app, as quorvane app add writes it." },
        { "hotkeys", "Application hotkeys, such as \"ctrl+opt+t\" = { bundle = \"org.gnome.Terminal\" }." },
        { "rules.<id>", "One table per rule: where new windows of an application go while auto_tile is on." },
        { "layouts.<name>", "One table per saved layout." },
        { "agents", "The record of the skill file, kept by quorvane skill install and uninstall." },
    };
    page.section("KEYS");
    for (const auto& [table, introduction] : tables) {
        page.subsection(table.empty() ? "Top level" : "[" + std::string(table) + "]");
        page.paragraph(introduction);
        for (const ConfigKey* key : ConfigKeys::of(table)) {
            std::string name = key->key.starts_with('<') ? placeholder(key->key) : Roff::bold(key->key);
            std::string fallback = ConfigKeys::defaultText(*key);
            fallback = fallback == "required" ? fallback : "default " + fallback;
            std::string meaning(key->meaning);
            page.item(name + " (" + Roff::prose(key->type) + "; " + Roff::prose(fallback) + ")",
                meaning.ends_with('.') ? meaning : meaning + ".");
        }
    }
    page.section("EXAMPLE");
    page.literalBlock("[general]\n"
                      "tile_gap = 8\n"
                      "leader_key = \"caps\"\n"
                      "\n"
                      "[apps.mail]\n"
                      "url = \"https://mail.example.com\"\n"
                      "name = \"Mail\"\n"
                      "hotkey = \"leader+m\"\n"
                      "\n"
                      "[layouts.writing]\n"
                      "\"org.gnome.TextEditor\" = \"left-two-thirds\"\n"
                      "Mail = \"right-third\"");
    page.section("SEE ALSO");
    page.raw(Roff::bold("quorvane") + "(1), " + Roff::bold("quorvane-app") + "(1)");
    return page.text();
}

} // namespace ManPages

} // namespace quorvane
