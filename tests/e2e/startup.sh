#!/usr/bin/env bash
# The program as a user starts it: one copy per session unless "-f", a first run
# writes Option.ini with every key, and quitting ends with exit code 0.
set -uo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.bash"
e2e_setup "$build" startup


start_app
check "first copy comes up" '[ "$(ctl wait-app 20000)" = 1 ]'

second=$(ctl_start "$APP_WIN" "" 8000)
check "second copy without arguments exits 0 at once ($second)" '[ "$second" = "exit 0" ]'
n=$(ctl count-app)
check "still one copy ($n)" '[ "$n" = 1 ]'

for args in " -F" " /f" " --f" " -f x"; do
  r=$(ctl_start "$APP_WIN" "$args" 8000)
  check "'$args' does not skip the check ($r)" '[ "$r" = "exit 0" ]'
done
n=$(ctl count-app)
check "still one copy after the refused ones ($n)" '[ "$n" = 1 ]'

r=$(ctl_start "$APP_WIN" "   -f   " 3000)
check "'-f' with blanks around it starts another copy ($r)" '[ "$r" = running ]'
ctl wait-app 10000 >/dev/null
n=$(ctl count-app)
check "two copies now ($n)" '[ "$n" = 2 ]'

ctl quit 0 >/dev/null
wait_app
code=$APP_EXIT
check "quit ends the first copy with exit code 0 (got $code)" '[ "$code" = 0 ]'
sleep 1
check "no copy left" '[ "$(ctl count-app)" = 0 ]'
check "Option.ini written at exit" '[ -f "$SETTINGS/Option.ini" ]'
for key in '\[HotKey30\]' '\[IRComKeys26\]' '\[JoyKeys24\]' '\[WiimoteKeys15\]' 'SynchroTime=180' \
           'NotifyTrackText=' 'MouseButton5=0' 'Guid_Data4_7=0' '\[ActionTarget\]'; do
  check "Option.ini holds $key" 'grep -q "$key" "$SETTINGS/Option.ini"'
done
check "no temporary file left" '[ ! -e "$SETTINGS/Option.ini.tmp" ]'
check "no HotKey31 beyond the defaults" '! grep -q "\[HotKey31\]" "$SETTINGS/Option.ini"'

e2e_teardown
[ "$failures" = 0 ]
