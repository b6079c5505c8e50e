#!/usr/bin/env bash
# Window styles from the configuration: maximised borderless, border
# styles, size limits, stacking order, and the page policies (no context
# menu, text selection off and on).
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

page styled index.html <<'HTML'
<!DOCTYPE html><html><body style="background:#fff;margin:20px">
<p id="text" style="font:32px sans-serif">Select this line of text please</p></body></html>
HTML

# start CONFIG_LINE...: packs the site with the lines and starts it; sets
# pid and window.
start() {
  make_app styled "IndexPage=site/index.html" "AppTitle=Styled" "AppEscapeClose=1" "$@"
  "$SCRATCH/styled.app" & pid=$!
  window="$(wait_window Styled)" || fail "no main window for $*"
  wait_until 20 page_painted || fail "the page did not paint for $*"
}
# page_painted: true once the page's dark line of text shows in the window.
page_painted() {
  import -window "$window" "$SCRATCH/painted.png" 2> /dev/null &&
    [ "$(convert "$SCRATCH/painted.png" -crop 600x80+0+0 +repage -format '%[fx:minima.intensity<0.5]' info:)" = 1 ]
}
finish() {
  press_key "$window" Escape
  wait_exit "$pid"
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE for $1"
}
motif_decorations() { xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= //p'; }

# AppWindowStyle 1: borderless and maximised; border style, limits and
# stacking order are not read.
start "AppWindowStyle=1" "AppBorderStyle=3" "AppWindowMaxWidth=500" "AppWindowOrder=1"
xprop -id "$window" _NET_WM_STATE | grep -q MAXIMIZED_VERT || fail "AppWindowStyle=1 not maximised"
xprop -id "$window" _NET_WM_STATE | grep -q ABOVE && fail "AppWindowStyle=1 read AppWindowOrder"
[ "$(size_of "$window")" = 1280x1024 ] || fail "AppWindowStyle=1 size $(size_of "$window")"
motif_decorations "$window" | grep -q '^0x2, 0x0, 0x0' || fail "AppWindowStyle=1 has a frame: $(motif_decorations "$window")"
finish "AppWindowStyle=1"
pass "AppWindowStyle=1: borderless, maximised, other window keys ignored"

# Border styles: 0 no frame, 1 fixed, 3 dialog, 4 tool window, 5 sizeable
# tool window.
for case in "0 fixed NORMAL none" "1 fixed NORMAL frame" "3 fixed DIALOG frame" "4 fixed UTILITY frame" "5 sizeable UTILITY frame"; do
  set -- $case
  start "AppBorderStyle=$1"
  if [ "$2" = fixed ]; then
    hints "$window" | grep -q "maximum size: 800 by 600" || fail "border style $1 is resizable: $(hints "$window")"
  else
    hints "$window" | grep -q "maximum size: 32767 by 32767" || fail "border style $1 is not resizable"
  fi
  xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q "_NET_WM_WINDOW_TYPE_$3" || fail "border style $1 type"
  if [ "$4" = none ]; then
    motif_decorations "$window" | grep -q '^0x2, 0x0, 0x0' || fail "border style $1 has a frame"
  else
    motif_decorations "$window" | grep -q '^0x2, 0x0, 0x0' && fail "border style $1 has no frame"
  fi
  finish "AppBorderStyle=$1"
done
pass "border styles 0, 1, 3, 4, 5"

# Size limits: a positive value replaces the resource's limit, 0 keeps it;
# the window is kept inside them.
start "AppWindowMinWidth=100" "AppWindowMaxHeight=500" "AppWindowHeight=700"
hints "$window" | grep -q "minimum size: 100 by 200" || fail "minimum size: $(hints "$window")"
hints "$window" | grep -q "maximum size: 32767 by 500" || fail "maximum size: $(hints "$window")"
[ "$(size_of "$window")" = 800x500 ] || fail "size inside the limits: $(size_of "$window")"
finish "size limits"
start "AppWindowMaxWidth=700" "AppWindowMinHeight=0"
hints "$window" | grep -q "minimum size: 300 by 200" || fail "minimum size: $(hints "$window")"
hints "$window" | grep -q "maximum size: 700 by 32767" || fail "maximum size: $(hints "$window")"
finish "width limit"
pass "size limits"

# Stay on top: only AppWindowOrder 1.
start "AppWindowOrder=1"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "AppWindowOrder=1 not on top"
finish "AppWindowOrder=1"
start "AppWindowOrder=2"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && fail "AppWindowOrder=2 on top"
finish "AppWindowOrder=2"
pass "AppWindowOrder: 1 stays on top, 2 does not"

# The page area before and after an action, compared: page_changes waits
# for the page to change, page_stays watches that it does not.
page_shot() { import -window root -crop "800x600+$x+$y" "$1"; }
page_differs() {
  page_shot "$SCRATCH/after.png"
  [ "$(compare -metric AE "$SCRATCH/before.png" "$SCRATCH/after.png" null: 2>&1 | cut -d' ' -f1)" != 0 ]
}
before_action() {
  read -r x y <<< "$(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')"
  page_shot "$SCRATCH/before.png"
  "$@"
}
page_changes() { before_action "$@"; wait_until 10 page_differs; }
page_stays() { before_action "$@"; expect_nothing_for 1.5 page_differs; }
select_text() {
  xdotool mousemove --window "$window" 40 50 click --repeat 3 --delay 80 1
}
right_click() { xdotool mousemove --window "$window" 200 50 click 3; }

start
page_stays right_click || fail "right-click changed the page (a menu?)"
page_stays select_text || fail "text could be selected with AllowCopyText off"
screenshot "$SCRATCH/no-selection.png"
finish "selection off"
start "AllowCopyText=1"
page_changes select_text || fail "text could not be selected with AllowCopyText=1"
finish "selection on"
pass "no context menu; text selection follows AllowCopyText"

# An icon given to the packer shows on the window.
python3 - "$SCRATCH/icon.png" <<'PY'
import struct, sys, zlib
w = h = 24
rows = b"".join(b"\0" + b"\xd0\x30\x30\xff" * w for _ in range(h))
chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) + \
      chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
