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
close_window "$main"
wait_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "closing the main window: exit code $EXIT_CODE"

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
  close_window "$main"
  wait_exit "$pid" 15
  [ "$EXIT_CODE" = 0 ] || fail "closing the window with $start at the top: exit code $EXIT_CODE"
  [ "$(reported asked=1)" = 0 ] || fail "the program asked the foreign page's appCanClose"
done
pass "a foreign top page cannot close the main window nor keep it open"

