#!/usr/bin/env bash
# The Windows runtime with and without an appended archive, under Wine.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"
. "$(dirname "$0")/../lib/wine.sh"

wine_run="$WINE_RUN"
runtime="$LUMORA_BUILD/lumora.exe"
append="$LUMORA_BUILD/tests/helpers/lumora_append.exe"

# A bare runtime: the missing-archive box, exit 0, nothing left behind.
# Another program's archive in the shared temporary folder is not ours to
# clear.
printf 'kept' > "$WINE_TEMP/backup.archive"
"$wine_run" "$runtime" & pid=$!
box="$(wait_window Error 60)" || fail "no message box for a bare runtime"
press_key "$box" Return
wait_exit "$pid" 60
[ "$EXIT_CODE" = 0 ] || fail "bare runtime exit code $EXIT_CODE"
[ -z "$(new_temp_files "$TEMP_BEFORE")" ] || fail "bare runtime left a temporary file"
[ "$(cat "$WINE_TEMP/backup.archive" 2>/dev/null)" = kept ] || fail "a start removed another program's backup.archive"
rm -f "$WINE_TEMP/backup.archive"
pass "bare runtime shows the missing-archive box and exits 0, another program's archive left alone"

# A runtime carrying something that is not a ZIP archive: the copy is
# deleted, then the runtime-error box shows, and the exit code is 217.
cp "$runtime" "$SCRATCH/app.exe"
head -c 25000 /dev/urandom > "$SCRATCH/payload"
"$wine_run" "$append" "$SCRATCH/payload" "$SCRATCH/app.exe" > /dev/null
# The box names only the failure point; its text and cause go to the log in
# the temporary folder (which every program of the prefix shares: only the
# lines this start added count). Wine's boxes do not copy themselves, so
# the log is where the box's text is read.
log="$WINE_TEMP/lumora-errors.log"
logged_before="$(if [ -e "$log" ]; then wc -l < "$log"; else echo 0; fi)"
"$wine_run" "$SCRATCH/app.exe" & pid=$!
box="$(wait_window Error 60)" || fail "no runtime-error box for a non-archive"
[ -z "$(new_temp_files "$TEMP_BEFORE")" ] || fail "the copy is still there while the box shows"
press_key "$box" Return
wait_exit "$pid" 60
[ "$EXIT_CODE" = 217 ] || fail "non-archive exit code $EXIT_CODE"
added="$(tail -n +"$((logged_before + 1))" "$log" 2>/dev/null | tr -d '\r' | grep -E ' Runtime error 217 at ')" ||
  fail "no line for the error in the log: $(tail -n 3 "$log" 2>/dev/null)"
[ "$(printf '%s\n' "$added" | wc -l)" = 1 ] || fail "the error logged more than once: $added"
printf '%s\n' "$added" | grep -qE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8} Runtime error 217 at [0-9A-F]{8}: .+' ||
  fail "log line: $added"
pass "a non-archive ends with the runtime-error box (exit code 217), its cause logged once"

# A runtime carrying a real site archive shows its main window; closing it
# ends the program with 0 and leaves nothing.
mkdir -p "$SCRATCH/site/site"
printf '<p>hello</p>' > "$SCRATCH/site/site/index.html"
printf '[Lumora]\r\nIndexPage=site/index.html\r\nAppTitle=Packed Site\r\n' > "$SCRATCH/site/lm-config"
(cd "$SCRATCH/site" && zip -q -r -P "$(password)" ../site.zip .)
cp "$runtime" "$SCRATCH/app2.exe"
"$wine_run" "$append" "$SCRATCH/site.zip" "$SCRATCH/app2.exe" > /dev/null
"$wine_run" "$SCRATCH/app2.exe" & pid=$!
main="$(wait_window "Packed Site" 60)" || fail "no main window for a packed site"
close_window "$main"
wait_exit "$pid" 60
[ "$EXIT_CODE" = 0 ] || fail "packed runtime exit code $EXIT_CODE"
[ -z "$(new_temp_files "$TEMP_BEFORE")" ] || fail "packed runtime left a temporary file"
pass "a packed site shows its main window, closes with 0 and leaves no temporary file"

# Two programs started at once from one large archive copy it out of the
# same program file at the same time: both start, both end with 0.
rm -f "$SCRATCH/site.zip"
head -c 150000000 /dev/urandom > "$SCRATCH/site/site/large.bin"
printf '[Lumora]\r\nIndexPage=site/index.html\r\nAppTitle=Twin Site\r\n' > "$SCRATCH/site/lm-config"
(cd "$SCRATCH/site" && zip -q -r -0 -P "$(password)" ../site.zip .)
rm -f "$SCRATCH/site/site/large.bin"
cp "$runtime" "$SCRATCH/twin.exe"
"$wine_run" "$append" "$SCRATCH/site.zip" "$SCRATCH/twin.exe" > /dev/null
rm -f "$SCRATCH/site.zip"
"$wine_run" "$SCRATCH/twin.exe" & first=$!
"$wine_run" "$SCRATCH/twin.exe" & second=$!
wait_until 90 windows_are "Twin Site" 2 || fail "two programs started together: $(visible_windows "Twin Site") main windows, boxes: $(visible_windows Error)"
for window in $(xdotool search --onlyvisible --name '^Twin Site$'); do close_window "$window"; done
for pid in "$first" "$second"; do
  wait_exit "$pid" 60
  [ "$EXIT_CODE" = 0 ] || fail "a program started beside another ended with $EXIT_CODE"
done
[ -z "$(new_temp_files "$TEMP_BEFORE")" ] || fail "two programs left a temporary file"
pass "two programs started together from one large archive both run and end with 0"
