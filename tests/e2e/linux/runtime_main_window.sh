#!/usr/bin/env bash
# The main window of a packed site: size, title, Escape, and the page's say
# over closing (appCanClose).
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

# Defaults: 800 x 600, resizable with the 300 x 200 minimum, titled from
# AppTitle; Escape does nothing; a page without appCanClose closes.
page plain index.html <<'HTML'
<!DOCTYPE html><html><body style="background:#dde8f0"><h1>Plain page</h1></body></html>
HTML
make_app plain "IndexPage=site/index.html" "AppTitle=Plain Window"
"$SCRATCH/plain.app" & pid=$!
window="$(wait_window "Plain Window")" || fail "no main window"
sleep 1
screenshot "$SCRATCH/plain.png"
[ "$(size_of "$window")" = 800x600 ] || fail "default size is $(size_of "$window")"
hints "$window" | grep -q "minimum size: 300 by 200" || fail "no 300 x 200 minimum: $(hints "$window")"
hints "$window" | grep -q "maximum size: 32767 by 32767" || fail "a maximum size: $(hints "$window")"
press_key "$window" Escape
still_running "$pid" 1.5 || fail "Escape closed the window without AppEscapeClose"
close_window "$window"
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
pass "default window: 800x600, resizable, titled, Escape ignored, closes without appCanClose"

# AppEscapeClose: Escape inside the page closes the window.
make_app plain "IndexPage=site/index.html" "AppTitle=Plain Window" "AppEscapeClose=1"
"$SCRATCH/plain.app" & pid=$!
window="$(wait_window "Plain Window")" || fail "no main window"
sleep 1
press_key "$window" Escape
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] || fail "Escape with AppEscapeClose: exit code $EXIT_CODE"
pass "AppEscapeClose=1: Escape closes the window"

# appCanClose: the first close request gets ANSWER, the second true. A
# refused request leaves the window open; the second one then closes it.
check_answer() {
  local answer="$1" closes="$2"
  # The picture after the script is asked for once the script has run, so
  # its request in the served log says appCanClose is there to be asked.
  page query index.html <<HTML
<!DOCTYPE html><html><body><h1>Query</h1><script>
var asked = 0;
function appCanClose(x) { if (x !== 0) return true; if (asked++) return true; $answer }
</script><img src="ready.png"></body></html>
HTML
  page query ready.png < /dev/null
  make_app query "IndexPage=site/index.html" "AppTitle=Query Window"
  local served="$SCRATCH/served-$RANDOM"
  mkdir -p "$served"
  LUMORA_SERVED_LOG="$served" "$SCRATCH/query.app" & pid=$!
  window="$(wait_window "Query Window")" || fail "no main window"
  wait_until 30 grep -rqs "ready.png" "$served" || fail "the page of '$answer' never loaded"
  close_window "$window"
  if [ "$closes" = yes ]; then
    wait_exit "$pid" 10
    [ "$EXIT_CODE" = 0 ] || fail "appCanClose '$answer' did not close (exit $EXIT_CODE)"
  else
    still_running "$pid" 2 || fail "appCanClose '$answer' closed the window"
    close_window "$window"
    wait_exit "$pid" 10
    [ "$EXIT_CODE" = 0 ] || fail "appCanClose '$answer': the second request did not close (exit $EXIT_CODE)"
  fi
  pass "appCanClose { $answer } closes: $closes"
}
check_answer "return true;" yes
check_answer "return -1;" yes
check_answer "return 'no';" yes
check_answer "throw new Error('broken');" yes
check_answer "return false;" no
check_answer "return 0;" no
check_answer "return null;" no
check_answer "return;" no
check_answer "return '-1';" yes

