#!/usr/bin/env bash
# The runtime with and without an appended archive, through real windows:
# the bare runtime's box, the runtime-error box for a payload that is no
# archive, a site archive written by Info-ZIP; on Linux a damaged start
# page, under Wine two programs started together from one large archive.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/runtime.sh"

# site_archive NAME TITLE [ZIP_OPTION...]: zips $SCRATCH/NAME (its site/
# folder written by the caller) with an lm-config as a Windows editor saves
# it (byte order mark, CR LF) into $SCRATCH/NAME.zip, encrypted with the
# archive password.
site_archive() {
  local name="$1" title="$2"; shift 2
  printf '\xEF\xBB\xBF[Lumora]\r\nIndexPage=site/index.html\r\nAppTitle=%s\r\nAppEscapeClose=1\r\n' "$title" > "$SCRATCH/$name/lm-config"
  rm -f "$SCRATCH/$name.zip"
  (cd "$SCRATCH/$name" && zip -q -r "$@" -P "$ARCHIVE_PASSWORD" "../$name.zip" .)
}

# A bare runtime: the missing-archive box, exit 0, nothing left behind.
# Under Wine every program shares one temporary folder: another program's
# archive in it is not ours to clear.
on win32 && printf 'kept' > "$WINE_TEMP/backup.archive"
start_program "$RUNTIME"
box="$(wait_window Error)" || fail "no message box for a bare runtime"
screenshot "$SCRATCH/bare.png"
press_key "$box" Return
wait_exit "$pid" 60
[ "$EXIT_CODE" = 0 ] || fail "bare runtime exit code $EXIT_CODE"
[ -z "$(left_temp_files)" ] || fail "bare runtime left $(left_temp_files)"
if on win32; then
  [ "$(cat "$WINE_TEMP/backup.archive" 2>/dev/null)" = kept ] || fail "a start removed another program's backup.archive"
  rm -f "$WINE_TEMP/backup.archive"
fi
pass "bare runtime shows the missing-archive box and exits 0, another program's archive left alone"

# A runtime carrying something that is not a ZIP archive: the copy is
# deleted, then the runtime-error box shows, and the exit code is 217.
head -c 25000 /dev/urandom > "$SCRATCH/payload"
append_archive "$SCRATCH/payload" "$SCRATCH/app$APP_SUFFIX"
# Under Wine the box names only the failure point; its text and cause go
# to the log in the shared temporary folder (only the lines this start
# added count). Wine's boxes do not copy themselves, so the log is where
# the box's text is read; Linux's text is checked in the unit tests.
if on win32; then
  log="$WINE_TEMP/lumora-errors.log"
  logged_before="$(if [ -e "$log" ]; then wc -l < "$log"; else echo 0; fi)"
fi
start_program "$SCRATCH/app$APP_SUFFIX"
box="$(wait_window Error)" || fail "no runtime-error box for a non-archive"
[ -z "$(left_temp_files)" ] || fail "the copy is still there while the box shows: $(left_temp_files)"
screenshot "$SCRATCH/runtime-error.png"
press_key "$box" Return
wait_exit "$pid" 60
[ "$EXIT_CODE" = 217 ] || fail "non-archive exit code $EXIT_CODE"
if on win32; then
  added="$(tail -n +"$((logged_before + 1))" "$log" 2>/dev/null | tr -d '\r' | grep -E ' Runtime error 217 at ')" ||
    fail "no line for the error in the log: $(tail -n 3 "$log" 2>/dev/null)"
  [ "$(printf '%s\n' "$added" | wc -l)" = 1 ] || fail "the error logged more than once: $added"
  printf '%s\n' "$added" | grep -qE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8} Runtime error 217 at [0-9A-F]{8}: .+' ||
    fail "log line: $added"
fi
pass "a non-archive ends with the runtime-error box and exit code 217 (under Wine its cause logged once)"

# A runtime carrying a real site archive shows its main window; closing it
# (Escape with AppEscapeClose on Linux, the window manager's close request
# under Wine) ends the program with 0 and leaves nothing.
mkdir -p "$SCRATCH/site/site"
printf '<p>hello</p>' > "$SCRATCH/site/site/index.html"
site_archive site "Packed Site"
append_archive "$SCRATCH/site.zip" "$SCRATCH/app2$APP_SUFFIX"
start_app app2
main="$(wait_window "Packed Site")" || fail "no main window for a packed site"
if on linux; then press_key "$main" Escape; else close_window "$main"; fi
ended_clean "$pid" "app2$APP_SUFFIX"
pass "a packed site shows its main window, closes with 0 and leaves no temporary file"

if on linux; then
  # A start page whose data is damaged is reported ("can't be read", in a
  # box captioned with the application title), not served as if whole.
  mkdir -p "$SCRATCH/broken/site"
  seq 1 3000 | sed 's/^/<p>line /' > "$SCRATCH/broken/site/index.html"
  site_archive broken "Broken Page"
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
  append_archive "$SCRATCH/broken.zip" "$SCRATCH/damaged$APP_SUFFIX"
  start_app damaged
  box="$(wait_window Damaged)" || fail "no box for a damaged start page"
  screenshot "$SCRATCH/damaged-page.png"
  press_key "$box" Return
  window="$(wait_window "Broken Page")" || fail "no main window"
  press_key "$window" Escape
  wait_exit "$pid"
  [ "$EXIT_CODE" = 0 ] || fail "damaged start page: exit code $EXIT_CODE"
  [ -z "$(left_temp_files)" ] || fail "damaged start page: left $(left_temp_files)"
  pass "a damaged start page is reported with a box, and the program closes normally"
fi

if on win32; then
  # Two programs started at once from one large archive copy it out of the
  # same program file at the same time: both start, both end with 0.
  head -c 150000000 /dev/urandom > "$SCRATCH/site/site/large.bin"
  site_archive site "Twin Site" -0
  rm -f "$SCRATCH/site/site/large.bin"
  append_archive "$SCRATCH/site.zip" "$SCRATCH/twin.exe"
  rm -f "$SCRATCH/site.zip"
  start_app twin; first=$pid
  start_app twin; second=$pid
  wait_until 90 windows_are "Twin Site" 2 ||
    fail "two programs started together: $(visible_windows "Twin Site") main windows, boxes: $(visible_windows Error)"
  for window in $(xdotool search --onlyvisible --name '^Twin Site$'); do close_window "$window"; done
  for pid in "$first" "$second"; do
    wait_exit "$pid" 60
    [ "$EXIT_CODE" = 0 ] || fail "a program started beside another ended with $EXIT_CODE"
  done
  [ -z "$(left_temp_files)" ] || fail "two programs left a temporary file"
  pass "two programs started together from one large archive both run and end with 0"
fi
