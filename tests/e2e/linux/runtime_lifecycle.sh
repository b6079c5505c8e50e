#!/usr/bin/env bash
# The program's life at its edges: a termination signal during the archive
# copy runs the release steps; what killed programs and packers left is
# removed by the next start, while what is in use stays; a write killed
# midway leaves nothing beside the user's file; a start-up failure names
# its real cause on standard error.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

runtime="$LUMORA_BUILD/lumora"
append="$LUMORA_BUILD/tests/helpers/lumora_append"

# wait_temp_file: waits for an archive copy to appear in the temporary folder.
has_temp_file() { [ -n "$(find "$TEMP_FOLDER" -name '*.archive' 2>/dev/null)" ]; }
wait_temp_file() { wait_until 4 has_temp_file; }

# SIGTERM while the archive is being copied: a large payload (a hole in the
# file, so it costs no disk to make) takes a while.
cp "$runtime" "$SCRATCH/big"
truncate -s +2000M "$SCRATCH/big"
"$SCRATCH/big" 2> "$SCRATCH/big.err" & pid=$!
wait_temp_file || fail "no archive copy appeared"
kill -TERM "$pid"
wait_exit "$pid" 20
[ "$EXIT_CODE" = 0 ] || fail "SIGTERM during the archive copy: exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "SIGTERM during the archive copy left $(temp_files)"
[ "$(visible_windows Error)" = 0 ] || fail "SIGTERM during the archive copy showed a box"
rm -f "$SCRATCH/big"
pass "SIGTERM during the archive copy ends with 0 and deletes the partial copy"

# A program killed outright leaves its folder; the next start removes it,
# and keeps the folder of a program that still runs.
page plain index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Plain</h1></body></html>
HTML
make_app plain "IndexPage=site/index.html" "AppTitle=Plain" "AppEscapeClose=1"
# program_folders: the folders of programs in the temporary folder.
program_folders() { temp_files | sed -n 's/\.lock$//p'; }
folders_are() { [ "$(program_folders | wc -l)" = "$1" ]; }
pids=()
for count in 1 2 3; do
  "$SCRATCH/plain.app" & pids+=($!)
  wait_until 10 windows_are Plain "$count" || true
done
[ "$(visible_windows Plain)" = 3 ] || fail "three programs did not start"
for pid in "${pids[@]}"; do kill -KILL "$pid"; wait "$pid" 2>/dev/null || true; done
folders_are 3 || fail "three killed programs should have left three folders: $(temp_files)"
[ "$(find "$TEMP_FOLDER" -name '*.archive' | wc -l)" = 3 ] || fail "the killed programs' copies: $(find "$TEMP_FOLDER")"
stale="$(program_folders)"
"$SCRATCH/plain.app" & first=$!
wait_window Plain > /dev/null || fail "no main window"
wait_until 5 folders_are 1 || true
folders_are 1 || fail "stale folders remain: $(temp_files)"
own="$(program_folders)"
grep -qx "$own" <<< "$stale" && fail "the running program's folder is one of the stale ones"
[ "$(temp_files | sort | tr '\n' ' ')" = "$own $own.lock " ] || fail "left beside the running program's: $(temp_files)"
"$SCRATCH/plain.app" & second=$!
wait_until 10 windows_are Plain 2 || true
[ "$(visible_windows Plain)" = 2 ] || fail "no second main window"
folders_are 2 && program_folders | grep -qx "$own" && [ -n "$(find "$TEMP_FOLDER/$own" -name '*.archive')" ] ||
  fail "a second start removed the folder of a running program: $(temp_files)"
stop "$first"
stop "$second"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
pass "the folders of killed programs go at the next start; a running program's folder stays"

