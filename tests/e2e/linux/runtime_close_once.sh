#!/usr/bin/env bash
# One close request asks the page's appCanClose exactly once, whichever way
# it comes: Escape, the caption's close button (the window manager's close
# request) or the page's window.close(). The page counts its calls.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

COUNT="$SCRATCH/count.txt"
page counting index.html <<HTML
<!DOCTYPE html><html><body><h1>Counting</h1><script>
var asked = 0;
function appCanClose() {
  asked++;
  window.external.appWriteFile('$COUNT', 'asked=' + asked);
  return asked >= 4;
}
window.external.appWriteFile('$COUNT', 'asked=0');
document.addEventListener('keydown', function (event) { if (event.key === 'c') window.close(); });
</script></body></html>
HTML
make_app counting "IndexPage=site/index.html" "AppTitle=Counting" "AppEscapeClose=1"

# asked_after N: the page reports N calls and no more follow.
seen() { sed '1s/^\xEF\xBB\xBF//' "$COUNT" 2>/dev/null | tr -d '\r\n' || true; }
seen_other_than() { [ "$(seen)" != "asked=$1" ]; }
asked_after() {
  wait_until 10 grep -q "asked=$1" "$COUNT" 2>/dev/null || true
  expect_nothing_for 1.5 seen_other_than "$1" || fail "$2: expected asked=$1, the page saw '$(seen)'"
}

"$SCRATCH/counting.app" & pid=$!
window="$(wait_window Counting)" || fail "no main window"
asked_after 0 "the page's start"
press_key "$window" Escape
asked_after 1 "one Escape press"
pass "one Escape press asks once"

close_window "$window"
asked_after 2 "one close request of the window manager"
pass "one caption close asks once"

press_key "$window" c
asked_after 3 "one window.close()"
pass "one window.close() asks once"

press_key "$window" Escape
asked_after 4 "the closing Escape"
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
pass "the fourth request, allowed, closes the window"

# A close question the page asks the user (confirm) waits for the answer,
# however long it takes: the wait for a page's answer gives up only on a
# page that runs on without asking anyone.
ANSWERS="$SCRATCH/answers.txt"
page confirming index.html <<HTML
<!DOCTYPE html><html><body><h1>Confirming</h1><script>
var asked = 0;
function appCanClose() {
  asked++;
  window.external.appWriteFile('$ANSWERS', 'asked=' + asked);
  return confirm('Really quit?');
}
window.external.appWriteFile('$ANSWERS', 'asked=0');
</script></body></html>
HTML
make_app confirming "IndexPage=site/index.html" "AppTitle=Confirming"
# question: the id of the question's window, once it shows.
question() { xdotool search --onlyvisible --name '^Confirming$' 2>/dev/null | grep -vx "$main" | head -n 1; }
asked() { [ "$(sed '1s/^\xEF\xBB\xBF//' "$ANSWERS" 2>/dev/null | tr -d '\r\n')" = "asked=$1" ]; }

"$SCRATCH/confirming.app" & pid=$!
main="$(wait_window Confirming)" || fail "no main window"
wait_until 15 asked 0 || fail "the page did not load"
close_window "$main"
wait_until 15 windows_are Confirming 2 || fail "the close question did not show"
# Longer than the wait for a page that does not answer.
! wait_until 15 gone "$pid" || fail "the unanswered close question closed the program"
windows_are Confirming 2 || fail "the close question went away unanswered"
dialog="$(question)"
press_key "$dialog" Escape
wait_until 10 gone_window "$dialog" || fail "Cancel left the question open"
! wait_until 2 gone "$pid" || fail "Cancel closed the program"
asked 1 || fail "one close request asked more than once"
pass "a close question left open past the wait's limit keeps the program; Cancel keeps it"

close_window "$main"
wait_until 15 windows_are Confirming 2 || fail "the second close question did not show"
press_key "$(question)" Return
wait_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "OK to the question: exit code $EXIT_CODE"
asked 2 || fail "the second close request: $(cat "$ANSWERS")"
pass "OK to the close question closes the program"
