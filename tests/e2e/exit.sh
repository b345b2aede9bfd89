#!/usr/bin/env bash
# Quitting the program the normal way (the quit message the tray menu's Exit
# posts): exit code 0, the end-up action runs, the settings are saved.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" exit


check "the sample plug-in package is in the settings folder" \
  '[ -f "$SETTINGS/Actions/Sample/Sample.dll" ] && [ -f "$SETTINGS/Actions/Sample/Sample.act" ]'

# An action list of its own whose entry the end-up action names.
ended="$WORK/ended.txt"
ended_win=$(winepath -w "$ended" 2>/dev/null)
rm -f "$ended"
mkdir -p "$SETTINGS/Actions/Test"
printf '[test]\r\nWriteEnd\tsample_writefile\t%s\tended\r\n' "$ended_win" >"$SETTINGS/Actions/Test/Test.act"
printf '[Detail]\r\nEndupAction=WriteEnd\r\n' >"$SETTINGS/Option.ini"

start_app
check "the program comes up" '[ "$(ctl wait-app 20000)" = 1 ]'
check "its tray icon window is there" '[ "$(ctl wait-window tavelapp_TrayIcon_EventHandlerWnd 10000)" = 1 ]'
check "nothing ran the end-up action before the end" '[ ! -e "$ended" ]'

n=$(ctl quit 0)
check "the quit message reached it ($n)" '[ "$n" = 1 ]'
wait_app
code=$APP_EXIT
check "it ends with exit code 0 (got $code)" '[ "$code" = 0 ]'
check "its windows are gone" '[ "$(ctl count-app)" = 0 ]'
check "the end-up action ran" '[ -f "$ended" ] && [ "$(tr -d "\r\n" <"$ended")" = ended ]'
check "Option.ini keeps the end-up action" 'grep -q "^EndupAction=WriteEnd" "$SETTINGS/Option.ini"'
for key in '\[HotKey0\]' '\[HotKey30\]' '\[IRComKeys0\]' '\[JoyKeys0\]' '\[WiimoteKeys0\]' '\[Lang\]' \
           '\[Skin\]' '\[ActionTarget\]'; do
  check "Option.ini holds $key" 'grep -q "$key" "$SETTINGS/Option.ini"'
done
check "no temporary file left" '[ ! -e "$SETTINGS/Option.ini.tmp" ]'
# Whether the icon reached the notification area cannot be seen from outside
# under Wine without a tray host; the window that owns it is checked above.
echo "skip the icon in the notification area (not observable from outside)"

e2e_teardown
[ "$failures" = 0 ]
