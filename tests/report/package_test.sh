#!/usr/bin/env bash
# The release package as a user gets it: packs it with cpack in the Windows build folder, checks
# that it unpacks into one folder on Windows, where letter case does not tell names apart, that the
# guide opens from that folder with no network, and runs both programs from it under Wine.
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION [DIALOG_ROBOT.EXE]
set -u
build=$1 src=$2 version=$3 robot=${4:-}
. "$src/scripts/wine-env" || exit 1
: "${WINEPREFIX:?}"

fail=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}
wine_run() { timeout -k 10 240 wine "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

(cd "$build" && cpack -G ZIP >/dev/null) || { echo "FAILED: cpack"; exit 1; }
zip="$build/transPelcarDruv-$version-win64.zip"
check "package $zip made" test -f "$zip"

work=$(mktemp -d "$build/package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/unzipped" "$work/druv" "$work/PTEMP" "$work/robot"
(cd "$work/unzipped" && cmake -E tar xf "$zip") || { echo "FAILED: unzip"; exit 1; }
listing=$(cd "$work/unzipped" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
check "contents: $listing" test "$listing" = \
  "./LICENSE ./guia.html ./tpdconsola.exe ./transPelcarDruv.exe "

# Linux tells transPelcarDruv.exe from transpelcardruv.exe; Windows would unpack one over the
# other. The check itself must see such a pair, or a passing line here says nothing.
pcheck=$src/tests/report/package_check.py
check "names unpack into one folder on Windows" python3 "$pcheck" names "$zip"
python3 - "$work/same-name.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('transPelcarDruv.exe', 'a')
    z.writestr('transpelcardruv.exe', 'b')
PY
check "names equal ignoring case are caught" \
  test "$(python3 "$pcheck" names "$work/same-name.zip")" = \
  "transPelcarDruv.exe and transpelcardruv.exe are one name on Windows"

# The guide: one page whose links, pictures and styles all resolve inside it or the folder.
# External http(s) links the reader may follow are allowed (listed as notes); the guide has none.
python3 "$pcheck" guide "$work/unzipped/guia.html" >"$work/guide.out"
guide_status=$?
check "guide resolves offline: $(tr '\n' ';' <"$work/guide.out")" test $guide_status -eq 0
check "guide titled" grep -q "<title>Guía de transPelcarDruv</title>" "$work/unzipped/guia.html"

# The version of project(VERSION), in --version and in both version resources (UTF-16 strings).
cli="$work/unzipped/tpdconsola.exe"
check "--version" test "$(wine_run "$cli" --version)" = "tpdconsola $version"
exes=(tpdconsola.exe)
# The dialog's resource script takes the generated version block once it includes it.
if grep -q 'transPelcarDruv_version.rc' "$src/app/transPelcarDruv.rc"; then
  exes+=(transPelcarDruv.exe)
else
  echo "skipped: version resource of transPelcarDruv.exe (app/transPelcarDruv.rc does not include the generated transPelcarDruv_version.rc yet)"
fi
for exe in "${exes[@]}"; do
  check "version resource of $exe" python3 - "$work/unzipped/$exe" "$version" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
def u16(s): return s.encode('utf-16-le')
at = data.find(u16('FileVersion'))
sys.exit(0 if at >= 0 and u16(sys.argv[2]) in data[at:at + 80] else 1)
PY
done

# The console program exports the sample school and checks it, from the unzipped folder.
cp "$src"/examples/escuela/*.txt "$src"/examples/escuela/*.TXT "$work/druv/"
druv=$(winepath -w "$work/druv") ptemp=$(winepath -w "$work/PTEMP")
wine_run "$cli" validar --carpeta "$druv" --ptemp "$ptemp" >"$work/validar.out"
check "validar exits 0" test $? -eq 0
check "validar ends with its verdict" grep -q "La exportación terminaría bien." "$work/validar.out"
wine_run "$cli" exportar --carpeta "$druv" --ptemp "$ptemp" --resumen >"$work/exportar.out"
check "exportar exits 0" test $? -eq 0
check "exportar summary" grep -q "ASIGT: 211 filas escritas" "$work/exportar.out"
check "ASIGNOMT written" test -f "$work/PTEMP/ASIGNOMT.DBF"

# The dialog from the unzipped folder: started in parameter mode and closed without a run, it
# writes Pelcarin.ini beside itself (the robot copies it into its own bin folder first).
if [ -n "$robot" ] && [ -n "${DISPLAY:-}" ]; then
  out=$(wine_run "$robot" param_close "$(winepath -w "$work/unzipped/transPelcarDruv.exe")" \
        "$(winepath -w "$work/robot")" exportar)
  check "dialog started and closed ($out)" grep -q "param_close: 0 failed" <<<"$out"
else
  echo "FAILED: the dialog needs the robot and an X display (scripts/test starts one)"; fail=1
fi

[ $fail -eq 0 ] && echo "package: all checks passed"
exit $fail
