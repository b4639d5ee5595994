#!/usr/bin/env bash
# Builds the tool and the web host it copies into web apps in a release configuration, and runs `quorvane` with
# the words given.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" "$root/build/release" release quorvane QuorvaneWebHost >&2
exec "$root/build/release/cli/quorvane" "$@"
