#!/usr/bin/env bash
# The main window of a packed site: size, frame, title, Escape, closing
# (exit 0, nothing left); on Linux the page's say over closing
# (appCanClose) and the termination signals;
# under Wine the frame, limits and states Wine hands the window manager,
# the start page as the site's protocol served it, and an error raised in
# a browser event handler.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/runtime.sh"
log_served

# A page that asks for ready.png once its script has run. Wine shows no
# page, so there the start page's request is all a test can wait for.
page_ready() {
  if on linux; then was_served ready.png; else was_served index.html; fi
}
wait_page() { wait_until 30 page_ready || fail "the page of $1 never loaded"; }
page plain index.html <<'HTML'
<!DOCTYPE html><html><body style="background:#dde8f0"><h1>Plain page</h1><img src="ready.png"></body></html>
HTML
page plain ready.png < /dev/null

# Defaults: 800 x 600, resizable (on Linux with the 300 x 200 minimum, under
# Wine the sizeable frame), titled from AppTitle; Escape does nothing; a page
# without appCanClose closes.
make_app plain "IndexPage=site/index.html" "AppTitle=Plain Window"
clear_served
start_app plain
window="$(wait_window "Plain Window")" || fail "no main window"
wait_page "the default window"
screenshot "$SCRATCH/plain.png"
[ "$(size_of "$window")" = "$(main_area 800 600)" ] || fail "default size gave $(size_of "$window")"
if on linux; then
  hints "$window" | grep -q "minimum size: 300 by 200" || fail "no 300 x 200 minimum: $(hints "$window")"
  hints "$window" | grep -q "maximum size: 32767 by 32767" || fail "a maximum size: $(hints "$window")"
else
  # Resizing, moving, minimising, maximising, closing; border, resize
  # handles, title, menu, minimise and maximise buttons.
  [ "$(motif_hints "$window")" = "0x3, 0x3e, 0x7e, 0x0, 0x0" ] || fail "sizeable frame: $(motif_hints "$window")"
fi
press_key "$window" Escape
still_running "$pid" 1.5 || fail "Escape closed the window without AppEscapeClose"
close_window "$window"
ended_clean "$pid" "plain$APP_SUFFIX"
pass "default window: 800x600, resizable, titled, Escape ignored, closes without appCanClose"

if on win32; then
  page main index.html <<'HTML'
<p>head <!--template:part.html--></p>
HTML
  printf 'PART' > "$SCRATCH/main/site/part.html"
  make_app main "IndexPage=site/index.html" "RootDirName=site" "AppTitle=Lumora Win Main" \
    "AppWindowWidth=700" "AppWindowHeight=500" "AppWindowOrder=1"
  clear_served
  start_app main
  main="$(wait_window "Lumora Win Main")" || fail "no main window"
  [ "$(size_of "$main")" = "$(main_area 700 500)" ] || fail "outer size 700x500 gave the client area $(size_of "$main")"
  net_state "$main" | grep -qx _NET_WM_STATE_ABOVE || fail "not kept on top: $(net_state "$main")"
  [ "$(visible_windows "Lumora Win Main")" = 1 ] || fail "$(visible_windows "Lumora Win Main") windows"
  pass "the main window shows with its title, outer size and on top"

  wait_until 20 test "$(served_count)" -ge 1 || fail "the start page was never asked for"
  [ "$(served 1)" = "//site/index.html|<p>head PART</p>|" ] || fail "served: $(served 1)"
  [ "$(emulation_values main.exe)" = "$(printf 'FEATURE_BROWSER_EMULATION REG_DWORD 0x2af9\nFEATURE_GPU_RENDERING REG_DWORD 0x1')" ] ||
    fail "emulation values during the run: $(emulation_values main.exe)"
  close_window "$main"
  ended_clean "$pid" main.exe
  [ "$(served_count)" = 1 ] || fail "$(served_count) requests for one page"
  pass "the control asks the site's protocol for the start page once, served with its template expanded"
fi

# AppEscapeClose: Escape inside the page closes the window. Under Wine the
# same window has no border, and its sizes are kept inside the limits.
mkdir -p "$SCRATCH/escape" && cp -r "$SCRATCH/plain/site" "$SCRATCH/escape/"
if on linux; then
  make_app escape "IndexPage=site/index.html" "AppTitle=Escape Window" "AppEscapeClose=1"
else
  make_app escape "IndexPage=site/index.html" "AppTitle=Escape Window" "AppBorderStyle=0" \
    "AppWindowWidth=300" "AppWindowHeight=500" "AppWindowMinWidth=400" "AppWindowMaxHeight=350" "AppEscapeClose=1"
fi
clear_served
start_app escape
window="$(wait_window "Escape Window")" || fail "no main window"
wait_page "AppEscapeClose"
if on win32; then
  [ "$(size_of "$window")" = 400x350 ] || fail "300x500 within the limits gave $(size_of "$window")"
  [ "$(motif_hints "$window" | cut -d, -f3 | tr -d ' ')" = 0x0 ] || fail "decorations: $(motif_hints "$window")"
  net_state "$window" | grep -qx _NET_WM_STATE_ABOVE && fail "on top without AppWindowOrder"
  pass "border style 0: no decorations, the outer size kept inside the limits"
fi
press_key "$window" Escape
ended_clean "$pid" "escape$APP_SUFFIX"
pass "AppEscapeClose=1: Escape closes the window"

