#!/usr/bin/env bash
# The host services as a page of a packed site uses them: files and
# folders on disk and in the site, the shell (documents to their handler,
# programs from temporary copies), the registry store, the system facts,
# sounds through a sink that records what played, a link to a listed
# program, and no temporary copy left after exit.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

RESULTS="$SCRATCH/results.txt"
CASES="$LUMORA_SOURCE/tests/fixtures/services"
RAN="$SCRATCH/ran.log"
APP_DIR="$SCRATCH"            # the packed program lives here
mkdir -p "$SCRATCH/cwd" "$SCRATCH/tools"

# Documents and folders go to the desktop's default handler: here a
# recorder registered for plain text and folders.
export XDG_DATA_HOME="$SCRATCH/data"
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
cat > "$SCRATCH/handler.sh" <<SH
#!/bin/sh
echo "handler|\$1" >> "$RAN"
SH
chmod +x "$SCRATCH/handler.sh"
cat > "$XDG_DATA_HOME/applications/lumora-test-handler.desktop" <<INI
[Desktop Entry]
Type=Application
Name=Handler
Exec=$SCRATCH/handler.sh %f
MimeType=text/plain;inode/directory;
INI
printf '[Default Applications]\ntext/plain=lumora-test-handler.desktop\ninode/directory=lumora-test-handler.desktop\n' \
  > "$XDG_CONFIG_HOME/mimeapps.list"
printf 'XDG_DOCUMENTS_DIR="$HOME/Lumora Test Documents"\n' > "$XDG_CONFIG_HOME/user-dirs.dirs"

# Programs record their name, where they ran from and their arguments.
recorder() {
  printf '#!/bin/sh\necho "%s|$0|$*" >> "%s"\n' "$1" "$RAN"
}

# Two sounds of 8-bit mono samples at 8 kHz: A is 0.2 s of the byte 0x40,
# B 0.1 s of 0xC0. The sink appends the raw samples it is given, in real
# time, to one file, so the order and length of every pass can be read.
mkdir -p "$SCRATCH/services/site/media" "$SCRATCH/services/site/docs" "$SCRATCH/services/site/tools"
python3 - "$SCRATCH/services/site/media" <<'PY'
import sys, wave
for name, value, count in (("a.wav", 0x40, 1600), ("b.wav", 0xC0, 800)):
    with wave.open(f"{sys.argv[1]}/{name}", "wb") as w:
        w.setnchannels(1); w.setsampwidth(1); w.setframerate(8000)
        w.writeframes(bytes([value]) * count)
PY
export LUMORA_AUDIO_SINK="identity sync=true ! fdsink fd=3"
: > "$SCRATCH/played.raw"

printf 'Read me from the site.\n' > "$SCRATCH/services/site/docs/readme.txt"
recorder inside > "$SCRATCH/services/site/tools/inside.sh"
recorder hello > "$SCRATCH/services/site/tools/hello.sh"
recorder setup-copy > "$SCRATCH/services/site/tools/setup.sh"
recorder setup-disk > "$SCRATCH/tools/setup.sh"
recorder disk > "$SCRATCH/disk.sh"
chmod +x "$SCRATCH/tools/setup.sh" "$SCRATCH/disk.sh"
printf 'beside the program' > "$SCRATCH/beside.txt"

