#!/usr/bin/env bash
# The style on the other windows of a packed program: the password dialog
# and a message box in Carbon's colours with AppTheme=carbon; without
# AppTheme no box and no caption bar of ours.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

# The password dialog.
page locked index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Unlocked</h1></body></html>
HTML
make_app locked "IndexPage=site/index.html" "AppTitle=Locked Site" "AppPassword=Open Sesame" "AppTheme=carbon"
"$SCRATCH/locked.app" & pid=$!
dialog="$(wait_window "Locked Site")" || fail "no password dialog"
caption="$(top_pixel "$dialog")"
is_carbon_caption "$caption" || fail "password dialog caption $caption, not Carbon's"
close_window "$dialog"
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] || fail "closing the styled password dialog: exit code $EXIT_CODE"
pass "the password dialog has Carbon's caption bar"

# A message box: a page whose picture's archive entry is damaged makes the
# runtime report that the file cannot be read.
page damaged index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Damaged</h1><img src="picture.bin"></body></html>
HTML
head -c 4000 /dev/urandom > "$SCRATCH/damaged/site/picture.bin"
make_app damaged "IndexPage=site/index.html" "AppTitle=Damaged Site" "AppTheme=carbon"
damage_entry "$SCRATCH/damaged.app" site/picture.bin
"$SCRATCH/damaged.app" & pid=$!
box="$(wait_window damaged 30)" || fail "no message box for the damaged entry"
caption="$(top_pixel "$box")"
is_carbon_caption "$caption" || fail "message box caption $caption, not Carbon's"
close_window "$box"
wait_until 10 windows_are damaged 0 || fail "the box did not close"
close_window "$(wait_window "Damaged Site")"
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the styled box"
pass "a message box has Carbon's caption bar"

# No AppTheme: no box, and the page begins at the window's top (the window
# manager's frame, none here, instead of a caption bar of ours).
page plain index.html <<'HTML'
<!DOCTYPE html><html><body style="background:#dde8f0;margin:0"><h1 style="margin-top:40px">Plain</h1></body></html>
HTML
make_app plain "IndexPage=site/index.html" "AppTitle=Plain Site"
"$SCRATCH/plain.app" & pid=$!
window="$(wait_window "Plain Site")" || fail "no main window"
wait_until 10 eval '[ "$(top_pixel "$window")" = dde8f0 ]' || fail "top pixel $(top_pixel "$window"), not the page's: a caption bar without a style"
[ "$(visible_windows plain)" = 0 ] || fail "a box without AppTheme"
stop "$pid"
pass "no AppTheme: no box, no caption bar of ours"
