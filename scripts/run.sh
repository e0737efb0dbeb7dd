#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" --windows-only
exec python3 "$root/tools/run_program.py"