page services index.html <<HTML
<!DOCTYPE html><html><body><h1>Services</h1><script>
var out = [];
var check = function (name, f) {
  try { var v = f(); out.push(name + '=' + typeof v + ':' + v); }
  catch (e) { out.push(name + '=' + e.name + ':' + e.message); }
};
var ext = window.external;
check('runtime', function () { return ext.appIsRuntime(); });
check('computer', function () { return ext.appComputerName(); });
check('user', function () { return ext.appUserName(); });
check('docs', function () { return ext.appDocsDir(); });
// The cases the Windows test runs too.
var path = function (name) { return '$SCRATCH/' + name; };
$(cat "$CASES/cases.js")
// The shell: documents and folders to their handler, programs started.
check('opendoc', function () { return ext.appOpenFile('docs/readme.txt'); });
check('openfolder', function () { return ext.appOpenFile('$SCRATCH/cwd'); });
check('openscript', function () { return ext.appOpenFile('tools/hello.sh'); });
check('opennone', function () { return ext.appOpenFile('docs/none.txt'); });
check('withsite', function () { return ext.appOpenFileWith('tools/inside.sh', 'docs/readme.txt'); });
check('withdisk', function () { return ext.appOpenFileWith('disk.sh', 'beside.txt'); });
check('withnone', function () { return ext.appOpenFileWith('none.sh', 'none.txt'); });
check('shellexec', function () { return ext.appShellExec('$SCRATCH/disk.sh'); });
check('find', function () { return ext.webFind(); });
check('minimize', function () { return ext.appMinimize(); });
check('restore', function () { return ext.appRestore(); });

// Sounds: A once; B looping, replaced by A once; B looping, then stopped.
var steps = [
  function () { out.push('play1=' + ext.appPlayWav('media/a.wav', false)); },
  function () { out.push('loop1=' + ext.appPlayWav('media/b.wav', true)); },
  function () { out.push('play2=' + ext.appPlayWav('/media/a.wav', 0)); },
  function () { out.push('loop2=' + ext.appPlayWav('media/B.WAV', 1)); },
  function () {
    out.push('stop=' + ext.appStopWav());
    out.push('nosound=' + ext.appPlayWav('media/none.wav', false));
    ext.appWriteFile('$RESULTS', out.join('\n'));
    location.href = 'tools/setup.sh';
  },
  // The print dialog holds the page until it closes.
  function () { ext.webPreview(); ext.appWriteFile('$SCRATCH/printed.txt', 'back'); },
];
var delays = [300, 600, 1000, 600, 700, 500];
var next = function (i) {
  if (i < steps.length) setTimeout(function () { steps[i](); next(i + 1); }, delays[i]);
};
next(0);
</script></body></html>
HTML
make_app services "IndexPage=site/index.html" "AppTitle=Services" "RootDirName=site" \
  "AppEscapeClose=1" "ExecuteFileExts=sh"

(cd "$SCRATCH/cwd" && exec "$SCRATCH/services.app" 3>> "$SCRATCH/played.raw") & pid=$!
main="$(wait_window Services)" || fail "no main window"
wait_results "$RESULTS"

expect runtime "number:1"
expect computer "string:$(hostname)"
expect user "string:$(id -un)"
expect docs "string:$HOME/Lumora Test Documents/"
pass "appIsRuntime, appComputerName, appUserName and appDocsDir"

while IFS= read -r line; do expect "${line%%=*}" "${line#*=}"; done < "$CASES/expected.txt"
[ ! -e "$SCRATCH/made" ] || fail "the removed folder is still there"
[ "$(tr -d '\r' < "$SCRATCH/written.txt" | sed '1s/^\xEF\xBB\xBF//')" = "bare name" ] ||
  fail "a bare file name was not written beside the program"
pass "folders made and removed with their contents; relative names read beside the program, then in the site"

store="$XDG_CONFIG_HOME/lumora/registry.sqlite3"
[ "$(sqlite3 "$store" "SELECT path FROM keys WHERE path LIKE 'Software\\Lumora%' ORDER BY path" | tr '\n' ',')" = 'Software\Lumora Test,Software\Lumora Test\Kept,' ] ||
  fail "keys in the store: $(sqlite3 "$store" 'SELECT path FROM keys')"
pass "the registry store is written, read, and cleared value by value and key by key"

# These give the page nothing back; what they did shows in the log.
for name in opendoc openfolder openscript opennone withsite withdisk withnone shellexec; do
  expect "$name" "undefined:undefined"
