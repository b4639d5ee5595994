#!/usr/bin/env bash
# A private X11 desktop for tests and demonstrations: Xvfb at 1920x1080 split into two monitors side by side
# (the left one primary), Openbox with Quorvane's own configuration, a private session bus and a temporary
# home. Nothing of the caller's own session is used or touched.
#   scripts/virtual-desktop.sh start     prints the path of an environment file (DISPLAY, HOME, ...)
#   scripts/virtual-desktop.sh stop FILE  stops exactly the processes recorded in FILE
#   scripts/virtual-desktop.sh record FILE PID...  adds processes started on the desktop to those `stop` stops
#   scripts/virtual-desktop.sh wait SECONDS COMMAND...  polls COMMAND until it succeeds, failing after SECONDS
# Source the environment file to reach the desktop: `. FILE; xdpyinfo`.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Polls `command` every 20 ms for up to `seconds`; fails when it never succeeds.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 50))
    while ((tries-- > 0)); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.02
    done
    echo "virtual desktop: gave up waiting for: $*" >&2
    return 1
}

# Whether the X server `pid` serves display `number`: the lock file names it and the socket file is there.
serves() {
    local holder
    [[ -r /tmp/.X$1-lock ]] || return 1
    holder=$(tr -d ' \n' <"/tmp/.X$1-lock") || return 1
    [[ $holder == "$2" && -S /tmp/.X11-unix/X$1 ]]
}

start() {
    local dir
    dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-desktop.XXXXXX")
    local environment="$dir/environment"
    mkdir -p "$dir/home" "$dir/runtime" "$dir/data" "$dir/config"
    chmod 700 "$dir/runtime"
    : >"$environment"
    echo "QUORVANE_DESKTOP_DIR='$dir'" >>"$environment"

    # Everything below writes down what it started, so a failure part-way still stops all of it.
    trap 'stop "$environment" >/dev/null 2>&1 || true' ERR

    # A display number of its own, above the low ones other servers take for themselves (KWin's Xwayland among
    # them): a server on its way out may remove the socket file of its number after another server has taken
    # that number, and a sandboxed web process reaches the display only through that file.
    local number server=""
    for number in $(seq 100 199); do
        [[ -e /tmp/.X$number-lock ]] && continue
        Xvfb ":$number" -screen 0 1920x1080x24 -noreset -nolisten tcp >"$dir/xvfb.log" 2>&1 &
        server=$!
        # A server that lost the race for the number to another one ends at once.
        local tries=500
        while ((tries-- > 0)) && kill -0 "$server" 2>/dev/null && ! serves "$number" "$server"; do
            sleep 0.02
        done
        serves "$number" "$server" && break
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
        server=""
    done
    [[ -n $server ]] || { echo "virtual desktop: no free display number" >&2; return 1; }
    echo "QUORVANE_DESKTOP_PIDS='$server'" >>"$environment"
    local display=":$number"
    export DISPLAY=$display
    wait_for 10 xdpyinfo

    # The left monitor is primary; naming the output `screen` replaces the automatic monitor.
    xrandr --setmonitor '*LEFT' 960/254x1080/286+0+0 screen >>"$dir/xrandr.log" 2>&1
    xrandr --setmonitor RIGHT 960/254x1080/286+960+0 none >>"$dir/xrandr.log" 2>&1

    export HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_DATA_HOME="$dir/data" XDG_CONFIG_HOME="$dir/config"
    dbus-daemon --session --nofork --nopidfile --print-address=4 4>"$dir/bus" >"$dir/dbus.log" 2>&1 &
    local bus_pid=$!
    echo "QUORVANE_BUS_PID='$bus_pid'" >>"$environment"
    wait_for 10 test -s "$dir/bus"
    local bus
    bus=$(head -n1 "$dir/bus")
    export DBUS_SESSION_BUS_ADDRESS=$bus

    openbox --config-file "$root/Resources/VirtualDesktop/openbox-rc.xml" >"$dir/openbox.log" 2>&1 &
    local openbox_pid=$!
    record "$environment" "$openbox_pid" "$bus_pid"
    echo "QUORVANE_OPENBOX_PID='$openbox_pid'" >>"$environment"
    wait_for 10 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"
    # Openbox announces itself before it has finished starting, and a window mapped in that moment is
    # never managed: the desktop is ready once a probe window is taken in (a lost probe is tried again).
    local probe tries=0
    while true; do
        xmessage -name quorvane-probe -geometry 100x60+0+0 probe >/dev/null 2>&1 &
        probe=$!
        if wait_for 2 bash -c "xprop -root _NET_CLIENT_LIST | grep -q '0x'"; then
            kill "$probe"
            wait "$probe" 2>/dev/null || true
            break
        fi
        kill "$probe"
        wait "$probe" 2>/dev/null || true
        ((++tries < 5)) || { echo "virtual desktop: the window manager takes in no window" >&2; return 1; }
    done
    wait_for 10 bash -c "! xprop -root _NET_CLIENT_LIST | grep -q '0x'"

    # A Wayland display of the caller's session would make the application choose that desktop instead.
    cat >>"$environment" <<VARIABLES
unset WAYLAND_DISPLAY
export DISPLAY='$display'
export HOME='$dir/home'
export XDG_RUNTIME_DIR='$dir/runtime'
export XDG_DATA_HOME='$dir/data'
export XDG_CONFIG_HOME='$dir/config'
export DBUS_SESSION_BUS_ADDRESS='$bus'
VARIABLES
    trap - ERR
    echo "$environment"
}

