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
  "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-run" "$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 || true
  if [ -z "${DISPLAY:-}" ]; then
    Xvfb :97 -screen 0 1024x768x24 >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:97
    sleep 1
  fi
}

ctl() { wine "$WORK/kxctl.exe" "$@" 2>/dev/null | tr -d '\r'; }

# Through a file, not a pipe: a copy left running would hold the pipe open.
ctl_start() {
  wine "$WORK/kxctl.exe" start "$@" >"$WORK/start.out" 2>/dev/null </dev/null
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
  wait "$APP_PID"
  APP_EXIT=$?
}

e2e_teardown() {
  ctl quit 0 >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  return 0
}
