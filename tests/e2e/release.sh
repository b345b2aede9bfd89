#!/usr/bin/env bash
# The release archive as a user gets it: its checksum file matches it, every
# program file in it imports system libraries only, and unpacked into a new
# folder and run in a new Wine prefix (no registration, nothing from the
# build) the program comes up with its tray icon and the shipped Wii remote
# library, a hot key drives the player, the shipped decoder draws a PNG cover
# with Windows' decoder off, and it quits with code 0.
# Takes the archive from RELEASE_ZIP, or makes it from the build.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"


zip=${RELEASE_ZIP:-$("$here/../../tools/make-release" "$build" | tail -1)}
check "the archive is there ($zip)" '[ -f "$zip" ]' || true
[ -f "$zip" ] || exit 1
listing=$(unzip -Z1 "$zip")
for f in Kolibrix.exe KolibrixHelp.html Links.ini README.txt LICENSE.txt Kolibrix/Langs/ja.lng \
  Kolibrix/Langs/en.lng Kolibrix/Skins/Default/Skin.ini Kolibrix/Actions/Default/Default.act \
  Kolibrix/Actions/Sample/Sample.dll Kolibrix/Actions/Sample/Sample.act Kolibrix/Libraries/Wiimote.dll \
  Kolibrix/Susie/SusieStb.spi CHANGES.txt; do
  check "the archive holds $f" 'grep -q "^Kolibrix-[0-9.]*/$f$" <<<"$listing"'
done
check "no settings file, test program or build file in it" \
  '! grep -qiE "Option\.ini|kxctl|simplayer|_tests|\.(obj|a|cmake)$|CMake" <<<"$listing"'

sums=$(dirname "$zip")/SHA256SUMS
check "SHA256SUMS beside it names the zip alone and matches it" \
  '[ "$(cut -d" " -f3- "$sums" 2>/dev/null)" = "$(basename "$zip")" ] && (cd "$(dirname "$zip")" && sha256sum --quiet -c SHA256SUMS)'