# Everything else a killed program or packer leaves goes at the next start
# too: the copy appOpenFile made of a site program, and the folder of
# "lumora-pack --run" with the program it packed.
page opener index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Opener</h1><script>
window.external.appOpenFile('tool.sh');
</script></body></html>
HTML
printf '#!/bin/sh\necho ran > "%s"\n' "$SCRATCH/tool.ran" > "$SCRATCH/opener/site/tool.sh"
make_app opener "IndexPage=site/index.html" "AppTitle=Opener" "RootDirName=site"
"$SCRATCH/opener.app" & pid=$!
wait_until 20 test -e "$SCRATCH/tool.ran" || fail "the site's program did not run"
kill -KILL "$pid"; wait "$pid" 2>/dev/null || true
[ -n "$(find "$TEMP_FOLDER" -name '*.sh')" ] || fail "the killed program left no copy to remove"
probe="$LUMORA_BUILD/tests/helpers/lumora_run_probe"
"$PACKER" --run --runtime "$probe" "$SCRATCH/plain" hang > "$SCRATCH/run.out" 2>&1 & packer=$!
wait_until 20 grep -q '^arg hang' "$SCRATCH/run.out" || fail "the preview did not start: $(cat "$SCRATCH/run.out")"
preview="$(sed -n 's/^path //p' "$SCRATCH/run.out")"
child="$(pgrep -P "$packer")"
kill -KILL "$packer"; wait "$packer" 2>/dev/null || true
kill -KILL "$child"
[ -e "$preview" ] || fail "the killed packer left no program to remove"
"$SCRATCH/plain.app" & pid=$!
wait_window Plain > /dev/null || fail "no main window"
wait_until 5 eval '[ -z "$(find "$TEMP_FOLDER" -name "*.sh")" ] && [ ! -e "$preview" ]' || true
[ -z "$(find "$TEMP_FOLDER" -name '*.sh')" ] || fail "the copy of a killed program stayed: $(find "$TEMP_FOLDER")"
[ ! -e "$preview" ] && [ ! -e "$(dirname "$preview")" ] || fail "the folder of a killed --run stayed: $(find "$TEMP_FOLDER")"
stop "$pid"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
pass "copies a killed program made for pages and a killed preview's folder go at the next start"

# Under nohup "lumora-pack --run" keeps SIGHUP ignored, and so does the
# program it starts: the end of the terminal's session ends neither.
nohup "$PACKER" --run --runtime "$probe" "$SCRATCH/plain" hang > "$SCRATCH/run.out" 2>&1 & packer=$!
wait_until 20 grep -q '^arg hang' "$SCRATCH/run.out" || fail "the preview did not start under nohup: $(cat "$SCRATCH/run.out")"
child="$(pgrep -P "$packer")"
kill -HUP "$packer"
still_running "$packer" 2 && kill -0 "$child" 2>/dev/null || fail "SIGHUP ended lumora-pack --run started under nohup"
kill -TERM "$packer"
wait_exit "$packer"
wait_until 10 gone "$child" || fail "SIGTERM to lumora-pack --run under nohup left its program running"
pass "under nohup SIGHUP leaves lumora-pack --run and its program running; SIGTERM ends both"

# A full disk under the settings store: the browser emulation values are
# advisory, so the program starts without them and says so. The store (its
# keys made by the programs above) lies on a small file system of its own in
# a mount namespace; a holder keeps it open, so that it can still be read
# (its -shm and -wal files exist), and the file system is then filled to
# the brim. Mount namespaces need root.
if [ "$(id -u)" = 0 ] && unshare -m --propagation private true 2>/dev/null; then
  [ -f "$REGISTRY" ] || fail "no settings store to copy"
  full="$SCRATCH/full-config"
  mkdir -p "$full"
  mkfifo "$SCRATCH/holder"
  unshare -m --propagation private sh -c \
    'mount -t tmpfs -o size=512k tmpfs "$1" && mkdir "$1/lumora" && cp "$2" "$1/lumora/" &&
     exec sqlite3 "$1/lumora/registry.sqlite3" < "$3" > /dev/null' sh "$full" "$REGISTRY" "$SCRATCH/holder" &
  holder=$!
  exec 9> "$SCRATCH/holder"
  echo 'SELECT count(*) FROM keys;' >&9
  wait_until 10 test -e "/proc/$holder/root$full/lumora/registry.sqlite3-shm" || fail "the holder did not open the store"
  nsenter -t "$holder" -m sh -c 'dd if=/dev/zero of="$1/filler" bs=4k 2>/dev/null; true' sh "$full"
  XDG_CONFIG_HOME="$full" nsenter -t "$holder" -m "$SCRATCH/plain.app" 2> "$SCRATCH/full.err" & pid=$!
  window="$(wait_window Plain 30)" ||
    fail "a full disk under the settings store stopped the start: $(cat "$SCRATCH/full.err")"
  grep -q "browser emulation" "$SCRATCH/full.err" || fail "nothing said about the values: '$(cat "$SCRATCH/full.err")'"
  press_key "$window" Escape
  wait_exit "$pid"
  [ "$EXIT_CODE" = 0 ] || fail "a full disk under the settings store: exit code $EXIT_CODE"
  exec 9>&-
  wait "$holder" 2>/dev/null || true
  pass "a full disk under the settings store leaves the browser emulation values out and the program starts"
