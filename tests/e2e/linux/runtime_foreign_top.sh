#!/usr/bin/env bash
# Pages of another origin at the top of a window of the program: one the
# site opened as a popup, or one the main window went to. They never close
# a window of the program, by any route, and the program never asks them
# whether it may close.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"
. "$(dirname "$0")/../lib/webserver.sh"

start_web_server
WEB="http://127.0.0.1:$PORT"

# The foreign pages. closer.html?close tries every way to close (its own
# window, its opener) and reports when it has; closer.html would keep the
# program open.
cat > "$SCRATCH/web/closer.html" <<HTML
<!DOCTYPE html><html><body><h1>Closer</h1><script>
$FOREIGN_REPORT
if (location.search !== '?close') window.appCanClose = function () { reportNow('asked', 1); return false; };
reportNow('ready', location.search + (window.opener ? 'popup' : 'top'));
if (window.opener) opener.close();
if (location.search === '?close') window.close();
setTimeout(function () { report('tried', location.search + (window.opener ? 'popup' : 'top')); }, 500);
</script></body></html>
HTML

# closes WHAT: the user closes the main window ($main), and the program
# ($pid) ends with 0.
closes() {
  close_window "$main"
  wait_exit "$pid" 15
  [ "$EXIT_CODE" = 0 ] || fail "closing $1: exit code $EXIT_CODE"
}

# still_open PID WHAT: the program is still running a while after the
# foreign page reported that it tried WHAT.
still_open() {
  wait_until 10 grep -q '^tried=' "$FOREIGN_LOG" || gone "$1" || fail "the foreign page did not go on"
  ! wait_until 3 gone "$1" || fail "$2 ended the program"
}

# A popup of the site shows a foreign page that closes its opener and
# itself.
page opener index.html <<HTML
<!DOCTYPE html><html><body><h1>Opener</h1><script>
window.open('$WEB/closer.html?close', 'foreign', 'width=320,height=240');
</script></body></html>
HTML
make_app opener "IndexPage=site/index.html" "AppTitle=Opener"
"$SCRATCH/opener.app" & pid=$!
main="$(wait_window Opener)" || fail "no main window"
wait_until 20 was_reported 'ready=?closepopup' || fail "the foreign popup did not load"
still_open "$pid" "a foreign popup's opener.close()"
windows_are Opener 2 || fail "a foreign page closed its popup: $(visible_windows Opener) windows"
pass "a foreign page in a popup closes neither its opener nor its own window"
closes "the main window"

# A popup of the site that shows a site page, and a foreign page beside it:
# framed in it (top.close()) or opened from it (opener.close()). Neither
# closes the site's popup; the popup's own window.close() still does.
cat > "$SCRATCH/web/popcloser.html" <<HTML
<!DOCTYPE html><html><body>Foreign<script>
$FOREIGN_REPORT
var route = window.opener ? 'opener' : 'frame';
(window.opener || window.top).close();
reportNow('tried', route);
</script></body></html>
HTML
page popclose popup.html <<HTML
<!DOCTYPE html><html><body><h1>Site popup</h1><script>
document.addEventListener('keydown', function (event) { if (event.key === 'c') window.close(); });
if (location.search === '?frame') {
  document.body.appendChild(document.createElement('iframe')).src = '$WEB/popcloser.html';
} else {
  window.open('$WEB/popcloser.html', 'foreign', 'width=210,height=150');
}
</script></body></html>
HTML
site_popup_gone() { ! window_sized Popclose 420x310 > /dev/null; }
for route in frame opener; do
  page popclose index.html <<HTML
<!DOCTYPE html><html><body><h1>Main</h1><script>window.open('popup.html?$route', 'site', 'width=420,height=310');</script></body></html>
HTML
  make_app popclose "IndexPage=site/index.html" "AppTitle=Popclose"
  : > "$FOREIGN_LOG"
  "$SCRATCH/popclose.app" & pid=$!
  main="$(wait_window Popclose)" || fail "no main window"
  popup="$(wait_until 20 window_sized Popclose 420x310)" || fail "$route: the site's popup did not show"
  wait_until 20 was_reported "tried=$route" || fail "$route: the foreign page did not load"
  expect_nothing_for 3 site_popup_gone || fail "the foreign page's $route.close() closed the site's popup"
  press_key "$popup" c
  wait_until 10 site_popup_gone || fail "$route: the popup's own window.close() left it open"
  gone "$pid" && fail "$route: the popup's window.close() ended the program"
  closes "the main window ($route)"
done
pass "a foreign page framed in or opened from a site's popup cannot close it; the popup's own page can"

# The main window goes to a foreign page by location.replace, which leaves
# a history of one page: the foreign page's window.close() is refused, and
# closing the window does not ask the foreign page's appCanClose.
for start in "closer.html?close" "closer.html"; do
  page replaced index.html <<HTML
