#!/usr/bin/env bash
# Styles in a packed Windows program under Wine: AppTheme=carbon draws the
# main window's frame and caption in Carbon's colours; an unknown style
# shows the not-found box, then the native look; no AppTheme, no box.
# All of it needs the Windows runtime's windows (the style is set as the
# main window is made): while a program ends without showing the window a
# case waits for, that case is skipped with a note.
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

# shown TITLE PID: sets WINDOW to the id of the window titled TITLE; false
# when the program ends without showing it (no windows in this build), and
# the caller skips its checks with a note.
shown() {
  local title="$1" pid="$2"
  wait_until 60 window_or_gone "$title" "$pid" || fail "no window \"$title\" within 60 s"
  WINDOW="$(first_window "$title")" && return 0
  echo "skip - the program ended without showing \"$title\": its checks are skipped"
  return 1
}
window_or_gone() { first_window "$1" > /dev/null || gone "$2"; }

# finish PID: ends a program whose window was checked (how it closes is
# another test's matter).
finish() { stop "$1"; }

# Unknown style: the box, captioned with the application title, before the
# main window; Enter closes it and the program goes on.
make_exe themed "Main Window" "AppTheme=AQUAGRAPHITE"
"$wine_run" "$SCRATCH/themed.exe" & pid=$!
if shown Themed "$pid"; then
  [ "$(visible_windows "Main Window")" = 0 ] || fail "the main window came before the style box"
  press_key "$WINDOW" Return
  wait_until 20 windows_are Themed 0 || fail "Enter left the box open"
  pass "an unknown AppTheme shows the not-found box captioned with the application title; Enter closes it"
fi
if shown "Main Window" "$pid"; then
  case "$(caption_pixel "$WINDOW")" in
    121212 | 171717) fail "the native look has Carbon's caption" ;;
  esac
  finish "$pid"
  pass "after the not-found box the main window comes in the native look"
else
  wait_exit "$pid" 30
fi

# Carbon, named in another letter case: no box, Carbon's caption.
make_exe carbon "Carbon Window" "AppTheme=carbon"
"$wine_run" "$SCRATCH/carbon.exe" & pid=$!
if shown "Carbon Window" "$pid"; then
  [ "$(visible_windows Carbon)" = 0 ] || fail "a box for a known style"
  caption="$(caption_pixel "$WINDOW")"
  case "$caption" in
    121212 | 171717) ;;
    *) fail "caption colour $caption, not Carbon's" ;;
  esac
  finish "$pid"
  pass "AppTheme=carbon: no box, the caption in Carbon's colours"
else
  [ "$(visible_windows Carbon)" = 0 ] || fail "a box for a known style"
  wait_exit "$pid" 30
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE with AppTheme=carbon"
  pass "AppTheme=carbon: no box"
fi

# No AppTheme: no box, the native look.
make_exe plain "Plain Window"
"$wine_run" "$SCRATCH/plain.exe" & pid=$!
if shown "Plain Window" "$pid"; then
  [ "$(visible_windows Plain)" = 0 ] || fail "a box without AppTheme"
  finish "$pid"
  pass "no AppTheme: no box, the native look"
else
  [ "$(visible_windows Plain)" = 0 ] || fail "a box without AppTheme"
  wait_exit "$pid" 30
  pass "no AppTheme: no box"
fi