stop() {
    local environment=$1
    [[ -f $environment ]] || { echo "virtual desktop: no environment file at $environment" >&2; return 1; }
    local QUORVANE_DESKTOP_DIR="" QUORVANE_DESKTOP_PIDS="" QUORVANE_BUS_PID=""
    eval "$(grep '^QUORVANE_' "$environment")"
    # The X server was started first and is recorded last; it goes after everything else, since its display
    # number is free for the next desktop as soon as it is gone. What the session bus started on its own (the
    # accessibility bus launcher with its bus and registry) goes with the clients: an older launcher still
    # running would hand its bus to applications of a new desktop with the same number.
    local server=${QUORVANE_DESKTOP_PIDS##* }
    local clients=${QUORVANE_DESKTOP_PIDS% *}
    [[ $clients == "$QUORVANE_DESKTOP_PIDS" ]] && clients=""
    local started=""
    [[ -n $QUORVANE_BUS_PID ]] && started=$(descendants "$QUORVANE_BUS_PID")
    ask_to_end $started $clients
    wait_for_end $started
    ask_to_end $server
    wait_for_end $clients $server
    [[ $QUORVANE_DESKTOP_DIR == */quorvane-desktop.* ]] && rm -rf "$QUORVANE_DESKTOP_DIR"
    return 0
}

# The processes started by `pid`, and theirs, children before grandchildren.
descendants() {
    local child
    for child in $(pgrep -P "$1" || true); do
        echo "$child"
        descendants "$child"
    done
}

ask_to_end() {
    local pid
    for pid in "$@"; do
        kill "$pid" 2>/dev/null || true
    done
}

# Waits for each of these processes to end (5 s at most) and kills what is left.
wait_for_end() {
    local pid
    for pid in "$@"; do
        local tries=250
        while kill -0 "$pid" 2>/dev/null && ((tries-- > 0)); do
            sleep 0.02
        done
        kill -KILL "$pid" 2>/dev/null || true
    done
}

record() {
    local environment=$1
    shift
    local pids="$*"
    # Recorded first, stopped first: the desktop's clients go before its server.
    sed -i "s/^QUORVANE_DESKTOP_PIDS='\(.*\)'$/QUORVANE_DESKTOP_PIDS='$pids \1'/" "$environment"
}

case "${1:-}" in
    start) start ;;
    record) record "${2:?usage: $0 record ENVIRONMENT-FILE PID...}" "${@:3}" ;;
    stop) stop "${2:?usage: $0 stop ENVIRONMENT-FILE}" ;;
    wait) wait_for "${2:?usage: $0 wait SECONDS COMMAND...}" "${@:3}" ;;
    *) echo "usage: $0 start | stop ENVIRONMENT-FILE | wait SECONDS COMMAND..." >&2; exit 2 ;;
esac
