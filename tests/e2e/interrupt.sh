#!/usr/bin/env bash
# Interrupt play as a user meets it: two tracks of the player's library are
# dragged from the file manager onto the interrupt-play window while a track
# plays. When that track ends they play in turn, then the player returns to
# the track it had moved on to. The event action, armed to lower the volume
# once when the playing track ends, fires for the player's own change only.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" interrupt
ART="$build/artefacts"
mkdir -p "$ART"


# The library's files live in a folder of this run; the library file (the
# player's and the one Kolibrix scans) points there.
music="$WORK/music"
encoded=$(/usr/bin/python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1]))' "$music")
library="$WORK/library.xml"
sed "s#file://localhost/C:/Users/Public/Music/#file://localhost/Z:$encoded/#" \
  "$build/iTunes Music Library.xml" >"$library"
dropped=("Night Ferry" "Fog Horn Blues")  # in the library's order, as queued
files=()
for name in "${dropped[@]}"; do
  location=$(grep -A40 "<key>Name</key><string>$name</string>" "$library" | grep -m1 '<key>Location</key>' |
    sed 's#.*<string>file://localhost/Z:\(.*\)</string>.*#\1#')
  path=$(/usr/bin/python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.argv[1]))' "$location")
  mkdir -p "$(dirname "$path")" && : >"$path"
  files+=("$path")
done
profile=$(wine cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')
mymusic="$(winepath -u "$profile\\Music" 2>/dev/null)/iTunes"
mkdir -p "$mymusic"
cp "$library" "$mymusic/iTunes Music Library.xml"

printf '[Detail]\r\nNotifyObservationState=0\r\nStartupAction=EventAction_On\r\n' >"$SETTINGS/Option.ini"
printf '[Notify]\r\nNotifyTrack=0\r\nNotifyPlayerState=0\r\n' >>"$SETTINGS/Option.ini"
mkdir -p "$SETTINGS/Settings"
printf '[EventAction]\r\nMethod=0\r\nAction=Volume_Down5\r\n' >"$SETTINGS/Settings/EventAction.ini"

check "the player comes up" 'start_player "$build" "$library"'
check "the player plays" '[ "$(ctl player-play)" = ok ]'
read_player
first=$P_NAME
volume=$P_VOLUME
# The track the player moves on to: the next one of its library playlist.
moved_on=$(/usr/bin/python3 - "$library" "$first" <<'PY'
import plistlib, sys
library = plistlib.load(open(sys.argv[1], "rb"))
names = [library["Tracks"][str(i["Track ID"])]["Name"] for i in library["Playlists"][0]["Playlist Items"]]
print(names[names.index(sys.argv[2]) + 1])
PY
)
start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its hot keys are registered" wait_hotkeys

press ctrl+alt+w
dialog=$(timeout 15 xdotool search --sync --onlyvisible --name '割り込み再生' 2>/dev/null | head -1)
check "Ctrl+Alt+W opens the interrupt-play window" '[ -n "$dialog" ]'
if [ -n "$dialog" ]; then
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  result=$(/usr/bin/python3 "$here/xdnd_drop.py" "$dialog" $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "${files[@]}")
  check "the window takes the drop of two files" '[ "$result" = dropped ]'
  sleep 1
  import -window root "$ART/interrupt-queue.png"
  echo "     screenshot $ART/interrupt-queue.png"
fi

# Each track is sent near its end; its end is the player's own change.
read_player
check "nothing changed before the track ends" '[ "$P_NAME" = "$first" ]'
ctl player-play 2 >/dev/null
check "when it ends, the first dropped track plays" "wait_player '[ \"\$P_NAME\" = \"${dropped[0]}\" ]'"
echo "     $PLAYER_LINE"
check "it stays (its own change did not advance the queue)" "sleep 2; read_player; [ \"\$P_NAME\" = \"${dropped[0]}\" ]"
ctl player-play 2 >/dev/null
check "then the second" "wait_player '[ \"\$P_NAME\" = \"${dropped[1]}\" ]'"
echo "     $PLAYER_LINE"
check "it stays too" "sleep 2; read_player; [ \"\$P_NAME\" = \"${dropped[1]}\" ]"
ctl player-play 2 >/dev/null
check "then the player returns to the track it had moved on to, $moved_on" "wait_player '[ \"\$P_NAME\" = \"$moved_on\" ]'"
echo "     $PLAYER_LINE"
check "and goes on playing it" "sleep 2; read_player; [ \"\$P_NAME\" = \"$moved_on\" ] && [ \"\$P_STATE\" = 1 ]"
check "the event action lowered the volume once, for the player's change only" \
  '[ "$P_VOLUME" = $((volume - 5)) ]'

e2e_finish
