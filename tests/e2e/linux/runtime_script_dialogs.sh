#!/usr/bin/env bash
# A page's alert, confirm and prompt: each a window of the program titled
# with the application title (not WebKit's "JavaScript - " and the page's
# address), and the page waits for each answer.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

page dialogs index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Dialogs</h1><script>
setTimeout(function () {
  var out = [];
  alert('Hello');
  out.push('after-alert=' + window.external.appFileExists('asked.txt'));
  out.push('confirm=' + confirm('Sure?'));
  out.push('prompt=' + prompt('Name?', 'Ann'));
  window.external.appWriteFile('results.txt', out.join('\n'));
}, 500);
</script></body></html>
HTML
make_app dialogs "IndexPage=site/index.html" "AppTitle=Script Dialogs" "AppEscapeClose=1"
"$SCRATCH/dialogs.app" & pid=$!
main="$(wait_window "Script Dialogs")" || fail "no main window"

# script_dialog: the window titled like the main one that is not the
# 800x600 main window.
script_dialog() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Script Dialogs$' 2>/dev/null); do
    [ "$(size_of "$id")" != 800x600 ] && echo "$id" && return 0
  done
  return 1
}
# answer KEY: the dialog that shows takes KEY and goes away.
answer() {
  local dialog
  dialog="$(script_dialog)"
  press_key "$dialog" "$1"
  wait_until 10 gone_window "$dialog" || fail "the dialog stayed after $1"
}

wait_until 20 script_dialog > /dev/null ||
  fail "no dialog titled with the application title: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
screenshot "$SCRATCH/alert.png"
# The page waits: what it does after the alert has not happened. The file
# the page asks about is made now, so the answer shows when the call ran.
still_running "$pid" 1 || fail "the program ended"
[ ! -e "$SCRATCH/results.txt" ] || fail "the page went on while the alert showed"
touch "$SCRATCH/asked.txt"
answer Return
pass "alert shows a dialog titled with the application title; the page waits for it"

wait_until 10 script_dialog > /dev/null || fail "no confirm dialog"
answer Return
wait_until 10 script_dialog > /dev/null || fail "no prompt dialog"
answer Return
wait_results "$SCRATCH/results.txt"
expect after-alert 1
expect confirm true
expect prompt Ann
pass "confirm and prompt answer the page (OK: true, the default text)"

press_key "$main" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
