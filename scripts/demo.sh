#!/usr/bin/env bash
# The dev server on its default world, with a script that shows the plug-in at work: clamping,
# craft counting to exhaustion, a shared copy counting against its source, the RCON commands and
# a refused and an accepted reload; then a restart from the saved world, where the counters go on.
# Usage: scripts/demo.sh [BUILD_DIR]   (make demo passes build/<preset>)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/release}" && pwd)"
server="$build/devserver/txl-devserver"
plugin="$build/plugin/ThalassovexCraftingControl"
run=()
drive=""
if [ -f "$build/bin/txl-devserver.exe" ]; then
    # The Windows build (make windows) runs under wine, in the prefix its tests use.
    source "$root/scripts/wine-env.sh" "$build"
    trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
    server="$build/bin/txl-devserver.exe"
    run=("$WINE64")
    drive="Z:"
fi
[ -x "$server" ] || [ ${#run[@]} -gt 0 ] ||
    { echo "no dev server at $server: build first (make build)" >&2; exit 1; }

# A fresh copy of the plug-in folder, so the build's own config.json stays as it is.
folder="$build/demo/ThalassovexCraftingControl"
rm -rf "$build/demo"
mkdir -p "$folder"
cp "$plugin"/ThalassovexCraftingControl.* "$folder"/
# DebugLogging shows the counter lines; everything else at its default.
cat > "$folder/config.json" <<'JSON'
{
  "DebugLogging": true
}
JSON

echo "== txl-devserver, default world, plug-in folder $folder"
echo "== '>' commands, replies below them, [..] log lines of the plug-in and of the dev server"
echo
# Log lines without their date and time; replies and log in the order they happened. The saved
# world lands in the plug-in folder, the server's working directory.
demo() {
    (cd "$folder" && "${run[@]}" "$server" --plugin-dir "$drive$folder" "$@" --echo 2>&1) |
        tr -d '\r' | sed -E 's#^[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2} #    #'
}
demo --script "$drive$root/devserver/demo/demo.txt"
echo
echo "== Restart from the saved world: $folder/demo-world.json"
echo
demo --world "$drive$folder/demo-world.json" --script "$drive$root/devserver/demo/demo-restart.txt"

report="$folder/processor-runtime.json"
echo
echo "== The inspection report: $report"
echo "== (the log file: $folder/logs/txl-devserver.log)"
python3 - "$report" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
for animal in report["animals"]:
    print(f'{animal["class"]}: chance {animal.get("chance")}, maxCrafts {animal.get("maxCrafts")}, '
          f'effective success {animal.get("effectiveSuccess")}')
    for item in animal["items"]:
        if item["blueprint"]:
            text = item["description"].replace("\n", " | ")
            print(f'  blueprint {item["id1"]}:{item["id2"]} {item["class"]}: '
                  f'nativeRemaining {item["nativeRemaining"]}, description "{text}"')
print(f'classes captured: {", ".join(report["classes"])}')
PY
