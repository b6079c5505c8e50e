#!/usr/bin/env bash
# lumora-pack --run --inspect: F12 and Ctrl+Shift+I open the web engine's
# inspector in a window of its own. Without --inspect, and in a packed
# program whatever its environment says, the keys open nothing.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

page inspect index.html <<'HTML'
<html><body>inspect me</body></html>
HTML
printf '[Lumora]\nIndexPage=site/index.html\nRootDirName=site\nAppTitle=Inspected\n' > "$SCRATCH/inspect/lm-config"

has_inspector() { [ "$(visible_windows 'Web Inspector')" -ge 1 ]; }

# preview KEY OPTIONS...: starts the preview, presses KEY in its window and
# leaves its process id in $preview.
preview() {
  local key="$1"; shift
  "$PACKER" --run "$@" "$SCRATCH/inspect" > "$SCRATCH/out" 2>&1 &
  preview=$!
  local window
  window="$(wait_window Inspected)" || fail "no preview window: $(cat "$SCRATCH/out")"
  press_key "$window" "$key"
}

for key in F12 ctrl+shift+i; do
  preview "$key" --inspect
  wait_until 60 has_inspector || fail "$key opened no inspector: $(cat "$SCRATCH/out")"
  [ "$(visible_windows 'Web Inspector')" = 1 ] && [ "$(visible_windows Inspected)" = 1 ] ||
    fail "$key: $(visible_windows 'Web Inspector') inspector and $(visible_windows Inspected) site windows"
  stop "$preview"
done
pass "--run --inspect: F12 and Ctrl+Shift+I open one inspector window beside the site's"

# Without the preview's switch, and for a finished program that is handed
# the preview's environment variable, nothing opens.
preview F12
still_running "$preview" 3 || fail "the preview ended"
has_inspector && fail "F12 opened an inspector without --inspect"
stop "$preview"
"$PACKER" "$SCRATCH/inspect" "$SCRATCH/inspect.app" > /dev/null || fail "packing"
LUMORA_INSPECT=1 "$SCRATCH/inspect.app" > /dev/null 2>&1 &
program=$!
press_key "$(wait_window Inspected)" F12
still_running "$program" 3 || fail "the program ended"
has_inspector && fail "a packed program opened the inspector for LUMORA_INSPECT=1"
stop "$program"
pass "without --inspect, and in a packed program with LUMORA_INSPECT=1, F12 opens nothing"
