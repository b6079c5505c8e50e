#!/usr/bin/env bash
# The main window of a packed Windows program under Wine: title, frame,
# size and limits, stay on top, the start page asked of the site's protocol
# with its templates expanded, Escape, and closing (exit 0, nothing left).
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"
. "$(dirname "$0")/../lib/wine.sh"

page main index.html <<'HTML'
<p>head <!--template:part.html--></p>
HTML
printf 'PART' > "$SCRATCH/main/site/part.html"
make_app main "IndexPage=site/index.html" "RootDirName=site" "AppTitle=Lumora Win Main" \
  "AppWindowWidth=700" "AppWindowHeight=500" "AppWindowOrder=1"

"$WINE_RUN" "$SCRATCH/main.exe" & pid=$!
main="$(wait_window "Lumora Win Main" 60)" || fail "no main window"
# Wine leaves a sizeable frame to the window manager: the X window is the
# client area, 8 by 27 pixels less than the outer size (4-pixel borders,
# a 19-pixel caption).
[ "$(size_of "$main")" = 692x473 ] || fail "outer size 700x500 gave the client area $(size_of "$main")"
# Resizing, moving, minimising, maximising, closing; border, resize
# handles, title, menu, minimise and maximise buttons.
[ "$(motif_hints "$main")" = "0x3, 0x3e, 0x7e, 0x0, 0x0" ] || fail "sizeable frame: $(motif_hints "$main")"
net_state "$main" | grep -qx _NET_WM_STATE_ABOVE || fail "not kept on top: $(net_state "$main")"
[ "$(visible_windows "Lumora Win Main")" = 1 ] || fail "$(visible_windows "Lumora Win Main") windows"
pass "the main window shows with its title, sizeable frame, outer size and on top"

wait_until 20 test "$(served_count)" -ge 1 || fail "the start page was never asked for"
[ "$(served 1)" = "//site/index.html|<p>head PART</p>|" ] || fail "served: $(served 1)"
[ "$(emulation_values main.exe)" = "$(printf 'FEATURE_BROWSER_EMULATION REG_DWORD 0x2af9\nFEATURE_GPU_RENDERING REG_DWORD 0x1')" ] ||
  fail "emulation values during the run: $(emulation_values main.exe)"
pass "the control asks the site's protocol for the start page once, served with its template expanded"

# Without AppEscapeClose, Escape leaves the window open.
press_key "$main" Escape
still_running "$pid" 1 || fail "Escape closed the window without AppEscapeClose"
close_window "$main"
ended_clean "$pid" main.exe
[ "$(served_count)" = 1 ] || fail "$(served_count) requests for one page"
pass "closing the window (no page to ask under Wine) ends with 0 and leaves nothing"

# No border, sizes kept inside the limits, and Escape closes with
# AppEscapeClose.
mkdir -p "$SCRATCH/fixed" && cp -r "$SCRATCH/main/site" "$SCRATCH/fixed/"
make_app fixed "IndexPage=site/index.html" "AppTitle=Lumora Win Fixed" "AppBorderStyle=0" \
  "AppWindowWidth=300" "AppWindowHeight=500" "AppWindowMinWidth=400" "AppWindowMaxHeight=350" "AppEscapeClose=1"
"$WINE_RUN" "$SCRATCH/fixed.exe" & pid=$!
fixed="$(wait_window "Lumora Win Fixed" 60)" || fail "no borderless window"
[ "$(size_of "$fixed")" = 400x350 ] || fail "300x500 within the limits gave $(size_of "$fixed")"
[ "$(motif_hints "$fixed" | cut -d, -f3 | tr -d ' ')" = 0x0 ] || fail "decorations: $(motif_hints "$fixed")"
net_state "$fixed" | grep -qx _NET_WM_STATE_ABOVE && fail "on top without AppWindowOrder"
pass "border style 0: no decorations, the outer size kept inside the limits"
press_key "$fixed" Escape
wait_exit "$pid" 30
[ "$EXIT_CODE" = 0 ] || fail "Escape with AppEscapeClose: exit code $EXIT_CODE"
pass "Escape closes the window with AppEscapeClose"

# AppWindowStyle 1: maximised without a border, so over the whole screen.
mkdir -p "$SCRATCH/full" && cp -r "$SCRATCH/main/site" "$SCRATCH/full/"
make_app full "IndexPage=site/index.html" "AppTitle=Lumora Win Full" "AppWindowStyle=1"
"$WINE_RUN" "$SCRATCH/full.exe" & pid=$!
full="$(wait_window "Lumora Win Full" 60)" || fail "no window for AppWindowStyle 1"
# Wine marks a borderless window that covers the whole screen as full
# screen for the window manager (and leaves the resizing of its X window
# to it, which Xvfb has none of).
wait_until 10 eval 'net_state "$full" | grep -qx _NET_WM_STATE_FULLSCREEN' ||
  fail "AppWindowStyle 1 does not cover the screen: $(net_state "$full")"
[ "$(motif_hints "$full" | cut -d, -f3 | tr -d ' ')" = 0x0 ] || fail "decorations: $(motif_hints "$full")"
close_window "$full"
wait_exit "$pid" 30
[ "$EXIT_CODE" = 0 ] || fail "AppWindowStyle 1: exit code $EXIT_CODE"
pass "AppWindowStyle 1 shows the window maximised without a border"

# Started maximised (the start command's /max): the main window shows
# maximised; the close request ends the program with 0 all the same.
"$WINE_RUN" start /wait /max /unix "$SCRATCH/main.exe" & pid=$!
main="$(wait_window "Lumora Win Main" 60)" || fail "no main window when started maximised"
wait_until 10 eval 'net_state "$main" | grep -qx _NET_WM_STATE_MAXIMIZED_VERT' ||
  fail "not maximised: $(net_state "$main")"
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
"$WINE_RUN" "$SCRATCH/handler.exe" & pid=$!
box="$(wait_window Handler 60)" || fail "no error box for the handler's error"
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
