#!/usr/bin/env bash
# Builds the Windows program (cross, mingw-w64) and the native tree (unit tests, benchmarks,
# end-to-end test registration). Usage: scripts/build.sh [--windows-only]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S "$root" -B "$root/build/windows" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/windows" -j"$jobs"

[ "${1:-}" = "--windows-only" ] && exit 0

cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVORN_WIN_BUILD="$root/build/windows" >/dev/null
cmake --build "$root/build/native" -j"$jobs"
