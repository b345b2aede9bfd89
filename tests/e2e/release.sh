#!/usr/bin/env bash
# The release archive as a user gets it: unpacked into a new folder and run in a
# new Wine prefix (no registration, nothing from the build), the program comes
# up with its tray icon, a hot key drives the player, and it quits with code 0.
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
  Kolibrix/Actions/Sample/Sample.dll Kolibrix/Actions/Sample/Sample.act; do
  check "the archive holds $f" 'grep -q "^Kolibrix-[0-9.]*/$f$" <<<"$listing"'
done
check "no settings file, test program or build file in it" \
  '! grep -qiE "Option\.ini|kxctl|simplayer|_tests|\.(obj|a|cmake)$|CMake" <<<"$listing"'

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
"$here/../../tools/wine-run" "$WINEPREFIX" || { echo "FAIL the new prefix could not be made"; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :96 -screen 0 1024x768x24 >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=:96
  sleep 1
fi

check "the player comes up" 'start_player "$build"'
wine "$app/Kolibrix.exe" >/dev/null 2>&1 &
APP_PID=$!
check "Kolibrix comes up from the unpacked folder" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its tray icon window is there" '[ "$(ctl wait-window tavelapp_TrayIcon_EventHandlerWnd 10000)" = 1 ]'
check "its hot keys are registered" wait_hotkeys
read_player
state=$P_STATE
press ctrl+alt+Insert
check "Ctrl+Alt+Insert starts playing" 'wait_player "[ \"\$P_STATE\" = 1 ] && [ \"\$P_STATE\" != \"$state\" ]"'

ctl quit 0 >/dev/null
wait_app
check "Kolibrix quits with exit code 0 (got $APP_EXIT)" '[ "$APP_EXIT" = 0 ]'
check "it wrote its settings beside itself" '[ -f "$app/Kolibrix/Option.ini" ]'
stop_player
e2e_teardown
[ "$failures" = 0 ]