done
ran_all() { [ "$(wc -l < "$RAN" 2>/dev/null || echo 0)" -ge 7 ]; }
wait_until 10 ran_all || true
[ "$(wc -l < "$RAN")" = 7 ] || fail "expected seven programs and handlers to run: $(cat "$RAN")"
copy='lumora-[A-Za-z]\{10\}/[A-Za-z]\{10\}'
grep -q "^handler|$TEMP_FOLDER/$copy\.txt\$" "$RAN" || fail "the site's text file did not reach its handler: $(cat "$RAN")"
grep -q "^handler|$SCRATCH/cwd\$" "$RAN" || fail "the folder did not reach its handler: $(cat "$RAN")"
grep -q "^hello|$TEMP_FOLDER/$copy\.sh|\$" "$RAN" || fail "the site's script did not run from a copy: $(cat "$RAN")"
grep -q "^inside|$TEMP_FOLDER/$copy\.sh|$TEMP_FOLDER/$copy\.txt\$" "$RAN" ||
  fail "appOpenFileWith did not run the site's program on a copy of the site's file: $(cat "$RAN")"
grep -q "^disk|$SCRATCH/disk.sh|$SCRATCH/beside.txt\$" "$RAN" || fail "appOpenFileWith from disk: $(cat "$RAN")"
grep -q "^disk|$SCRATCH/disk.sh|\$" "$RAN" || fail "appShellExec: $(cat "$RAN")"
pass "documents and folders open in their handler, programs run from disk and from temporary copies"

grep -q "^setup-copy|$TEMP_FOLDER/$copy\.sh|\$" "$RAN" || fail "the listed program did not run from its copy: $(cat "$RAN")"
# Found in the site and beside the program, it runs once: the site's copy.
! grep -q "^setup-disk|" "$RAN" || fail "the listed program ran again from beside the program: $(cat "$RAN")"
[ "$(grep -c '^setup-copy|' "$RAN")" = 1 ] || fail "the listed program ran more than once"
pass "a link to a listed program in the site and beside the program runs its temporary copy, once"

[ "$(wait_window Find 5)" ] || fail "webFind showed no find box"
pass "webFind shows the find box; appMinimize and appRestore are accepted"

for name in play1 loop1 play2 loop2 stop nosound; do expect "$name" undefined; done
size="$(stat -c %s "$SCRATCH/played.raw")"
sound_goes_on() { [ "$(stat -c %s "$SCRATCH/played.raw")" != "$size" ]; }
expect_nothing_for 1 sound_goes_on || fail "the sound went on after appStopWav"
# The recording as runs of one sample value: "value count" per run.
runs="$(python3 - "$SCRATCH/played.raw" <<'PY'
import itertools, sys
data = open(sys.argv[1], "rb").read()
print(" ".join(f"{k:02x}:{len(list(g))}" for k, g in itertools.groupby(data)))
PY
)"
read -r -a run <<< "$runs"
[ "${#run[@]}" = 4 ] || fail "expected four passes of sound, got: $runs"
[ "${run[0]}" = "40:1600" ] || fail "A once: $runs"
[ "${run[1]%%:*}" = c0 ] && [ "${run[1]#*:}" -ge 2400 ] || fail "B looping, then replaced: $runs"
[ "${run[2]}" = "40:1600" ] || fail "A once after the loop: $runs"
[ "${run[3]%%:*}" = c0 ] && [ "${run[3]#*:}" -ge 1600 ] || fail "B looping, then stopped: $runs"
pass "sounds play once, loop until replaced or stopped ($runs)"

print="$(wait_window Print 20)" || fail "webPreview showed no print dialog"
[ ! -e "$SCRATCH/printed.txt" ] || fail "the page went on while the print dialog was open"
press_key "$print" Escape
wait_until 5 test -e "$SCRATCH/printed.txt" || true
[ -e "$SCRATCH/printed.txt" ] || fail "the page did not go on after the print dialog closed"
pass "webPreview shows the print dialog and the page waits for it"

press_key "$main" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
pass "the temporary copies are gone after exit"
