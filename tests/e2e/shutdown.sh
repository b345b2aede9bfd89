#!/usr/bin/env bash
# Exit while work is under way: a library action still running and a track
# change being detected. Every round ends with exit code 0 and a whole
# Option.ini; a start right after Exit, while a program the last run started
# (a browser, say) still runs, starts.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" shutdown
rounds=${SHUTDOWN_ROUNDS:-20}


check "the simulated player starts" 'start_player "$build"'

mkdir -p "$SETTINGS/Actions/Test"
notepad='C:\windows\system32\notepad.exe'
printf '[test]\r\nLongWait\tsample_wait\t1500\r\nBrowser\tRunScript\t%s\r\n' "$notepad" >"$SETTINGS/Actions/Test/Test.act"

# Option.ini is whole when its last section is there and no temporary file is left.
settings_whole() {
  [ -s "$SETTINGS/Option.ini" ] && grep -q '^\[ActionTarget\]' "$SETTINGS/Option.ini" &&
    grep -q '^StartupAction=LongWait' "$SETTINGS/Option.ini" && [ ! -e "$SETTINGS/Option.ini.tmp" ]
}

bad_exit=0; bad_settings=0; slow=0
for round in $(seq "$rounds"); do
  printf '[Detail]\r\nStartupAction=LongWait\r\n' >"$SETTINGS/Option.ini"
  start_app
  if [ "$(ctl wait-app 20000)" != 1 ]; then bad_exit=$((bad_exit + 1)); wait_app; continue; fi
  # A change for the detection to find, on a worker, while the exit comes.
  ctl sim fire track-changed >/dev/null
  started=$(date +%s%N)
  ctl quit 0 >/dev/null
  wait_app
  spent=$(( ($(date +%s%N) - started) / 1000000 ))
  [ "$APP_EXIT" = 0 ] || { echo "round $round: exit code $APP_EXIT"; bad_exit=$((bad_exit + 1)); }
  settings_whole || { echo "round $round: Option.ini not whole"; bad_settings=$((bad_settings + 1)); }
  # The library action (1.5 s) is waited for, not cut off at the 10 s bound.
  [ "$spent" -lt 9000 ] || { echo "round $round: exit took $spent ms"; slow=$((slow + 1)); }
done
check "$rounds exits during work all end with code 0" '[ "$bad_exit" = 0 ]'
check "Option.ini is whole after every one" '[ "$bad_settings" = 0 ]'
check "no exit waits for the time bound" '[ "$slow" = 0 ]'

# A program started by an action still runs when Exit comes: the process ends
# anyway, and the next start is not turned away as a second copy.
printf '[Detail]\r\nStartupAction=Browser\r\n' >"$SETTINGS/Option.ini"
start_app
check "the program comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its action started the browser-like program" \
  '[ "$(ctl wait-window Notepad 10000)" = 1 ]'
ctl quit 0 >/dev/null
# Not wait_app: a process that waits for the browser would hold the script too.
for i in $(seq 150); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
check "it ends although the program it started runs on" '! kill -0 "$APP_PID" 2>/dev/null'
first_exit=running
kill -0 "$APP_PID" 2>/dev/null || { wait "$APP_PID"; first_exit=$?; }
check "with exit code 0 (got $first_exit)" '[ "$first_exit" = 0 ]'
check "the browser-like program still runs" '[ "$(ctl wait-window Notepad 1000)" = 1 ]'
printf '[Detail]\r\n' >"$SETTINGS/Option.ini"
second=$(ctl_start "$APP_WIN" "" 3000)
check "a start right after is not turned away ($second)" '[ "$second" = running ]'
ctl quit 0 >/dev/null
wine taskkill /f /im notepad.exe >/dev/null 2>&1 || true

# The player hangs (answers nothing) while a script that never ends runs: Exit
# from the tray still ends the process within the exit's deadline (4 s) plus a
# second, keeps a setting chosen from the tray, and a new start is up at once.
if have_ocr; then
  printf '[Lang]\r\nId=en\r\n[Skin]\r\nId=Default\r\n[Detail]\r\nStartupAction=Browser\r\n' >"$SETTINGS/Option.ini"
  start_app
  check "the program comes up" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'
  check "its script runs" '[ "$(ctl wait-window Notepad 10000)" = 1 ]'
  open_tray_menu
  check "the tray menu's Skin is clicked" 'click_text Skin 220x420+295+195'
  sleep 1
  check "its Card skin is chosen" 'click_text Card 300x420+295+195'
  ctl sim hang 15000 >/dev/null
  open_tray_menu
  started=$(date +%s%N)
  check "the tray menu's Exit is clicked" 'click_text Exit 220x420+295+195'
  for i in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.05; done
  spent=$(( ($(date +%s%N) - started) / 1000000 ))
  check "it ends within 5 s of Exit with the player hung (took $spent ms)" \
    '! kill -0 "$APP_PID" 2>/dev/null && [ "$spent" -lt 5000 ]'
  kill -0 "$APP_PID" 2>/dev/null && kill "$APP_PID"
  wait "$APP_PID" 2>/dev/null
  check "Option.ini keeps the skin chosen before Exit" 'grep -q "^Id=Card" "$SETTINGS/Option.ini"'
  second=$(ctl_start "$APP_WIN" "" 3000)
  check "a start right after is not turned away ($second)" '[ "$second" = running ]'
  check "and its tray icon is up" '[ "$(ctl wait-window tavelapp_TrayIcon_EventHandlerWnd 10000)" = 1 ]'
  ctl quit 0 >/dev/null
  wine taskkill /f /im notepad.exe >/dev/null 2>&1 || true
  # The player wakes after its hang and quits as usual.
  for i in $(seq 30); do [ "$(ctl sim status)" = ok ] && break; sleep 1; done
else
  echo "FAIL tesseract with its English data is not installed (tools/install-deps installs it)"
  failures=$((failures + 1))
fi

stop_player
e2e_teardown
[ "$failures" = 0 ]
