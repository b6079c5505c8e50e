#!/usr/bin/env bash
# The styles of a packed program's windows: an unknown AppTheme shows the
# not-found box, then the native look; AppTheme=carbon (named in another
# letter case) no box and Carbon's caption; no AppTheme no box and the
# native look; on Linux also the password dialog and a message box in
# Carbon's colours. The native look is the window manager's frame: on Linux
# no caption bar of ours above the page, under Wine the frame Wine hands the
# window manager (title bar, border and buttons in _MOTIF_WM_HINTS); a
# styled window draws its own caption and, under Wine, asks for no
# decorations. Each case fails when the program ends without its window.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/runtime.sh"

# styled_site NAME TITLE CONFIG_LINE...: packs a one-page site whose page
# begins at the window's top in its own colour.
styled_site() {
  local name="$1" title="$2"; shift 2
  page "$name" index.html <<HTML
<!DOCTYPE html><html><body style="background:#dde8f0;margin:0"><h1 style="margin-top:40px">$title</h1></body></html>
HTML
  make_app "$name" "IndexPage=site/index.html" "AppTitle=$title" "AppEscapeClose=1" "$@"
}

# shown TITLE: sets WINDOW to the id of the window titled TITLE, which the
# program started as $pid must show.
shown() {
  WINDOW="$(wait_window "$1")" || fail "no window \"$1\"$(gone "$pid" && echo ": the program ended")"
}

# decorations WINDOW: the decorations field of the _MOTIF_WM_HINTS Wine
# gives the window manager (0x0: none, the window draws its frame itself).
decorations() { motif_hints "$1" | cut -d, -f3 | tr -d ' '; }

# native_look WINDOW: the window manager's frame and nothing of ours: on
# Linux the page's colour at the window's top (the header bar is drawn a
# moment after the window maps, so it is waited for), under Wine the native
# frame's decorations (title bar, border, menu and the three buttons).
page_at_top() { [ "$(top_pixel "$1")" = dde8f0 ]; }
native_look() {
  if on linux; then
    wait_until 10 page_at_top "$1" || fail "top pixel $(top_pixel "$1"), not the page's: a caption bar without a style"
  else
    [ "$(decorations "$1")" = 0x7e ] || fail "not the native frame: decorations $(decorations "$1")"
  fi
}

# carbon_look WINDOW: Carbon's caption colour a few pixels into the caption
# bar, drawn by the window itself.
carbon_pixel() {
  if on linux; then
    top_pixel "$1"
  else
    import -window "$1" "$SCRATCH/shot.png" 2>/dev/null || fail "no screenshot of window $1"
    convert "$SCRATCH/shot.png" -format "%[hex:p{12,4}]" info: | cut -c1-6 | tr 'A-F' 'a-f'
  fi
}
carbon_caption() { is_carbon_caption "$(carbon_pixel "$1")"; }
carbon_look() {
  if on win32; then
    [ "$(decorations "$1")" = 0x0 ] || fail "a native frame around Carbon's: decorations $(decorations "$1")"
  fi
  wait_until 10 carbon_caption "$1" || fail "caption colour $(carbon_pixel "$1"), not Carbon's"
}

# finish: ends a program whose windows were checked: on Linux with Escape
# (AppEscapeClose) and exit 0; under Wine how it closes is another test's
# matter.
finish() {
  if on linux; then
    press_key "$WINDOW" Escape
    wait_exit "$pid"
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after $1"
  else
    stop "$pid"
  fi
}

# Unknown style: the box "Style '...' not found" captioned with the
# application title (the program's file name, lower case after the first
# letter; on Linux a file name in mixed case) before the main window; Enter
# closes it and the program goes on in the native look. On Linux the tray
# icon does not get in the way where there is no system tray.
tray=()
on linux && tray=("UseTrayIcon=1")
styled_site themed "Main Window" "AppTheme=AQUAGRAPHITE" "${tray[@]}"
program="$SCRATCH/themed$APP_SUFFIX"
on linux && { cp "$program" "$SCRATCH/ThemeD.App"; program="$SCRATCH/ThemeD.App"; }
start_program "$program"
shown Themed
box="$WINDOW"
if on linux; then
  [ "$(xdotool getwindowname "$box")" = Themed ] || fail "box caption $(xdotool getwindowname "$box")"
  box_says "$box" "Style 'AQUAGRAPHITE' not found" || fail "box text: $(cat "$SCRATCH/box.txt")"
fi
[ "$(visible_windows "Main Window")" = 0 ] || fail "the main window came before the style box"
press_key "$box" Return
wait_until 20 windows_are Themed 0 || fail "Enter left the box open"
pass "an unknown AppTheme shows the not-found box captioned with the application title; Enter closes it"
shown "Main Window"
native_look "$WINDOW"
finish "the style box"
pass "after the not-found box the main window comes in the native look"

# Carbon, named in another letter case: no box, Carbon's caption.
styled_site carbon "Carbon Window" "AppTheme=carbon"
start_app carbon
shown "Carbon Window"
[ "$(visible_windows Carbon)" = 0 ] || fail "a box for a known style"
carbon_look "$WINDOW"
finish "a style"
pass "AppTheme=carbon: no box, the caption in Carbon's colours drawn by the window itself"

# No AppTheme: no box, the native look.
styled_site plain "Plain Window"
start_app plain
shown "Plain Window"
[ "$(visible_windows plain)" = 0 ] && [ "$(visible_windows Plain)" = 0 ] || fail "a box without AppTheme"
native_look "$WINDOW"
finish "no style"
pass "no AppTheme: no box, the native look"

if on linux; then
  # The password dialog.
  styled_site locked "Locked Site" "AppPassword=Open Sesame" "AppTheme=carbon"
  start_app locked
  shown "Locked Site"
  carbon_look "$WINDOW"
  close_window "$WINDOW"
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
  start_app damaged
  box="$(wait_window damaged)" || fail "no message box for the damaged entry"
  carbon_look "$box"
  close_window "$box"
  wait_until 10 windows_are damaged 0 || fail "the box did not close"
  close_window "$(wait_window "Damaged Site")"
  wait_exit "$pid" 10
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the styled box"
  pass "a message box has Carbon's caption bar"
fi
