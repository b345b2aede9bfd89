# Each script counts its failed checks and fails when there was one.
failures=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }

# Shared by the end-to-end scripts: a copy of the program in a folder of its own
# (so its settings folder is fresh), run in the build's Wine prefix.
e2e_setup() {
  local build=$1 name=$2
  export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  WORK="$build/e2e/$name"
  rm -rf "$WORK"; mkdir -p "$WORK/Kolibrix"
  cp "$build/Kolibrix.exe" "$build/kxctl.exe" "$WORK/"
  cp -r "$build/Kolibrix/." "$WORK/Kolibrix/"
  rm -f "$WORK/Kolibrix/Option.ini"
  SETTINGS="$WORK/Kolibrix"
  APP_WIN=$(winepath -w "$WORK/Kolibrix.exe" 2>/dev/null)
  E2E_BUILD=$build
  # Loudly: a prefix without the font set-up draws notifications nobody can read.
  "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-run" "$WINEPREFIX" || {
    echo "FAIL the Wine prefix $WINEPREFIX could not be prepared" >&2
    exit 1
  }
  if [ -z "${DISPLAY:-}" ]; then
    Xvfb :97 -screen 0 1024x768x24 >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:97
    sleep 1
  fi
}

# Bounded: a control call that hangs fails its check instead of holding the
# script until the test's time-out, and says which call it was.
ctl() {
  timeout 60 wine "$WORK/kxctl.exe" "$@" 2>/dev/null | tr -d '\r'
  [ "${PIPESTATUS[0]}" != 124 ] || echo "kxctl $1 did not end within 60 s" >&2
}

# Through a file, not a pipe: a copy left running would hold the pipe open.
ctl_start() {
  timeout 60 wine "$WORK/kxctl.exe" start "$@" >"$WORK/start.out" 2>/dev/null </dev/null
  tr -d '\r' <"$WORK/start.out"
}

start_app() {
  wine "$WORK/Kolibrix.exe" "$@" >/dev/null 2>&1 &
  APP_PID=$!
}

# Sets APP_EXIT to the program's exit code once it ended (30 s at most);
# not in a subshell, which could not wait for it.
wait_app() {
  local i
  for i in $(seq 300); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  # A program that hangs at exit (or crashed into the debugger) is a failure,
  # not a reason to hang the tests.
  if kill -0 "$APP_PID" 2>/dev/null; then
    echo "the program did not end within 30 s"
    kill "$APP_PID" 2>/dev/null
    wineserver -k 2>/dev/null
  fi
  wait "$APP_PID"
  APP_EXIT=$?
}

# The thread count and the resident memory (kB) of a process ($APP_PID by
# default), read from outside as the system sees it.
e2e_threads() { awk '/^Threads:/ { print $2 }' "/proc/${1:-$APP_PID}/status" 2>/dev/null; }
e2e_rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/${1:-$APP_PID}/status" 2>/dev/null; }

# Drives the program from inside the prefix (see OptionSheetProbe in the
# Windows tests): the open options sheet, or the tray icon's callback.
sheet() {
  KX_OPTION_PROBE="$1" wine "$E2E_BUILD/kolibrix_win_tests.exe" --gtest_also_run_disabled_tests \
    --gtest_filter=OptionSheetProbe.DISABLED_Command 2>/dev/null | tr -d '\r' | sed -n 's/^rect //p'
}

# The tray menu opens where the pointer is (300, 200), as after a right click.
open_tray_menu() {
  xdotool mousemove 300 200
  sheet "tray 517" >/dev/null # WM_RBUTTONUP
  sleep 1.5
}