else
  echo "skip - a full disk under the settings store needs root for a mount namespace"
fi

# A write killed midway leaves no temporary file beside the target: once
# the page has written the file, a file size limit set on the running
# program kills it (SIGXFSZ) in the middle of its next, larger write.
RESULTS="$SCRATCH/written/out.txt"
mkdir -p "$SCRATCH/written"
page writer index.html <<HTML
<!DOCTYPE html><html><body><h1>Writer</h1><script>
var big = new Array(400000).join('0123456789');
window.external.appWriteFile('$RESULTS', 'first');
var again = function () { window.external.appWriteFile('$RESULTS', big); setTimeout(again, 100); };
setTimeout(again, 1000);
</script></body></html>
HTML
make_app writer "IndexPage=site/index.html" "AppTitle=Writer"
"$SCRATCH/writer.app" & pid=$!
wait_until 10 test -s "$RESULTS" || true
[ -s "$RESULTS" ] || fail "the page wrote nothing"
prlimit --pid "$pid" --fsize=2000000
wait_exit "$pid" 20
[ "$EXIT_CODE" = 153 ] || fail "the write was not cut short (exit $EXIT_CODE)"
[ "$(ls -A "$SCRATCH/written")" = out.txt ] || fail "a killed write left $(ls -A "$SCRATCH/written")"
[ "$(sed '1s/^\xEF\xBB\xBF//' "$RESULTS" | tr -d '\r\n')" = first ] || fail "the target lost its old content"
pass "a write killed midway leaves the old file and nothing beside it"

# An unusable runtime folder: the program takes the next private folder
# and starts. With no usable folder anywhere: the runtime-error box, and the
# real cause on standard error.
cp "$runtime" "$SCRATCH/app"
(cd "$SCRATCH/plain" && zip -q -r -P "$ARCHIVE_PASSWORD" ../plain.zip .)
"$append" "$SCRATCH/plain.zip" "$SCRATCH/app" > /dev/null
mkdir -p "$SCRATCH/blocked" "$SCRATCH/tmp"
chmod 1777 "$SCRATCH/tmp"
touch "$SCRATCH/blocked/lumora"
XDG_RUNTIME_DIR="$SCRATCH/blocked" TMPDIR="$SCRATCH/tmp" "$SCRATCH/app" 2> "$SCRATCH/app.err" & pid=$!
window="$(wait_window Plain)" || fail "a file planted in the runtime folder stopped the start: $(cat "$SCRATCH/app.err")"
[ -n "$(find "$SCRATCH/tmp/lumora-$(id -u)" -name '*.archive')" ] || fail "the archive copy is not in the next folder"
press_key "$window" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "a blocked runtime folder: exit code $EXIT_CODE"
pass "a blocked runtime folder: the program uses its folder below TMPDIR"
XDG_RUNTIME_DIR="$SCRATCH/blocked/lumora" TMPDIR="$SCRATCH/blocked/lumora" XDG_CACHE_HOME="$SCRATCH/blocked/lumora" \
  "$SCRATCH/app" 2> "$SCRATCH/app.err" & pid=$!
