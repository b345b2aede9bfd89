#!/usr/bin/env bash
# The phone remote over the network as a user meets it: Kolibrix listens for
# OBEX on loopback port 650 (the clients' fixed port) and the real Debian
# clients obex_tcp and obexftp send it "KEY:" and "RUN:" objects that drive the
# simulated player. A loopback address that is not allowed runs nothing, and a
# flood of malformed connections leaves the server listening and working.
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

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
check "the port is free again" '! listening'
stop_player
e2e_teardown
[ "$failures" = 0 ]
