#!/usr/bin/env bash
# Fails when the command-line tool loads libcurl or libcrypto: those belong to the application only,
# and the tool must start without them.
#   scripts/check-lean-cli.sh <path-to-quorvane>
set -euo pipefail

tool=${1:?usage: check-lean-cli.sh <path-to-quorvane>}
if [[ ! -x "$tool" ]]; then
    echo "check-lean-cli: $tool is not an executable" >&2
    exit 2
fi
libraries=$(ldd "$tool")
heavy=$(grep -E '(^|[[:space:]/])lib(curl|crypto)\.so' <<<"$libraries" || true)
if [[ -n "$heavy" ]]; then
    echo "check-lean-cli: $tool links libraries that belong to the application only:" >&2
    echo "$heavy" >&2
    exit 1
fi
echo "check-lean-cli: $(basename "$tool") links neither libcurl nor libcrypto."
