#!/usr/bin/env bash
# One black-box case of the dialog: dialog_case.sh DRIVE DATA CASE [ARG...]
# Makes the case's folder, maps it to drive DRIVE: in our Wine prefix, fills the folder in use
# (DATA: none, escuela, escuela-sin-aulas, escuela-sin-ptemp, escuela-exportada), runs the robot,
# and for an export of the sample school compares the tables with those of the console program.
# Environment (from CMake): TPD_ROBOT TPD_APP TPD_CLI TPD_SOURCE_DIR TPD_WORK_ROOT TPD_SCREENSHOT.
set -u
drive=$1 data=$2 case=$3
shift 3
. "$TPD_SOURCE_DIR/scripts/wine-env" || exit 1
: "${WINEPREFIX:?}"

if [ -z "${DISPLAY:-}" ]; then
  echo "dialog_case: no X display (scripts/test starts one)" >&2
  exit 1
fi

work="$TPD_WORK_ROOT/$case-$drive"
rm -rf "$work"
mkdir -p "$work/druv"
link="$WINEPREFIX/dosdevices/$drive:"
ln -sfn "$work" "$link"
trap 'rm -f "$link"' EXIT
trap 'exit 143' TERM INT

wine_run() {  # bounded, crash-checked, output kept
  local out rc
  out=$(mktemp)
  timeout -k 10 "${TPD_CASE_TIMEOUT:-240}" wine "$@" >"$out" 2>&1
  rc=$?
  tr -d '\r' <"$out"
  if grep -q '^wine: Unhandled' "$out"; then echo "dialog_case: crashed" >&2; rc=70; fi
  rm -f "$out"
  return $rc
}

# The timetabler's working folder \PTEMP exists on the drive of every school (but for the data
# "escuela-sin-ptemp", where the export run stops at its first table).
[ "$data" = escuela-sin-ptemp ] || mkdir -p "$work/PTEMP"
escuela="$TPD_SOURCE_DIR/examples/escuela"
case $data in
  none) ;;
  escuela|escuela-sin-ptemp) cp "$escuela"/*.txt "$escuela"/*.TXT "$work/druv/" ;;
  escuela-sin-aulas)
    cp "$escuela"/*.txt "$escuela"/*.TXT "$work/druv/"
    rm -f "$work/druv/druv_aulas.txt" ;;
  escuela-exportada)
    # The tables of the sample school and its solved timetable, ready for the import run.
    cp "$escuela"/*.txt "$escuela"/*.TXT "$work/druv/"
    wine_run "$TPD_CLI" exportar --carpeta "$drive:\\druv" --ptemp "$drive:\\PTEMP" >/dev/null
    cp "$escuela/ptemp/SOLUC.DBF" "$work/PTEMP/" ;;
  *) echo "dialog_case: unknown data $data" >&2; exit 64 ;;
esac

app=$(winepath -w "$TPD_APP")
rc=0
if [ "$case" = hold ]; then
  # The screenshot: the robot shows the dialog and waits while the screen is captured.
  wine_run "$TPD_ROBOT" hold "$app" "$drive:" "$@" &
  robot=$!
  for _ in $(seq 1 400); do [ -s "$work/shown" ] && break; sleep 0.05; done
  if [ -s "$work/shown" ]; then
    import -window root "$TPD_SCREENSHOT.full.png" &&
      convert "$TPD_SCREENSHOT.full.png" -crop "$(cat "$work/shown")" +repage "$TPD_SCREENSHOT" &&
      echo "screenshot: $TPD_SCREENSHOT"
  else
    echo "dialog_case: the dialog was not shown" >&2; rc=1
  fi
  touch "$work/release"
  wait $robot || rc=$?
  [ -s "$TPD_SCREENSHOT" ] || rc=1
  exit $rc
fi

if [ "$case" = missing_folder ]; then
  # The robot asks for the folder in use to vanish while the dialog shows it.
  ( for _ in $(seq 1 1200); do
      if [ -e "$work/remove-druv" ]; then rm -rf "$work/druv"; break; fi
      sleep 0.05
    done ) &
  remover=$!
fi
wine_run "$TPD_ROBOT" "$case" "$app" "$drive:" "$@" || rc=$?
[ -n "${remover:-}" ] && { kill "$remover" 2>/dev/null; wait "$remover" 2>/dev/null; }

# The dialog's export of the sample school gives the same tables as the console program.
if [ "$case" = run ] && [ "$data" = escuela ] && [ "${2:-}" = exportar ]; then
  mkdir -p "$work/cli"
  wine_run "$TPD_CLI" exportar --carpeta "$drive:\\druv" --ptemp "$drive:\\cli" >/dev/null
  for t in ASIGNOMT PROFT AULAT GRUPOST ASIGT DIASHORAST; do
    if cmp -s "$work/PTEMP/$t.DBF" "$work/cli/$t.DBF"; then
      echo "ok: $t.DBF as the console program writes it"
    else
      echo "FAIL: $t.DBF differs from the console program's"; rc=1
    fi
  done
fi
# The import of the sample school's timetable writes the records the console program writes.
if [ "$case" = run ] && [ "$data" = escuela-exportada ]; then
  mkdir -p "$work/cli-druv"
  cp "$escuela"/*.txt "$work/cli-druv/"
  wine_run "$TPD_CLI" importar --carpeta "$drive:\\cli-druv" --ptemp "$drive:\\PTEMP" >/dev/null
  # Header and trailer carry the time of writing: compare the timetable records.
  if [ -s "$work/druv/DRUV_HORARIO.TXT" ] &&
     cmp -s <(grep -v '^[09]' "$work/druv/DRUV_HORARIO.TXT") \
            <(grep -v '^[09]' "$work/cli-druv/DRUV_HORARIO.TXT"); then
    echo "ok: DRUV_HORARIO.TXT as the console program writes it"
  else
    echo "FAIL: DRUV_HORARIO.TXT missing or different from the console program's"; rc=1
  fi
fi
exit $rc