# Clicks the first English word starting with $1 that OCR reads in the screen
# area $2 (WxH+X+Y), looking again for a few seconds (a menu on a loaded
# machine takes its time); false when none is read.
click_text() {
  local word=$1 area=$2 x0 y0 at="" shot="$WORK/ocr-$1.png" try
  IFS=+ read -r _ x0 y0 <<<"$area"
  for try in 1 2 3 4 5 6; do
    [ "$try" = 1 ] || sleep 0.5
    import -window root "$WORK/ocr-screen.png" 2>/dev/null &&
      convert "$WORK/ocr-screen.png" -crop "$area" +repage -colorspace Gray -resize 300% "$shot" || continue
    at=$(tesseract "$shot" - -l eng --psm 6 tsv 2>/dev/null |
      awk -F'\t' -v w="$word" -v x0="$x0" -v y0="$y0" \
        'index($12, w) == 1 { printf "%d %d", x0 + ($7 + $9 / 2) / 3, y0 + ($8 + $10 / 2) / 3; exit }')
    [ -n "$at" ] && break
  done
  [ -n "$at" ] || return 1
  xdotool mousemove $at click 1
}

e2e_teardown() {
  ctl quit 0 >/dev/null 2>&1 || true
  # Bounded: a process left hanging must not hold the tests.
  timeout 60 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  return 0
}

# The usual end of a script: Kolibrix quits through its own path with exit
# code 0, the player goes, and the script passes when every check did.
e2e_finish() {
  ctl quit 0 >/dev/null
  wait_app
  check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
  stop_player
  e2e_teardown
  echo "$failures failure(s)"
  [ "$failures" = 0 ]
}

# The program's window appears before its controller has built the input
# servers; the hot keys are there once their window is.
wait_hotkeys() { [ "$(ctl wait-window Kolibrix_HotKey_EventHandlerWnd 20000)" = 1 ]; }

# The simulated player, registered and started as a user would, from a folder
# of its own with its library beside it (the build's, or the file $2).
start_player() {
  mkdir -p "$WORK/player"
  cp "$1/simplayer.exe" "$WORK/player/"
  cp "${2:-$1/iTunes Music Library.xml}" "$WORK/player/iTunes Music Library.xml"
  timeout 60 wine "$WORK/player/simplayer.exe" /regserver >/dev/null 2>&1 || return 1
  wine "$WORK/player/simplayer.exe" >/dev/null 2>&1 &
  PLAYER_PID=$!
  PLAYER_WIN=$(timeout 30 xdotool search --sync --onlyvisible --name '^simplayer$' 2>/dev/null | head -1)
  [ -n "$PLAYER_WIN" ]
}

stop_player() {
  ctl player-quit 10000 >/dev/null 2>&1 || true
  timeout 60 wine "$WORK/player/simplayer.exe" /unregserver >/dev/null 2>&1 || true
}

# Sets P_STATE, P_VOLUME, P_TRACK, P_POSITION, P_PLAYLIST and P_NAME from the running player.
read_player() {
  PLAYER_LINE=$(ctl player)
  P_STATE=$(sed -n 's/^state=\([0-9]*\) .*/\1/p' <<<"$PLAYER_LINE")
  P_VOLUME=$(sed -n 's/.* volume=\([0-9]*\) .*/\1/p' <<<"$PLAYER_LINE")
  P_TRACK=$(sed -n 's/.* track=\([0-9]*\) .*/\1/p' <<<"$PLAYER_LINE")
  P_POSITION=$(sed -n 's/.* position=\([0-9]*\) .*/\1/p' <<<"$PLAYER_LINE")
  P_PLAYLIST=$(sed -n 's/.* playlist=\(.*\) name=.*/\1/p' <<<"$PLAYER_LINE")
  P_NAME=$(sed -n 's/.* name=//p' <<<"$PLAYER_LINE")
}

# Reads the player until the condition holds (about 10 s at most).
wait_player() {
  local i
  for i in $(seq 15); do
    read_player
    if eval "$1"; then return 0; fi
    sleep 0.3
  done
  return 1
}

