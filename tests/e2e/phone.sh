#!/usr/bin/env bash
# The phone remote over the network as a user meets it: Kolibrix listens for
# OBEX on loopback port 650 (the clients' fixed port) and the real Debian
# clients obex_tcp and obexftp send it "KEY:" and "RUN:" objects that drive the
# simulated player. A loopback address that is not allowed runs nothing, a
# flood of malformed connections leaves the server listening and working, and
# a full object runs only its first sixteen lines.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" phone


for tool in obex_tcp obexftp; do
  command -v "$tool" >/dev/null || { echo "FAIL $tool is missing (tools/install-deps installs it)"; exit 1; }
done

port=650
printf '\xef\xbb\xbf[IRCom]\r\nDisable=0\r\nTcpPort=%s\r\nTcpAddress=127.0.0.1\r\nTcpAllow=127.0.0.1 127.0.0.2\r\n' \
  "$port" >"$SETTINGS/Option.ini"
# The keys the script presses, and key 7 bound to an entry that starts a program.
n=0
for b in 4:PlayPause 1:NextTrack 0:Volume_Up5 2:Volume_Down5 7:Notepad; do
  printf '[IRComKeys%s]\r\nKey=%s\r\nAction=%s\r\n' "$n" "${b%%:*}" "${b#*:}" >>"$SETTINGS/Option.ini"
  n=$((n + 1))
done
mkdir -p "$SETTINGS/Actions/Test"
printf '[test]\r\nNotepad\tRunScript\tC:\\windows\\system32\\notepad.exe\r\n' >"$SETTINGS/Actions/Test/Test.act"

listening() { [ "$(ss -Hltn "sport = :$port" 2>/dev/null | grep -c .)" -ge 1 ]; }
wait_listening() {
  local i
  for i in $(seq 100); do listening && return 0; sleep 0.1; done
  return 1
}
# One object from a real client, from a file of its own.
send_tcp() { printf '%s\n' "$1" >"$WORK/cmd.txt" && (cd "$WORK" && timeout 20 obex_tcp cmd.txt 127.0.0.1 >"$WORK/obex_tcp.out" 2>&1); }
# obexftp exits with 255 even after a good transfer: its own report tells.
send_ftp() {
  printf '%s\n' "$1" >"$WORK/cmd.txt"
  (cd "$WORK" && timeout 20 obexftp -n 127.0.0.1 -U none -H -S -p cmd.txt >"$WORK/obexftp.out" 2>&1)
  [ "$(grep -c 'Sending.*done' "$WORK/obexftp.out")" = 1 ]
}

check "nothing else holds port $port" '! listening'
check "the player comes up" 'start_player "$build"'
start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "it listens on 127.0.0.1:$port" wait_listening

read_player
first_state=$P_STATE
check "obex_tcp sends KEY:4 (Select: play or pause)" 'send_tcp "KEY:4" && grep -q "PUT successful" "$WORK/obex_tcp.out"'
check "the player plays" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_TRACK\" != 0 ]"'
echo "     $PLAYER_LINE (was state $first_state)"
track=$P_TRACK volume=$P_VOLUME

# The next peer is taken half a second after the last one left.
sleep 0.7
check "obex_tcp sends KEY:1 (Right: next track)" 'send_tcp "KEY:1" && grep -q "PUT successful" "$WORK/obex_tcp.out"'
check "the player moved to the next track" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != $track ]"'
echo "     $PLAYER_LINE"
track=$P_TRACK

sleep 0.7
check "obexftp sends RUN:Volume_Down5 in two packets" 'send_ftp "RUN:Volume_Down5"'
check "the volume went down by 5" 'wait_player "[ \"\$P_VOLUME\" = $((volume - 5)) ]"'
echo "     $PLAYER_LINE"
volume=$P_VOLUME

sleep 0.7
out=$(python3 "$here/obexflood.py" "$port" --from 127.0.0.3 --object $'RUN:Volume_Down5\nKEY:4\n')
check "a peer from 127.0.0.3 (not allowed) is closed without a reply (got $out)" '[ "$out" = closed ]'
sleep 1.5
read_player
check "and nothing ran: same volume and still playing ($PLAYER_LINE)" \
  '[ "$P_VOLUME" = "$volume" ] && [ "$P_STATE" = 1 ] && [ "$P_TRACK" = "$track" ]'
