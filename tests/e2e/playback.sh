#!/usr/bin/env bash
# Playback helpers as a user meets them: the event action, armed at start and
# set to stop the player when the playing track has finished, stops it when
# the track ends (and only then); quick play, opened with its hot key, plays
# the first track that matches the text typed into its dialog.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" playback
ART="$build/artefacts"
mkdir -p "$ART"


printf '[Detail]\r\nNotifyObservationState=0\r\nStartupAction=EventAction_On\r\n' >"$SETTINGS/Option.ini"
printf '[Notify]\r\nNotifyTrack=0\r\nNotifyPlayerState=0\r\n' >>"$SETTINGS/Option.ini"
mkdir -p "$SETTINGS/Settings"
printf '[EventAction]\r\nMethod=0\r\nAction=Stop\r\n' >"$SETTINGS/Settings/EventAction.ini"

check "the player comes up" 'start_player "$build"'
# The track ends some seconds after Kolibrix is up: long enough for its start.
check "the player plays a track near its end" '[ "$(ctl player-play 12)" = ok ]'
read_player
first=$P_TRACK
start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its hot keys are registered" wait_hotkeys
read_player
check "the track still plays" '[ "$P_STATE" = 1 ] && [ "$P_TRACK" = "$first" ]'
stopped_at_end() {
  local i
  for i in $(seq 60); do
    read_player
    [ "$P_STATE" = 0 ] && [ "$P_TRACK" != "$first" ] && return 0
    sleep 0.5
  done
  return 1
}
check "when it ends the player moves on and the event action stops it" stopped_at_end
echo "     $PLAYER_LINE"

# Quick play from its default hot key, Ctrl+Alt+Q.
press ctrl+alt+q
dialog=$(timeout 15 xdotool search --sync --onlyvisible --name 'クイック再生' 2>/dev/null | head -1)
check "Ctrl+Alt+Q opens the quick play dialog" '[ -n "$dialog" ]'
if [ -n "$dialog" ]; then
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  xdotool type --delay 30 'fog horn'
  sleep 0.5
  import -window root "$ART/quickplay-e2e.png"
  echo "     screenshot $ART/quickplay-e2e.png"
  xdotool key Return
fi
check "the first match plays" \
  'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_NAME\" = \"Fog Horn Blues\" ]"'
echo "     $PLAYER_LINE"
check "the one-shot event action did not stop it again" 'sleep 2; read_player; [ "$P_STATE" = 1 ]'

e2e_finish
