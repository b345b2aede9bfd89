# The web remote's shared steps, for its browser test and its latency
# benchmark; sourced after lib.bash.

# A free port on loopback for the web remote.
web_free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Settings for a run in English with the web remote on 127.0.0.1:$1; $2, when
# given, is one more line of [Detail].
web_settings() {
  printf '[Lang]\r\nId=en\r\n[Detail]\r\nNotifyObservationState=0\r\n%s[WebRemote]\r\nPort=%s\r\nAddress=127.0.0.1\r\n' \
    "${2:+$2$'\r\n'}" "$1" >"$SETTINGS/Option.ini"
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

# Chooses "Pair a Phone..." in the tray menu as a user would: the menu opens at
# the pointer (the icon's right click, as the shell reports it), OCR finds the
# item and the pointer clicks it. Waits for the pairing window titled $2 (20 s
# at most); pictures go to $1-*.png.
web_open_pairing() {
  local at
  xdotool mousemove 300 200
  KX_OPTION_PROBE="tray 517" timeout 60 wine "$E2E_BUILD/kolibrix_win_tests.exe" --gtest_also_run_disabled_tests \
    --gtest_filter=OptionSheetProbe.DISABLED_Command >/dev/null 2>&1
  sleep 1.5
  import -window root "$1-menu.png" || return 1
  convert "$1-menu.png" -crop 220x440+295+195 +repage -colorspace Gray -resize 300% "$1-menu-read.png"
  at=$(tesseract "$1-menu-read.png" - -l eng --psm 6 tsv 2>/dev/null |
    awk -F'\t' '$12 ~ /^Pair/ { printf "%d %d", 295 + ($7 + $9 / 2) / 3, 195 + ($8 + $10 / 2) / 3; exit }')
  [ -n "$at" ] || return 1
  xdotool mousemove $at click 1
  timeout 20 xdotool search --sync --onlyvisible --name "^$2\$" >/dev/null 2>&1
}

# Prints the link that zbarimg reads from the QR code on the screen (a
# picture of the whole screen goes to $1).
web_read_qr() {
  sleep 0.5
  import -window root "$1" || return 1
  zbarimg -q --raw "$1" 2>/dev/null | grep -m1 '^http://'
}
# Checks every answer the API gave (folder $2: a "list" of method, path,
# status and content type, and N.body) against the description $1: the path
# and method must be described, the status listed for them, and a JSON body
# valid against the status's schema.
web_check_answers() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import json, re, sys, warnings
warnings.simplefilter("ignore", DeprecationWarning)
from jsonschema import Draft202012Validator
from jsonschema.validators import RefResolver
api = json.load(open(sys.argv[1]))
resolver = RefResolver.from_schema(api)
routes = sorted([(re.compile("^" + re.sub(r"\{[^}]+\}", "[^/]+", p) + "$"), p) for p in api["paths"]], key=lambda r: r[1].count("{"))
bad = 0
# Refusals made before any route (foreign Host, cross-site, size, rate) may
# come on every path, and 404 and 405 where no route or method fits.
before_routes = {"403", "413", "429"}
for n, line in enumerate(open(sys.argv[2] + "/list"), 1):
    method, target, status, ctype = (line.rstrip("\n").split("\t") + [""])[:4]
    if status == "000":
        continue
    path = target.split("?")[0]
    found = [p for rx, p in routes if rx.match(path)]
    op = api["paths"][found[0]].get("get" if method == "HEAD" else method.lower()) if found else None
    if op is None:
        if status in before_routes | {"404", "405"}:
            continue
        print(f"{method} {path}: not described"); bad += 1; continue
    answer = op["responses"].get(status)
    if answer is None:
        if status in before_routes:
            continue
        print(f"{method} {path}: status {status} not described"); bad += 1; continue
    if "$ref" in answer:
        answer = resolver.resolve(answer["$ref"])[1]
    content = answer.get("content", {})
    if ctype == "application/json" and method != "HEAD":
        schema = content.get("application/json", {}).get("schema")
        if schema is None:
            print(f"{method} {path} {status}: a JSON body where none is described"); bad += 1; continue
        body = json.load(open(f"{sys.argv[2]}/{n}.body"))
        errors = list(Draft202012Validator(schema, resolver=resolver).iter_errors(body))
        for e in errors[:3]:
            print(f"{method} {path} {status}: {e.message} at {list(e.absolute_path)}")
        bad += bool(errors)
sys.exit(1 if bad else 0)
PY
}
