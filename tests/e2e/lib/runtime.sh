# Helpers of the runtime's window tests; source after common.sh. Sites are
# packed with the real packer into programs below $SCRATCH, which run the
# same way on both systems through the platform adapter sourced at the end
# (linux.sh or wine.sh).

# make_app NAME CONFIG_LINE...: packs $SCRATCH/NAME (its site/ folder
# written by the caller) with an lm-config of the given lines into the
# program $SCRATCH/NAME$APP_SUFFIX (NAME.app, NAME.exe for Windows).
make_app() {
  local name="$1"; shift
  printf '[Lumora]\n' > "$SCRATCH/$name/lm-config"
  printf '%s\n' "$@" >> "$SCRATCH/$name/lm-config"
  "$PACKER" "${PACK_RUNTIME[@]}" "$SCRATCH/$name" "$SCRATCH/$name$APP_SUFFIX" > /dev/null || fail "packing $name"
}

# damage_entry PROGRAM ENTRY: flips one byte of ENTRY's data in the packed
# PROGRAM (past the 12-byte encryption header), so that reading it fails.
damage_entry() {
  python3 - "$1" "$2" <<'PY' || fail "could not damage $2 in $1"
import sys, zipfile
path, name = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(path) as archive:
    entry = archive.getinfo(name)
with open(path, "r+b") as program:
    program.seek(entry.header_offset + 26)
    lengths = program.read(4)
    data = entry.header_offset + 30 + int.from_bytes(lengths[:2], "little") + int.from_bytes(lengths[2:], "little")
    at = data + 12 + min(88, max(0, entry.compress_size - 13))
    program.seek(at)
    byte = program.read(1)
    program.seek(at)
    program.write(bytes([byte[0] ^ 0xFF]))
PY
}

# page NAME FILE: writes site/FILE of site NAME from standard input.
page() {
  mkdir -p "$SCRATCH/$1/site"
  cat > "$SCRATCH/$1/site/$2"
}

# close_window WINDOW: the window manager's close request.
close_window() { "$CLOSE_WINDOW" "$1"; }

# visible_windows TITLE: how many visible windows have exactly that title.
visible_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
# windows_are TITLE COUNT: true when exactly COUNT windows have that title.
windows_are() { [ "$(visible_windows "$1")" = "$2" ]; }


# size_of WINDOW: "WIDTHxHEIGHT".
size_of() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'; }

# hints WINDOW: the size hints the program gave the window manager.
hints() { xprop -id "$1" WM_NORMAL_HINTS; }

# stop PID: ends a program that a test has finished with.
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

# Pages report what their calls answered as "name=value" lines, written
# through window.external as a text file.
# wait_results FILE: waits for the page to write FILE and keeps its lines
# without the byte order mark and CRs for expect.
wait_results() {
  wait_until 15 test -s "$1" || fail "the page wrote no results through window.external"
  sed '1s/^\xEF\xBB\xBF//' "$1" | tr -d '\r' > "$SCRATCH/results.clean"
}

# expect NAME VALUE: the page reported exactly NAME=VALUE.
expect() {
  local line
  line="$(grep "^$1=" "$SCRATCH/results.clean" || true)"
  [ "$line" = "$1=$2" ] || fail "$1: expected '$2', got '${line#*=}'"
}

# top_pixel WINDOW: the colour (rrggbb) a few pixels below the middle of
# the window's top edge: the caption bar, where there is one.
top_pixel() {
  import -window "$1" "$SCRATCH/shot.png" 2>/dev/null || fail "no screenshot of window $1"
  local width
  width="$(identify -format '%w' "$SCRATCH/shot.png")"
  convert "$SCRATCH/shot.png" -format "%[hex:p{$((width / 2)),5}]" info: | cut -c1-6 | tr 'A-F' 'a-f'
}

# is_carbon_caption COLOUR: Carbon's caption, active or not (no window
# manager focuses a window here).
is_carbon_caption() { [ "$1" = 121212 ] || [ "$1" = 171717 ]; }

