#!/usr/bin/env bash
# The web remote as a phone uses it: "Pair a Phone..." is chosen in the tray
# menu with the pointer, zbarimg reads the pairing window's QR code from a
# picture of the PC's screen, and headless Chromium at a phone's size opens that
# link and is paired with nothing typed (a second use of the link is not). Then
# taps on Play, Next and Volume down drive the simulated player (read over
# COM); a hot key pressed on the PC changes the title on the page within a
# second, without a reload. The player quits and starts again on the PC, and
# the page follows both. The page is looked at in the dark, on its side and on
# narrow phones, and axe-core checks it. A phone without a ticket asks the PC;
# a click on the notice opens a code for it, which OCR reads and the phone
# types. Pictures of the page and the pairing window are kept in the artefacts.
# Between these, the phone chooses what plays: a search, a playlist's track,
# the position slider; Chromium reads the page's manifest.
# Loopback only.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
source "$here/weblib.bash"
e2e_setup "$build" webremote
ART="$build/artefacts"
mkdir -p "$ART"

command -v zbarimg >/dev/null || { echo "FAIL zbarimg (zbar-tools) is not installed (tools/install-deps)"; exit 1; }
have_ocr || { echo "FAIL tesseract with its Japanese and English data is not installed (tools/install-deps)"; exit 1; }
[ -x /usr/bin/chromium ] && [ -x /usr/bin/chromedriver ] && /usr/bin/python3 -c 'import selenium' 2>/dev/null ||
  { echo "FAIL chromium, chromium-driver and python3-selenium are not installed (tools/install-deps)"; exit 1; }

port=$(web_free_port)
url="http://127.0.0.1:$port/"
# Observation is retried every 3 s, so the player's return is seen in time.
web_settings "$port" SynchroTime=3

# The browser answers one line per command (see webremote.py); bounded, so a
# hung browser fails its checks instead of holding the script.
coproc BROWSER { exec /usr/bin/python3 "$here/webremote.py" en 2>"$WORK/browser.log"; }
browser() {
  echo "$*" >&"${BROWSER[1]}"
  read -r -t 40 REPLY <&"${BROWSER[0]}" || REPLY="(no answer)"
  [ "$REPLY" = ok ]
}
read -r -t 60 REPLY <&"${BROWSER[0]}"
check "the browser starts ($REPLY)" '[ "$REPLY" = ready ]'

# The library's artwork beside it, for the page's picture.
mkdir -p "$WORK/player" && cp -r "$build/artwork" "$WORK/player/"
check "the player comes up" 'start_player "$build"'
start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'
check "the web remote listens on 127.0.0.1:$port" "web_wait_listening $port"

check "an unpaired browser is asked to pair" 'browser open "$url" && browser wait-visible "#pairing" 10000'
browser type '#pair-code' 000000
browser click '#pair-submit'
check "a wrong code is refused with a message" 'browser wait-visible "#pair-error" 5000'

# Nothing is typed: the PC's QR code carries the page's address and a ticket.
caption=$(sed -n 's/^Caption=Pair a Phone/&/p' "$SETTINGS/Langs/en.lng" | cut -d= -f2 | tr -d '\r')
check "choosing \"Pair a Phone...\" in the tray menu opens the pairing window" \
  'web_open_pairing "$ART/webremote-pair" "$caption"'
link=$(web_read_qr "$ART/webremote-pair-screen.png")
check "zbarimg reads the QR code on the PC's screen ($link)" '[[ "$link" =~ ^${url}#pair=[0-9a-f]{32}$ ]]'
check "the phone opens it and is paired with nothing typed" \
  'browser open "$link" && browser wait-visible "#remote" 10000'
check "the link no longer carries the ticket" 'browser url; [ "$REPLY" = "$url" ]'
idle=$(sed -n 's/^PageNothingPlaying=//p' "$SETTINGS/Langs/en.lng" | tr -d '\r')
check "the remote shows that nothing plays" 'browser wait-text "#track-name" 5000 "$idle"'

read_player
check "Play starts the player" 'browser click "#playpause" && wait_player "[ \"\$P_STATE\" = 1 ]"'
check "the page shows the track" 'browser wait-text "#track-name" 5000 "$P_NAME"'
track=$P_TRACK
check "Next goes to the next track" 'browser click "#next" && wait_player "[ \"\$P_TRACK\" != $track ]"'
volume=$((P_VOLUME - 5))
check "Volume down sets the volume to $volume" 'browser click "#vol-down" && wait_player "[ \"\$P_VOLUME\" = $volume ]"'
check "the page shows the track and volume" 'browser wait-text "#track-name" 5000 "$P_NAME" && browser wait-text "#volume-value" 5000 $volume'

