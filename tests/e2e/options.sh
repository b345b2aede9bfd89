#!/usr/bin/env bash
# The options sheet as a user meets it: the tray menu's Options opens it, a hot
# key is changed by pressing the new keys in the capture dialog and, after OK,
# the new keys drive the player and the old ones no longer do. Every page and
# capture dialog is photographed in both languages (build/artefacts/options)
# and OCR reads the longest English labels back whole.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" options
ART="$build/artefacts/options"
rm -rf "$ART"
mkdir -p "$ART"

failures=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }

if ! have_ocr; then
  echo "FAIL tesseract with its Japanese and English data is not installed (tools/install-deps installs it)"
  exit 1
fi

# Saves the rectangle "left top right bottom" of the screen as $ART/$1.png.
shoot() {
  local l t r b
  read -r l t r b <<<"$2"
  [ -n "$b" ] && import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$ART/$1.png"
}

# The rectangle of an X window found by its exact name, once it shows.
window_rect() {
  local id x y w h
  id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/\1=/p')"
  echo "$X $Y $((X + WIDTH)) $((Y + HEIGHT))"
}

# Whether the X window of that exact name is gone (within about 5 s).
gone() {
  local i
  for i in $(seq 25); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  return 1
}

# Every page, then the hot-key and infrared capture dialogs (their titles $2
# and $3), into $ART/<lang>-*.png.
photograph() {
  local lang=$1 index rect name
  for index in 0 1 2 3 4 5 6 7; do
    rect=$(sheet "page $index")
    sleep 0.5
    shoot "$lang-page$index" "$rect"
  done
  check "the eight pages are photographed ($lang)" '[ "$(ls "$ART"/$lang-page?.png 2>/dev/null | wc -l)" = 8 ]'
  for index in 0 2; do
    name=$2
    [ "$index" = 2 ] && name=$3
    sheet "page $index" >/dev/null
    sheet add
    rect=$(window_rect "$name")
    sleep 0.3
    shoot "$lang-capture$index" "$rect"
    sheet dismiss
    sleep 0.5
  done
  check "both capture dialogs are photographed ($lang)" '[ -s "$ART/$lang-capture0.png" ] && [ -s "$ART/$lang-capture2.png" ]'
}

check "the player comes up" 'start_player "$build"'
printf '[Lang]\r\nId=en\r\n[Detail]\r\nNotifyObservationState=0\r\n' >"$SETTINGS/Option.ini"
start_app
check "Kolibrix comes up in English" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'

# The tray menu opens where the pointer is; OCR finds its Options item, which is clicked.
open_tray_menu
import -window root "$ART/en-traymenu.png"
check "OCR finds Options in the tray menu and clicks it" 'click_text Options 220x420+295+195'
check "choosing it opens the options sheet" 'window_rect "Kolibrix Options" >/dev/null'

# Ctrl+Alt+Right (Next Track, the fourth binding) becomes Ctrl+Alt+N: a click
# on the list's first row, three rows down, Alt+E for Edit, then the new keys.
sheet "page 0" >/dev/null
read -r l t r b <<<"$(sheet list)"
xdotool mousemove $((l + 40)) $((t + 28)) click 1
sleep 0.3
xdotool key Down Down Down alt+e
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Edit Hot Key$' 2>/dev/null | head -1)
check "Edit opens the hot-key capture dialog" '[ -n "$dialog" ]'
xdotool windowfocus --sync "$dialog" 2>/dev/null
xdotool key ctrl+alt+n
sleep 0.3
shoot en-capture-edit "$(window_rect 'Edit Hot Key')"
xdotool key Return
check "Return (OK) closes it" 'gone "Edit Hot Key"'

photograph en "Add Hot Key" "Add Infrared Key"
for shot in 0 1 2 3 4 5 6 7; do
  text=$(convert "$ART/en-page$shot.png" -resize 300% "$ART/en-page$shot-read.png" && tesseract "$ART/en-page$shot-read.png" - -l eng 2>/dev/null)
  case $shot in
    0) labels=("Turn hot keys off" "Action" "Input") ;;
    1) labels=("Turn the game controller off") ;;
    2) labels=("Turn the infrared remote off") ;;
    3) labels=("Turn the Wii remote off" "Wiimote.dll is not installed.") ;;
    4) labels=("Keep earlier notifications of the same kind open" "Run it only when a track notification is clicked") ;;
    5) labels=("Do not wait for the previous action to finish" "Disable Kolibrix (no input works)") ;;
    6) labels=("Start with Windows" "Notification skin:") ;;
    7) labels=("Ask before applying artwork" "Tell when artwork has been applied") ;;
  esac
  for label in "${labels[@]}"; do
    check "OCR reads \"$label\" whole on page $shot" 'reads "$text" "$label"'
  done
done
text=$(convert "$ART/en-capture0.png" -resize 300% "$ART/en-capture0-read.png" && tesseract "$ART/en-capture0-read.png" - -l eng 2>/dev/null)
check "OCR reads the capture dialog's notice whole" 'reads "$text" "Click the field and press the key combination to use."'

sheet ok
check "OK closes the sheet" 'gone "Kolibrix Options"'
check "the hot keys are registered again" wait_hotkeys
press ctrl+alt+Insert
check "Ctrl+Alt+Insert still plays" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_TRACK\" != 0 ]"'
before=$P_TRACK
press ctrl+alt+Right
sleep 2
read_player
check "the old keys Ctrl+Alt+Right do nothing now ($PLAYER_LINE)" '[ "$P_TRACK" = "$before" ]'
press ctrl+alt+n
check "the new keys Ctrl+Alt+N go to the next track" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != \"$before\" ]"'
ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
check "Option.ini keeps Ctrl+Alt+N for Next Track" \
  'tr -d "\r" <"$SETTINGS/Option.ini" | grep -A3 -x "\[HotKey3\]" | tr "\n" " " | grep -q "Action=NextTrack Mods=3 VK=78"'

# In Japanese, opened by a double click on the tray icon; Cancel leaves the file alone.
sed -i 's/^Id=en\r$/Id=ja\r/' "$SETTINGS/Option.ini"
cp "$SETTINGS/Option.ini" "$WORK/Option.before"
start_app
check "Kolibrix comes up in Japanese" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'
sheet "tray 515" >/dev/null # WM_LBUTTONDBLCLK
check "a double click on the icon opens the sheet" 'window_rect "Kolibrix のオプション" >/dev/null'
photograph ja "ホットキーの追加" "赤外線キーの追加"
sheet cancel
check "Cancel closes the sheet" 'gone "Kolibrix のオプション"'
ctl quit 0 >/dev/null
wait_app
check "after Cancel Option.ini holds what it held (saved again at exit)" 'cmp -s "$WORK/Option.before" "$SETTINGS/Option.ini"'
echo "     screenshots: $ART"

stop_player
e2e_teardown
[ "$failures" = 0 ]