if on linux; then
  # appCanClose: the first close request gets ANSWER, the second true. A
  # refused request leaves the window open; the second one then closes it.
  check_answer() {
    local answer="$1" closes="$2"
    page query index.html <<HTML
<!DOCTYPE html><html><body><h1>Query</h1><script>
var asked = 0;
function appCanClose(x) { if (x !== 0) return true; if (asked++) return true; $answer }
</script><img src="ready.png"></body></html>
HTML
    page query ready.png < /dev/null
    make_app query "IndexPage=site/index.html" "AppTitle=Query Window"
    clear_served
    start_app query
    window="$(wait_window "Query Window")" || fail "no main window"
    wait_page "'$answer'"
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
  while IFS='|' read -r -u 3 answer closes; do
    check_answer "$answer" "$closes"
  done 3<<'CASES'
return true;|yes
return -1;|yes
return 'no';|yes
throw new Error('broken');|yes
return false;|no
return 0;|no
return null;|no
return;|no
return '-1';|yes
CASES

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
  start_app selfclose
  wait_window "Self Close" > /dev/null || fail "no main window"
  still_running "$pid" 2.5 || fail "the first window.close() was not refused"
  wait_exit "$pid" 10
  [ "$EXIT_CODE" = 0 ] || fail "window.close() in the start page: exit code $EXIT_CODE"
  pass "window.close() in the start page goes through appCanClose and closes the main window"

  # A termination request (the session ending, kill) ends the program as if
  # its window had closed: nothing is left in the temporary folder. (Started
  # with the signals at their defaults: a background job of a script has
  # SIGINT ignored.)
  for signal in TERM INT HUP; do
    clear_served
    env --default-signal "$SCRATCH/plain.app" & pid=$!
    wait_window "Plain Window" > /dev/null || fail "no main window"
    wait_page "SIG$signal"
    kill -s "$signal" "$pid"
    wait_exit "$pid"
    [ "$EXIT_CODE" = 0 ] || fail "SIG$signal: exit code $EXIT_CODE"
    [ -z "$(left_temp_files)" ] || fail "SIG$signal left $(left_temp_files)"
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
  [ "$EXIT_CODE" = 0 ] && [ -z "$(left_temp_files)" ] || fail "SIGTERM under nohup: exit code $EXIT_CODE, left $(left_temp_files)"
  pass "under nohup SIGHUP leaves the program running; SIGTERM still ends it"
fi

if on win32; then
  # AppWindowStyle 1: maximised without a border, so over the whole screen.
  mkdir -p "$SCRATCH/full" && cp -r "$SCRATCH/main/site" "$SCRATCH/full/"
  make_app full "IndexPage=site/index.html" "AppTitle=Lumora Win Full" "AppWindowStyle=1"
  start_app full
  full="$(wait_window "Lumora Win Full")" || fail "no window for AppWindowStyle 1"
  # Wine marks a borderless window that covers the whole screen as full
  # screen for the window manager (and leaves the resizing of its X window
  # to it, which Xvfb has none of).
  full_screen() { net_state "$full" | grep -qx _NET_WM_STATE_FULLSCREEN; }
  wait_until 10 full_screen || fail "AppWindowStyle 1 does not cover the screen: $(net_state "$full")"
  [ "$(motif_hints "$full" | cut -d, -f3 | tr -d ' ')" = 0x0 ] || fail "decorations: $(motif_hints "$full")"
  close_window "$full"
  wait_exit "$pid" 30
  [ "$EXIT_CODE" = 0 ] || fail "AppWindowStyle 1: exit code $EXIT_CODE"
  pass "AppWindowStyle 1 shows the window maximised without a border"

  # Started maximised (the start command's /max): the main window shows
  # maximised; the close request ends the program with 0 all the same.
  start_program start /wait /max /unix "$SCRATCH/main.exe"
  main="$(wait_window "Lumora Win Main")" || fail "no main window when started maximised"
  maximised() { net_state "$main" | grep -qx _NET_WM_STATE_MAXIMIZED_VERT; }
  wait_until 10 maximised || fail "not maximised: $(net_state "$main")"
  net_state "$main" | grep -qx _NET_WM_STATE_MAXIMIZED_HORZ || fail "not maximised across: $(net_state "$main")"
  close_window "$main"
  wait_exit "$pid" 30
  [ "$EXIT_CODE" = 0 ] || fail "started maximised: exit code $EXIT_CODE"
  pass "a maximised start shows the main window maximised"

  # An error raised inside an event handler of the browser (the start page's
  # navigation: a listed program whose entry is damaged cannot be copied out)
  # is shown in the box captioned with the application title, once, and the
  # program goes on: its main window stays, and closes with 0.
  page handler index.html <<'HTML'
<p>index</p>
HTML
  mkdir -p "$SCRATCH/handler/site/tools"
  head -c 20000 /dev/urandom > "$SCRATCH/handler/site/tools/run.exe"
  make_app handler "IndexPage=site/tools/run.exe" "RootDirName=site" "ExecuteFileExts=exe" "AppTitle=Lumora Win Handler"
  damage_entry "$SCRATCH/handler.exe" site/tools/run.exe
  start_app handler
  box="$(wait_window Handler)" || fail "no error box for the handler's error"
  still_running "$pid" 1 || fail "the program ended under the box"
  [ "$(visible_windows Handler)" = 1 ] || fail "$(visible_windows Handler) boxes for one error"
  press_key "$box" Return
  wait_until 10 gone_window "$box" || fail "the box stayed"
  main="$(wait_window "Lumora Win Handler" 30)" || fail "no main window after the handler's error"
  still_running "$pid" 1 || fail "the program ended after the handler's error"
  [ "$(visible_windows Handler)" = 0 ] || fail "another box followed the first"
  close_window "$main"
  ended_clean "$pid" handler.exe
  pass "an error raised in a browser event handler is shown once and the program goes on"
fi
