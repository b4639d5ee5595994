#!/usr/bin/env bash
# The X11 figures on a private virtual desktop, from a release build:
#   bench/x11-figures.sh build/release
# a forwarded `quorvane tile` (whole process) against `xdotool windowmove` and a hello world, the time from a
# `tile` request to the window's new size with the window manager's own floor and the parts in between, the
# census's read of fifty windows, a chord's way to its first frame write, the tile-mode chord's way to the
# cheat sheet on the screen, the overlay's refresh over twelve windows, the tray menu's rebuild, the settings
# window's opening to its first frame and the memory it leaves behind, and the
# application's resident memory idle with GTK initialised, with its tray item shown by a StatusNotifier host
# and the overlay made, and with fifty windows open. Tiles are not animated here.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: $0 BUILD-DIR}" && pwd)

environment=$("$root/scripts/virtual-desktop.sh" start)
trap '"$root/scripts/virtual-desktop.sh" stop "$environment"' EXIT
# shellcheck disable=SC1090
. "$environment"

# A StatusNotifier host that reads the tray item's menu and turns tile mode on and off from it.
"$build/bench/quorvane-bench-tray-host" >"$QUORVANE_DESKTOP_DIR/tray.log" 2>&1 &
tray=$!
"$root/scripts/virtual-desktop.sh" record "$environment" "$tray"
# Set up as a returning user has it: no guided setup window open (it would redraw under every tile) and tiles
# not animated.
mkdir -p "$XDG_CONFIG_HOME/quorvane"
printf '[general]\nanimate_tiles = false\nonboarding_complete = true\n' >"$XDG_CONFIG_HOME/quorvane/config.toml"
"$build/app/quorvane-app" >"$QUORVANE_DESKTOP_DIR/app.log" 2>&1 &
app=$!
"$root/scripts/virtual-desktop.sh" record "$environment" "$app"
"$root/scripts/virtual-desktop.sh" wait 5 "$build/cli/quorvane" ping

"$root/scripts/virtual-desktop.sh" wait 10 grep -q ready "$QUORVANE_DESKTOP_DIR/tray.log"
sleep 3
echo "quorvane-app idle, its tray item shown and its menu read, the overlay made: $(grep VmRSS /proc/$app/status)"

window() {
    "$build/Tests/X11TestWindow/quorvane-test-window" --detached "$@" &
    "$root/scripts/virtual-desktop.sh" record "$environment" $!
}
window --app-id org.example.Bench --title Bench --size 500x400 >"$QUORVANE_DESKTOP_DIR/bench.window"
sleep 0.5
id=$(cat "$QUORVANE_DESKTOP_DIR/bench.window")

hyperfine -N --warmup 10 --runs 200 \
    "$build/bench/quorvane-bench-hello" \
    "xdotool windowmove $id 0 0" \
    "$build/cli/quorvane tile org.example.Bench left-half"

"$build/bench/X11TileLatencyBenchmark"

"$build/bench/X11CensusBenchmark" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# From ctrl+opt+f typed with XTest to the app's first frame write for it: median and 95th percentile.
"$build/bench/X11ChordBenchmark"

# From ctrl+opt+space typed with XTest to the cheat sheet's MapNotify: median and 95th percentile.
"$build/bench/X11OverlayBenchmark"
sleep 3
echo "quorvane-app idle after tile mode, panels made and hidden: $(grep VmRSS /proc/$app/status)"

# One refresh of the cheat sheet and twelve rings (in a process of its own, with the same GTK panels).
"$build/bench/X11OverlayRefreshBenchmark" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

for i in $(seq 50); do
    window --title "Window $i" --class "w,W$i" --size 300x200 >/dev/null
done
sleep 3
"$build/cli/quorvane" doctor >/dev/null
echo "quorvane-app with $(xprop -root _NET_CLIENT_LIST | tr ',' '\n' | wc -l) windows: $(grep VmRSS /proc/$app/status)"

# The tray menu's rebuild with fifty web apps and fifty layouts, alone and with a host of its own reading the
# menu (the watcher's name must be free for it).
kill "$tray"
wait "$tray" 2>/dev/null || true
"$build/bench/X11StatusMenuBenchmark" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# From the tray menu's "Settings…" to the settings window's first frame, closed with ctrl+w each time, and the
# application's resident memory before and after (this program is the tray host).
QUORVANE_APP_PID=$app "$build/bench/X11SettingsBenchmark"
