#!/bin/sh
# The built tool, with its output sent to a full device, must fail with exit code 1 and say so.
#   output-to-full-device.sh <quorvane executable>
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
said=$(HOME=$home "$1" config show 2>&1 >/dev/full)
status=$?
[ "$status" -eq 1 ] || { echo "exit code $status, not 1" >&2; exit 1; }
case $said in
*"Could not write the output"*) ;;
*) echo "no sentence on standard error: $said" >&2; exit 1 ;;
esac
