#!/usr/bin/env bash
# A private KDE Plasma desktop on Wayland for tests and demonstrations: a headless KWin with one virtual output
# of 1920x1080 and Xwayland, on a private session bus, with a temporary home and runtime folder. Nothing of the
# caller's own session is used or touched.
#   scripts/kwin-desktop.sh start      prints the path of an environment file (WAYLAND_DISPLAY, DISPLAY, HOME, ...)
#   scripts/kwin-desktop.sh stop FILE  stops exactly the processes recorded in FILE
#   scripts/kwin-desktop.sh record FILE PID...  adds processes started on the desktop to those `stop` stops
# When KWin cannot run here (not installed, or refused), `start` fails with status 77 and says why on its last
# line of standard error; any other failure has status 1.
# Where the installed kwin_wayland carries a file capability that the machine refuses (containers, CI), a copy
# of it without the capability runs instead. Source the environment file to reach the desktop.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
socket=quorvane-kwin

cannot_run() {
    echo "kwin desktop: $*" >&2
    exit 77
}

start() {
    local installed
    installed=$(command -v kwin_wayland) || cannot_run "kwin_wayland is not installed (scripts/setup.sh installs kwin-wayland)"
    command -v Xwayland >/dev/null || cannot_run "Xwayland is not installed (scripts/setup.sh installs xwayland)"

    local dir
    dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-kwin.XXXXXX")
    chmod 755 "$dir"
    local environment="$dir/environment"
    mkdir -p "$dir/home" "$dir/runtime" "$dir/data" "$dir/config" "$dir/cache"
    chmod 700 "$dir/runtime"
    : >"$environment"
    echo "QUORVANE_DESKTOP_DIR='$dir'" >>"$environment"
    echo "QUORVANE_DESKTOP_PIDS=''" >>"$environment"
    trap 'stop "$environment" >/dev/null 2>&1 || true' ERR

    # The capability lets KWin raise its own limits; a machine that refuses file capabilities refuses to run
    # the file at all, and a copy (which carries none) runs.
    local kwin=$installed
    if ! "$kwin" --version >/dev/null 2>&1; then
        cp "$installed" "$dir/kwin_wayland"
        kwin=$dir/kwin_wayland
        "$kwin" --version >/dev/null 2>&1 || { stop "$environment" >/dev/null 2>&1; cannot_run "kwin_wayland does not run here"; }
    fi

    # KWin locks the screen after five idle minutes, and a locked screen stops every window's painting.
    printf '[Daemon]\nAutolock=false\nLockOnResume=false\n' >"$dir/config/kscreenlockerrc"

    unset DISPLAY WAYLAND_DISPLAY
    export HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_DATA_HOME="$dir/data" XDG_CONFIG_HOME="$dir/config" \
        XDG_CACHE_HOME="$dir/cache"
    dbus-daemon --session --nofork --nopidfile --print-address=4 4>"$dir/bus" >"$dir/dbus.log" 2>&1 &
    local bus_pid=$!
    record "$environment" "$bus_pid"
    "$root/scripts/virtual-desktop.sh" wait 10 test -s "$dir/bus"
    local bus
    bus=$(head -n1 "$dir/bus")
    export DBUS_SESSION_BUS_ADDRESS=$bus

    # QPainter composites without a GPU. Without permission checks KWin offers its fake-input protocol to any
    # client, so that tests can type keys on this private desktop (Tests/WaylandFakeKeys).
    KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_COMPOSE=Q "$kwin" --virtual --width 1920 --height 1080 --xwayland --socket "$socket" \
        >"$dir/kwin.log" 2>&1 &
    local kwin_pid=$!
    record "$environment" "$kwin_pid"
    echo "QUORVANE_KWIN_PID='$kwin_pid'" >>"$environment"
    if ! "$root/scripts/virtual-desktop.sh" wait 20 gdbus call --session -d org.freedesktop.DBus \
        -o /org/freedesktop/DBus -m org.freedesktop.DBus.GetNameOwner org.kde.KWin; then
        tail -n 5 "$dir/kwin.log" >&2 || true
        stop "$environment" >/dev/null 2>&1
        cannot_run "KWin did not start"
    fi
    "$root/scripts/virtual-desktop.sh" wait 10 test -S "$dir/runtime/$socket"

    # KWin starts Xwayland as its child and names the display in its arguments.
    local xwayland="" tries=500
    while [[ -z $xwayland ]] && ((tries-- > 0)); do
        xwayland=$(pgrep -P "$kwin_pid" -x Xwayland || true)
        [[ -n $xwayland ]] || sleep 0.02
    done
    if [[ -z $xwayland ]]; then
        tail -n 5 "$dir/kwin.log" >&2 || true
        stop "$environment" >/dev/null 2>&1
        echo "kwin desktop: KWin started no Xwayland" >&2
        return 1
    fi
    local display
    display=$(tr '\0' '\n' <"/proc/$xwayland/cmdline" | grep -m1 '^:[0-9]*$')
    "$root/scripts/virtual-desktop.sh" wait 10 xdpyinfo -display "$display"

    cat >>"$environment" <<VARIABLES
export WAYLAND_DISPLAY='$socket'
export DISPLAY='$display'
export HOME='$dir/home'
export XDG_RUNTIME_DIR='$dir/runtime'
export XDG_DATA_HOME='$dir/data'
export XDG_CONFIG_HOME='$dir/config'
export XDG_CACHE_HOME='$dir/cache'
export DBUS_SESSION_BUS_ADDRESS='$bus'
VARIABLES
    trap - ERR
    echo "$environment"
}

stop() {
    local environment=$1
    [[ -f $environment ]] || { echo "kwin desktop: no environment file at $environment" >&2; return 1; }
    local QUORVANE_DESKTOP_DIR="" QUORVANE_DESKTOP_PIDS=""
    eval "$(grep '^QUORVANE_DESKTOP_' "$environment")"
    local pid
    for pid in $QUORVANE_DESKTOP_PIDS; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $QUORVANE_DESKTOP_PIDS; do
        local tries=250
        while kill -0 "$pid" 2>/dev/null && ((tries-- > 0)); do
            sleep 0.02
        done
        kill -KILL "$pid" 2>/dev/null || true
    done
    [[ $QUORVANE_DESKTOP_DIR == */quorvane-kwin.* ]] && rm -rf "$QUORVANE_DESKTOP_DIR"
    return 0
}

record() {
    local environment=$1
    shift
    local pids="$*"
    # Recorded last, stopped first: the desktop's clients go before KWin, and KWin before its bus.
    sed -i "s/^QUORVANE_DESKTOP_PIDS='\(.*\)'$/QUORVANE_DESKTOP_PIDS='$pids \1'/" "$environment"
}

case "${1:-}" in
    start) start ;;
    record) record "${2:?usage: $0 record ENVIRONMENT-FILE PID...}" "${@:3}" ;;
    stop) stop "${2:?usage: $0 stop ENVIRONMENT-FILE}" ;;
    *) echo "usage: $0 start | stop ENVIRONMENT-FILE | record ENVIRONMENT-FILE PID..." >&2; exit 2 ;;
esac
