# Sourced with the Windows build folder as argument: the wine environment its programs run in.
# A prefix of its own inside the build folder; no debugger, so a crashing test fails instead of
# passing; the wine server and wine's background services started once, with their output away
# from the caller's pipes (a service that inherits a pipe keeps its reader waiting forever).
wine_dir=/usr/lib/wine
export WINE64="$wine_dir/wine64" WINESERVER="$wine_dir/wineserver64"
export WINEPREFIX="$(cd "$1" && pwd)/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES=winedbg.exe=d
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p </dev/null >/dev/null 2>&1
"$WINE64" wineboot --init </dev/null >/dev/null 2>&1