<!DOCTYPE html><html><body><h1>Replaced</h1><script>location.replace('$WEB/$start');</script></body></html>
HTML
  make_app replaced "IndexPage=site/index.html" "AppTitle=Replaced"
  : > "$FOREIGN_LOG"
  "$SCRATCH/replaced.app" & pid=$!
  main="$(wait_window Replaced)" || fail "no main window"
  wait_until 20 grep -q '^ready=' "$FOREIGN_LOG" || fail "the foreign page did not load"
  still_open "$pid" "the foreign page's window.close() ($start)"
  closes "the window with $start at the top"
  [ "$(reported asked=1)" = 0 ] || fail "the program asked the foreign page's appCanClose"
done
pass "a foreign top page cannot close the main window nor keep it open"


# The way back. The user follows a link from the site to a foreign page in
# the main window or in a popup of the site; a link the user follows on it,
# and every back and forward route of a browser, lead back into the site. Nothing the foreign
# page does by itself leads there, and its link to an entry the program
# would run does not run it.
SHOWN="$SCRATCH/shown.txt"
page back index.html <<HTML
<!DOCTYPE html><html><body style="margin:0">
<a href="$WEB/away.html" style="display:block;width:100vw;height:100vh">away</a><script>
window.addEventListener('pageshow', function () { window.external.appWriteFile('$SHOWN', 'shown=' + location.search); });
</script></body></html>
HTML
mkdir -p "$SCRATCH/back/site/tools"
printf '#!/bin/sh\necho ran >> "%s/ran.log"\n' "$SCRATCH" > "$SCRATCH/back/site/tools/run.exe"
cat > "$SCRATCH/web/away.html" <<HTML
<!DOCTYPE html><html><body style="margin:0">
<a href="lmp://site/index.html?via=link" style="position:fixed;left:0;top:0;width:50vw;height:100vh">back</a>
<a href="lmp://site/tools/run.exe" style="position:fixed;left:50vw;top:0;width:50vw;height:50vh">run</a>
<input value="text" style="position:fixed;left:60vw;top:70vh;width:30vw">
<button onclick="history.back()" style="position:fixed;left:60vw;top:85vh;width:30vw;height:10vh">back</button><script>
$FOREIGN_REPORT
// The button reports the pointer's arrival once per showing: a click the
// test sends before the page takes input would be lost.
var pointed = false;
document.querySelector('button').addEventListener('mouseover', function () {
  if (!pointed) { pointed = true; reportNow('away', 'pointed'); }
});
window.addEventListener('pageshow', function () { pointed = false; reportNow('away', 'shown'); });
setTimeout(function () { location.href = 'lmp://site/index.html?via=script'; }, 100);
</script></body></html>
HTML
page back start.html <<HTML
<!DOCTYPE html><html><body><h1>Opener</h1><script>window.open('index.html', 'site', 'width=620,height=410');</script></body></html>
HTML

# shown: the search part of the site page shown last ("" for none yet).
shown() { sed '1s/^\xEF\xBB\xBF//' "$SHOWN" 2>/dev/null | tr -d '\r\n' || true; }
shows() { [ "$(shown)" = "shown=$1" ]; }
# point X% Y%: the pointer to that place of the window.
point() {
  local size width height
  size="$(size_of "$win")"; width="${size%x*}"; height="${size#*x}"
  xdotool mousemove --window "$win" $((width * $1 / 100)) $((height * $2 / 100))
}
# at X% Y% BUTTON: a click of the mouse button at that place of the window.
at() { point "$1" "$2"; xdotool click "$3"; }
pointed=0
# press_page_back: a click on the foreign page's history.back() button, once
# the button has seen the pointer arrive.
press_page_back() {
  pointed=$((pointed + 1))
  xdotool mousemove --window "$win" 1 1
  point 75 90
  wait_until 15 reported_times away=pointed "$pointed" || fail "the foreign page's button never saw the pointer"
  xdotool click 1
}
# go ROUTE...: a key (key NAME), a mouse button (button N) in the window,
# or the page's history.back() (page back).
go() {
  case "$1" in
    key) press_key "$win" "$2" ;;
    button) at 25 50 "$2" ;;
    page) press_page_back ;;
  esac
}
# away_again: the foreign page shows once more than before.
away_again() {
  aways=$((aways + 1))
  wait_until 15 reported_times away=shown "$aways" || fail "$1: the foreign page did not show"
  [ "$(reported away=shown)" = "$aways" ] || fail "$1: the foreign page showed twice"
}

