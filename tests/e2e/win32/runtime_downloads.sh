#!/usr/bin/env bash
# Links to listed files of a packed site under Wine, handled as the main
# window handles them (lumora_download_probe packed as the runtime): a zip
# saved through the classic save dialog, driven with xdotool, with the
# entry's exact bytes; the first dialog offers the link's own name, the
# next one the name chosen last; a listed program found both in the site
# and beside the program runs once, from its temporary copy; no temporary
# copy is left after exit.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"
. "$(dirname "$0")/../lib/wine.sh"

wine_run="$WINE_RUN"
probe="$LUMORA_BUILD/tests/helpers/lumora_download_probe.exe"
append="$LUMORA_BUILD/tests/helpers/lumora_append.exe"
[ -e "$append" ] || append="$LUMORA_BUILD/lumora_append.exe"
run_probe="$LUMORA_BUILD/tests/helpers/lumora_run_probe.exe"

mkdir -p "$SCRATCH/site/site/files" "$SCRATCH/site/site/tools"
head -c 30000 /dev/urandom > "$SCRATCH/site/site/files/a.zip"
head -c 20000 /dev/urandom > "$SCRATCH/site/site/files/b.zip"
cp "$run_probe" "$SCRATCH/site/site/tools/run.exe"
# The same program below the packed program's folder, without the root
# folder's name: not run, since the site has it.
mkdir -p "$SCRATCH/tools" && cp "$run_probe" "$SCRATCH/tools/run.exe"
printf '\xEF\xBB\xBF[Lumora]\r\nRootDirName=site\r\nExtractFileExts=zip\r\nExecuteFileExts=exe\r\n' \
  > "$SCRATCH/site/lm-config"
(cd "$SCRATCH/site" && zip -q -r -P "$(password)" ../site.zip .)
cp "$probe" "$SCRATCH/app.exe"
"$wine_run" "$append" "$SCRATCH/site.zip" "$SCRATCH/app.exe" > /dev/null

export LUMORA_RUN_PROBE_LOG
LUMORA_RUN_PROBE_LOG="$(windows_path "$SCRATCH/ran.log")"
saved="$SCRATCH/saved.zip"
# What the probe printed (Wine's C runtime ends its lines in CR LF).
out() { tr -d '\r' < "$SCRATCH/out.txt"; }
# Started in the scratch folder, where the dialog opens.
(cd "$SCRATCH" && exec "$wine_run" "$SCRATCH/app.exe" lmp://site/files/a.zip LMP://site/files/b.zip lmp://site/tools/run.exe) \
  > "$SCRATCH/out.txt" 2> "$SCRATCH/err.txt" & pid=$!
# A failed check must not leave the probe's dialog to the tests after it.
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$SCRATCH"' EXIT

# The first dialog offers the link's name; a name typed without its
# extension gets the default one.
dialog="$(wait_window 'Save As' 60)" || fail "no save dialog: $(out)"
save_as "$dialog" saved "$saved"
wait_until 20 cmp -s "$SCRATCH/site/site/files/a.zip" "$saved" ||
  fail "the saved file does not hold the entry's bytes: $(out)"
out | grep -qxF 'dialog zip ZIP|*.zip [a.zip]' || fail "first dialog: $(out)"
pass "the save dialog saves the entry's exact bytes under the name typed, its extension added"

# The second dialog offers that name again: Return takes it, and the dialog
# asks before replacing the file.
second_dialog() {
  out | grep -qx 'lmp://site/files/a.zip 1' && first_window 'Save As'
}
dialog="$(wait_until 30 second_dialog >/dev/null && second_dialog)" || fail "no second dialog: $(out)"
out | grep -qxF "dialog zip ZIP|*.zip [$(windows_path "$saved")]" ||
  fail "the second dialog was not offered the last name: $(out)"
# The question is the window that appears on Return (Wine titles it
# "Error"), among the probe's own windows: other tests share the display.
visible() { xdotool search --onlyvisible --pid "$pid" --name '.' 2>/dev/null | sort; }
shown_before="$(visible)"
prompt() { comm -13 <(printf '%s\n' "$shown_before") <(visible) | head -n 1; }
has_prompt() { [ -n "$(prompt)" ]; }
for attempt in 1 2 3; do
  press_key "$dialog" Return
  wait_until 5 has_prompt && break
done
has_prompt || fail "no question before replacing the file"
question="$(prompt)"
for attempt in 1 2 3; do
  press_key "$question" Return
  wait_until 5 cmp -s "$SCRATCH/site/site/files/b.zip" "$saved" && break
done
cmp -s "$SCRATCH/site/site/files/b.zip" "$saved" || fail "the second entry was not saved over the first"
pass "the next dialog offers the last name and asks before replacing the file"

wait_exit "$pid" 60
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE: $(cat "$SCRATCH/out.txt" "$SCRATCH/err.txt")"
out | grep -qx 'lmp://site/tools/run.exe 1' || fail "the program link: $(out)"
one_run() { [ "$(tr -d '\r' < "$SCRATCH/ran.log" 2>/dev/null | grep -c '^path ')" -ge 1 ]; }
wait_until 20 one_run || fail "the listed program did not run: $(cat "$SCRATCH/ran.log" 2>/dev/null)"
# A second run would have been started right after the first.
sleep 2
ran="$(tr -d '\r' < "$SCRATCH/ran.log")"
copy="$(printf '%s\n' "$ran" | sed -n 's/^path [A-Z]:\\.*\\\([A-Za-z]\{10\}\.exe\)$/\1/p')"
[ -n "$copy" ] && [ "$(printf '%s\n' "$ran" | wc -l)" = 1 ] ||
  fail "the program did not run exactly once, from a temporary copy: $ran"
wait_until 20 test ! -e "$WINE_TEMP/$copy" || fail "the temporary copy $copy is still there after exit"
archive="$(out | sed -n 's/^copy .*\\\([^\\]*\)$/\1/p')"
[ -n "$archive" ] && [ ! -e "$WINE_TEMP/$archive" ] || fail "the archive copy '$archive' is still there after exit"
pass "a listed program in the site runs once, from its temporary copy; the copies are gone after exit"
