#!/usr/bin/env bash
# Windows that pages open: window.open gives a top-level window titled with
# the application title, sized by the features; window.close() in it hides
# it; resizable=no gives a fixed frame; closed windows do not pile up.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

page popups index.html <<'HTML'
<!DOCTYPE html><html><body style="background:#eef"><h1>Opener</h1><script>
window.open('popup.html', 'one', 'width=320,height=240');
setTimeout(function () { window.open('fixed.html', 'two', 'width=300,height=200,resizable=no'); }, 2500);
</script></body></html>
HTML
page popups popup.html <<'HTML'
<!DOCTYPE html><html><body style="background:#fec"><h2>Popup</h2><script>
setTimeout(function () { window.close(); window.close(); }, 1500);
</script></body></html>
HTML
page popups fixed.html <<'HTML'
<!DOCTYPE html><html><body style="background:#cfc"><h2>Fixed</h2><script>
setTimeout(function () { window.open('third.html', 'three', 'width=250,height=150'); }, 1000);
</script></body></html>
HTML
page popups third.html <<'HTML'
<!DOCTYPE html><html><body style="background:#ccf"><h2>Third</h2></body></html>
HTML
make_app popups "IndexPage=site/index.html" "AppTitle=Popups"
"$SCRATCH/popups.app" & pid=$!
wait_window Popups > /dev/null || fail "no main window"
wait_until 5 windows_are Popups 2 || fail "window.open gave no second window titled Popups"
popup=""
for id in $(xdotool search --onlyvisible --name '^Popups$'); do
  [ "$(size_of "$id")" = 320x240 ] && popup="$id"
done
[ -n "$popup" ] || fail "no 320x240 popup among the windows: $(for id in $(xdotool search --onlyvisible --name "^Popups$"); do size_of $id; done)"
screenshot "$SCRATCH/popup.png"
pass "window.open opens a window titled with the application title, sized by its features"

# The popup closes itself 1.5 s after it loads; the opener's second window
# may already be up by then, so the popup is looked for by its own id.
popup_gone() { ! xdotool search --onlyvisible --name '^Popups$' | grep -qx "$popup"; }
wait_until 10 popup_gone || fail "window.close() left the popup open"
kill -0 "$pid" 2>/dev/null || fail "window.close() in the popup ended the program"
pass "window.close() in a popup hides it; a second request does nothing"

wait_until 5 window_sized Popups 300x200 > /dev/null || fail "no 300x200 popup for resizable=no"
fixed="$(window_sized Popups 300x200)"
hints "$fixed" | grep -q "maximum size: 300 by 200" || fail "resizable=no gave a sizeable window: $(hints "$fixed")"
xprop -id "$fixed" _NET_WM_WINDOW_TYPE | grep -q DIALOG || fail "resizable=no: not a dialog frame"
pass "window.open with resizable=no gives a fixed dialog frame"

# A window a page opened may open further windows.
wait_until 5 window_sized Popups 250x150 > /dev/null || fail "the popup could not open a window of its own"
third="$(window_sized Popups 250x150)"
pass "a popup opens a further window"

# The user closes the popups: they go, the main window stays.
close_window "$fixed"
close_window "$third"
wait_until 5 windows_are Popups 1 || fail "closing the popups left $(visible_windows Popups) windows"
main="$(xdotool search --onlyvisible --name '^Popups$' | head -n 1)"
close_window "$main"
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
pass "a popup the user closes goes away; closing the main window ends the program with 0"

# A site that opens window after window, each closing itself: a closed
# window is never shown again, and its form goes when the next one opens,
# so the program's windows (hidden ones included) do not pile up.
page cycle index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Cycle</h1><script>
var n = 0;
function next() {
  n++;
  window.open('child.html?' + n, 'w' + n, n < 5 ? 'width=320,height=240' : 'width=250,height=150');
  if (n < 5) setTimeout(next, 1500);
}
setTimeout(next, 500);
</script></body></html>
HTML
page cycle child.html <<'HTML'
<!DOCTYPE html><html><body><h2>Child</h2><script>
if (location.search !== '?5') setTimeout(function () { window.close(); }, 300);
</script></body></html>
HTML
make_app cycle "IndexPage=site/index.html" "AppTitle=Cycle"
"$SCRATCH/cycle.app" & pid=$!
wait_window Cycle > /dev/null || fail "no main window"
last="$(wait_until 30 window_sized Cycle 250x150 > /dev/null && window_sized Cycle 250x150)" || fail "the fifth window never opened"
# Every window of the program titled Cycle, shown or hidden.
all_windows() { xdotool search --name '^Cycle$' 2>/dev/null | wc -l; }
[ "$(all_windows)" = 2 ] || fail "$(all_windows) windows after four closed popups and one open (the main one and the last expected)"
[ "$(visible_windows Cycle)" = 2 ] || fail "$(visible_windows Cycle) windows shown"
close_window "$last"
main="$(first_window Cycle)"
close_window "$main"
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
pass "closed popups are freed when the next window opens: the windows do not pile up"

# The opener closes the windows it opened: one still blank, which it wrote
# into itself, and one that shows a page of the site.
page closer index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Closer</h1><script>
var blank = window.open('', 'blank', 'width=230,height=170');
blank.document.write('<h2>Blank</h2>');
var site = window.open('third.html', 'site', 'width=260,height=180');
document.addEventListener('keydown', function (event) {
  if (event.key === 'b') blank.close();
  if (event.key === 's') site.close();
});
</script></body></html>
HTML
page closer third.html <<'HTML'
<!DOCTYPE html><html><body><h2>Third</h2></body></html>
HTML
make_app closer "IndexPage=site/index.html" "AppTitle=Closer"
"$SCRATCH/closer.app" & pid=$!
main="$(wait_window Closer)" || fail "no main window"
for popup in "b 230x170" "s 260x180"; do
  wait_until 20 window_sized Closer "${popup#* }" > /dev/null || fail "no ${popup#* } popup"
  main="$(xdotool search --onlyvisible --name '^Closer$' | while read -r id; do
    case "$(size_of "$id")" in 230x170|260x180) ;; *) echo "$id" ;; esac; done | head -n 1)"
  press_key "$main" "${popup% *}"
  wait_until 10 eval '! window_sized Closer "${popup#* }" > /dev/null' || fail "the opener's close left the ${popup#* } popup open"
done
gone "$pid" && fail "closing the popups ended the program"
close_window "$main"
wait_exit "$pid"
pass "the opener's w.close() closes a popup it opened, blank or showing a site page"
