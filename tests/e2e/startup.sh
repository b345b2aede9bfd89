#!/usr/bin/env bash
# The program as a user starts it: one copy per session unless "-f", a first run
# writes Option.ini with every key, and quitting ends with exit code 0. A start
# with /action or /quit hands that to the running copy and exits with a code
# that says what came of it; without a running copy it starts nothing.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" startup

check "the player comes up" 'start_player "$build"'
r=$(ctl_start "$APP_WIN" " /action NextTrack" 1000)
check "/action without a running copy exits 2 within a second ($r)" '[ "$r" = "exit 2" ]'
check "and starts no copy" '[ "$(ctl count-app)" = 0 ]'

start_app
check "first copy comes up" '[ "$(ctl wait-app 20000)" = 1 ]'

second=$(ctl_start "$APP_WIN" "" 8000)
check "second copy without arguments exits 0 at once ($second)" '[ "$second" = "exit 0" ]'
n=$(ctl count-app)
check "still one copy ($n)" '[ "$n" = 1 ]'

# Other switches are ignored as they always were; a command used wrongly is a wrong command line (1).
for args in " -F" " /f" " --f" " -f x" " some words" " --action NextTrack"; do
  r=$(ctl_start "$APP_WIN" "$args" 8000)
  check "'$args' does not skip the check ($r)" '[ "$r" = "exit 0" ]'
done
for args in " /action" " /quit now"; do
  r=$(ctl_start "$APP_WIN" "$args" 8000)
  check "'$args' is a wrong command line ($r)" '[ "$r" = "exit 1" ]'
done

r=$(ctl_start "$APP_WIN" " /action PlayPause" 10000)
check "/action PlayPause exits 0 ($r)" '[ "$r" = "exit 0" ]'
check "and the player plays" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_TRACK\" != 0 ]"'
first=$P_TRACK volume=$P_VOLUME
r=$(ctl_start "$APP_WIN" " -action nexttrack" 10000)
check "-action nexttrack exits 0 ($r)" '[ "$r" = "exit 0" ]'
check "and changes the track" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != $first ]"'
second=$P_TRACK
r=$(ctl_start "$APP_WIN" " /action Volume -5" 10000)
check "/action Volume -5 (an action with a parameter) exits 0 ($r)" '[ "$r" = "exit 0" ]'
check "and lowers the volume by 5" 'wait_player "[ \"\$P_VOLUME\" = $((volume - 5)) ]"'
r=$(ctl_start "$APP_WIN" " /action \"Volume_Up5\"" 10000)
check "/action with a list entry's ID exits 0 ($r)" '[ "$r" = "exit 0" ]'
check "and raises it again" 'wait_player "[ \"\$P_VOLUME\" = $volume ]"'
r=$(ctl_start "$APP_WIN" " /action NoSuchAction" 10000)
check "/action NoSuchAction exits 3 ($r)" '[ "$r" = "exit 3" ]'
sleep 1
read_player
check "and changes nothing ($PLAYER_LINE)" '[ "$P_TRACK" = "$second" ] && [ "$P_STATE" = 1 ] && [ "$P_VOLUME" = "$volume" ]'

n=$(ctl count-app)
check "still one copy after the refused ones ($n)" '[ "$n" = 1 ]'

r=$(ctl_start "$APP_WIN" "   -f   " 3000)
check "'-f' with blanks around it starts another copy ($r)" '[ "$r" = running ]'
ctl wait-app 10000 >/dev/null
n=$(ctl count-app)
check "two copies now ($n)" '[ "$n" = 2 ]'

r=$(ctl_start "$APP_WIN" " /quit" 10000)
check "/quit exits 0 ($r)" '[ "$r" = "exit 0" ]'
wait_app
code=$APP_EXIT
check "/quit ends the first copy as Exit does, with exit code 0 (got $code)" '[ "$code" = 0 ]'
r=$(ctl_start "$APP_WIN" " /action NextTrack" 1000)
check "the copy started with -f takes no requests ($r)" '[ "$r" = "exit 2" ]'
ctl quit 0 >/dev/null
for i in $(seq 50); do [ "$(ctl count-app)" = 0 ] && break; sleep 0.2; done
check "no copy left" '[ "$(ctl count-app)" = 0 ]'
check "Option.ini written at exit" '[ -f "$SETTINGS/Option.ini" ]'
for key in '\[HotKey30\]' '\[IRComKeys26\]' '\[JoyKeys24\]' '\[WiimoteKeys15\]' 'SynchroTime=180' \
           'NotifyTrackText=' 'MouseButton5=0' 'Guid_Data4_7=0' '\[ActionTarget\]'; do
  check "Option.ini holds $key" 'grep -q "$key" "$SETTINGS/Option.ini"'
done
check "no temporary file left" '[ ! -e "$SETTINGS/Option.ini.tmp" ]'
check "no HotKey31 beyond the defaults" '! grep -q "\[HotKey31\]" "$SETTINGS/Option.ini"'

# /pair opens the window of the tray's "Pair a Phone...", here with the web
# remote on a free port of the loopback address.
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
sed -i "s/^Port=0\r\?\$/Port=$port\r/; s/^Address=\r\?\$/Address=127.0.0.1\r/" "$SETTINGS/Option.ini"
caption=$(awk '/^\[PairingDlg\]/ { f = 1; next } /^\[/ { f = 0 }
               f && /^Caption=/ { sub(/^Caption=/, ""); sub(/\r$/, ""); print; exit }' "$SETTINGS/Langs/ja.lng")
start_app
check "Kolibrix comes up again" '[ "$(ctl wait-app 20000)" = 1 ]'
r=$(ctl_start "$APP_WIN" " /pair" 10000)
check "/pair exits 0 ($r)" '[ "$r" = "exit 0" ]'
check "and opens the pairing window" 'timeout 20 xdotool search --sync --onlyvisible --name "^$caption\$" >/dev/null 2>&1'
r=$(ctl_start "$APP_WIN" " /quit" 10000)
wait_app
check "/quit ends it with the pairing window open (exit code $APP_EXIT)" '[ "$r" = "exit 0" ] && [ "$APP_EXIT" = 0 ]'

stop_player
e2e_teardown
[ "$failures" = 0 ]
