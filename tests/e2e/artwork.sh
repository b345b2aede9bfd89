#!/usr/bin/env bash
# Track artwork in notifications with no Susie decoder installed: a track
# whose artwork is a PNG shows that picture (the system's decoder reads it),
# and one whose artwork no decoder reads shows the placeholder picture.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" artwork
ART="$build/artefacts"
mkdir -p "$ART"



rm -rf "$SETTINGS/Susie"
printf '[Detail]\r\nNotifyObservationState=0\r\n[Notify]\r\nNotifyTrack=1\r\nNotifyVolume=0\r\n' >"$SETTINGS/Option.ini"
printf 'NotifyPlayerState=0\r\nNotifyTime=20\r\nShowArtwork=1\r\n' >>"$SETTINGS/Option.ini"

# The player's library with the second track's artwork a PNG (green and
# magenta halves) and the third's a file no decoder reads.
mkdir -p "$WORK/player/artwork"
convert -size 60x120 xc:'#00ff00' \( -size 60x120 xc:'#ff00ff' \) +append +repage PNG24:"$WORK/player/artwork/cover.png"
printf 'not a picture' >"$WORK/player/artwork/unreadable.png"
sed -e '67s|artwork/harbour-lights.bmp|artwork/cover.png|' -e '100s|artwork/harbour-lights.bmp|artwork/unreadable.png|' \
  "$build/iTunes Music Library.xml" >"$WORK/player/iTunes Music Library.xml"
grep -c 'artwork/cover.png\|artwork/unreadable.png' "$WORK/player/iTunes Music Library.xml" >/dev/null
cp "$build/simplayer.exe" "$WORK/player/"
wine "$WORK/player/simplayer.exe" /regserver >/dev/null 2>&1
wine "$WORK/player/simplayer.exe" >/dev/null 2>&1 &
PLAYER_WIN=$(timeout 30 xdotool search --sync --onlyvisible --name '^simplayer$' 2>/dev/null | head -1)
check "the player comes up" '[ -n "$PLAYER_WIN" ]'

start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'

shows() {  # $1: what, $2: key, $3: track id, $4: shot name
  local track=$3
  press "$2"
  check "$2 plays $1" 'wait_player "[ \"\$P_TRACK\" = $track ] && [ \"\$P_STATE\" = 1 ]"'
  check "a track notification shows" 'wait_windows 1'
  sleep 1.2
  probe
  SHOT="$ART/artwork-$4.png"
  import -window root "$SHOT"
  RECT=$WINDOWS
}

shows "the first track" ctrl+alt+Insert 201 first
# The first track has no artwork: no picture, and the skin's own share of
# the placeholder's ring colour.
ring=$(colour_pixels "$SHOT" "$RECT" '#c8ccd4')
check "the first track shows no artwork ($(colour_pixels "$SHOT" "$RECT" '#00ff00') green pixels)" \
  '[ "$(colour_pixels "$SHOT" "$RECT" "#00ff00")" -lt 20 ]'
shows "the track with PNG artwork" ctrl+alt+Right 203 png
green=$(colour_pixels "$SHOT" "$RECT" '#00ff00')
magenta=$(colour_pixels "$SHOT" "$RECT" '#ff00ff')
check "its notification shows the PNG: $green green and $magenta magenta pixels" \
  '[ "$green" -ge 400 ] && [ "$magenta" -ge 400 ]'
shows "the track with unreadable artwork" ctrl+alt+Right 205 placeholder
placeholder=$(colour_pixels "$SHOT" "$RECT" '#c8ccd4')
check "its notification shows the placeholder ($placeholder pixels of its ring's colour, $ring without artwork)" \
  '[ "$placeholder" -ge $((ring + 300)) ] && [ "$(colour_pixels "$SHOT" "$RECT" "#00ff00")" -lt 20 ]'
echo "     screenshots: $ART/artwork-png.png $ART/artwork-placeholder.png"

e2e_finish
