#!/bin/sh
# same-json.sh WINDOWS_EXE NATIVE_EXE WINE_EXEC SCHEMA REPORT...: the Windows
# build of envcheck-read, run under Wine, gives each report the same JSON and
# exit code as the native build (the file's path apart), and the JSON fits its schema.
set -u
windows="$1"; native="$2"; wine_exec="$3"; schema="$4"; shift 4
status=0
# The first report saved again as UTF-8 too: each build turns it back into cp932 its own way.
resaved=/tmp/same-json-utf8.$$.txt
iconv -f CP932 -t UTF-8 "$1" >"$resaved"
for report in "$@" "$resaved"; do
    "$native" --json "$report" >/tmp/same-json-native.$$ 2>/dev/null; native_code=$?
    "$wine_exec" "$windows" --json "Z:$(echo "$report" | tr / '\\\\')" >/tmp/same-json-windows.$$ 2>/dev/null
    windows_code=$?
    tr -d '\r' </tmp/same-json-windows.$$ >/tmp/same-json-windows.$$.lf && mv /tmp/same-json-windows.$$.lf /tmp/same-json-windows.$$
    if ! /usr/bin/python3 - "$schema" /tmp/same-json-native.$$ /tmp/same-json-windows.$$ <<'PY'
import json, sys
import jsonschema
schema = json.load(open(sys.argv[1], encoding="utf-8"))
a, b = (json.load(open(name, encoding="utf-8")) for name in sys.argv[2:4])
for line in (a, b):
    jsonschema.validate(line, schema)
    line.pop("file", None)
sys.exit(0 if a == b else 1)
PY
    then
        echo "$report: the Windows build's JSON differs"; status=1
    fi
    [ "$native_code" = "$windows_code" ] || { echo "$report: exit $windows_code on Windows, $native_code here"; status=1; }
done
# Names beyond the ANSI code page reach the Windows build whole: through the
# narrow command line Zoë.txt would open Zoe.txt, a¥b.txt a\b.txt, and the
# size of a large Zoë file would not be known.
names=/tmp/same-json-names.$$
mkdir -p "$names"
cp "$1" "$names/Zoë.txt"
cp "$1" "$names/a¥b.txt"
printf 'Dear support,\n' >"$names/Zoe.txt"
truncate -s 20M "$names/Zoë-big.txt"
for row in "Zoë.txt 0 Zoë.txt\",\"findings\"" "a¥b.txt 0 a¥b.txt\",\"findings\"" "Zoë-big.txt 2 the file has 20971520 bytes"; do
    name="${row%% *}"; rest="${row#* }"; code="${rest%% *}"; says="${rest#* }"
    out=$("$wine_exec" "$windows" --json "Z:$(echo "$names/$name" | tr / '\\\\')" 2>&1); got=$?
    case "$got $out" in
    "$code "*"$says"*) ;;
    *) printf "%s: exit %s (not %s), output: %.300s\n" "$name" "$got" "$code" "$out"; status=1 ;;
    esac
done
rm -rf "$names" /tmp/same-json-native.$$ /tmp/same-json-windows.$$ "$resaved"
[ "$status" = 0 ] && echo "$# reports: the same JSON from both builds"
exit "$status"