# The site's page is the main window's, or a popup's that the start page
# opens.
for where in main popup; do
  if [ "$where" = main ]; then make_app back "IndexPage=site/index.html" "AppTitle=Back"
  else make_app back "IndexPage=site/start.html" "AppTitle=Back"; fi
  : > "$FOREIGN_LOG"
  rm -f "$SHOWN" "$SCRATCH/ran.log"
  aways=0 pointed=0
  "$SCRATCH/back.app" & pid=$!
  main="$(wait_window Back)" || fail "no main window"
  win="$main"
  if [ "$where" = popup ]; then
    win="$(wait_until 20 window_sized Back 620x410)" || fail "the site's popup did not show"
    main="$(xdotool search --onlyvisible --name '^Back$' | grep -vx "$win" | head -n 1)"
  fi
  wait_until 20 shows "" || fail "$where: the site's page did not show"
  rm -f "$SHOWN"
  at 50 50 1
  away_again "the link to the foreign page"
  ! wait_until 3 test -e "$SHOWN" || fail "$where: the foreign page went back into the site by itself: $(shown)"
  at 75 25 1
  ! wait_until 3 test -e "$SCRATCH/ran.log" || fail "$where: the foreign page's link ran an entry"
  at 25 50 1
  wait_until 15 shows "?via=link" || fail "$where: the foreign page's link into the site was refused: '$(shown)'"
  pass "$where: a link on a foreign page leads back into the site, never to an entry it would run"

  rm -f "$SHOWN"
  go key alt+Left
  away_again "Alt+Left from the site"
  ! wait_until 2 test -e "$SHOWN" || fail "$where: one Alt+Left went back twice"
  for routes in "key alt+Left|key alt+Right" "key BackSpace|key shift+BackSpace" "button 8|button 9" \
                "page back|key alt+Right" "key XF86Back|key XF86Forward"; do
    rm -f "$SHOWN"
    go ${routes%|*}
    wait_until 15 shows "" || fail "$where: ${routes%|*} on the foreign page did not go back into the site: '$(shown)'"
    rm -f "$SHOWN"
    go ${routes#*|}
    away_again "${routes#*|}"
    ! wait_until 2 test -e "$SHOWN" || fail "$where: one ${routes#*|} went forward twice"
  done
  pass "$where: back and forward by keys, mouse buttons and history.back() lead between the site and the foreign page"

  at 75 72 1
  rm -f "$SHOWN"
  go key BackSpace
  ! wait_until 3 test -e "$SHOWN" || fail "$where: Backspace in a text field went back"
  pass "$where: Backspace in a text field stays"
  [ ! -e "$SCRATCH/ran.log" ] || fail "$where: an entry ran"
  closes "the $where window"
done

# Windows a frame of another origin opens: only on the user's action, as in
# a browser; not by its script alone, nor through a blank frame of its own.
cat > "$SCRATCH/web/popper.html" <<HTML
<!DOCTYPE html><html><body style="margin:0">
<button style="width:100vw;height:100vh" onclick="report('clicked', window.open('$WEB/popped.html', 'c', 'width=200,height=150') ? 'window' : 'null')">open</button><script>
$FOREIGN_REPORT
var results = [];
for (var i = 0; i < 3; i++) results.push(window.open('$WEB/popped.html', 'p' + i, 'width=200,height=150') ? 'window' : 'null');
var blank = document.body.appendChild(document.createElement('iframe'));
results.push(blank.contentWindow.open('$WEB/popped.html', 'b', 'width=200,height=150') ? 'window' : 'null');
report('scripted', results.join(','));
</script></body></html>
HTML
cat > "$SCRATCH/web/popped.html" <<HTML
<!DOCTYPE html><html><body>Popped<script>$FOREIGN_REPORT reportNow('popped', 1);</script></body></html>
HTML
page framer index.html <<HTML
<!DOCTYPE html><html><body style="margin:0">
<iframe src="$WEB/popper.html" style="border:0;width:100vw;height:100vh"></iframe>
</body></html>
HTML
make_app framer "IndexPage=site/index.html" "AppTitle=Framer"
: > "$FOREIGN_LOG"
"$SCRATCH/framer.app" & pid=$!
main="$(wait_window Framer)" || fail "no main window"
win="$main"
wait_until 20 grep -q '^scripted=' "$FOREIGN_LOG" || fail "the foreign frame did not load"
was_reported "scripted=null,null,null,null" || fail "a foreign frame opened windows by script: $(grep scripted= "$FOREIGN_LOG")"
! wait_until 3 was_reported popped=1 || fail "a window the foreign frame opened loaded"
windows_are Framer 1 || fail "the foreign frame opened windows: $(visible_windows Framer)"
at 50 50 1
wait_until 15 was_reported clicked=window || fail "the user's click in the foreign frame opened no window"
wait_until 15 windows_are Framer 2 || fail "the window opened on the user's click did not show"
wait_until 15 was_reported popped=1 || fail "the window opened on the user's click did not load"
[ "$(reported popped=1)" = 1 ] || fail "one click opened $(reported popped=1) windows"
pass "a foreign frame opens a window only on the user's click"
closes "the window"
