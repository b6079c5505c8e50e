#!/usr/bin/env bash
# Links to files whose extension the site extracts are not navigated to:
# the save dialog offers them, and the chosen file gets the entry's bytes.
# A name typed without its extension that names an existing file is asked
# about before it is replaced; a name with non-ASCII letters is found in
# the site; an error while saving is shown in a box and the program goes on.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

# Each key "n" pressed in the page follows the next link.
page downloads index.html <<'HTML'
<!DOCTYPE html><html><head><meta charset="utf-8"></head><body><h1>Downloads</h1><script>
var links = ['files/data.zip', 'files/café.zip', 'files/data.zip'];
var next = 0;
function follow() { if (next < links.length) location.href = links[next++]; }
document.addEventListener('keydown', function (e) { if (e.key === 'n') follow(); });
setTimeout(follow, 800);
</script></body></html>
HTML
mkdir -p "$SCRATCH/downloads/site/files"
head -c 30000 /dev/urandom > "$SCRATCH/downloads/site/files/data.zip"
head -c 20000 /dev/urandom > "$SCRATCH/downloads/site/files/café.zip"
make_app downloads "IndexPage=site/index.html" "AppTitle=Download Page" "RootDirName=site" "AppEscapeClose=1"

# The save dialog opens in the working folder.
mkdir -p "$SCRATCH/saved"
saved="$SCRATCH/saved/copy.zip"
(cd "$SCRATCH/saved" && exec "$SCRATCH/downloads.app") & pid=$!
main="$(wait_window "Download Page")" || fail "no main window"
# new_window: a visible window of the program that is not one of those
# named after it.
new_window() {
  local id known
  for id in $(xdotool search --onlyvisible --classname downloads.app 2>/dev/null); do
    for known in "$main" "$@"; do [ "$id" = "$known" ] && continue 2; done
    echo "$id" && return 0
  done
  return 1
}
# save_as DIALOG NAME: replaces the whole name in the dialog and saves.
save_as() {
  xdotool windowfocus --sync "$1"
  sleep 0.3
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$2"
  sleep 0.3
  xdotool key --clearmodifiers Return
}

wait_until 10 new_window > /dev/null || fail "no save dialog for a .zip link"
dialog="$(new_window)"
screenshot "$SCRATCH/save-dialog.png"
save_as "$dialog" copy
wait_until 5 cmp -s "$saved" "$SCRATCH/downloads/site/files/data.zip"
cmp -s "$saved" "$SCRATCH/downloads/site/files/data.zip" ||
  fail "the saved file differs from the entry: $(ls -l "$SCRATCH/saved")"
pass "a .zip link opens the save dialog and saves the entry's bytes, its extension added to the name typed"

# café.zip: the link reaches the program with its own letters, so the
# entry is found. "copy" again names copy.zip, which exists: the question
# comes first, and Return (Replace) saves over it.
wait_until 5 gone_window "$dialog" || fail "the first dialog stayed"
press_key "$main" n
wait_until 10 new_window > /dev/null || fail "no save dialog for café.zip"
dialog="$(new_window)"
save_as "$dialog" copy
wait_until 10 new_window "$dialog" > /dev/null || fail "no question before replacing copy.zip"
question="$(new_window "$dialog")"
cmp -s "$saved" "$SCRATCH/downloads/site/files/data.zip" || fail "copy.zip was replaced before the answer"
press_key "$question" Return
wait_until 5 cmp -s "$saved" "$SCRATCH/downloads/site/files/café.zip" ||
  fail "café.zip was not saved over copy.zip: $(ls -l "$SCRATCH/saved")"
[ "$(ls -A "$SCRATCH/saved")" = copy.zip ] || fail "other files saved: $(ls -A "$SCRATCH/saved")"
pass "café.zip is found and saved; copy typed where copy.zip exists asks before replacing it"

# An error that escapes the navigation handler: the file cannot be created
# (no one may create files in /proc). The box says so, captioned with the
# application title (the program's file name), and the program goes on.
wait_until 5 gone_window "$dialog" || fail "the second dialog stayed"
press_key "$main" n
wait_until 10 new_window > /dev/null || fail "no save dialog for the third link"
dialog="$(new_window)"
save_as "$dialog" /proc/lumora-denied
box="$(wait_window downloads 20)" || fail "no error box for a file that cannot be created"
[ "$(xdotool getwindowname "$box")" = downloads ] || fail "box caption $(xdotool getwindowname "$box")"
box_says "$box" "Cannot create file \"/proc/lumora-denied.zip\". No such file or directory." ||
  fail "box text: $(cat "$SCRATCH/box.txt" 2>/dev/null)"
press_key "$box" Return
wait_until 5 gone_window "$box" || fail "the box stayed"
kill -0 "$pid" || fail "the program ended after the error"
[ "$(visible_windows "Download Page")" = 1 ] || fail "the main window went away after the error"
pass "an error while saving shows the box captioned with the application title; the program goes on"

press_key "$main" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
pass "the window stayed on its page and closes normally"
