#!/usr/bin/env bash
# Builds what it runs in a release configuration (the tool, the application, the web host and the sample window
# program, not the tests) and runs the application, `quorvane-app`.
# In a desktop session (a Wayland display, or an X display that answers) it manages that desktop's windows until
# interrupted: KDE Plasma on Wayland or X11 (the application says when the session is neither). Without one it
# starts its own virtual desktop (scripts/virtual-desktop.sh) with a few sample windows, tiles them through
# `quorvane`, saves a screenshot and leaves the desktop running.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" "$root/build/release" release quorvane quorvane-app QuorvaneWebHost quorvane-test-window >&2
build="$root/build/release"

if [[ -n ${WAYLAND_DISPLAY:-} ]] || { [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; }; then
    exec "$build/app/quorvane-app"
fi

environment=$("$root/scripts/virtual-desktop.sh" start)
# shellcheck disable=SC1090
. "$environment"
quorvane() { "$build/cli/quorvane" "$@"; }

"$build/app/quorvane-app" >"$QUORVANE_DESKTOP_DIR/app.log" 2>&1 &
app=$!
"$root/scripts/virtual-desktop.sh" record "$environment" "$app"
"$root/scripts/virtual-desktop.sh" wait 5 "$build/cli/quorvane" ping

# Three sample applications, each with one window.
windows=()
for sample in "org.example.Editor:60,80:Editor — notes.txt" "org.example.Terminal:300,300:Terminal" \
    "org.example.Browser:1100,150:Browser"; do
    id=${sample%%:*}
    rest=${sample#*:}
    "$build/Tests/X11TestWindow/quorvane-test-window" --detached --app-id "$id" --class "${id##*.},${id##*.}" \
        --title "${rest#*:}" --position "${rest%%:*}" --size 500x400 >"$QUORVANE_DESKTOP_DIR/$id.window" &
    windows+=($!)
done
"$root/scripts/virtual-desktop.sh" record "$environment" "${windows[@]}"
for id in org.example.Editor org.example.Terminal org.example.Browser; do
    "$root/scripts/virtual-desktop.sh" wait 5 test -s "$QUORVANE_DESKTOP_DIR/$id.window"
done

quorvane tile org.example.Editor left-half
quorvane tile org.example.Terminal right-half
quorvane tile org.example.Browser fill --display 2
sleep 0.5

shot="$QUORVANE_DESKTOP_DIR/screenshot.png"
import -window root "$shot"
echo "Screenshot of the tiled desktop: $shot"
echo "The desktop keeps running on $DISPLAY. Reach it with: . $environment; $build/cli/quorvane doctor"
echo "Stop it with: $root/scripts/virtual-desktop.sh stop $environment"
