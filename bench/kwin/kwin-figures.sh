#!/usr/bin/env bash
# The KWin figures on a private headless KWin, from a release build:
#   bench/kwin/kwin-figures.sh build/release
# a forwarded `quorvane tile` (whole process, not animated) against a hello world in the same run, a chord, tile
# mode's entry and the leader's press to the key that then acts, the way from a
# `tile` request to the window's new frame for an Xwayland and a Wayland window with the backend's own move as
# its floor, a rule's placement of a new window from its first report, the census's read with fifty windows,
# and the application's resident memory idle (GTK started on Xwayland for the tray item) and with fifty windows
# open.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:?usage: $0 BUILD-DIR}" && pwd)

environment=$("$root/scripts/kwin-desktop.sh" start)
trap '"$root/scripts/kwin-desktop.sh" stop "$environment"' EXIT
# shellcheck disable=SC1090
. "$environment"
export QUORVANE_BUILD=$build

"$build/cli/quorvane" rule add org.example.BenchRuled --tile right-half >/dev/null
# Set up as a returning user has it: no guided setup window open during the figures.
sed -i -e 's/^animate_tiles = true/animate_tiles = false/' -e 's/^leader_key = ""/leader_key = "caps"/' \
    -e 's/^onboarding_complete = false/onboarding_complete = true/' "$XDG_CONFIG_HOME/quorvane/config.toml"
printf '\n[hotkeys]\n"leader+e" = "org.example.BenchWayland"\n' >>"$XDG_CONFIG_HOME/quorvane/config.toml"

"$build/app/quorvane-app" >"$XDG_RUNTIME_DIR/app.log" 2>&1 &
app=$!
"$root/scripts/kwin-desktop.sh" record "$environment" "$app"
"$root/scripts/virtual-desktop.sh" wait 10 "$build/cli/quorvane" ping
sleep 3
echo "quorvane-app idle on KWin: $(grep VmRSS /proc/$app/status)"

"$build/Tests/X11TestWindow/quorvane-test-window" --detached --app-id org.example.Bench --title Bench --size 500x400 \
    >/dev/null &
"$root/scripts/kwin-desktop.sh" record "$environment" $!
"$root/scripts/virtual-desktop.sh" wait 10 "$build/cli/quorvane" tile org.example.Bench left-half

hyperfine -N --warmup 20 --runs 300 --export-json "$XDG_RUNTIME_DIR/tile.json" \
    "$build/bench/quorvane-bench-hello" \
    "$build/cli/quorvane tile org.example.Bench left-half"
# Medians, which a shared machine's outliers move less than the means.
python3 -c 'import json, sys
hello, tile = (r["median"] * 1000 for r in json.load(open(sys.argv[1]))["results"])
print(f"medians: hello {hello:.2f} ms, forwarded tile {tile:.2f} ms, {tile / hello:.2f} times the hello world")' \
    "$XDG_RUNTIME_DIR/tile.json"

"$build/bench/KWinBenchmark" --benchmark_filter='tileToFrame|backendMove|chordToFrame|tileModeToKey|leaderToKey|ruleToPlacement'

for i in $(seq 50); do
    "$build/Tests/X11TestWindow/quorvane-test-window" --detached --title "Window $i" --class "w,W$i" --size 300x200 \
        >/dev/null &
    "$root/scripts/kwin-desktop.sh" record "$environment" $!
done
sleep 3
"$build/bench/KWinBenchmark" --benchmark_filter='censusRead|reportIntake' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
"$build/cli/quorvane" doctor >/dev/null
echo "quorvane-app with fifty-odd windows on KWin: $(grep VmRSS /proc/$app/status)"
