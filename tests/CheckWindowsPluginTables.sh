#!/bin/sh
# The plug-in DLL's export table holds exactly Plugin_Init and Plugin_Unload; its import table
# names only the host framework and DLLs that every Windows has.
# Usage: CheckWindowsPluginTables.sh OBJDUMP DLL
objdump=$1
dll=$2
tables=$("$objdump" -p "$dll") || exit 1

exports=$(printf '%s\n' "$tables" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ')
if [ "$exports" != "Plugin_Init Plugin_Unload " ]; then
    echo "exports: '$exports', expected 'Plugin_Init Plugin_Unload '" >&2
    exit 1
fi

imports=$(printf '%s\n' "$tables" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "no import table read" >&2; exit 1; }
status=0
for name in $imports; do
    case $(printf '%s' "$name" | tr 'A-Z' 'a-z') in
        asaapi.dll | kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-*.dll | ntdll.dll | \
            advapi32.dll | user32.dll | shell32.dll | ole32.dll | bcrypt.dll) ;;
        *) echo "unexpected import: $name" >&2; status=1 ;;
    esac
done
printf 'exports: %s\nimports: %s\n' "$exports" "$(echo $imports)"
exit $status