# gone_window WINDOW: true once the window is no longer shown.
gone_window() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# box_says BOX TEXT: true when the message box BOX shows exactly TEXT.
# Ctrl+C copies a box as a Windows box copies itself (caption, text and
# button between dashed lines); the text copied is kept in $SCRATCH/box.txt.
box_part() { xclip -o -selection clipboard 2>/dev/null | awk -v part="$1" '$0 == "---------------------------" { n++; next } n == part'; }
box_copied() { [ "$(box_part 1)" = "$(xdotool getwindowname "$1")" ]; }
box_says() {
  local attempt
  for attempt in 1 2 3; do
    press_key "$1" ctrl+c
    wait_until 2 box_copied "$1" && break
  done
  box_part 2 > "$SCRATCH/box.txt"
  [ "$(cat "$SCRATCH/box.txt")" = "$2" ]
}

# start_program PROGRAM [ARGS...]: starts a program of this build as a job
# of the test's shell (end_test ends it) and sets pid to its process (a
# simple command, so the job is the program itself and a signal sent to pid
# reaches it). start_app NAME [ARGS...]: the same for $SCRATCH/NAME.
start_program() { "${RUN_PREFIX[@]}" "$@" & pid=$!; }
# run_built PROGRAM [ARGS...]: runs a program of this build and waits for it.
run_built() { "${RUN_PREFIX[@]}" "$@"; }
start_app() {
  local name="$1"; shift
  start_program "$SCRATCH/$name$APP_SUFFIX" "$@"
}

# append_archive ARCHIVE PROGRAM: copies the bare runtime to PROGRAM and
# appends ARCHIVE to it with the build's own helper.
append_archive() {
  cp "$RUNTIME" "$2"
  run_built "$APPEND" "$1" "$2" > /dev/null || fail "appending $1 to $2"
}

# ended_clean PID PROGRAM: waits for the program started as PID to end, and
# fails unless it ended with 0 and left neither a temporary file nor its
# browser emulation values (PROGRAM is its file name).
ended_clean() {
  wait_exit "$1" 60
  [ "$EXIT_CODE" = 0 ] || fail "$2 ended with $EXIT_CODE"
  [ -z "$(left_temp_files)" ] || fail "$2 left its temporary files: $(left_temp_files)"
  [ -z "$(emulation_values "$2")" ] || fail "$2 left its emulation values: $(emulation_values "$2")"
}

# save_as DIALOG NAME FILE: types NAME into the save dialog DIALOG and
# presses Return, until FILE has content or the dialog is gone. Unit tests
# may share the display and take the focus for a moment, so a name whose
# keys went astray is typed again while the dialog still shows.
save_as() {
  local attempt
  for attempt in 1 2 3; do
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    wait_until 5 focused "$1" || continue
    xdotool key --clearmodifiers Home shift+End
    xdotool type --delay 10 "$2"
    xdotool key --clearmodifiers Return
    wait_until 5 test -s "$3" && return 0
    ! gone_window "$1" || return 0
  done
}

# What the programs' protocol served: LUMORA_SERVED_LOG names a folder that
# gets one file per answered request, "N.txt" (the request's line, then
# the bytes), N counting from 1 in each program. log_served: the programs
# started from here on log there. served_count: how many requests were
# answered; served N: request N as "request|bytes" on one line; was_served
# NAME: whether a request named NAME; clear_served: forget what was served.
SERVED="$SCRATCH/served"
mkdir -p "$SERVED"
log_served() { LUMORA_SERVED_LOG="$(native_path "$SERVED")"; export LUMORA_SERVED_LOG; }
served_count() { find "$SERVED" -name '*.txt' | wc -l; }
served() { tr '\n' '|' < "$SERVED/$1.txt"; }
was_served() { head -qn 1 "$SERVED"/*.txt 2>/dev/null | grep -q -- "$1"; }
clear_served() { rm -f "$SERVED"/*.txt; }

case "${LUMORA_PLATFORM:-linux}" in
  win32) . "$LUMORA_SOURCE/tests/e2e/lib/wine.sh" ;;
  *) . "$LUMORA_SOURCE/tests/e2e/lib/linux.sh" ;;
esac
