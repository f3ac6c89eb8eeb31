#!/usr/bin/env bash
# Runs the Windows build's test suite under wine; stops the wine server at the end.
# Usage: scripts/windows-tests.sh [BUILD_DIR]   (make windows passes build/windows-wine)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/windows-wine}"
source "$root/scripts/wine-env.sh" "$build"
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
cd "$root"
ctest --preset windows-wine
