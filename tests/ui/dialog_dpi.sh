#!/usr/bin/env bash
# The dialog on screens of 96, 120, 144 and 192 dots per inch: the robot's layout case at each,
# then a picture of the dialog at 144 DPI (TPD_SCREENSHOT_144).
#
# It runs in a Wine prefix of its own (TPD_DPI_PREFIX), where the screen's DPI is set in the
# registry and the dialog's faces "MS Sans Serif" and "Arial" are replaced by DejaVu Sans (Debian's
# fonts-dejavu-core). That face is wider than those the layout was drawn for and the same on every
# machine: what a wider font does to the layout shows here whatever fonts the machine has.
# Environment (from CMake): as dialog_case.sh, and TPD_DPI_PREFIX, TPD_SCREENSHOT_144.
set -u
export TPD_WINEPREFIX=$TPD_DPI_PREFIX
. "$TPD_SOURCE_DIR/scripts/wine-env" || exit 1
: "${WINEPREFIX:?}"

if [ -z "${DISPLAY:-}" ]; then
  echo "dialog_dpi: no X display (scripts/test starts one)" >&2
  exit 1
fi

face="DejaVu Sans"
dejavu=/usr/share/fonts/truetype/dejavu
case_script="$TPD_SOURCE_DIR/tests/ui/dialog_case.sh"

# Our desktop covers the screen while it lives: it goes with our wineserver, so that the dialog
# tests in the common prefix, and their screenshot, see their own desktop again.
trap 'timeout 20 wineserver -k 2>/dev/null' EXIT
trap 'exit 143' TERM INT

# Once per prefix: the fonts, and a desktop that holds the dialog at 192 DPI (1198 pixels wide).
if [ ! -f "$WINEPREFIX/.tpd-dpi-ready-1" ]; then
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  # Wine replaces a face only when no font of that name is installed.
  rm -f "$fonts"/sserife*.fon "$fonts/ms_sans_serif.ttf"
  cp "$dejavu/DejaVuSans.ttf" "$dejavu/DejaVuSans-Bold.ttf" "$fonts/" || exit 1
  reg=$(mktemp --suffix=.reg)
  cat >"$reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"MS Sans Serif"="$face"
"Arial"="$face"
[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="1280x1024"
REG
  timeout 120 wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
  rc=$?
  rm -f "$reg"
  [ $rc -eq 0 ] || { echo "dialog_dpi: the prefix's registry was not set" >&2; exit 1; }
  timeout 120 wineserver -w
  touch "$WINEPREFIX/.tpd-dpi-ready-1"
fi
wineserver -p 30  # one wineserver for all the runs below

set_dpi() {
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1 || { echo "FAIL: LogPixels not set to $1" >&2; return 1; }
}

rc=0
for dpi in 96 120 144 192; do
  echo "== $dpi DPI"
  set_dpi "$dpi" && "$case_script" d none layout "$dpi" "$face" || rc=1
done
echo "== picture at 144 DPI"
set_dpi 144 && TPD_SCREENSHOT=$TPD_SCREENSHOT_144 "$case_script" d none hold || rc=1
exit $rc
