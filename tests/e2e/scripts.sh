#!/usr/bin/env bash
# Scripts users run against the player, through Wine's own Windows Script Host.
# The sample package's JScript and VBScript entries, bound to hot keys, change
# the player as they say; a script that sleeps holds a later action back until
# it ends; VBScript's For Each and JScript's Enumerator walk every track of the
# library; a failing script shows a message box only when run by hand.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" scripts
started=$(date +%s)

sys32="$WINEPREFIX/drive_c/windows/system32"
missing=$(for f in cscript.exe wscript.exe jscript.dll vbscript.dll scrrun.dll; do [ -f "$sys32/$f" ] || echo "$f"; done)
check "Wine's script host and engines are in the prefix${missing:+ (missing: $(echo $missing))}" '[ -z "$missing" ]'
[ -z "$missing" ] || { e2e_teardown; exit 1; }
# Wine knows .js files but has no command to open them; Windows opens them with
# wscript.exe, as it does .vbs files (which Wine has).
wine reg add 'HKCR\JSFile\Shell\Open\Command' /ve /d '"C:\windows\system32\wscript.exe" "%1" %*' /f >/dev/null 2>&1

# A script that sleeps (Wine's WScript.Sleep is missing, so ping waits instead),
# then leaves a file; and the two counters of the library's tracks.
mkdir -p "$SETTINGS/Actions/Test"
slept=$WORK/slept.txt
cat >"$SETTINGS/Actions/Test/Sleep.js" <<'EOF'
try { WScript.Sleep(4000); } catch (e) { new ActiveXObject("WScript.Shell").Run("ping -n 5 127.0.0.1", 0, true); }
new ActiveXObject("Scripting.FileSystemObject").CreateTextFile(WScript.Arguments.Item(0), true).Close();
EOF
cat >"$WORK/count.vbs" <<'EOF'
n = 0
For Each t In CreateObject("iTunes.Application").LibraryPlaylist.Tracks
  If t.TrackID > 0 Then n = n + 1
Next
WScript.Echo "tracks " & n
EOF
cat >"$WORK/count.js" <<'EOF'
var n = 0, tracks = WScript.CreateObject("iTunes.Application").LibraryPlaylist.Tracks;
for (var e = new Enumerator(tracks); !e.atEnd(); e.moveNext()) if (e.item().TrackID > 0) n++;
WScript.Echo("tracks " + n);
EOF
printf 'Test_Sleep\tRunScript\tSleep.js\t"%s"\r\n' "$(winepath -w "$slept" 2>/dev/null)" >"$SETTINGS/Actions/Test/Test.act"

printf '[Lang]\r\nId=en\r\n[Detail]\r\nNotifyObservationState=0\r\n[Notify]\r\nNotifyTrack=0\r\nNotifyPlayerState=0\r\n' \
  >"$SETTINGS/Option.ini"
n=0
for binding in "PlayPause 45" "NextTrack 39" "Rating_3 51" "SampleRateAlbum 74" "SampleAddToPlaylist 86" "Test_Sleep 83"; do
  read -r action vk <<<"$binding"
  printf '[HotKey%s]\r\nAction=%s\r\nMods=3\r\nVK=%s\r\n' "$n" "$action" "$vk"
  n=$((n + 1))
done >>"$SETTINGS/Option.ini"

check "the player comes up" 'start_player "$build"'
start_app
check "Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'

# Track 203 opens "Harbour Lights" (six tracks of differing ratings).
press ctrl+alt+Insert
check "the first track plays" 'wait_player "[ \"\$P_STATE\" = 1 ]"'
press ctrl+alt+Right
check "Harbour Lights plays" 'wait_player "[ \"\$P_TRACK\" = 203 ]"'
others_before=$(ctl tracks | grep -v -e 'album=Harbour Lights$' -e '^count=')
press ctrl+alt+3
album_rated() { [ "$(ctl tracks | grep -c 'album=Harbour Lights$')" = 6 ] &&
  [ "$(ctl tracks | grep -c 'rating=60 album=Harbour Lights$')" = "${1:-6}" ]; }
for i in $(seq 20); do album_rated 1 && break; sleep 0.3; done
check "Ctrl+Alt+3 rates the playing track 60, its album mates keep theirs" 'album_rated 1'

press ctrl+alt+j
for i in $(seq 30); do album_rated && break; sleep 0.3; done
check "the JScript sample rates all six tracks of the album 60" 'album_rated'
check "tracks of other albums keep their ratings" '[ "$(ctl tracks | grep -v -e "album=Harbour Lights$" -e "^count=")" = "$others_before" ]'

check "there is no playlist \"Kolibrix Picks\" yet" '[ "$(ctl tracks "Kolibrix Picks")" = none ]'
press ctrl+alt+v
for i in $(seq 30); do [ "$(ctl tracks "Kolibrix Picks" | tail -1)" = count=1 ] && break; sleep 0.3; done
check "the VBScript sample makes \"Kolibrix Picks\" holding the playing track" \
  '[ "$(ctl tracks "Kolibrix Picks" | tr "\n" " ")" = "203 rating=60 album=Harbour Lights count=1 " ]'

# RunScript waits for its script, and lock-taking actions wait behind it.
rm -f "$slept"
press ctrl+alt+s
sleep 0.5
press ctrl+alt+Right
sleep 2
read_player
check "while the script sleeps the next-track key waits ($PLAYER_LINE)" '[ ! -f "$slept" ] && [ "$P_TRACK" = 203 ]'
for i in $(seq 40); do [ -f "$slept" ] && break; sleep 0.2; done
check "the script ends" '[ -f "$slept" ]'
check "then the next-track key runs" 'wait_player "[ -n \"\$P_TRACK\" ] && [ \"\$P_TRACK\" != 203 ]"'

# Enumerating the library by hand, as a user's script does.
fixture=$(grep -c $'^\t\t\t<key>Track ID</key>' "$WORK/player/iTunes Music Library.xml")
vbs=$(timeout 30 wine cscript.exe //nologo "$(winepath -w "$WORK/count.vbs")" 2>/dev/null | tr -d '\r')
js=$(timeout 30 wine cscript.exe //nologo "$(winepath -w "$WORK/count.js")" 2>/dev/null | tr -d '\r')
check "VBScript For Each sees every track of the library ($vbs of $fixture)" '[ "$vbs" = "tracks $fixture" ]'
check "JScript Enumerator sees every track of the library ($js of $fixture)" '[ "$js" = "tracks $fixture" ]'

# A failure: by hand a message box says so; run as Kolibrix runs it, nothing shows.
sample=$(winepath -w "$SETTINGS/Actions/Sample/AddToPlaylist.vbs")
timeout 30 wine wscript.exe "$sample" /quiet >/dev/null 2>&1
quiet_exit=$?
check "without a playlist name the script fails quietly with /quiet (exit $quiet_exit)" \
  '[ "$quiet_exit" = 4 ] && [ -z "$(xdotool search --name "^Add to Playlist$" 2>/dev/null)" ]'
timeout 30 wine wscript.exe "$sample" >/dev/null 2>&1 &
by_hand=$!
box=$(timeout 15 xdotool search --sync --name '^Add to Playlist$' 2>/dev/null | head -1)
check "run by hand it says so in a message box" '[ -n "$box" ]'
[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return 2>/dev/null
wait "$by_hand"

echo "     run time $(($(date +%s) - started)) s"
e2e_finish
