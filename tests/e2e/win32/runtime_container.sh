#!/usr/bin/env bash
# The Windows runtime with and without an appended archive, under Wine.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"
. "$(dirname "$0")/../lib/wine.sh"

wine_run="$WINE_RUN"
runtime="$LUMORA_BUILD/lumora.exe"
append="$LUMORA_BUILD/tests/helpers/lumora_append.exe"

# A bare runtime: the missing-archive box, exit 0, nothing left behind.
"$wine_run" "$runtime" & pid=$!
box="$(wait_window Error 60)" || fail "no message box for a bare runtime"
press_key "$box" Return
wait_exit "$pid" 60
[ "$EXIT_CODE" = 0 ] || fail "bare runtime exit code $EXIT_CODE"
[ -z "$(new_temp_files "$TEMP_BEFORE")" ] || fail "bare runtime left a temporary file"
pass "bare runtime shows the missing-archive box and exits 0"

# A runtime carrying something that is not a ZIP archive: the copy is
# deleted, then the runtime-error box shows, and the exit code is 217.
cp "$runtime" "$SCRATCH/app.exe"
head -c 25000 /dev/urandom > "$SCRATCH/payload"
"$wine_run" "$append" "$SCRATCH/payload" "$SCRATCH/app.exe" > /dev/null
"$wine_run" "$SCRATCH/app.exe" & pid=$!
box="$(wait_window Error 60)" || fail "no runtime-error box for a non-archive"
[ -z "$(new_temp_files "$TEMP_BEFORE")" ] || fail "the copy is still there while the box shows"
press_key "$box" Return
wait_exit "$pid" 60
[ "$EXIT_CODE" = 217 ] || fail "non-archive exit code $EXIT_CODE"
pass "a non-archive ends with the runtime-error box and exit code 217"

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
