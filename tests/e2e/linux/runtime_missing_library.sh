#!/usr/bin/env bash
# A packed program on a machine that lacks one of the runtime's libraries
# says which one, the package that holds it and how to install what the
# runtime needs, on standard error and, with a display, in a message box;
# and ends with 127. The machine here has them all, so the program loads a
# copy of the runtime library (LUMORA_RUNTIME_LIBRARY) that links a
# library by a name nothing has: the loader's own refusal, as a machine
# without the library gives it.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

page lacking index.html <<'HTML'
<!DOCTYPE html><html><body><h1>Lacking</h1></body></html>
HTML
make_app lacking "IndexPage=site/index.html" "AppTitle=Lacking"
program="$SCRATCH/lacking.app"

# lacking LIBRARY: a copy of the runtime library that links LIBRARY with its
# last character changed to 9, printing the copy's path.
lacking() {
  python3 - "$LUMORA_BUILD/lumora-runtime.so" "$SCRATCH/runtime-$1" "$1" <<'PY' || fail "cannot rename $1 in the runtime"
import sys
source, copy, name = sys.argv[1], sys.argv[2], sys.argv[3].encode()
data = open(source, "rb").read()
old, new = b"\0" + name + b"\0", b"\0" + name[:-1] + b"9\0"
# The first is the dynamic string table's, which comes before the data.
if old not in data:
    sys.exit(f"the runtime does not link {name}")
open(copy, "wb").write(data.replace(old, new, 1))
PY
  echo "$SCRATCH/runtime-$1"
}

# From a terminal's view (no display): the message on standard error only.
while read -r library package part; do
  copy="$(lacking "$library")"
  code=0
  env -u DISPLAY -u WAYLAND_DISPLAY LUMORA_RUNTIME_LIBRARY="$copy" "$program" 2> "$SCRATCH/err" || code=$?
  said="$(cat "$SCRATCH/err")"
  [ "$code" = 127 ] || fail "without $library: exit code $code, not 127 ($said)"
  for line in "lacking.app cannot start: the library ${library%?}9 is not installed." \
    "It is part of $part, in the package $package on Debian and Ubuntu." \
    "sudo apt install libwebkit2gtk-4.1-0 libgtk-3-0 gstreamer1.0-plugins-base gstreamer1.0-plugins-good"; do
    grep -qF "$line" <<< "$said" || fail "without $library the program does not say '$line': $said"
  done
  grep -q "error while loading shared libraries" <<< "$said" && fail "the loader's own message: $said"
done <<'CASES'
libwebkit2gtk-4.1.so.0 libwebkit2gtk-4.1-0 WebKitGTK 4.1
libgtk-3.so.0 libgtk-3-0 GTK 3
libgstreamer-1.0.so.0 libgstreamer1.0-0 GStreamer
CASES
pass "a missing library is named with its package, the install command and exit code 127"

# Started from a desktop (standard error not a terminal, a display): one
# message box too, titled with the program's name; the program ends when
# it is closed.
LUMORA_RUNTIME_LIBRARY="$(lacking libwebkit2gtk-4.1.so.0)" "$program" 2> "$SCRATCH/err" & pid=$!
window="$(wait_window lacking.app 30)" || fail "no message box: $(cat "$SCRATCH/err")"
windows_are lacking.app 1 || fail "$(visible_windows lacking.app) message boxes"
grep -qF "libwebkit2gtk-4.1.so.9 is not installed" "$SCRATCH/err" || fail "standard error: $(cat "$SCRATCH/err")"
close_window "$window"
wait_exit "$pid" 20
[ "$EXIT_CODE" = 127 ] || fail "after the message box: exit code $EXIT_CODE, not 127"
pass "started from a desktop, the program shows the message in one message box"
