#!/usr/bin/env bash
# The password dialog of a packed Windows program under Wine: typed text
# that is not the password does nothing, the password opens the main
# window, and closing the dialog ends the program with 0; either way the
# temporary copy and the browser emulation values are gone at the end.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"
. "$(dirname "$0")/../lib/wine.sh"

page locked index.html <<'HTML'
<p>unlocked</p>
HTML
make_app locked "IndexPage=site/index.html" "AppTitle=Locked Win" "AppPassword=Open Sesame"
values="$(printf 'FEATURE_BROWSER_EMULATION REG_DWORD 0x2af9\nFEATURE_GPU_RENDERING REG_DWORD 0x1')"
# The dialog's client area is 313x54; the main window's (800x600 outer,
# sizeable frame) 792x573.
dialog_up() { window_sized "Locked Win" 313x54 > /dev/null; }
main_up() { window_sized "Locked Win" 792x573 > /dev/null; }

"$WINE_RUN" "$SCRATCH/locked.exe" & pid=$!
wait_until 60 dialog_up || fail "no password dialog"
dialog="$(window_sized "Locked Win" 313x54)"
[ "$(visible_windows "Locked Win")" = 1 ] || fail "another window beside the dialog"
[ "$(served_count)" = 0 ] || fail "the site was served before the password"
[ -n "$(new_temp_files "$TEMP_BEFORE")" ] || fail "no temporary copy while the dialog shows"
[ "$(emulation_values locked.exe)" = "$values" ] || fail "emulation values: $(emulation_values locked.exe)"
press_key "$dialog" Return Escape
xdotool type --delay 30 "open sesame"
xdotool type --delay 30 "Open Sesame!"
still_running "$pid" 1.5 || fail "a wrong text ended the program"
dialog_up && ! main_up || fail "a wrong text, Enter or Escape ended the dialog"
xdotool key --clearmodifiers ctrl+a BackSpace
xdotool type --delay 30 "Open Sesame"
wait_until 10 main_up || fail "the password did not open the main window"
[ "$(visible_windows "Locked Win")" = 1 ] || fail "the dialog is still there beside the main window"
wait_until 20 test "$(served_count)" = 1 || fail "the start page was not asked for after unlocking"
pass "Enter, Escape and wrong texts do nothing; the password opens the main window"

close_window "$(window_sized "Locked Win" 792x573)"
ended_clean "$pid" locked.exe
pass "closing the unlocked program ends with 0 and leaves nothing"

"$WINE_RUN" "$SCRATCH/locked.exe" & pid=$!
wait_until 60 dialog_up || fail "no password dialog the second time"
close_window "$(window_sized "Locked Win" 313x54)"
ended_clean "$pid" locked.exe
[ "$(served_count)" = 1 ] || fail "the site was served after the dialog closed"
pass "closing the password dialog ends the program with 0 and leaves nothing"

# The program file carries its own icon, so a damaged packaged "lm-icon" is
# not even read: the password is still asked for.
page brokenicon index.html <<'HTML'
<p>icon</p>
HTML
head -c 3000 /dev/urandom > "$SCRATCH/brokenicon/lm-icon"
make_app brokenicon "IndexPage=site/index.html" "AppTitle=Broken Icon" "AppPassword=Open Sesame"
damage_entry "$SCRATCH/brokenicon.exe" lm-icon
"$WINE_RUN" "$SCRATCH/brokenicon.exe" & pid=$!
wait_until 60 window_sized "Broken Icon" 313x54 > /dev/null || fail "no password dialog with a damaged lm-icon"
close_window "$(window_sized "Broken Icon" 313x54)"
ended_clean "$pid" brokenicon.exe
pass "a damaged lm-icon leaves the password dialog alone"