version=$(basename "$zip" .zip)
version=${version#Kolibrix-}
newest=$(unzip -p "$zip" "Kolibrix-$version/CHANGES.txt" | tr -d '\r' | grep -m1 -E '^[0-9]+\.[0-9]+\.[0-9]+')
check "CHANGES.txt begins with this version ($newest)" '[ "$newest" = "$version" ]'

export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WORK="$build/e2e/release"
rm -rf "$WORK"
mkdir -p "$WORK/user"
export WINEPREFIX="$WORK/prefix"
unzip -q "$zip" -d "$WORK/user"
app=$(ls -d "$WORK"/user/Kolibrix-*/)
# The tools that watch the program sit outside its folder.
cp "$build/kxctl.exe" "$WORK/"
E2E_BUILD=$build

# Read from the import tables: a MinGW runtime DLL or anything else that is not
# on every Windows fails. (Delay-loaded libraries are loaded by the program
# itself, from the system folder only.)
system_dlls="advapi32 bcrypt comctl32 comdlg32 gdi32 hid kernel32 msvcrt mswsock ole32 oleaut32 setupapi shell32
  shlwapi user32 version windowscodecs wininet winmm ws2_32"
binaries=0
while IFS= read -r f; do
  binaries=$((binaries + 1))
  imports=$(i686-w64-mingw32-objdump -p "$f" | sed -n 's/^[[:space:]]*DLL Name: *//p' | tr 'A-Z' 'a-z' | sort -u)
  foreign=$(grep -vx -F -f <(tr -s ' \n' '\n' <<<"$system_dlls" | sed 's/$/.dll/') <<<"$imports" | tr '\n' ' ')
  versions=$(strings -a -el "$f" | grep -c -x -F "$version")
  check "${f#"$app"} imports system libraries only (${foreign:-nothing else}), version resource $versions x $version" \
    '[ -z "$foreign" ] && [ "$(grep -c -x kernel32.dll <<<"$imports")" = 1 ] && [ "$versions" -ge 2 ]'
done < <(find "$app" -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.spi' \))
check "the program and its three libraries were among them ($binaries files)" '[ "$binaries" -ge 4 ]'

# As a user would set it: the Wii remote on; Windows' decoder off, so only the
# shipped decoder can draw the cover; a track notification with its artwork.
printf '[Wiimote]\r\nDisable=0\r\n[Artwork]\r\nUseWIC=0\r\n[Detail]\r\nNotifyObservationState=0\r\n' \
  >"$app/Kolibrix/Option.ini"
printf '[Notify]\r\nNotifyTrack=1\r\nNotifyVolume=0\r\nNotifyPlayerState=0\r\nNotifyTime=20\r\nShowArtwork=1\r\n' \
  >>"$app/Kolibrix/Option.ini"
# The second track's artwork is a PNG of green and magenta halves.
mkdir -p "$WORK/player/artwork"
convert -size 60x120 xc:'#00ff00' \( -size 60x120 xc:'#ff00ff' \) +append +repage PNG24:"$WORK/player/artwork/cover.png"
sed -e '67s|artwork/harbour-lights.bmp|artwork/cover.png|' "$build/iTunes Music Library.xml" >"$WORK/library.xml"
"$here/../../tools/wine-run" "$WINEPREFIX" || { echo "FAIL the new prefix could not be made"; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :96 -screen 0 1024x768x24 >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=:96
  sleep 1
fi

check "the player comes up" 'start_player "$build" "$WORK/library.xml"'
wine "$app/Kolibrix.exe" >/dev/null 2>&1 &
APP_PID=$!
check "Kolibrix comes up from the unpacked folder" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its tray icon window is there" '[ "$(ctl wait-window tavelapp_TrayIcon_EventHandlerWnd 10000)" = 1 ]'
check "its hot keys are registered" wait_hotkeys
# The manager's window exists only once the library loaded with every function.
check "it loaded the shipped Wiimote.dll" '[ "$(ctl wait-window WiimoteServer_EventHandlerWnd 10000)" = 1 ]'
sleep 2
probe
check "which finds no remote (Wine has no HID devices) and tells no error ($COUNT notifications)" '[ "$COUNT" = 0 ]'
read_player
state=$P_STATE
press ctrl+alt+Insert
check "Ctrl+Alt+Insert starts playing" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_STATE\" != \"$state\" ]"'
press ctrl+alt+Right
check "Ctrl+Alt+Right plays the track with the PNG cover" 'wait_player "[ \"\$P_TRACK\" = 203 ]"'
check "a track notification shows" 'wait_windows 1'
sleep 1.2
probe
shot="$WORK/cover-notification.png"
import -window root "$shot"
green=$(colour_pixels "$shot" "$WINDOWS" '#00ff00')
magenta=$(colour_pixels "$shot" "$WINDOWS" '#ff00ff')
check "the shipped decoder drew the cover: $green green and $magenta magenta pixels ($shot)" \
  '[ "$green" -ge 400 ] && [ "$magenta" -ge 400 ]'

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
check "it wrote its settings beside itself" '[ "$(grep -c "^\[" "$app/Kolibrix/Option.ini")" -gt 4 ]'

# The same start without the library tells the error within the time waited above.
rm "$app/Kolibrix/Libraries/Wiimote.dll"
wine "$app/Kolibrix.exe" >/dev/null 2>&1 &
APP_PID=$!
check "without Wiimote.dll Kolibrix comes up" '[ "$(ctl wait-app 20000)" = 1 ] && wait_hotkeys'
sleep 2
probe
check "and tells the missing library in a notification ($COUNT)" '[ "$COUNT" = 1 ]'
ctl quit 0 >/dev/null
wait_app
stop_player
e2e_teardown
[ "$failures" = 0 ]