# The hot key's change reaches the open page through the event stream.
track=$P_TRACK
browser watch '#track-name'
xdotool windowfocus --sync "$PLAYER_WIN" 2>/dev/null
pressed=$(date +%s%3N)
xdotool key ctrl+alt+Right
browser changed 5000
read -r changed reloaded title <<<"$REPLY"
[[ "$changed" =~ ^[0-9]+$ ]] && took=$((changed - pressed)) || took=none
wait_player "[ \"\$P_TRACK\" != $track ]"
echo "     hot key to page: $took ms (\"$title\")"
check "Ctrl+Alt+Right changes the title on the page within a second, no reload" \
  '[ "$reloaded" = 0 ] && [ "$title" = "$P_NAME" ] && [ "$took" != none ] && [ "$took" -le 1000 ]'
check "the track's artwork replaces the placeholder" \
  'browser wait-visible "#artwork" 5000 && browser visible "#art-placeholder"; [ "$REPLY" = 0 ]'
browser shot "$ART/web-remote.png"

# Pictures of a view, light and dark and on its side, and axe-core's findings
# on it in both schemes: "light <n>, dark <n>" in REPLY.
look_at() {
  local scheme found=''
  for scheme in light dark; do
    browser view $scheme 390x844 && browser shot "$ART/web-remote-$1-$scheme.png" && browser axe
    found+="$scheme $REPLY, "
  done
  browser view light 844x390 && browser shot "$ART/web-remote-$1-landscape.png"
  browser view light 390x844
  REPLY=${found%, }
}

# Choosing what plays, as a thumb does: the search while the name is typed (an
# older answer that comes late must not replace it), a playlist's third
# track, and the position slider dragged and held still before it is let go.
check "typing \"Night Fer\" in Search (songs) lists the song Night Ferry alone, after an earlier search" \
  'browser click "#tab-search" && browser select "#search-field" songs && browser type "#search-q" Lullaby &&
   sleep 0.3 && browser type "#search-q" "Night Fer" &&
   browser wait-text "#search-results>li>button>.name" 5000 "Night Ferry" && sleep 1.5 &&
   browser text "#search-results"; [[ "$REPLY" =~ ^Night\ Ferry\ [^0-9]*\ [0-9]+:[0-9]{2}$ ]]'
check "a tap on it plays it" \
  'browser click "#search-results>li>button" && wait_player "[ \"\$P_NAME\" = \"Night Ferry\" ] && [ \"\$P_STATE\" = 1 ]"'
look_at search
axe_search=$REPLY
check "Playlists lists Seaside; opened, its third track plays within it" \
  'browser click "#tab-lists" && browser wait-visible "#lists>li" 5000 && browser click-text "#lists>li>button" Seaside &&
   browser wait-visible "#list-tracks>li:nth-child(3)" 5000 &&
   { browser text "#list-tracks>li:nth-child(3)>button>.name"; third=$REPLY; } &&
   browser click "#list-tracks>li:nth-child(3)>button" &&
   wait_player "[ \"\$P_NAME\" = \"$third\" ] && [ \"\$P_PLAYLIST\" = Seaside ]"'
look_at playlist
check "axe-core finds no violation on Search ($axe_search) and a playlist ($REPLY)" \
  '[ "$axe_search; $REPLY" = "light 0, dark 0; light 0, dark 0" ]'
browser click "#tab-now"
browser drag "#seek" 60
read -r let_go held <<<"$REPLY"
check "the slider dragged to 1:00 stays still under the finger ($held, then $let_go)" \
  '[ "${held%.*}" -ge 55 ] && [ "${held%.*}" -le 65 ] && [ "$held" = "$let_go" ]'
check "let go, the player plays from there (55-65 s) and the page's clock goes on from it" \
  'wait_player "[ \"\${P_POSITION:-0}\" -ge 55 ] && [ \"\$P_POSITION\" -le 65 ]" &&
   sleep 1.2 && { browser text "#position"; [[ "$REPLY" =~ ^(0:5[5-9]|1:0[0-9])$ ]]; } && s=$REPLY && sleep 1.5 &&
   { browser text "#position"; [ "$REPLY" != "$s" ]; }'
browser manifest
read -r errors icons name <<<"$REPLY"
check "Chromium reads the manifest: $errors errors, \"$name\", icons $icons" \
  '[ "$errors" = 0 ] && [ "$name" = "Kolibrix remote" ] && [[ ",$icons," == *,192x192,* && ",$icons," == *,512x512,* ]]'

