#!/usr/bin/env bash
# The web remote's latencies, in one run under Wine and Xvfb with the simulated
# player (see web-latency.py for what is measured): a tap on the page's API
# beside a hot key, and a player change to the event stream and the page.
# Pairs as a phone would, with the QR code of the tray's "Pair a Phone...",
# read off the PC's screen.
# It prints figures and fails only when something could not be measured.
#
#   bash bench/web-latency.sh build/win      (DISPLAY set, or an Xvfb of its own)
set -uo pipefail
build=$(cd "${1:?usage: web-latency.sh <build dir>}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib.bash"
source "$here/../tests/e2e/weblib.bash"
fail() {
  echo "web-latency: $1" >&2
  e2e_teardown
  exit 1
}

e2e_setup "$build" weblatency
port=$(web_free_port)
base="http://127.0.0.1:$port"
web_settings "$port"
mkdir -p "$WORK/player" && cp -r "$build/artwork" "$WORK/player/"
start_player "$build" || fail "the simulated player did not come up"
start_app
[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys || fail "Kolibrix did not come up"
web_wait_listening "$port" || fail "the web remote does not listen on $base"
[ "$(ctl player-play)" = ok ] || fail "the player does not play"

caption=$(sed -n 's/^Caption=Pair a Phone/&/p' "$SETTINGS/Langs/en.lng" | cut -d= -f2 | tr -d '\r')
web_open_pairing "$WORK/pair" "$caption" || fail "the tray menu's Pair a Phone did not open the pairing window"
link=$(web_read_qr "$WORK/pair-screen.png")
token=$(/usr/bin/python3 "$here/web-latency.py" pair "$base" "${link##*#pair=}") ||
  fail "could not pair with the QR code on the screen ($link)"

/usr/bin/python3 "$here/web-latency.py" run "$base" "$token" "wine $WORK/kxctl.exe" "$PLAYER_WIN"
status=$?
stop_player
ctl quit 0 >/dev/null
wait_app
e2e_teardown
exit "$status"
