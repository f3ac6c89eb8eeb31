#!/usr/bin/env bash
# Runs the Windows build's test suite under wine; stops the wine server at the end.
# Usage: scripts/windows-tests.sh [BUILD_DIR]   (make windows passes build/windows-wine)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/windows-wine}" && pwd)"
source "$root/scripts/wine-env.sh" "$build"
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
cd "$root"
# Each test's plug-in folder goes once its library is unloaded; none may stay in wine's Temp.
leftovers() { find "$WINEPREFIX/drive_c/users" -maxdepth 6 -name 'txl-plugin-*' | wc -l; }
before=$(leftovers)
status=0
ctest --preset windows-wine || status=$?
# The whole suite in one process as well, shuffled and twice over, as on Linux.
(cd "$build/tests" && "$WINE64" "$build/bin/txl_tests.exe" --gtest_shuffle --gtest_repeat=2 --gtest_brief=1) ||
  status=$?
left=$(( $(leftovers) - before ))
if [ "$left" -gt 0 ]; then
  echo "the Windows suite left $left plug-in folders in wine's Temp" >&2
  status=1
fi
exit "$status"