# The same page in the dark, on its side and on narrow phones.
browser view dark 390x844 && browser shot "$ART/web-remote-dark.png"
browser axe
dark=$REPLY
browser view light 390x844 && browser axe
check "axe-core finds no violation on the remote, light ($REPLY) and dark ($dark)" '[ "$REPLY" = 0 ] && [ "$dark" = 0 ]'
browser view light 844x390 && browser shot "$ART/web-remote-landscape.png"
check "on its side (844x390) the transport is on the first screen" \
  'browser box "#playpause"; read -r _ top _ height view <<<"$REPLY"; [ $((top + height)) -le "$view" ]'
# Below 360 px the slider has a row of its own; "Repeat: off" stays on one line.
for width in 360 359 280; do
  browser view light "${width}x700"
  browser box "#volume"
  read -r _ _ slider _ <<<"$REPLY"
  browser box "#repeat"
  read -r _ _ _ repeat _ <<<"$REPLY"
  [ "$width" -lt 360 ] && want=$((width - 40)) || want=100
  check "at $width px the slider is $slider px wide (at least $want), Repeat one line ($repeat px high)" \
    '[ "$slider" -ge "$want" ] && [ "$repeat" -le 52 ]'
done
browser view light 390x844

# The player quits on the PC and comes back: the page follows both.
check "the page says so when the player quits on the PC" \
  'ctl player-quit 10000 >/dev/null; browser wait-visible "#banner" 10000'
check "without the player, Play and \"Start the player\" can be tapped and the volume reads –" \
  '{ browser enabled "#playpause"; [ "$REPLY" = 1 ]; } && { browser enabled "#banner-start"; [ "$REPLY" = 1 ]; } &&
   { browser text "#volume-value"; [ "$REPLY" = "–" ]; }'
wine "$WORK/player/simplayer.exe" >/dev/null 2>&1 &
PLAYER_WIN=$(timeout 30 xdotool search --sync --onlyvisible --name '^simplayer$' 2>/dev/null | head -1)
check "started again on the PC, within 5 s the page leaves \"not running\"" \
  '[ -n "$PLAYER_WIN" ] && browser wait-hidden "#banner" 5000'
check "a tap on Play, then on Next, drives the player that came back" \
  'browser click "#playpause" && wait_player "[ \"\$P_STATE\" = 1 ]" && track=$P_TRACK &&
   browser click "#next" && wait_player "[ \"\$P_TRACK\" != $track ]"'

# The browser's language picks the texts.
ja=$(sed -n 's/^PageActions=//p' "$SETTINGS/Langs/ja.lng" | tr -d '\r')
check "a Japanese browser gets the Japanese page" 'browser relaunch ja && browser wait-text "#actions-title" 10000 "$ja"'
browser shot "$ART/web-remote-ja.png"

# The ticket was for one use: another phone with the same link is not paired.
browser forget
check "a second use of the same link does not pair" \
  'browser open about:blank && browser open "$link" && browser wait-visible "#pair-error" 10000 &&
   { browser visible "#remote"; [ "$REPLY" = 0 ]; }'

# Without a ticket the phone can only ask: the PC shows who asks, and a click
# there opens the pairing window with a code for that device, which OCR reads.
windows() { xdotool search --onlyvisible --classname '^kolibrix\.exe$' 2>/dev/null | sort; }
before=$(windows)
browser axe
check "axe-core finds no violation on the pairing screen ($REPLY)" '[ "$REPLY" = 0 ]'
check "asking the PC for a code makes no code but a notice on the PC" \
  'browser click "#pair-request" && browser wait-visible "#pair-requested" 5000'
check "the page counts down how long the code on the PC is valid" \
  'browser text "#pair-expiry"; [[ "$REPLY" =~ \ (2:00|1:5[0-9])\  ]]'
for i in $(seq 20); do
  notice=$(comm -13 <(echo "$before") <(windows) | head -1)
  [ -n "$notice" ] && break
  sleep 0.5
done
geometry() {
  X='' Y='' WIDTH='' HEIGHT=''
  [ -n "$1" ] && eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
}
geometry "$notice"
check "a click on that notice opens the pairing window for this device" \
  '[ -n "$HEIGHT" ] && xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1 && sleep 1.5 &&
   geometry "$(xdotool search --onlyvisible --name "^$caption\$" | head -1)" && [ -n "$HEIGHT" ]'
import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -resize 200% "$ART/webremote-code.png"
code=$(tesseract "$ART/webremote-code.png" - -l eng 2>/dev/null | grep -o '[0-9]\{3\} [0-9]\{3\}' | head -1 | tr -d ' ')
check "the code it shows for this device ($code) pairs it" \
  'browser type "#pair-code" "$code" && browser click "#pair-submit" && browser wait-visible "#remote" 10000'

echo quit >&"${BROWSER[1]}"
echo "     pictures: $ART/web-remote{,-dark,-landscape,-ja}.png $ART/web-remote-{search,playlist}-{light,dark,landscape}.png"
e2e_finish
