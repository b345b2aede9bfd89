#!/usr/bin/env bash
# Notification windows as a user sees them: a hot key that changes the volume
# shows a notification in the bottom-right corner of the work area, a second
# change replaces it in place (or stacks above it with continuous
# notifications), a click closes it at once and runs the click action, and
# the focus never leaves the window the user works in.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" notify
ART="$build/artefacts"
mkdir -p "$ART"


# Only volume notifications, kept long enough to look at; a click plays or pauses.
settings() {
  printf '[Detail]\r\nNotifyObservationState=0\r\n' >"$SETTINGS/Option.ini"
  printf '[Notify]\r\nNotifyTrack=0\r\nNotifyPlayerState=0\r\nNotifyTimeOthers=20\r\nEffect=2\r\n' >>"$SETTINGS/Option.ini"
  printf 'ClickAction=PlayPause\r\nRunClickActionOnlyTrackNotify=0\r\nArrowContinuousNotify=%s\r\n' "$1" \
    >>"$SETTINGS/Option.ini"
}

# Share of pixels in the rectangle "left top right bottom" of the screenshot
# that are not the black root background, in percent.
drawn_percent() {
  local l t r b
  read -r l t r b <<<"$2"
  convert "$1" -crop "$((r - l))x$((b - t))+$l+$t" +repage -fill white +opaque black -colorspace gray \
    -format '%[fx:int(mean*100)]' info:
}

settings 0
check "the player comes up" 'start_player "$build"'
start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its hot keys are registered" wait_hotkeys
read_player
volume=$P_VOLUME

press ctrl+alt+Down
check "Ctrl+Alt+Down shows one notification window" 'wait_windows 1'
first=$WINDOWS
read -r l t r b <<<"$first"
read -r wl wt wr wb <<<"$WORKAREA"
echo "     window $first in work area $WORKAREA"
check "it sits in the bottom-right corner, 20 pixels in ($first)" '[ "$r" = $((wr - 20)) ] && [ "$b" = "$wb" ]'
check "it has a size" '[ $((r - l)) -gt 50 ] && [ $((b - t)) -gt 20 ]'
sleep 1
import -window root "$ART/notify-volume.png"
check "the screenshot shows it drawn ($(drawn_percent "$ART/notify-volume.png" "$first")% of its pixels)" \
  '[ "$(drawn_percent "$ART/notify-volume.png" "$first")" -ge 90 ]'
check "the player's window kept the focus" '[ "$(xdotool getwindowfocus)" = "$PLAYER_WIN" ]'

press ctrl+alt+Down
check "the volume went down twice" 'wait_player "[ \"\$P_VOLUME\" = $((volume - 10)) ]"'
sleep 1
probe
check "a second change replaces it in place ($WINDOWS)" '[ "$COUNT" = 1 ] && [ "$WINDOWS" = "$first" ]'
import -window root "$ART/notify-volume-replaced.png"

read_player
check "the player is stopped before the click" '[ "$P_STATE" = 0 ]'
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
sleep 0.3
xdotool click 1
check "a click closes the window at once" 'wait_windows 0'
check "the click runs the click action (PlayPause)" 'wait_player "[ \"\$P_STATE\" = 1 ]"'
import -window root "$ART/notify-after-click.png"
check "the screenshot no longer shows it ($(drawn_percent "$ART/notify-after-click.png" "$first")%)" \
  '[ "$(drawn_percent "$ART/notify-after-click.png" "$first")" -le 10 ]'
xdotool mousemove 10 10

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'

# Continuous notifications: the same two changes stack.
settings 1
start_app
check "Kolibrix comes up with continuous notifications" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'
read_player
volume=$P_VOLUME
press ctrl+alt+Up
wait_player "[ \"\$P_VOLUME\" = $((volume + 5)) ]"
wait_windows 1
press ctrl+alt+Up
check "two changes show two windows" 'wait_windows 2'
lower=$(sed -n 1p <<<"$WINDOWS") upper=$(sed -n 2p <<<"$WINDOWS")
read -r l1 t1 r1 b1 <<<"$lower"
read -r l2 t2 r2 b2 <<<"$upper"
check "the second stacks right above the first ($lower / $upper)" '[ "$b2" = "$t1" ] && [ "$r2" = "$r1" ] && [ "$b1" = "$wb" ]'
sleep 1
import -window root "$ART/notify-stacked.png"
check "the screenshot shows both drawn" \
  '[ "$(drawn_percent "$ART/notify-stacked.png" "$l2 $t2 $r1 $b1")" -ge 90 ]'
check "the player's window still has the focus" '[ "$(xdotool getwindowfocus)" = "$PLAYER_WIN" ]'
echo "     screenshots: $ART/notify-volume.png $ART/notify-volume-replaced.png $ART/notify-after-click.png $ART/notify-stacked.png"

e2e_finish
