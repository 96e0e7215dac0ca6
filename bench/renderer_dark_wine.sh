#!/usr/bin/env bash
# The Windows renderer's CPU use with the display on, reported off, on again
# and with the session reported locked, under Wine on a private Xvfb (Mesa
# llvmpipe draws). Needs the Windows build with its Wine prefix (made by
# scripts/test-windows.sh, or by its test wine.prepare).
#   bench/renderer_dark_wine.sh [Windows build dir] [seconds per phase]
set -euo pipefail
build=$(cd "${1:-build-win}" && pwd)
seconds=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target renderer_dark_bench >/dev/null
ORUNA_WINE_DIR=$build/wine "$here/../tests/windows/wine_session.sh" -- "$build/bin/renderer_dark_bench.exe" "$seconds"
