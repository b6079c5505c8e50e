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

# A start page whose data is damaged is reported ("can't be read", in a box
# captioned with the application title), not served as if whole.
mkdir -p "$SCRATCH/broken/site"
seq 1 3000 | sed 's/^/<p>line /' > "$SCRATCH/broken/site/index.html"
printf '\xEF\xBB\xBF[Lumora]\r\nIndexPage=site/index.html\r\nAppTitle=Broken Page\r\nAppEscapeClose=1\r\n' > "$SCRATCH/broken/lm-config"
(cd "$SCRATCH/broken" && zip -q -r -P "$(password)" ../broken.zip .)
python3 - "$SCRATCH/broken.zip" <<'PY'
import sys, zipfile
path = sys.argv[1]
info = zipfile.ZipFile(path).getinfo("site/index.html")
data = bytearray(open(path, "rb").read())
# Past the local header and the 12-byte encryption header, into the data.
at = info.header_offset + 30 + len(info.filename) + len(info.extra) + 12 + info.compress_size // 2
data[at] ^= 0xFF
open(path, "wb").write(data)
PY
cp "$runtime" "$SCRATCH/damaged"
"$append" "$SCRATCH/broken.zip" "$SCRATCH/damaged" > /dev/null
"$SCRATCH/damaged" & pid=$!
box="$(wait_window Damaged)" || fail "no box for a damaged start page"
screenshot "$SCRATCH/damaged-page.png"
press_key "$box" Return
window="$(wait_window "Broken Page")" || fail "no main window"
press_key "$window" Escape
wait_exit "$pid"
[ "$EXIT_CODE" = 0 ] || fail "damaged start page: exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "damaged start page: left $(temp_files)"
pass "a damaged start page is reported with a box, and the program closes normally"
