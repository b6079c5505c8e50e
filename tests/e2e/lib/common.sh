# Shared helpers of the end-to-end tests. Source it first thing:
#   . "$(dirname "$0")/../lib/common.sh"
# It gives each test a display (re-running the script under Xvfb when there
# is none), a scratch folder removed at exit, and a private temporary folder
# for the programs it starts.
set -euo pipefail

if [ -z "${DISPLAY:-}" ] && [ -z "${LUMORA_E2E_UNDER_XVFB:-}" ]; then
  export LUMORA_E2E_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

: "${LUMORA_BUILD:?LUMORA_BUILD names the build folder}"
: "${LUMORA_SOURCE:?LUMORA_SOURCE names the source folder}"

SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT
# The runtime keeps its temporary files in $XDG_RUNTIME_DIR/lumora.
export XDG_RUNTIME_DIR="$SCRATCH/run"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
TEMP_FOLDER="$XDG_RUNTIME_DIR/lumora"

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok - $*"; }

# wait_window NAME [SECONDS]: prints the id of the first visible window
# whose title is exactly NAME, waiting for it to appear.
wait_window() {
  local name="$1" seconds="${2:-20}" id
  for _ in $(seq $((seconds * 10))); do
    id="$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n 1 || true)"
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

# screenshot FILE: the whole screen as a PNG.
screenshot() { import -window root "$1" 2>/dev/null || true; }

# wait_exit PID [SECONDS]: waits for the process and sets EXIT_CODE to its
# exit code, or to "timeout" (after killing it). Not for use inside $(...):
# only the shell that started the process can collect its exit code.
wait_exit() {
  local pid="$1" seconds="${2:-20}"
  EXIT_CODE=timeout
  for _ in $(seq $((seconds * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      EXIT_CODE=0
      wait "$pid" || EXIT_CODE=$?
      return 0
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# temp_files: what the programs left in their temporary folder.
temp_files() { ls -A "$TEMP_FOLDER" 2>/dev/null || true; }

# press_key WINDOW KEY...: gives the window the keyboard focus and types the
# keys as real input (Xvfb runs no window manager, so no activation, and
# toolkits ignore synthetic events sent to a window).
press_key() {
  local window="$1"; shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.2
  xdotool key --clearmodifiers "$@"
}

# password: the password packaged archives are encrypted with.
password() {
  sed -n 's/.*kArchivePassword = "\(.*\)";/\1/p' "$LUMORA_SOURCE/src/core/ExeHtmlSite.h"
}
