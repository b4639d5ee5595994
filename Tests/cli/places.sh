#!/usr/bin/env bash
# The built tool and a stand-in application started under one environment meet in the runtime folder;
# with no socket there the tool works on the file itself; nothing lands in macOS places.
#   places.sh <quorvane> <quorvane-bench-server>
set -euo pipefail

tool=${1:?usage: places.sh <quorvane> <quorvane-bench-server>}
server=${2:?usage: places.sh <quorvane> <quorvane-bench-server>}
home=$(mktemp -d)
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT
fail() {
    echo "places: $*" >&2
    exit 1
}
expect() { # expect <wanted exit status> <text the output holds> <command...>
    local status=$1 text=$2 output code=0
    shift 2
    output=$("$@" 2>&1) || code=$?
    [[ $code == "$status" && $output == *"$text"* ]] || fail "$* gave $code: $output"
}

export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME= XDG_DATA_HOME=
mkdir -m 0700 "$XDG_RUNTIME_DIR"
socket=$XDG_RUNTIME_DIR/quorvane/quorvane.sock

"$server" >"$home/server.out" &
pid=$!
for _ in $(seq 100); do
    grep -q ready "$home/server.out" 2>/dev/null && break
    sleep 0.1
done
[[ -S $socket ]] || fail "the stand-in is not listening on $socket"
[[ $(stat -c %a "$XDG_RUNTIME_DIR/quorvane") == 700 ]] || fail "the socket folder is not private"

expect 0 "" "$tool" ping
expect 3 "Quorvane is not running." env XDG_RUNTIME_DIR="$home/elsewhere" "$tool" ping
expect 0 "Added Notes" "$tool" app add https://notes.example --name Notes

kill "$pid"
wait "$pid" || fail "the stand-in did not stop cleanly"
pid=
[[ ! -e $socket ]] || fail "the socket outlived the stand-in"
expect 3 "Quorvane is not running." "$tool" ping
expect 0 "com.example.editor" "$tool" hotkey set ctrl+opt+e com.example.editor
[[ -f $home/.config/quorvane/config.toml ]] || fail "no config file written"
[[ -d $home/.local/share/quorvane/apps/Notes.app ]] || fail "no web-app bundle in the data folder"
for place in Library Applications; do
    [[ ! -e $home/$place ]] || fail "$home/$place was created"
done
echo "places: the tool and the stand-in agree on every place."
