#!/usr/bin/env bash
# Input under pressure. While the player stays busy, a burst of hot keys keeps
# Kolibrix to a bounded number of threads, and every press either runs once the
# player answers or its drop is told, once; a hot key after the player recovered
# works. Holding a key slides the volume, and the slide stops within one step
# of the key's release. A running script holds later actions back without a
# thread each, and quitting does not wait for it.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" pressure

max_threads=16
presses=60

# One step of 1 on Ctrl+Alt+Down, so every press that ran shows in the volume;
# Ctrl+Alt+Up puts the volume back to 100; Ctrl+Alt+Home runs a program that
# ends by itself after 20 s (kxctl holding a key nobody presses).
mkdir -p "$SETTINGS/Actions/Pressure"
printf 'Volume_Down1\tVolume\t-1\r\nVolume_Full\tVolume\t=100\r\nSlow_Script\tRunScript\t%s\thold-hotkey 0 135 20000\r\n' \
  "$(winepath -w "$WORK/kxctl.exe" 2>/dev/null)" >"$SETTINGS/Actions/Pressure/pressure.act"
for binding in "0 Volume_Down1 40" "1 Volume_Full 38" "2 Slow_Script 36"; do
  read -r n action vk <<<"$binding"
  printf '[HotKey%s]\r\nAction=%s\r\nMods=3\r\nVK=%s\r\n' "$n" "$action" "$vk"
done >"$SETTINGS/Option.ini"

check "the player comes up" 'start_player "$build"'
# The program's debug lines tell a dropped input from outside.
WINEDEBUG=-all,+debugstr wine "$WORK/Kolibrix.exe" >/dev/null 2>"$WORK/debug.log" &
APP_PID=$!
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its hot keys are registered" wait_hotkeys
check "pid $APP_PID is the Wine process of Kolibrix.exe" \
  '[[ "$(tr "\0" " " <"/proc/$APP_PID/cmdline" 2>/dev/null)" == *Kolibrix.exe* ]]'
read_player
v0=$P_VOLUME
idle_threads=$(e2e_threads)
echo "     idle: $idle_threads threads, $(e2e_rss_kb) kB resident, volume $v0"

# Threads sampled from outside, five times a second, until told to stop.
sample_threads() {
  while [ ! -e "$WORK/stop-threads" ]; do
    e2e_threads
    sleep 0.2
  done >"$WORK/threads"
}
rm -f "$WORK/stop-threads"
sample_threads &
sampler=$!

xdotool windowfocus --sync "$PLAYER_WIN" 2>/dev/null
check "the player is busy for 8 s" '[ "$(ctl sim busy 8000)" = ok ]'
burst_start=$(date +%s%N)
# One xdotool for all of them: 30 ms a press, each key let go in between.
mapfile -t keys < <(yes ctrl+alt+Down | head -n "$presses")
xdotool key --delay 30 "${keys[@]}"
echo "     $presses presses in $((($(date +%s%N) - burst_start) / 1000000)) ms"
during=$(sort -n "$WORK/threads" | tail -1)

# Settled: the player answers again and the volume stays put for 2 s.
last="" same=0
for i in $(seq 60); do
  read_player
  if [ -n "$P_VOLUME" ] && [ "$P_VOLUME" = "$last" ]; then
    same=$((same + 1))
    [ "$same" -ge 4 ] && break
  else
    same=0
  fi
  last=$P_VOLUME
  sleep 0.5
done
touch "$WORK/stop-threads"
wait "$sampler"
peak=$(sort -n "$WORK/threads" | tail -1)
after=$(e2e_threads)
ran=$((v0 - P_VOLUME))
full=$(grep -c "action queue full" "$WORK/debug.log")
echo "     threads: $idle_threads idle, $during at most during the burst, $peak at most until settled, $after after"
echo "     $ran of $presses presses ran; the full queue was told $full times; $(e2e_rss_kb) kB resident"
check "at most $max_threads threads throughout (peak $peak)" '[ "$peak" -le "$max_threads" ]'
check "the queue's overflow is told once at most ($full)" '[ "$full" -le 1 ]'
# The first press may run out of patience with the busy player (it tells so).
check "every press ran, or the drop was told ($ran ran)" '[ "$ran" -ge $((presses - 2)) ] || [ "$full" = 1 ]'
check "presses that waited ran once the player answered ($ran ran)" '[ "$ran" -ge 20 ]'

sleep 5
before=$P_VOLUME
press ctrl+alt+Down
check "a hot key 5 s after the player recovered works" 'wait_player "[ \"\$P_VOLUME\" = $((before - 1)) ]"'

press ctrl+alt+Up
check "Ctrl+Alt+Up puts the volume back to 100" 'wait_player "[ \"\$P_VOLUME\" = 100 ]"'

# A held key, with the volume read from outside all along: "start end volume".
sample_volume() {
  local s v
  while [ ! -e "$WORK/stop-volume" ]; do
    s=$(date +%s%N)
    v=$(ctl player | sed -n 's/.* volume=\([0-9]*\) .*/\1/p')
    echo "$s $(date +%s%N) $v"
  done >"$WORK/volume"
}
rm -f "$WORK/stop-volume"
sample_volume &
sampler=$!
xdotool windowfocus --sync "$PLAYER_WIN" 2>/dev/null
xdotool keydown ctrl+alt+Down
sleep 3
xdotool keyup Down
released=$(date +%s%N)
xdotool keyup alt ctrl
sleep 3
touch "$WORK/stop-volume"
wait "$sampler"
read_player
final=$P_VOLUME
# The first reading that began after the release shows at most the volume then.
after_release=$(awk -v t="$released" '$1 > t && $3 != "" { print $3; exit }' "$WORK/volume")
while_held=$(awk -v t="$released" '$2 < t && $3 != "" { v = $3 } END { print v }' "$WORK/volume")
echo "     held 3 s: volume $while_held before the release, $after_release just after, $final at the end"
check "holding the key slides the volume while held ($while_held)" '[ -n "$while_held" ] && [ "$while_held" -le 95 ]'
check "the slide stops within one step of the release ($after_release then $final)" \
  '[ -n "$after_release" ] && [ $((after_release - final)) -le 1 ]'

# While the script runs, later actions wait for it, in the queue: no thread
# each, and quitting does not wait for the script.
press ctrl+alt+Home
sleep 2
read_player
before=$P_VOLUME
xdotool key --delay 100 "${keys[@]:0:20}"
sleep 2
read_player
check "actions wait while the script runs ($before, then $P_VOLUME)" '[ "$P_VOLUME" = "$before" ]'
check "what waits takes no thread ($(e2e_threads))" '[ "$(e2e_threads)" -le "$max_threads" ]'
quit_start=$(date +%s)
ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 in $(($(date +%s) - quit_start)) s (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
stop_player
e2e_teardown
[ "$failures" = 0 ]