box="$(wait_window Error)" || fail "no runtime-error box for an unusable temporary folder"
press_key "$box" Return
wait_exit "$pid"
[ "$EXIT_CODE" = 217 ] || fail "unusable temporary folder: exit code $EXIT_CODE"
grep -q "Runtime error 217 at" "$SCRATCH/app.err" && grep -q "$SCRATCH/blocked/lumora/lumora" "$SCRATCH/app.err" &&
  grep -q "$SCRATCH/blocked/lumora/.lumora-tmp" "$SCRATCH/app.err" ||
  fail "standard error does not name the cause: '$(cat "$SCRATCH/app.err")'"
pass "a start-up failure writes its real cause to standard error"

# A termination signal while a box or dialog of the program is up ends the
# box's own loop, and the program then ends as from its main loop (exit 0,
# release steps run), whether the box shows before the main loop (the
# missing-archive box, the not-found box of an unknown style) or inside it
# (the save dialog, WebKit's print dialog). Each case: the program, the
# signal, and how many of its windows show once the box is up.
page themed index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Themed</h1></body></html>
HTML
make_app themed "IndexPage=site/index.html" "AppTitle=Themed" "AppTheme=No Such Style"
page saving index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Saving</h1><script>
setTimeout(function () { location.href = 'data.zip'; }, 300);
</script></body></html>
HTML
printf 'PK' > "$SCRATCH/saving/site/data.zip"
make_app saving "IndexPage=site/index.html" "AppTitle=Saving" "RootDirName=site"
page printing index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Printing</h1><script>
setTimeout(function () { window.external.webPreview(); }, 300);
</script></body></html>
HTML
make_app printing "IndexPage=site/index.html" "AppTitle=Printing"
# program_windows PID COUNT: true when exactly COUNT windows of PID show.
program_windows() { [ "$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l)" = "$2" ]; }
while IFS='|' read -r what program signal windows; do
  env --default-signal "$program" 2> /dev/null & pid=$!
  wait_until 60 program_windows "$pid" "$windows" || fail "$what: the box did not show"
  kill "-$signal" "$pid"
  wait_exit "$pid" 10
  [ "$EXIT_CODE" = 0 ] && [ -z "$(temp_files)" ] && [ -z "$(feature_values "${program##*/}")" ] ||
    fail "SIG$signal in $what: exit code $EXIT_CODE, left '$(temp_files)' '$(feature_values "${program##*/}")'"
done <<CASES
the missing-archive box|$runtime|TERM|1
the not-found box of an unknown style|$SCRATCH/themed.app|INT|1
the save dialog of a download|$SCRATCH/saving.app|HUP|2
WebKit's print dialog|$SCRATCH/printing.app|TERM|2
CASES
pass "a termination signal in a message box, the save or the print dialog ends the program with 0, leaving nothing"

# A page whose appCanClose runs for half a minute: the program does not wait for
# its answer longer than the call's time limit on a close request, and not
# at all once a termination signal came.
ASKED="$SCRATCH/asked.txt"
page slow index.html <<HTML
<!DOCTYPE html><html><body><h1>Slow</h1><script>
window.external.appWriteFile('$ASKED', 'loaded');
function appCanClose() {
  window.external.appWriteFile('$ASKED', 'asked');
  var start = Date.now();
  while (Date.now() - start < 30000) {}
  return true;
}
</script></body></html>
HTML
make_app slow "IndexPage=site/index.html" "AppTitle=Slow"
for signal in TERM ""; do
  rm -f "$ASKED"
  "$SCRATCH/slow.app" 2> /dev/null & pid=$!
  window="$(wait_window Slow)" || fail "no main window"
  wait_until 10 grep -q loaded "$ASKED" 2> /dev/null || fail "the page did not load"
  close_window "$window"
  wait_until 10 grep -q asked "$ASKED" 2> /dev/null || fail "the close request did not ask the page"
  if [ -n "$signal" ]; then
    kill "-$signal" "$pid"
    wait_exit "$pid" 5
  else
    wait_exit "$pid" 20
  fi
  [ "$EXIT_CODE" = 0 ] && [ -z "$(temp_files)" ] ||
    fail "a page that does not answer, signal '$signal': exit code $EXIT_CODE, left '$(temp_files)'"
done
pass "a page that does not answer holds the program neither past the time limit nor past a termination signal"
