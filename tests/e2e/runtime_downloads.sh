#!/usr/bin/env bash
# Links to files whose extension the site extracts are not navigated to:
# the save dialog offers them and the file chosen gets the entry's exact
# bytes, the default extension added to a name typed without it; a name
# that names an existing file is asked about before it is replaced. On
# Linux through a packed program's page (a name with non-ASCII letters is
# found in the site; an error while saving is shown in a box and the
# program goes on); under Wine through the main window's link handling in
# lumora_download_probe packed as the runtime (the first dialog offers the
# link's own name, the next one the name chosen last; a listed program
# found both in the site and beside the program runs once, from its
# temporary copy). No temporary copy is left after exit.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/runtime.sh"

if on linux; then
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

  wait_until 10 new_window > /dev/null || fail "no save dialog for a .zip link"
  dialog="$(new_window)"
  screenshot "$SCRATCH/save-dialog.png"
  save_as "$dialog" copy "$saved"
  wait_until 10 cmp -s "$saved" "$SCRATCH/downloads/site/files/data.zip" ||
    fail "the saved file differs from the entry: $(ls -l "$SCRATCH/saved")"
  pass "a .zip link opens the save dialog and saves the entry's bytes, its extension added to the name typed"

  # café.zip: the link reaches the program with its own letters, so the
  # entry is found. "copy" again names copy.zip, which exists: the question
  # comes first, and Return (Replace) saves over it.
  wait_until 5 gone_window "$dialog" || fail "the first dialog stayed"
  press_key "$main" n
  wait_until 10 new_window > /dev/null || fail "no save dialog for café.zip"
  dialog="$(new_window)"
  save_as "$dialog" copy "$saved"
  wait_until 10 new_window "$dialog" > /dev/null || fail "no question before replacing copy.zip"
  question="$(new_window "$dialog")"
  cmp -s "$saved" "$SCRATCH/downloads/site/files/data.zip" || fail "copy.zip was replaced before the answer"
  press_key "$question" Return
  wait_until 10 cmp -s "$saved" "$SCRATCH/downloads/site/files/café.zip" ||
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
  save_as "$dialog" /proc/lumora-denied /proc/lumora-denied.zip
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
  ended_clean "$pid" downloads.app
  pass "the window stayed on its page and closes normally"
fi

if on win32; then
  probe="$LUMORA_BUILD/tests/helpers/lumora_download_probe.exe"
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
  (cd "$SCRATCH/site" && zip -q -r -P "$ARCHIVE_PASSWORD" ../site.zip .)
  RUNTIME="$probe" append_archive "$SCRATCH/site.zip" "$SCRATCH/app.exe"

  export LUMORA_RUN_PROBE_LOG
  LUMORA_RUN_PROBE_LOG="$(windows_path "$SCRATCH/ran.log")"
  saved="$SCRATCH/saved.zip"
  # What the probe printed (Wine's C runtime ends its lines in CR LF).
  out() { tr -d '\r' < "$SCRATCH/out.txt"; }
  # Started in the scratch folder, where the dialog opens.
  (cd "$SCRATCH" && exec "$WINE_RUN" "$SCRATCH/app.exe" lmp://site/files/a.zip LMP://site/files/b.zip lmp://site/tools/run.exe) \
    > "$SCRATCH/out.txt" 2> "$SCRATCH/err.txt" & pid=$!

  # The first dialog offers the link's name; a name typed without its
  # extension gets the default one.
  dialog="$(wait_window 'Save As')" || fail "no save dialog: $(out)"
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
  runs() { tr -d '\r' < "$SCRATCH/ran.log" 2>/dev/null | grep -c '^path ' || true; }
  ran_once() { [ "$(runs)" -ge 1 ]; }
  ran_again() { [ "$(runs)" -ge 2 ]; }
  wait_until 20 ran_once || fail "the listed program did not run: $(cat "$SCRATCH/ran.log" 2>/dev/null)"
  # A second run would have been started right after the first.
  expect_nothing_for 2 ran_again || fail "the listed program ran twice: $(cat "$SCRATCH/ran.log")"
  ran="$(tr -d '\r' < "$SCRATCH/ran.log")"
  copy="$(printf '%s\n' "$ran" | sed -n 's/^path [A-Z]:\\.*\\\([A-Za-z]\{10\}\.exe\)$/\1/p')"
  [ -n "$copy" ] && [ "$(printf '%s\n' "$ran" | wc -l)" = 1 ] ||
    fail "the program did not run exactly once, from a temporary copy: $ran"
  wait_until 20 test ! -e "$WINE_TEMP/$copy" || fail "the temporary copy $copy is still there after exit"
  archive="$(out | sed -n 's/^copy .*\\\([^\\]*\)$/\1/p')"
  [ -n "$archive" ] && [ ! -e "$WINE_TEMP/$archive" ] || fail "the archive copy '$archive' is still there after exit"
  pass "a listed program in the site runs once, from its temporary copy; the copies are gone after exit"
fi
