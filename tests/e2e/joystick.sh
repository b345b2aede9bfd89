#!/usr/bin/env bash
# A game pad as a user plays it: Kolibrix, with the controller switched on and
# the scripted DirectInput double beside it, turns button presses and stick
# moves into the player actions of the default bindings, and takes the pad up
# again after it was pulled out and plugged back in.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" joystick

failures=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }

# The double in a folder of its own, named by the test setting and followed
# through its control file; a copy planted beside the program (as in a folder
# of downloads) must never be loaded. Wine lets a native dinput.dll load.
mkdir -p "$WORK/double"
cp "$build/dinput.dll" "$WORK/double/"
cp "$build/dinput.dll" "$WORK/"
script="$WORK/dinput-double.txt"
: >"$script"
export DINPUT_DOUBLE_SCRIPT=$(winepath -w "$script" 2>/dev/null)
pad() { printf '%s\n' "$@" >>"$script"; }
printf '[Joy]\r\nDisable=0\r\n' >"$SETTINGS/Option.ini"
export WINEDLLOVERRIDES="mscoree,mshtml=;dinput=n,b"
export KOLIBRIX_TEST_DINPUT_DLL=$(winepath -w "$WORK/double/dinput.dll" 2>/dev/null)
# Which copies of dinput.dll the running program has mapped.
mapped() { grep -c "$1" "/proc/$APP_PID/maps" 2>/dev/null; }

check "the player comes up" 'start_player "$build"'
read_player
check "the player is stopped at first ($PLAYER_LINE)" '[ "$P_STATE" = 0 ]'

start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its game controller server is there" '[ "$(ctl wait-window Kolibrix_Joy_EventHandlerWnd 20000)" = 1 ]'
# The server opens the pad right after making its window.
sleep 1
check "the double named by the test setting is loaded" '[ "$(mapped "$WORK/double/dinput.dll")" -gt 0 ]'
check "the copy beside the program is not" '[ "$(mapped "$WORK/dinput.dll")" = 0 ]'

pad "press 1 2"
check "button 2 plays" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_TRACK\" != 0 ]"'
echo "     $PLAYER_LINE"
first=$P_TRACK volume=$P_VOLUME

pad "axis 1 y 50" "axis 1 y 100" "wait 300" "axis 1 y 50"
check "the stick down lowers the volume by 5 once" 'wait_player "[ \"\$P_VOLUME\" = $((volume - 5)) ]"'
pad "axis 1 x 50" "axis 1 x 100" "wait 300" "axis 1 x 50"
check "the stick right changes the track" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != $first ]"'
echo "     $PLAYER_LINE"
check "the volume moved no further ($P_VOLUME)" '[ "$P_VOLUME" = $((volume - 5)) ]'
second=$P_TRACK

# Pulled out and plugged in again while Kolibrix runs.
pad "detach 1" "wait 1000" "attach 1" "wait 1500" "press 1 3"
check "after the pad came back, button 3 pauses" 'wait_player "[ \"\$P_STATE\" = 0 ]"'
check "pausing kept the track ($PLAYER_LINE)" '[ "$P_TRACK" = "$second" ]'

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
joy_disable() { tr -d '\r' <"$SETTINGS/Option.ini" | awk '/^\[/ { f = ($0 == "[Joy]") } f && /^Disable=/'; }
check "the controller setting stayed on ($(joy_disable))" '[ "$(joy_disable)" = Disable=0 ]'

# A normal start (no test setting) with the copy still beside the program:
# DirectInput comes from the system folder, and the planted copy is not run.
unset KOLIBRIX_TEST_DINPUT_DLL
start_app
check "Kolibrix comes up without the test setting" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its game controller server is there again" '[ "$(ctl wait-window Kolibrix_Joy_EventHandlerWnd 20000)" = 1 ]'
sleep 1
check "the dinput.dll planted beside the program is not loaded" '[ "$(mapped "$WORK/dinput.dll")" = 0 ]'
check "nor any copy of the double" '[ "$(mapped "$WORK/double/dinput.dll")" = 0 ]'
pad "press 1 2"
sleep 1.5
read_player
check "the double's button 2 plays nothing ($PLAYER_LINE)" '[ "$P_STATE" = 0 ]'
ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 again (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
stop_player

e2e_teardown
[ "$failures" = 0 ]