PY
"$PACKER" --icon "$SCRATCH/icon.png" "$SCRATCH/styled" "$SCRATCH/styled.app" > /dev/null || fail "packing with --icon"
"$SCRATCH/styled.app" & pid=$!
window="$(wait_window Styled)" || fail "no main window with an icon"
xprop -id "$window" _NET_WM_ICON | grep -q "Icon (24 x 24)" || fail "the window shows no 24 x 24 icon: $(xprop -id "$window" _NET_WM_ICON | head -2)"
finish "icon"
pass "the icon packed with --icon is the window's icon"

# A packaged icon whose header promises a huge picture is not decoded: the
# program starts without it.
python3 - "$SCRATCH/styled/lm-icon" <<'PY'
import struct, sys, zlib
chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
open(sys.argv[1], "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 40000, 40000, 8, 6, 0, 0, 0)) +
                              chunk(b"IDAT", zlib.compress(b"\0" * 1000000)) + chunk(b"IEND", b""))
PY
"$PACKER" "$SCRATCH/styled" "$SCRATCH/styled.app" > /dev/null || fail "packing with a huge lm-icon"
"$SCRATCH/styled.app" 2> "$SCRATCH/stderr.txt" & pid=$!
window="$(wait_window Styled)" || fail "no main window with a huge icon"
xprop -id "$window" _NET_WM_ICON | grep -q "Icon (" && fail "the huge icon was decoded"
grep -q "lm-icon: not an image this system can show" "$SCRATCH/stderr.txt" || fail "no word about the icon: $(cat "$SCRATCH/stderr.txt")"
finish "huge icon"
pass "an icon too large to decode safely is left out"
