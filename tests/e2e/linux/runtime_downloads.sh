#!/usr/bin/env bash
# A link to a file whose extension the site extracts is not navigated to:
# the save dialog offers it, and the chosen file gets the entry's bytes.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

page downloads index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Downloads</h1><script>
setTimeout(function () { location.href = 'files/data.zip'; }, 800);
</script></body></html>
HTML
mkdir -p "$SCRATCH/downloads/site/files"
head -c 30000 /dev/urandom > "$SCRATCH/downloads/site/files/data.zip"
make_app downloads "IndexPage=site/index.html" "AppTitle=Downloads" "RootDirName=site" "AppEscapeClose=1"

# The save dialog opens in the working folder.
mkdir -p "$SCRATCH/saved"
(cd "$SCRATCH/saved" && exec "$SCRATCH/downloads.app") & pid=$!
main="$(wait_window Downloads)" || fail "no main window"
# other_window: a visible window of the program besides the main one.
other_window() {
  local id
  for id in $(xdotool search --onlyvisible --classname downloads.app 2>/dev/null); do
    [ "$id" != "$main" ] && echo "$id" && return 0
  done
  return 1
}
wait_until 10 other_window > /dev/null || fail "no save dialog for a .zip link"
dialog="$(other_window)"
screenshot "$SCRATCH/save-dialog.png"
xdotool windowfocus --sync "$dialog"
sleep 0.3
xdotool type --delay 20 copy.zip
sleep 0.5
xdotool key --clearmodifiers Return
wait_until 5 cmp -s "$SCRATCH/saved/copy.zip" "$SCRATCH/downloads/site/files/data.zip"
cmp -s "$SCRATCH/saved/copy.zip" "$SCRATCH/downloads/site/files/data.zip" ||
  fail "the saved file differs from the entry: $(ls -l "$SCRATCH/saved")"
pass "a .zip link opens the save dialog and saves the entry's bytes"

press_key "$main" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
pass "the window stayed on its page and closes normally"
