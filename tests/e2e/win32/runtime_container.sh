#!/usr/bin/env bash
# The Windows runtime with and without an appended archive, under Wine.
. "$(dirname "$0")/../lib/common.sh"

wine_run="$LUMORA_SOURCE/scripts/wine-run"
runtime="$LUMORA_BUILD/lumora.exe"
append="$LUMORA_BUILD/tests/helpers/lumora_append.exe"
prefix="${WINEPREFIX:-${LUMORA_CACHE:-$HOME/.cache/lumora}/wineprefix}"
# GetTempPathW of the prefix's user: Wine takes it from the prefix, not from
# the environment, so the test compares the folder before and after.
wine_temp="$(ls -d "$prefix"/drive_c/users/*/Temp 2>/dev/null | head -n 1)"
[ -n "$wine_temp" ] || wine_temp="$(ls -d "$prefix"/drive_c/users/*/AppData/Local/Temp | head -n 1)"
ten_letter_files() { ls -A "$wine_temp" 2>/dev/null | grep -E '^[A-Za-z]{10}$' | sort || true; }
before="$(ten_letter_files)"

# A bare runtime: the missing-archive box, exit 0, nothing left behind.
"$wine_run" "$runtime" & pid=$!
box="$(wait_window Error 60)" || fail "no message box for a bare runtime"
press_key "$box" Return
wait_exit "$pid" 60
[ "$EXIT_CODE" = 0 ] || fail "bare runtime exit code $EXIT_CODE"
[ "$(ten_letter_files)" = "$before" ] || fail "bare runtime left a temporary file"
pass "bare runtime shows the missing-archive box and exits 0"

# A runtime carrying something that is not a ZIP archive: the copy is
# deleted, then the runtime-error box shows, and the exit code is 217.
cp "$runtime" "$SCRATCH/app.exe"
head -c 25000 /dev/urandom > "$SCRATCH/payload"
"$wine_run" "$append" "$SCRATCH/payload" "$SCRATCH/app.exe" > /dev/null
"$wine_run" "$SCRATCH/app.exe" & pid=$!
box="$(wait_window Error 60)" || fail "no runtime-error box for a non-archive"
[ "$(ten_letter_files)" = "$before" ] || fail "the copy is still there while the box shows"
press_key "$box" Return
wait_exit "$pid" 60
[ "$EXIT_CODE" = 217 ] || fail "non-archive exit code $EXIT_CODE"
pass "a non-archive ends with the runtime-error box and exit code 217"

# A runtime carrying a real site archive starts, reads it, leaves nothing.
mkdir -p "$SCRATCH/site/site"
printf '<p>hello</p>' > "$SCRATCH/site/site/index.html"
(cd "$SCRATCH/site" && zip -q -r -P "$(password)" ../site.zip .)
cp "$runtime" "$SCRATCH/app2.exe"
"$wine_run" "$append" "$SCRATCH/site.zip" "$SCRATCH/app2.exe" > /dev/null
"$wine_run" "$SCRATCH/app2.exe" & pid=$!
wait_exit "$pid" 60
[ "$EXIT_CODE" = 0 ] || fail "packed runtime exit code $EXIT_CODE"
[ "$(ten_letter_files)" = "$before" ] || fail "packed runtime left a temporary file"
pass "a packed site starts and leaves no temporary file"
