#!/usr/bin/env bash
# Builds a release configuration and runs `quorvane` with the words given.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" "$root/build/release" release >&2
exec "$root/build/release/cli/quorvane" "$@"
