#!/usr/bin/env bash
# The password lock, the browser emulation values and the process's exit.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

page locked index.html <<'HTML'
<!DOCTYPE html><html><body style="background:#fde"><h1>Unlocked</h1></body></html>
HTML
make_app locked "IndexPage=site/index.html" "AppTitle=Locked Site" "AppPassword=Open Sesame"

# Wrong texts do nothing; the exact password unlocks half a second later.
"$SCRATCH/locked.app" & pid=$!
dialog="$(wait_window "Locked Site")" || fail "no password dialog"
[ "$(size_of "$dialog")" != 800x600 ] || fail "the main window came before the password"
[ "$(feature_values locked.app)" = "$(printf '4:F92A0000\n4:01000000')" ] ||
  fail "browser emulation values during the run: $(feature_values locked.app)"
screenshot "$SCRATCH/password.png"
press_key "$dialog" Return Escape
sleep 0.5
kill -0 "$pid" 2>/dev/null && [ "$(visible_windows "Locked Site")" = 1 ] || fail "Enter or Escape ended the dialog"
press_key "$dialog" o p e n space s e s a m e
sleep 1.5
[ "$(visible_windows "Locked Site")" = 1 ] && [ "$(size_of "$dialog")" != 800x600 ] ||
  fail "the password in the wrong case unlocked"
xdotool key --clearmodifiers ctrl+a BackSpace
xdotool type --delay 30 "XOpen Sesame"
sleep 1.5
[ "$(size_of "$(xdotool search --onlyvisible --name '^Locked Site$' | head -n 1)")" != 800x600 ] ||
  fail "one character too many unlocked"
xdotool key --clearmodifiers Home Delete
wait_until 5 window_sized "Locked Site" 800x600 > /dev/null || fail "deleting the extra character did not unlock"
main="$(window_sized "Locked Site" 800x600)"
[ "$(visible_windows "Locked Site")" = 1 ] || fail "the password dialog is still there"
pass "password: Enter, Escape, wrong case and extra characters do nothing; the exact text unlocks"
close_window "$main"
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code after unlocking $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
[ -z "$(feature_values locked.app)" ] || fail "browser emulation values left: $(feature_values locked.app)"
pass "a normal close removes the temporary copy and the browser emulation values"

# Closing the dialog ends the program with 0, no main window, nothing left.
"$SCRATCH/locked.app" & pid=$!
dialog="$(wait_window "Locked Site")" || fail "no password dialog"
[ -n "$(temp_files)" ] || fail "no temporary archive copy while the dialog shows"
close_window "$dialog"
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] || fail "closing the dialog: exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "closing the dialog left $(temp_files)"
[ -z "$(feature_values locked.app)" ] || fail "closing the dialog left the emulation values"
pass "closing the password dialog ends the program with 0 and leaves nothing behind"

# A termination signal while the dialog shows ends the program the same way.
"$SCRATCH/locked.app" & pid=$!
wait_window "Locked Site" > /dev/null || fail "no password dialog"
kill -TERM "$pid"
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] && [ -z "$(temp_files)" ] && [ -z "$(feature_values locked.app)" ] ||
  fail "SIGTERM in the password dialog: exit code $EXIT_CODE, left '$(temp_files)' '$(feature_values locked.app)'"
pass "SIGTERM while the password dialog shows ends with 0 and leaves nothing behind"

# An emulation value that was there before stays during the run and goes
# at exit, whoever wrote it.
page open index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Open</h1></body></html>
HTML
make_app open "IndexPage=site/index.html" "AppTitle=Open Site" "AppEscapeClose=1"
"$SCRATCH/open.app" & pid=$!
window="$(wait_window "Open Site")" || fail "no main window"
press_key "$window" Escape
wait_exit "$pid"
key='Software\Microsoft\Internet Explorer\Main\FeatureControl\FEATURE_BROWSER_EMULATION'
fold="$(sqlite3 "$REGISTRY" "SELECT fold FROM keys WHERE path = '$key';")"
[ -n "$fold" ] || fail "the emulation key was not kept after exit"
sqlite3 "$REGISTRY" "INSERT INTO vals VALUES('$fold', 'OPEN.APP', 'open.app', 4, X'28230000');"
"$SCRATCH/open.app" & pid=$!
window="$(wait_window "Open Site")" || fail "no main window"
[ "$(feature_values open.app | head -n 1)" = "4:28230000" ] || fail "an existing value was replaced: $(feature_values open.app)"
press_key "$window" Escape
wait_exit "$pid"
[ -z "$(feature_values open.app)" ] || fail "an existing value stayed after exit"
pass "an existing emulation value stays during the run and is deleted at exit"

# A damaged packaged icon is reported, and the start goes on as without one:
# the password is still asked for.
page brokenicon index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Icon</h1></body></html>
HTML
head -c 3000 /dev/urandom > "$SCRATCH/brokenicon/lm-icon"
make_app brokenicon "IndexPage=site/index.html" "AppTitle=Broken Icon" "AppPassword=Open Sesame"
damage_entry "$SCRATCH/brokenicon.app" lm-icon
"$SCRATCH/brokenicon.app" 2> "$SCRATCH/brokenicon.txt" & pid=$!
dialog="$(wait_window "Broken Icon")" || fail "no password dialog with a damaged lm-icon"
[ "$(size_of "$dialog")" != 800x600 ] || fail "the main window came without the password"
grep -q "^lm-icon: " "$SCRATCH/brokenicon.txt" || fail "no word about the icon: $(cat "$SCRATCH/brokenicon.txt")"
close_window "$dialog"
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] || fail "closing the dialog after a damaged icon: exit code $EXIT_CODE"
pass "a damaged lm-icon is reported and the password is still asked for"