out=$(python3 "$here/obexflood.py" "$port" --from 127.0.0.2 --object $'RUN:Volume_Down5\n')
check "a peer from 127.0.0.2 (allowed) gets its replies ($out)" '[ "$out" = a0000710000400a00003 ]'
check "and its object ran" 'wait_player "[ \"\$P_VOLUME\" = $((volume - 5)) ]"'
volume=$P_VOLUME

start=$SECONDS
flood=$(timeout 60 python3 "$here/obexflood.py" "$port" 3000 25)
echo "     flood: $flood in $((SECONDS - start)) s"
check "the flood made connections" '[ "$(sed -n "s/^connections \([0-9]*\) .*/\1/p" <<<"$flood")" -gt 1000 ]'
check "Kolibrix still runs" '[ "$(ctl count-app)" = 1 ]'
check "it still listens" wait_listening
read_player
check "the flood ran nothing ($PLAYER_LINE)" '[ "$P_VOLUME" = "$volume" ] && [ "$P_TRACK" = "$track" ]'
sleep 0.7
check "obexftp still works afterwards" 'send_ftp "RUN:Volume_Down5"'
check "the volume went down by 5 again" 'wait_player "[ \"\$P_VOLUME\" = $((volume - 5)) ]"'
volume=$P_VOLUME

# Senders that end lines with CR LF: the CR is no part of the action's name.
sleep 0.7
out=$(python3 "$here/obexflood.py" "$port" --from 127.0.0.1 --object $'RUN:Volume_Up5\r\n')
check "a CR LF line RUN:Volume_Up5 is answered ($out)" '[ "$out" = a0000710000400a00003 ]'
check "and raised the volume by 5" 'wait_player "[ \"\$P_VOLUME\" = $((volume + 5)) ]"'

# Sixteen lines of an object run; a whole 64 KB object of them runs no more.
sleep 0.7
up=$(for i in $(seq 16); do printf 'KEY:0\r\n'; done)
out=$(python3 "$here/obexflood.py" "$port" --from 127.0.0.1 --object "$up")
check "sixteen KEY:0 lines (Volume_Up5) are answered ($out)" '[ "$out" = a0000710000400a00003 ]'
check "and raised the volume to the top" 'wait_player "[ \"\$P_VOLUME\" = 100 ]"'
sleep 0.7
python3 -c 'import sys; sys.stdout.buffer.write(b"KEY:2\r\n" * (65536 // 7))' >"$WORK/full.txt"
check "a full object is 64 KB of KEY:2 lines (Volume_Down5)" '[ "$(stat -c %s "$WORK/full.txt")" -gt 65000 ]'
out=$(python3 "$here/obexflood.py" "$port" --from 127.0.0.1 --object-file "$WORK/full.txt")
check "the full object is taken whole ($out)" '[ "$out" = ok ]'
check "sixteen of its lines ran" 'wait_player "[ \"\$P_VOLUME\" = 20 ]"'
sleep 2
read_player
check "and no more ran later ($PLAYER_LINE)" '[ "$P_VOLUME" = 20 ]'
check "Kolibrix still runs after the full object" '[ "$(ctl count-app)" = 1 ]'
check "it still listens after the full object" wait_listening
check "its hot keys are registered" wait_hotkeys
press ctrl+alt+Up
check "a hot key still works: Ctrl+Alt+Up raises the volume by 5" 'wait_player "[ \"\$P_VOLUME\" = 25 ]"'
sleep 0.7
check "obex_tcp still works afterwards: KEY:2" 'send_tcp "KEY:2" && grep -q "PUT successful" "$WORK/obex_tcp.out"'
check "the volume went down by 5" 'wait_player "[ \"\$P_VOLUME\" = 20 ]"'

sleep 0.7
check "obex_tcp sends KEY:7 (bound to an entry that starts a program)" \
  'send_tcp "KEY:7" && grep -q "PUT successful" "$WORK/obex_tcp.out"'
check "from the network it started nothing" '[ "$(ctl wait-window Notepad 3000)" = 0 ]'

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
check "the port is free again" '! listening'
stop_player
e2e_teardown
[ "$failures" = 0 ]
