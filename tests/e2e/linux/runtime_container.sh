#!/usr/bin/env bash
# The runtime with and without an appended archive, through real windows.
. "$(dirname "$0")/../lib/common.sh"

runtime="$LUMORA_BUILD/lumora"
append="$LUMORA_BUILD/tests/helpers/lumora_append"

# A bare runtime: the missing-archive box, exit 0, nothing left behind.
"$runtime" & pid=$!
box="$(wait_window Error)" || fail "no message box for a bare runtime"
screenshot "$SCRATCH/bare.png"
press_key "$box" Return
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "bare runtime exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "bare runtime left $(temp_files)"
pass "bare runtime shows the missing-archive box and exits 0"

# The text of the box, read back from the dialog's accessible label is not
# possible without extra tools; the window title and the exit code are what
# the platform exposes here. The text itself is checked in the unit tests.

# A runtime carrying something that is not a ZIP archive: the copy is
# deleted, then the runtime-error box shows, and the exit code is 217.
cp "$runtime" "$SCRATCH/app"
head -c 25000 /dev/urandom > "$SCRATCH/payload"
"$append" "$SCRATCH/payload" "$SCRATCH/app" > /dev/null
"$SCRATCH/app" & pid=$!
box="$(wait_window Error)" || fail "no runtime-error box for a non-archive"
[ -z "$(temp_files)" ] || fail "the copy is still there while the box shows: $(temp_files)"
screenshot "$SCRATCH/runtime-error.png"
press_key "$box" Return
wait_exit "$pid"
[ "$EXIT_CODE" = 217 ] || fail "non-archive exit code $EXIT_CODE"
pass "a non-archive ends with the runtime-error box and exit code 217"

# A runtime carrying a real site archive (written by Info-ZIP, encrypted
# with the archive password) starts, reads it and leaves nothing behind.
mkdir -p "$SCRATCH/site/site"
printf '<p>hello</p>' > "$SCRATCH/site/site/index.html"
printf '\xEF\xBB\xBF[Lumora]\r\nIndexPage=site/index.html\r\nAppTitle=Container\r\nAppEscapeClose=1\r\n' > "$SCRATCH/site/lm-config"
(cd "$SCRATCH/site" && zip -q -r -P "$(password)" ../site.zip .)
cp "$runtime" "$SCRATCH/app2"
"$append" "$SCRATCH/site.zip" "$SCRATCH/app2" > /dev/null
"$SCRATCH/app2" & pid=$!
window="$(wait_window Container)" || fail "no main window for a packed site"
press_key "$window" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "packed runtime exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "packed runtime left $(temp_files)"
pass "a packed site starts and leaves no temporary file"
