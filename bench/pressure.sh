#!/usr/bin/env bash
# Resident memory and threads of Kolibrix, in one run under Wine and Xvfb with
# the simulated player:
#  - at idle with the player observed, beside a minimal program that keeps one
#    hot key and one player connection (minimal_resident.exe), and their ratio;
#  - during and after a burst: the player busy for 8 s while 60 volume-down
#    hot keys (Ctrl+Alt+Down) arrive within 3 s.
# It prints figures and fails only when something could not be measured.
#
#   bash bench/pressure.sh build/win      (DISPLAY set, or an Xvfb of its own)
set -uo pipefail
build=$(cd "${1:?usage: pressure.sh <build dir>}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib.bash"
settle=${SETTLE_SECONDS:-8}
# Idle: after start-up's work, once the pool's idle workers have retired (30 s).
idle=${IDLE_SECONDS:-35}
late=${LATE_SECONDS:-30}

# The Linux process that runs a Windows program of this run: wine gives it the
# program's path as its command line, and only a Windows process maps kernel32.
wine_pid() {
  local pid
  for pid in $(pgrep -f "$WORK/$1" 2>/dev/null); do
    grep -q -i 'kernel32.dll' "/proc/$pid/maps" 2>/dev/null && { echo "$pid"; return 0; }
  done
  return 1
}
wait_pid() {
  local pid
  for _ in $(seq 100); do
    pid=$(wine_pid "$1") && { echo "$pid"; return 0; }
    sleep 0.2
  done
  return 1
}
mb() { awk -v k="$1" 'BEGIN { printf "%.1f MB", k / 1024 }'; }
fail() {
  echo "pressure: $1" >&2
  e2e_teardown
  exit 1
}

e2e_setup "$build" pressure
cp "$build/minimal_resident.exe" "$WORK/"
start_player "$build" || fail "the simulated player did not come up"

# The floor.
wine "$WORK/minimal_resident.exe" >/dev/null 2>&1 &
[ "$(ctl wait-window MinimalResident 20000)" = 1 ] || fail "minimal_resident.exe did not come up"
minimal=$(wait_pid minimal_resident.exe) || fail "no process for minimal_resident.exe"
sleep "$settle"
minimal_rss=$(e2e_rss_kb "$minimal") minimal_threads=$(e2e_threads "$minimal")
kill "$minimal" 2>/dev/null

# Kolibrix at idle, observing the player.
start_app
[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys || fail "Kolibrix did not come up"
app=$(wait_pid Kolibrix.exe) || fail "no process for Kolibrix.exe"
sleep "$idle"
idle_rss=$(e2e_rss_kb "$app") idle_threads=$(e2e_threads "$app")

# The burst: the player rejects every call for 8 s while the keys arrive.
sample() {
  local peak_rss=0 peak_threads=0 r t
  for _ in $(seq "$1"); do
    r=$(e2e_rss_kb "$app") t=$(e2e_threads "$app")
    [ -n "$r" ] && [ "$r" -gt "$peak_rss" ] && peak_rss=$r
    [ -n "$t" ] && [ "$t" -gt "$peak_threads" ] && peak_threads=$t
    sleep 0.1
  done
  echo "$peak_rss $peak_threads"
}
[ "$(ctl sim busy 8000)" = ok ] || fail "the player could not be made busy"
sample 80 >"$WORK/burst.peak" &
sampler=$!
xdotool windowfocus --sync "$PLAYER_WIN" 2>/dev/null
keys=()
for _ in $(seq 60); do keys+=(ctrl+alt+Down); done
burst_start=$(date +%s.%N)
# The delay is per key event, three of them to a combination: 60 in about 3 s.
xdotool key --delay 16 "${keys[@]}"
burst_end=$(date +%s.%N)
wait "$sampler"
read -r burst_rss burst_threads <"$WORK/burst.peak"
busy_end_rss=$(e2e_rss_kb "$app") busy_end_threads=$(e2e_threads "$app")
sleep "$settle"
after_rss=$(e2e_rss_kb "$app") after_threads=$(e2e_threads "$app")
sleep $((late - settle))
late_rss=$(e2e_rss_kb "$app") late_threads=$(e2e_threads "$app")
read_player

printf 'minimal program   %-9s %3s threads\n' "$(mb "$minimal_rss")" "$minimal_threads"
printf 'Kolibrix idle     %-9s %3s threads   ratio %s\n' "$(mb "$idle_rss")" "$idle_threads" \
  "$(awk -v a="$idle_rss" -v b="$minimal_rss" 'BEGIN { printf "%.2fx", a / b }')"
printf 'burst: 60 keys in %.1f s, player busy 8 s\n' "$(awk -v a="$burst_start" -v b="$burst_end" 'BEGIN { print b - a }')"
printf '  peak during     %-9s %3s threads\n' "$(mb "$burst_rss")" "$burst_threads"
printf '  busy over       %-9s %3s threads\n' "$(mb "$busy_end_rss")" "$busy_end_threads"
printf '  %2d s later      %-9s %3s threads\n' "$settle" "$(mb "$after_rss")" "$after_threads"
printf '  %2d s later      %-9s %3s threads\n' "$late" "$(mb "$late_rss")" "$late_threads"
echo "player afterwards: $PLAYER_LINE"

ctl quit 0 >/dev/null
wait_app
stop_player
e2e_teardown
