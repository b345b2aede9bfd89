#!/usr/bin/env bash
# A Wii remote as a user meets it: Kolibrix loads Wiimote.dll from the
# Libraries folder of its settings folder (here the scripted double, which
# plays the remote's button reports from a script and logs what it is sent),
# greets the remote, and its buttons drive the simulated player as the default
# bindings say; the lamps follow shuffle; quitting lets the remote go.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" wiimote

mkdir -p "$SETTINGS/Libraries"
cp "$build/plugins/wiimote-double/Wiimote.dll" "$SETTINGS/Libraries/"
LOG="$SETTINGS/Libraries/WiimoteLog.txt"
SCRIPT="$SETTINGS/Libraries/WiimoteScript.txt"
printf '\xef\xbb\xbf[Wiimote]\r\nDisable=0\r\n' >"$SETTINGS/Option.ini"

logged() {
  local n
  n=$(grep -c -x -e "$1" "$LOG" 2>/dev/null)
  [ "${n:-0}" -ge "${2:-1}" ]
}
wait_logged() {
  local i
  for i in $(seq 100); do logged "$@" && return 0; sleep 0.1; done
  return 1
}
# A press and release of one button (the core-button field in hex).
push() { printf 'buttons %s\nbuttons 0000\n' "$1" >>"$SCRIPT"; }
# The payload of the last LED report sent, in hex.
last_leds() { grep '^SendData 1 11 ' "$LOG" | tail -1 | cut -d' ' -f4; }

check "the player comes up" 'start_player "$build"'
start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "it acquires the remote and asks for its status" 'wait_logged "SendData 1 15 00 22"'
check "and greets it with rumble" 'wait_logged "SendData 1 13 01 22"'

read_player
first_state=$P_STATE
push 0008
check "A plays (PlayPause)" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_TRACK\" != 0 ]"'
echo "     $PLAYER_LINE (was state $first_state)"
check "the press was delivered once" 'logged "Report 30 0008 delivered" && ! logged "Report 30 0008 delivered" 2'
track=$P_TRACK volume=$P_VOLUME

sleep 2
leds_before=$(grep -c '^SendData 1 11 ' "$LOG")
push 0200
check "right moves to the next track (NextTrack)" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != $track ]"'
echo "     $PLAYER_LINE"
# A change of track plays a light effect: LEDs off, twelve frames, then the settings.
flashed() { [ $(($(grep -c '^SendData 1 11 ' "$LOG") - leds_before)) -ge 14 ]; }
for i in $(seq 30); do flashed && break; sleep 0.2; done
check "the remote flashes on the change of track" flashed
track=$P_TRACK

push 0010
check "minus lowers the volume by 5 (Volume_Down5)" 'wait_player "[ \"\$P_VOLUME\" = $((volume - 5)) ]"'

# B is the shift button: B + right fast-forwards instead of changing the track.
printf 'buttons 0004\nbuttons 0204\nbuttons 0004\nbuttons 0000\n' >>"$SCRIPT"
check "B + right fast-forwards (FastForward)" 'wait_player "[ \"\$P_STATE\" = 2 ]"'
check "on the same track ($PLAYER_LINE)" '[ "$P_TRACK" = "$track" ]'
push 0008
check "A pauses (PlayPause)" 'wait_player "[ \"\$P_STATE\" = 0 ]"'

# The second LED shows shuffle (LED1=8): button 2 switches shuffle.
sleep 2
before=$(last_leds)
push 0001
lit() { local v; v=$(last_leds); [ -n "$v" ] && [ "$v" != "$before" ] && [ $((0x$v & 0x20)) != $((0x$before & 0x20)) ]; }
for i in $(seq 50); do lit && break; sleep 0.2; done
check "button 2 switches shuffle and the second LED follows ($before -> $(last_leds))" lit

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
check "it let the remote go and closed the library" \
  '[ "$(grep -c -x -e "Unacquire 1" -e Close -e Terminate "$LOG")" = 3 ] && [ "$(tail -1 "$LOG")" = Terminate ]'

stop_player
e2e_teardown
[ "$failures" = 0 ]
