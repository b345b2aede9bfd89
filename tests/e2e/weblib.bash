# The web remote's shared steps, for its browser test and its latency
# benchmark; sourced after lib.bash.

# A free port on loopback for the web remote.
web_free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Settings for a run in English with the web remote on 127.0.0.1:$1.
web_settings() {
  printf '[Lang]\r\nId=en\r\n[Detail]\r\nNotifyObservationState=0\r\n[WebRemote]\r\nPort=%s\r\nAddress=127.0.0.1\r\n' "$1" \
    >"$SETTINGS/Option.ini"
}

# Waits until something listens on 127.0.0.1:$1 (20 s at most).
web_wait_listening() {
  local i
  for i in $(seq 40); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.5
  done
  return 1
}

# Kolibrix's visible windows are its notifications: "left top right bottom" each.
notify_rects() {
  local w X Y WIDTH HEIGHT
  for w in $(xdotool search --onlyvisible --classname '^kolibrix\.exe$' 2>/dev/null); do
    X='' Y='' WIDTH='' HEIGHT=''
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    [ -n "$HEIGHT" ] && echo "$X $Y $((X + WIDTH)) $((Y + HEIGHT))"
  done
}

# Prints the 6-digit pairing code that OCR reads from the notification on the
# screen (15 s at most: a loaded machine may show it late or fade it in
# slowly, so the screen is read again until a code is there); the pictures go
# to $1-*.png.
web_read_code() {
  local rects text code end=$((SECONDS + 15))
  while [ "$SECONDS" -lt "$end" ]; do
    rects=$(notify_rects)
    if [ -n "$rects" ]; then
      sleep 1.2 # fading in
      import -window root "$1-screen.png" || return 1
      text=$(ocr_rect "$1-screen.png" "$(bounding_rect <<<"$rects")" "$1-text.png" eng)
      echo "     OCR read: $(tr -s '\n' '|' <<<"$text")" >&2
      code=$(squash <<<"$text" | grep -o '[0-9]\{6\}' | head -1)
      [ -n "$code" ] && { echo "$code"; return 0; }
    fi
    sleep 0.5
  done
  return 1
}
