#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (unit and end to end).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root/build/native"
exec ctest --output-on-failure --timeout 900 "$@"
