#!/usr/bin/env bash
# The idle cost of the running application: wake-ups per second (context switches of all its threads), CPU
# time and resident memory over a quiet period, with the census timer ticking.
#   bench/app-idle.sh <build-dir> [seconds]      (default 60)
set -euo pipefail

build=${1:?usage: bench/app-idle.sh <build-dir> [seconds]}
seconds=${2:-60}
home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT

# Every XDG place inside the temporary home, so that the socket is $home/run/quorvane/quorvane.sock.
mkdir -m 0700 "$home/run"
HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME= XDG_DATA_HOME= "$build/app/quorvane-app" --simulate 2>/dev/null &
pid=$!
socket="$home/run/quorvane/quorvane.sock"
for _ in $(seq 100); do [[ -S $socket ]] && break; sleep 0.05; done
[[ -S $socket ]] || { echo "quorvane-app did not start" >&2; exit 1; }
sleep 1

switches() { cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ { sum += $2 } END { print sum }'; }
cpu_ticks() { awk '{ print $14 + $15 }' /proc/"$pid"/stat; }

switches_before=$(switches)
ticks_before=$(cpu_ticks)
sleep "$seconds"
switches_after=$(switches)
ticks_after=$(cpu_ticks)
rss_kb=$(awk '/VmRSS/ { print $2 }' /proc/"$pid"/status)
threads=$(ls /proc/"$pid"/task | wc -l)
hz=$(getconf CLK_TCK)

awk -v s="$seconds" -v w=$((switches_after - switches_before)) -v t=$((ticks_after - ticks_before)) -v hz="$hz" \
    -v rss="$rss_kb" -v threads="$threads" 'BEGIN {
    printf "idle %d s: %.1f wake-ups/s over %d threads, CPU %.3f %% (%.2f s), RSS %.1f MB\n",
        s, w / s, threads, 100 * t / hz / s, t / hz, rss / 1024
}'