# A real key press. Wine sees keys only while one of its windows has the
# keyboard focus; without a window manager only windowfocus can give it.
press() {
  xdotool windowfocus --sync "$PLAYER_WIN" 2>/dev/null
  xdotool key "$1"
}

# Sets WINDOWS (one "left top right bottom" line per visible notification
# window, bottom first), COUNT and WORKAREA (the work area), read inside Wine
# by class name.
probe() {
  local out
  out=$(timeout 60 wine "$E2E_BUILD/kolibrix_win_tests.exe" --gtest_also_run_disabled_tests \
    --gtest_filter=NotifyWndProbe.DISABLED_ListWindows 2>/dev/null | tr -d '\r')
  WINDOWS=$(sed -n 's/^NotifyWnd //p' <<<"$out" | sort -k4,4nr)
  WORKAREA=$(sed -n 's/^WorkArea //p' <<<"$out")
  COUNT=$(grep -c . <<<"$WINDOWS")
}

# Waits until the number of notification windows is $1 (about 12 s at most).
wait_windows() {
  local i
  for i in $(seq 4); do
    probe
    [ "$COUNT" = "$1" ] && return 0
    sleep 0.5
  done
  return 1
}

# Pixels of the colour $3 (give or take a little) in the rectangle
# "left top right bottom" of the screenshot $1.
colour_pixels() {
  local l t r b
  read -r l t r b <<<"$2"
  convert "$1" -crop "$((r - l))x$((b - t))+$l+$t" +repage -fuzz 6% -fill black +opaque "$3" \
    -fill white -opaque "$3" -colorspace gray -format '%[fx:int(mean*w*h+0.5)]' info:
}

# The rectangle "left top right bottom" around all the rectangles on stdin.
bounding_rect() {
  awk 'NF == 4 { if (n++ == 0) { l = $1; t = $2; r = $3; b = $4 }
                 if ($1 < l) l = $1; if ($2 < t) t = $2; if ($3 > r) r = $3; if ($4 > b) b = $4 }
       END { if (n) print l, t, r, b }'
}

# Prints the text that OCR reads in the rectangle "left top right bottom" of
# a screenshot, in tesseract's language $4 (jpn reads the Latin letters of
# Japanese text too; jpn+eng misreads short Japanese words more often); the
# crop, enlarged (tesseract misreads text as small as a notification's), is
# kept as $3.
ocr_rect() {
  local l t r b
  read -r l t r b <<<"$2"
  convert "$1" -crop "$((r - l))x$((b - t))+$l+$t" +repage -resize 300% "$3" &&
    tesseract "$3" - -l "$4" 2>/dev/null
}

# Text as compared: no white space (OCR puts spaces between Japanese letters
# at will), ASCII letters in lower case, full-width digits, colon and percent
# sign as ASCII.
squash() {
  LC_ALL=C sed -e 's/\xe3\x80\x80//g; s/\xef\xbc\x9a/:/g; s/\xef\xbc\x85/%/g' \
    -e 's/\xef\xbc\x90/0/g; s/\xef\xbc\x91/1/g; s/\xef\xbc\x92/2/g; s/\xef\xbc\x93/3/g; s/\xef\xbc\x94/4/g' \
    -e 's/\xef\xbc\x95/5/g; s/\xef\xbc\x96/6/g; s/\xef\xbc\x97/7/g; s/\xef\xbc\x98/8/g; s/\xef\xbc\x99/9/g' |
    LC_ALL=C tr -d '[:space:]' | LC_ALL=C tr 'A-Z' 'a-z'
}

# Whether the OCR text $1 contains $2, compared as squash does.
reads() { [[ "$(squash <<<"$1")" == *"$(squash <<<"$2")"* ]]; }

# Whether tesseract and its Japanese and English data are there.
have_ocr() {
  local langs
  langs=$(tesseract --list-langs 2>/dev/null) || return 1
  [ "$(grep -c -x -e jpn -e eng <<<"$langs")" = 2 ]
}
