#!/usr/bin/env bash
# Started while the player shows a modal dialog (it makes no new connections),
# Kolibrix still answers at once: its window replies to other programs, its hot
# keys are registered, and as soon as the dialog is gone it observes the player
# and a hot key drives it.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" modal


check "the player comes up" 'start_player "$build"'
check "the player shows a modal dialog" '[ "$(ctl sim modal on)" = ok ]'

started=$SECONDS
start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its hot keys are registered" wait_hotkeys
while [ $((SECONDS - started)) -lt 3 ]; do sleep 0.2; done
for n in 1 2 3; do
  answer=$(ctl ping-window tavelapp:AppWnd: 200)
  check "its window answers within 200 ms, $((SECONDS - started)) s after the start ($answer)" \
    '[ "${answer%% *}" = answered ]'
done
probe
check "no notification while the player does not answer ($COUNT)" '[ "$COUNT" = 0 ]'

check "the player's dialog closes" '[ "$(ctl sim modal off)" = ok ]'
# Observing starts once the player answers, and says so.
check "a notification catches up" 'wait_windows 1'
read_player
check "the player is reachable and stopped ($PLAYER_LINE)" '[ "$P_STATE" = 0 ]'
first=$P_TRACK
press ctrl+alt+Insert
check "Ctrl+Alt+Insert starts playing" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_TRACK\" != 0 ]"'
echo "     $PLAYER_LINE (was track $first)"
first=$P_TRACK
press ctrl+alt+Right
check "Ctrl+Alt+Right changes the track" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != $first ]"'
answer=$(ctl ping-window tavelapp:AppWnd: 200)
check "the window still answers ($answer)" '[ "${answer%% *}" = answered ]'

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
stop_player
e2e_teardown
[ "$failures" = 0 ]
