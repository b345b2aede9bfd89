#!/usr/bin/env bash
# Global hot keys as a user presses them: Kolibrix beside a running player turns
# real key presses into player actions, gives the keys back when it quits, and a
# combination another program holds leaves the other keys working.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" hotkeys


check "the player comes up" 'start_player "$build"'
read_player
check "the player is stopped at first ($PLAYER_LINE)" '[ "$P_STATE" = 0 ]'

start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its hot keys are registered" wait_hotkeys
xdotool windowfocus --sync "$PLAYER_WIN" 2>/dev/null
check "the player's window has the keyboard focus" '[ "$(xdotool getwindowfocus)" = "$PLAYER_WIN" ]'

press ctrl+alt+Insert
check "Ctrl+Alt+Insert starts playing" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_TRACK\" != 0 ]"'
echo "     $PLAYER_LINE"
first=$P_TRACK volume=$P_VOLUME

press ctrl+alt+Right
check "Ctrl+Alt+Right changes the track" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != $first ]"'
echo "     $PLAYER_LINE"
second=$P_TRACK

press ctrl+alt+Down
check "Ctrl+Alt+Down lowers the volume by 5" 'wait_player "[ \"\$P_VOLUME\" = $((volume - 5)) ]"'
press ctrl+alt+Up
check "Ctrl+Alt+Up raises it by 5" 'wait_player "[ \"\$P_VOLUME\" = $volume ]"'

press ctrl+alt+Insert
check "Ctrl+Alt+Insert pauses" 'wait_player "[ \"\$P_STATE\" = 0 ]"'
check "pausing kept the track ($PLAYER_LINE)" '[ "$P_TRACK" = "$second" ]'

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
# The player itself ignores these keys: without Kolibrix nothing happens.
press ctrl+alt+Right
sleep 2
read_player
check "with Kolibrix gone the key does nothing ($PLAYER_LINE)" '[ "$P_TRACK" = "$second" ]'

# Another program holds Ctrl+Alt+End (Stop) before Kolibrix starts.
wine "$WORK/kxctl.exe" hold-hotkey 3 0x23 20000 >"$WORK/hold.out" 2>/dev/null </dev/null &
holder=$!
for i in $(seq 50); do grep -q held "$WORK/hold.out" 2>/dev/null && break; sleep 0.2; done
check "another program holds Ctrl+Alt+End" 'grep -q "^held" "$WORK/hold.out"'
start_app
check "Kolibrix comes up again" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its hot keys are registered again" wait_hotkeys

press ctrl+alt+Insert
check "Ctrl+Alt+Insert still plays" 'wait_player "[ \"\$P_STATE\" = 1 ]"'
press ctrl+alt+End
sleep 2
read_player
check "Ctrl+Alt+End reaches the other program, not Kolibrix: still playing ($PLAYER_LINE)" '[ "$P_STATE" = 1 ]'
press ctrl+alt+Right
check "Ctrl+Alt+Right still changes the track" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != $second ]"'
wait "$holder"
check "the other program got its key once ($(tr -d '\r' <"$WORK/hold.out" | tail -1))" \
  'tr -d "\r" <"$WORK/hold.out" | grep -qx "pressed 1"'

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits again with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
stop_player
check "the player quit" '[ "$(ctl player)" = not-running ]'

e2e_teardown
[ "$failures" = 0 ]