# window.close() in the start page closes the main window, through the
# close query: refused once, the page's second request closes it.
page selfclose index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Closing soon</h1><script>
var asked = 0;
function appCanClose() { return asked++ > 0; }
setTimeout(function () { window.close(); }, 1500);
setTimeout(function () { window.close(); }, 4000);
</script></body></html>
HTML
make_app selfclose "IndexPage=site/index.html" "AppTitle=Self Close"
"$SCRATCH/selfclose.app" & pid=$!
wait_window "Self Close" > /dev/null || fail "no main window"
still_running "$pid" 2.5 || fail "the first window.close() was not refused"
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] || fail "window.close() in the start page: exit code $EXIT_CODE"
pass "window.close() in the start page goes through appCanClose and closes the main window"

# A style that does not exist: the box "Style '...' not found" captioned
# with the application title (the program's file name, lower case after
# the first letter), then the window in the native look. The tray icon
# does not get in the way where there is no system tray.
page themed index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Themed</h1></body></html>
HTML
make_app themed "IndexPage=site/index.html" "AppTitle=Main Window" "AppTheme=AQUAGRAPHITE" "UseTrayIcon=1" "AppEscapeClose=1"
cp "$SCRATCH/themed.app" "$SCRATCH/ThemeD.App"
"$SCRATCH/ThemeD.App" & pid=$!
box="$(wait_window Themed)" || fail "no box for an unknown style"
[ "$(xdotool getwindowname "$box")" = Themed ] || fail "box caption $(xdotool getwindowname "$box")"
box_says "$box" "Style 'AQUAGRAPHITE' not found" || fail "box text: $(cat "$SCRATCH/box.txt")"
[ "$(visible_windows "Main Window")" = 0 ] || fail "the main window came before the style box"
press_key "$box" Return
window="$(wait_window "Main Window")" || fail "no main window after the style box"
sleep 1
press_key "$window" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the style box"
pass "an unknown AppTheme shows the not-found box captioned with the application title; the window follows"

# A style that exists, named in another letter case: no box, and the main
# window's caption bar (a header bar drawn in the style) has Carbon's
# caption colour, active or not (no window manager focuses it).
page carbon index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Carbon</h1></body></html>
HTML
make_app carbon "IndexPage=site/index.html" "AppTitle=Carbon Window" "AppTheme=carbon" "AppEscapeClose=1"
"$SCRATCH/carbon.app" & pid=$!
window="$(wait_window "Carbon Window")" || fail "no main window for a known style"
[ "$(visible_windows Carbon)" = 0 ] || fail "a box for a known style"
# The header bar is drawn a moment after the window maps.
carbon_caption() { is_carbon_caption "$(top_pixel "$window")"; }
wait_until 10 carbon_caption || fail "caption colour $(top_pixel "$window"), not Carbon's"
press_key "$window" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE with a style"
pass "AppTheme=carbon selects Carbon: no box, the caption bar in Carbon's colours"

# A termination request (the session ending, kill) ends the program as if
# its window had closed: nothing is left in the temporary folder. (Started
# with the signals at their defaults: a background job of a script has
# SIGINT ignored.)
for signal in TERM INT HUP; do
  env --default-signal "$SCRATCH/plain.app" & pid=$!
  wait_window "Plain Window" > /dev/null || fail "no main window"
  sleep 0.5
  kill -s "$signal" "$pid"
  wait_exit "$pid"
  [ "$EXIT_CODE" = 0 ] || fail "SIG$signal: exit code $EXIT_CODE"
  [ -z "$(temp_files)" ] || fail "SIG$signal left $(temp_files)"
done
pass "SIGTERM, SIGINT and SIGHUP end the program in order, without leftovers"

# A signal the program was started with ignored stays ignored: under nohup
# the end of the terminal's session does not end it.
nohup "$SCRATCH/plain.app" > /dev/null 2>&1 & pid=$!
wait_window "Plain Window" > /dev/null || fail "no main window under nohup"
kill -HUP "$pid"
still_running "$pid" 2 || fail "SIGHUP ended a program started under nohup"
kill -TERM "$pid"
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] && [ -z "$(temp_files)" ] || fail "SIGTERM under nohup: exit code $EXIT_CODE, left $(temp_files)"
pass "under nohup SIGHUP leaves the program running; SIGTERM still ends it"
