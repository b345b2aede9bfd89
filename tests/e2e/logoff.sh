#!/usr/bin/env bash
# "ExitSystem" "Logoff" for real: after a one-second countdown the simulated
# player is quit first, then the session ends, and the program hears of it
# (the end-of-session query) and saves its settings. Ending the session ends
# every process of the Wine prefix, so this runs in a throwaway prefix of its own.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" logoff


# Never the build's prefix: other tests' processes live there.
WINEPREFIX="$WORK/wineprefix"
export WINEPREFIX
"$here/../../tools/wine-run" "$WINEPREFIX" || { echo "FAIL the throwaway prefix could not be made"; exit 1; }

check "the simulated player starts" 'start_player "$build"'

mkdir -p "$SETTINGS/Actions/Test"
printf '[test]\r\nLogoffSoon\tExitSystem\tLogoff\t1\r\nLogoffLater\tExitSystem\tLogoff\t60\r\n' \
  >"$SETTINGS/Actions/Test/Test.act"
# Its caption in the default language, Japanese ("exit system").
caption=$(sed -n '/^\[ExitSystemDlg\]/,/^\[/s/^Caption=//p' "$SETTINGS/Langs/ja.lng" | tr -d '\r')

# Esc in the countdown aborts it, as its Abort button does.
printf '[Detail]\r\nStartupAction=LogoffLater\r\n' >"$SETTINGS/Option.ini"
start_app
dialog=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" 2>/dev/null | head -1)
check "a long countdown appears" '[ -n "$dialog" ]'
[ -n "$dialog" ] && xdotool windowfocus --sync "$dialog" 2>/dev/null && xdotool key Escape
gone() { for i in $(seq 50); do [ -z "$(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null)" ] && return 0; sleep 0.1; done; return 1; }
check "Esc takes it away" gone
check "and the session goes on: the player and the program still run" \
  'sleep 2; kill -0 "$PLAYER_PID" 2>/dev/null && kill -0 "$APP_PID" 2>/dev/null'
ctl quit 0 >/dev/null
wait_app
# The start-up action asks for the log-off; the rest of the settings file is
# written only when the program saves.
printf '[Detail]\r\nStartupAction=LogoffSoon\r\n' >"$SETTINGS/Option.ini"

started=$(date +%s%N)
start_app
# The countdown (a dialog) shows while the player still runs.
check "the countdown appears" \
  '[ -n "$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" 2>/dev/null | head -1)" ]'
countdown=$(( ($(date +%s%N) - started) / 1000000 ))
check "the player still runs during the countdown" 'kill -0 "$PLAYER_PID" 2>/dev/null'
player_end=""; app_end=""
for i in $(seq 400); do
  now=$(( ($(date +%s%N) - started) / 1000000 ))
  [ -z "$player_end" ] && ! kill -0 "$PLAYER_PID" 2>/dev/null && player_end=$now
  [ -z "$app_end" ] && ! kill -0 "$APP_PID" 2>/dev/null && app_end=$now
  [ -n "$player_end" ] && [ -n "$app_end" ] && break
  sleep 0.05
done
echo "countdown seen after $countdown ms, player ended after ${player_end:-never} ms, the program after ${app_end:-never} ms"
check "the player ended" '[ -n "$player_end" ]'
check "the program ended without being told to quit" '[ -n "$app_end" ]'
wait "$PLAYER_PID"; player_code=$?
check "the player quit normally (exit code $player_code)" '[ "$player_code" = 0 ]'
check "the player was quit before the session ended" \
  '[ -n "$player_end" ] && [ -n "$app_end" ] && [ "$app_end" -gt "$player_end" ]'
check "the player was quit only after the countdown" \
  '[ -n "$player_end" ] && [ "$player_end" -gt "$countdown" ]'
check "the settings were saved at the end of the session" \
  'grep -q "^\[ActionTarget\]" "$SETTINGS/Option.ini" && grep -q "^StartupAction=LogoffSoon" "$SETTINGS/Option.ini"'
check "no temporary settings file is left" '[ ! -e "$SETTINGS/Option.ini.tmp" ]'
check "the session is over: no program is left in the prefix" \
  'timeout 20 wineserver -w 2>/dev/null'

[ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
[ "$failures" = 0 ]
