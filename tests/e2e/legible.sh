#!/usr/bin/env bash
# Notifications say what they should, legibly: OCR reads the track name and
# the volume back from a screenshot of the notification windows, in Japanese
# (the default language) and in English. Pixels being drawn is not enough: a
# font without Latin letters draws every one of them as a box.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" legible
ART="$build/artefacts"
mkdir -p "$ART"


if ! have_ocr; then
  echo "FAIL tesseract with its Japanese and English data is not installed (tools/install-deps installs it)"
  exit 1
fi

# Only track and volume notifications, kept on screen while they are read.
settings() {
  printf '[Lang]\r\nId=%s\r\n[Detail]\r\nNotifyObservationState=0\r\n' "$1" >"$SETTINGS/Option.ini"
  printf '[Notify]\r\nNotifyTrack=1\r\nNotifyVolume=1\r\nNotifyPlayerState=0\r\nNotifyTime=20\r\nNotifyTimeOthers=20\r\n' \
    >>"$SETTINGS/Option.ini"
}

# In one language, read by OCR in the matching one: the key that brings up the expected track (a name OCR
# reads without doubt), then a volume change; both notifications are read.
legible() {
  local lang=$1 ocr=$2 key=$3 track=$4 name=$5 label=$6 volume shot text
  settings "$lang"
  start_app
  check "Kolibrix comes up in language $lang" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'
  press "$key"
  check "$key plays \"$name\"" 'wait_player "[ \"\$P_TRACK\" = $track ] && [ \"\$P_STATE\" = 1 ]" && [ "$P_NAME" = "$name" ]'
  check "a track notification shows" 'wait_windows 1'
  volume=$((P_VOLUME - 5))
  press ctrl+alt+Down
  check "Ctrl+Alt+Down sets the volume to $volume" 'wait_player "[ \"\$P_VOLUME\" = $volume ]"'
  check "a volume notification shows beside it" 'wait_windows 2'
  # Let the windows finish fading in.
  sleep 1.2
  shot="$ART/legible-$lang.png"
  import -window root "$shot"
  text=$(ocr_rect "$shot" "$(bounding_rect <<<"$WINDOWS")" "$ART/legible-$lang-text.png" "$ocr")
  echo "     OCR read ($lang): $(tr -s '\n' '|' <<<"$text")"
  check "OCR reads the track name \"$name\"" 'reads "$text" "$name"'
  check "OCR reads the volume \"$label: $volume%\"" 'reads "$text" "$label: $volume%"'
  ctl quit 0 >/dev/null
  wait_app
  check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
}

check "the player comes up" 'start_player "$build"'
legible ja jpn ctrl+alt+Insert 201 "Paper Boats" "音量"
# The player still plays the first track: the next one has another name.
legible en eng ctrl+alt+Right 203 "Harbour Lights" "Volume"
echo "     screenshots: $ART/legible-ja.png $ART/legible-en.png (read: $ART/legible-*-text.png)"
stop_player
e2e_teardown
[ "$failures" = 0 ]
