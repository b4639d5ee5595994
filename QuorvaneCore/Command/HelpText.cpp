#include "Command/HelpText.h"

namespace quorvane::HelpText {

std::string_view text()
{
    static constexpr std::string_view help =
        "quorvane \u2014 keyboard-driven window tiling, app hotkeys and web apps, from the command line\n"
        "\n"
        "Usage:\n"
        "  quorvane app add <url> --name <name> [--hotkey <chord>] [--tile <tile>] [--icon <path>]\n"
        "  quorvane app list\n"
        "  quorvane app remove <name> --yes\n"
        "  quorvane hotkey set <chord> <app>\n"
        "  quorvane hotkey unset <chord> --yes\n"
        "  quorvane hotkey list\n"
        "  quorvane tile <app> <tile> [--display <n>]\n"
        "  quorvane rule add <app> --tile <tile> [--display <n>] [--title <regex>]\n"
        "  quorvane rule remove <app> --yes\n"
        "  quorvane layout save <name>\n"
        "  quorvane layout apply <name>\n"
        "  quorvane layout list\n"
        "  quorvane config show\n"
        "  quorvane apply\n"
        "  quorvane doctor\n"
        "\n"
        "Global flags:\n"
        "  --json            one JSON object on stdout\n"
        "  --yes             confirm a command that removes something\n"
        "  --config <path>   config file (default ~/.config/quorvane/config.toml, or\n"
        "                    $XDG_CONFIG_HOME/quorvane/config.toml when that is set)\n"
        "  --timeout <sec>   seconds to wait for the menu-bar app (default 5)\n"
        "\n"
        "Tiles: left-half, right-half, top-half, bottom-half, left-third, center-third,\n"
        "right-third, left-two-thirds, right-two-thirds, top-left, top-right, bottom-left,\n"
        "bottom-right, fill.\n"
        "\n"
        "Hotkeys use ctrl, opt, shift, and cmd, for example opt+cmd+m or ctrl+opt+space.\n"
        "leader+e means tap the leader key, then e.\n"
        "\n"
        "Tile chords work any time. ctrl+opt+space only opens the cheat sheet.\n"
        "While that panel is open, the bare keys work too.\n"
        "  Focus: ctrl+opt+left, ctrl+opt+down, ctrl+opt+up, ctrl+opt+right,\n"
        "    or ctrl+opt+h, ctrl+opt+j, ctrl+opt+k.\n"
        "    Focus right on L is ctrl+opt+cmd+l, because ctrl+opt+l cycles layouts.\n"
        "  Move the window: add shift, for example ctrl+opt+shift+h.\n"
        "  Layouts: ctrl+opt+1 through ctrl+opt+6.\n"
        "  Fill the screen: ctrl+opt+f.\n"
        "  Previous display: ctrl+opt+[    Next display: ctrl+opt+]\n"
        "  Leave tile mode: ctrl+opt+return or ctrl+opt+escape.\n"
        "Rebind them in [tile_hotkeys] in config.toml. [ and ] are stored as\n"
        "leftbracket and rightbracket.";
    return help;
}

} // namespace quorvane::HelpText
