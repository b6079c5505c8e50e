#!/usr/bin/env bash
# The password dialog of a packed program: Enter, Escape and texts that are
# not the password do nothing, the password opens the main window, closing
# the dialog ends the program with 0; either way the temporary copy and the
# browser emulation values are gone at the end. On Linux also the end by a
# termination signal and an emulation value that was there before.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/runtime.sh"

page locked index.html <<'HTML'
<!DOCTYPE html><html><body style="background:#fde"><h1>Unlocked</h1></body></html>
HTML
make_app locked "IndexPage=site/index.html" "AppTitle=Locked Site" "AppPassword=Open Sesame"
program="locked$APP_SUFFIX"
values="$(printf 'FEATURE_BROWSER_EMULATION REG_DWORD 0x2af9\nFEATURE_GPU_RENDERING REG_DWORD 0x1')"
main_up() { window_sized "Locked Site" "$(main_area 800 600)" > /dev/null; }
# The dialog: the one window of that title, and not the main window.
dialog_up() { windows_are "Locked Site" 1 && ! main_up; }
# Under Wine the dialog's client area is 313x54.
dialog_sized() { on linux || window_sized "Locked Site" 313x54 > /dev/null; }
# wrong_text_ignored WHAT: the program goes on showing the dialog alone.
unlocked_or_ended() { gone "$pid" || ! dialog_up; }
wrong_text_ignored() { expect_nothing_for 1.5 unlocked_or_ended || fail "$1 ended the dialog"; }

start_app locked
wait_until 60 dialog_up || fail "no password dialog"
dialog="$(first_window "Locked Site")"
dialog_sized || fail "the dialog's client area is $(size_of "$dialog")"
[ -n "$(left_temp_files)" ] || fail "no temporary archive copy while the dialog shows"
[ "$(emulation_values "$program")" = "$values" ] || fail "emulation values during the run: $(emulation_values "$program")"
on win32 && { [ "$(served_count)" = 0 ] || fail "the site was served before the password"; }
screenshot "$SCRATCH/password.png"
press_key "$dialog" Return Escape
wrong_text_ignored "Enter or Escape"
xdotool type --delay 30 "open sesame"
wrong_text_ignored "the password in the wrong case"
xdotool key --clearmodifiers ctrl+a BackSpace
xdotool type --delay 30 "XOpen Sesame"
wrong_text_ignored "one character too many"
# No Enter: the text itself unlocks once it is the password.
xdotool key --clearmodifiers Home Delete
wait_until 10 main_up || fail "deleting the extra character did not unlock"
[ "$(visible_windows "Locked Site")" = 1 ] || fail "the password dialog is still there beside the main window"
on win32 && { wait_until 20 test "$(served_count)" = 1 || fail "the start page was not asked for after unlocking"; }
pass "password: Enter, Escape, wrong case and extra characters do nothing; the exact text unlocks"
close_window "$(window_sized "Locked Site" "$(main_area 800 600)")"
ended_clean "$pid" "$program"
pass "a normal close removes the temporary copy and the browser emulation values"

# Closing the dialog ends the program with 0, no main window, nothing left.
clear_served
start_app locked
wait_until 60 dialog_up || fail "no password dialog the second time"
close_window "$(first_window "Locked Site")"
ended_clean "$pid" "$program"
on win32 && { [ "$(served_count)" = 0 ] || fail "the site was served after the dialog closed: $(served 1)"; }
pass "closing the password dialog ends the program with 0 and leaves nothing behind"

if on linux; then
  # A termination signal while the dialog shows ends the program the same way.
  start_app locked
  wait_until 60 dialog_up || fail "no password dialog"
  kill -TERM "$pid"
  ended_clean "$pid" "$program"
  pass "SIGTERM while the password dialog shows ends with 0 and leaves nothing behind"

  # An emulation value that was there before stays during the run and goes
  # at exit, whoever wrote it.
  page open index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Open</h1></body></html>
HTML
  make_app open "IndexPage=site/index.html" "AppTitle=Open Site" "AppEscapeClose=1"
  start_app open
  window="$(wait_window "Open Site")" || fail "no main window"
  press_key "$window" Escape
  wait_exit "$pid"
  key='Software\Microsoft\Internet Explorer\Main\FeatureControl\FEATURE_BROWSER_EMULATION'
  fold="$(sqlite3 "$REGISTRY" "SELECT fold FROM keys WHERE path = '$key';")"
  [ -n "$fold" ] || fail "the emulation key was not kept after exit"
  sqlite3 "$REGISTRY" "INSERT INTO vals VALUES('$fold', 'OPEN.APP', 'open.app', 4, X'28230000');"
  start_app open
  window="$(wait_window "Open Site")" || fail "no main window"
  [ "$(emulation_values open.app | head -n 1)" = "FEATURE_BROWSER_EMULATION REG_DWORD 0x2328" ] ||
    fail "an existing value was replaced: $(emulation_values open.app)"
  press_key "$window" Escape
  ended_clean "$pid" open.app
  pass "an existing emulation value stays during the run and is deleted at exit"
fi

# A damaged packaged icon is reported on Linux (under Wine the program
# file carries its own icon, so the entry is not even read); the start goes
# on as without one: the password is still asked for.
page brokenicon index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Icon</h1></body></html>
HTML
head -c 3000 /dev/urandom > "$SCRATCH/brokenicon/lm-icon"
make_app brokenicon "IndexPage=site/index.html" "AppTitle=Broken Icon" "AppPassword=Open Sesame"
damage_entry "$SCRATCH/brokenicon$APP_SUFFIX" lm-icon
start_app brokenicon 2> "$SCRATCH/brokenicon.txt"
wait_until 60 windows_are "Broken Icon" 1 || fail "no password dialog with a damaged lm-icon"
dialog="$(first_window "Broken Icon")"
[ "$(size_of "$dialog")" != "$(main_area 800 600)" ] || fail "the main window came without the password"
on win32 || grep -q "^lm-icon: " "$SCRATCH/brokenicon.txt" || fail "no word about the icon: $(cat "$SCRATCH/brokenicon.txt")"
close_window "$dialog"
ended_clean "$pid" "brokenicon$APP_SUFFIX"
pass "a damaged lm-icon leaves the password dialog alone"
