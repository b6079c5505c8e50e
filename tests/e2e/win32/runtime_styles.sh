#!/usr/bin/env bash
# Styles in a packed Windows program under Wine: AppTheme=carbon draws the
# main window's frame and caption in Carbon's colours; an unknown style
# shows the not-found box, then the native look; no AppTheme, no box.
# The native look is the frame Wine hands the window manager (title bar,
# border and buttons in _MOTIF_WM_HINTS); a styled window draws its own
# and asks for no decorations.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"
. "$(dirname "$0")/../lib/pack.sh"

wine_run="$LUMORA_SOURCE/scripts/wine-run"

# make_exe NAME TITLE CONFIG_LINE...: packs a one-page site into $SCRATCH/NAME.exe.
make_exe() {
  local name="$1" title="$2"; shift 2
  mkdir -p "$SCRATCH/$name/site"
  printf '<!DOCTYPE html><html><body><h1>%s</h1></body></html>' "$title" > "$SCRATCH/$name/site/index.html"
  printf '[Lumora]\nIndexPage=site/index.html\nAppTitle=%s\n' "$title" > "$SCRATCH/$name/lm-config"
  printf '%s\n' "$@" >> "$SCRATCH/$name/lm-config"
  pack "$SCRATCH/$name" "$SCRATCH/$name.exe" > /dev/null || fail "packing $name"
}

# caption_pixel WINDOW: the colour (rrggbb) a few pixels into the caption bar.
caption_pixel() {
  import -window "$1" "$SCRATCH/shot.png" 2>/dev/null || fail "no screenshot of window $1"
  convert "$SCRATCH/shot.png" -format "%[hex:p{12,4}]" info: | cut -c1-6 | tr 'A-F' 'a-f'
}

# shown TITLE PID: sets WINDOW to the id of the window titled TITLE, which
# the program must show within 60 s.
shown() {
  WINDOW="$(wait_window "$1" 60)" || fail "no window \"$1\" within 60 s$(gone "$2" && echo ": the program ended")"
}

# decorations WINDOW: the decorations field of the _MOTIF_WM_HINTS Wine
# gives the window manager (0x0: none, the window draws its frame itself).
decorations() { xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= //p' | cut -d, -f3 | tr -d ' '; }

# finish PID: ends a program whose window was checked (how it closes is
# another test's matter).
finish() { stop "$1"; }

# Unknown style: the box, captioned with the application title, before the
# main window; Enter closes it and the program goes on.
make_exe themed "Main Window" "AppTheme=AQUAGRAPHITE"
"$wine_run" "$SCRATCH/themed.exe" & pid=$!
shown Themed "$pid"
[ "$(visible_windows "Main Window")" = 0 ] || fail "the main window came before the style box"
press_key "$WINDOW" Return
wait_until 20 windows_are Themed 0 || fail "Enter left the box open"
pass "an unknown AppTheme shows the not-found box captioned with the application title; Enter closes it"
shown "Main Window" "$pid"
# Title bar, border, menu and the three buttons: the window manager's frame.
[ "$(decorations "$WINDOW")" = 0x7e ] || fail "not the native frame: decorations $(decorations "$WINDOW")"
finish "$pid"
pass "after the not-found box the main window comes in the native look"

# Carbon, named in another letter case: no box, Carbon's caption.
make_exe carbon "Carbon Window" "AppTheme=carbon"
"$wine_run" "$SCRATCH/carbon.exe" & pid=$!
shown "Carbon Window" "$pid"
[ "$(visible_windows Carbon)" = 0 ] || fail "a box for a known style"
[ "$(decorations "$WINDOW")" = 0x0 ] || fail "a native frame around Carbon's: decorations $(decorations "$WINDOW")"
caption="$(caption_pixel "$WINDOW")"
case "$caption" in
  121212 | 171717) ;;
  *) fail "caption colour $caption, not Carbon's" ;;
esac
finish "$pid"
pass "AppTheme=carbon: no box, the caption in Carbon's colours drawn by the window itself"

# No AppTheme: no box, the native look.
make_exe plain "Plain Window"
"$wine_run" "$SCRATCH/plain.exe" & pid=$!
shown "Plain Window" "$pid"
[ "$(visible_windows Plain)" = 0 ] || fail "a box without AppTheme"
[ "$(decorations "$WINDOW")" = 0x7e ] || fail "not the native frame: decorations $(decorations "$WINDOW")"
finish "$pid"
pass "no AppTheme: no box, the native look"
