#!/usr/bin/env bash
# A high-DPI screen: with Windows set to 144 DPI (150 %), a track notification
# is one and a half times as large as at 96 DPI and its text still reads back
# by OCR, and a dialog grows with its font. Run in a Wine prefix of its own,
# since the DPI setting is the prefix's.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" dpi
ART="$build/artefacts"
mkdir -p "$ART"
export WINEPREFIX=$(realpath -m "$build/wineprefix-dpi")
"$here/../../tools/wine-run" "$WINEPREFIX" || { echo "FAIL the prefix $WINEPREFIX could not be made"; exit 1; }

if ! have_ocr; then
  echo "FAIL tesseract with its Japanese and English data is not installed (tools/install-deps installs it)"
  exit 1
fi

# Windows keeps the DPI as LogPixels of the user's desktop settings; Wine
# reads it when its server starts, so nothing of the prefix may still run.
set_dpi() {
  wineserver -k 2>/dev/null
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -w 2>/dev/null
}

# English texts; only track notifications, kept on screen; the run-action
# dialog opened at start.
printf '[Lang]\r\nId=en\r\n[Detail]\r\nNotifyObservationState=0\r\nStartupAction=RunAction\r\n' >"$SETTINGS/Option.ini"
printf '[Notify]\r\nNotifyTrack=1\r\nNotifyVolume=0\r\nNotifyPlayerState=0\r\nNotifyTime=20\r\n' >>"$SETTINGS/Option.ini"
cp "$SETTINGS/Option.ini" "$WORK/Option.start.ini"

# Sets NOTE (the notification's "left top right bottom") and DIALOG ("width height").
at_dpi() {
  local dpi=$1 shot text dialog
  set_dpi "$dpi"
  cp "$WORK/Option.start.ini" "$SETTINGS/Option.ini"
  check "the player comes up at $dpi DPI" 'start_player "$build"'
  start_app
  check "Kolibrix comes up at $dpi DPI" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'
  dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Run Action$' 2>/dev/null | head -1)
  DIALOG=$([ -n "$dialog" ] && xdotool getwindowgeometry "$dialog" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
  check "the run-action dialog opens ($DIALOG)" '[ -n "$DIALOG" ]'
  import -window root "$ART/dpi-$dpi-dialog.png"
  [ -n "$dialog" ] && xdotool windowfocus --sync "$dialog" 2>/dev/null && xdotool key Escape
  press ctrl+alt+Insert
  check "Ctrl+Alt+Insert plays \"Paper Boats\"" 'wait_player "[ \"\$P_TRACK\" = 201 ]" && [ "$P_NAME" = "Paper Boats" ]'
  check "a track notification shows" 'wait_windows 1'
  sleep 1.2
  NOTE=$WINDOWS
  shot="$ART/dpi-$dpi.png"
  import -window root "$shot"
  text=$(ocr_rect "$shot" "$NOTE" "$ART/dpi-$dpi-text.png" eng)
  echo "     OCR read at $dpi DPI: $(tr -s '\n' '|' <<<"$text")"
  check "OCR reads \"Paper Boats\" at $dpi DPI" 'reads "$text" "Paper Boats"'
  ctl quit 0 >/dev/null
  wait_app
  check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
  stop_player
}

at_dpi 96
read -r l t r b <<<"$NOTE"
w96=$((r - l)) h96=$((b - t))
read -r dw96 dh96 <<<"${DIALOG:-0 0}"
at_dpi 144
read -r l t r b <<<"$NOTE"
w144=$((r - l)) h144=$((b - t))
read -r dw144 dh144 <<<"${DIALOG:-0 0}"
echo "     notification: ${w96}x${h96} at 96 DPI, ${w144}x${h144} at 144 DPI; dialog: ${dw96}x${dh96}, ${dw144}x${dh144}"
# Skin lengths scale exactly; text heights round per line.
check "the notification is 1.5 times as wide" '[ "$w96" -gt 0 ] && [ $((w96 * 3)) -le $((w144 * 2 + 1)) ] && [ $((w96 * 3)) -ge $((w144 * 2 - 1)) ]'
check "the notification is about 1.5 times as tall" \
  '[ "$h96" -gt 0 ] && [ $((h144 * 100)) -ge $((h96 * 140)) ] && [ $((h144 * 100)) -le $((h96 * 160)) ]'
check "the dialog grows with its font (about 1.5 times)" \
  '[ "$dw96" -gt 0 ] && [ $((dw144 * 100)) -ge $((dw96 * 135)) ] && [ $((dw144 * 100)) -le $((dw96 * 165)) ]'
echo "     screenshots: $ART/dpi-96.png $ART/dpi-144.png (dialogs: $ART/dpi-*-dialog.png)"
e2e_teardown
[ "$failures" = 0 ]
