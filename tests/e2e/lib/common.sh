# Shared helpers of the end-to-end tests. Source it first thing:
#   . "$(dirname "$0")/../lib/common.sh"
# It gives each test a display (the one way the tests get one:
# scripts/with-display, which ctest runs them through too), a scratch
# folder removed at exit, and a private temporary folder for the programs
# it starts.
set -euo pipefail

: "${LUMORA_BUILD:?LUMORA_BUILD names the build folder}"
: "${LUMORA_SOURCE:?LUMORA_SOURCE names the source folder}"

if [ -z "${DISPLAY:-}" ]; then
  exec "$LUMORA_SOURCE/scripts/with-display" bash "$0" "$@"
fi

SCRATCH="$(mktemp -d)"
# At exit, passed or failed, the programs the test started and left running
# end too (a failed test would otherwise leave its program open and its
# runner waiting), then the scratch folder goes.
end_test() {
  local pid
  for pid in $(jobs -p); do kill "$pid" 2>/dev/null || true; done
  for pid in $(jobs -p); do wait "$pid" 2>/dev/null || true; done
  rm -rf "$SCRATCH"
}
trap end_test EXIT
# The runtime keeps its temporary files in $XDG_RUNTIME_DIR/lumora.
export XDG_RUNTIME_DIR="$SCRATCH/run"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
TEMP_FOLDER="$XDG_RUNTIME_DIR/lumora"

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok - $*"; }
# on PLATFORM: true when the test runs for that platform's build (linux,
# win32); for the cases that only one system has.
on() { [ "${LUMORA_PLATFORM:-linux}" = "$1" ]; }

# The one password every packaged archive is encrypted with, read from
# the header that defines it.
ARCHIVE_PASSWORD="$(sed -n 's/.*kArchivePassword = "\(.*\)";/\1/p' "$LUMORA_SOURCE/src/core/ExeHtmlSite.h")"
[ -n "$ARCHIVE_PASSWORD" ] || fail "no archive password in src/core/ExeHtmlSite.h"

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until
# it succeeds (true) or SECONDS have passed (false). The one way the tests
# wait for something to happen.
wait_until() {
  local seconds="$1"; shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# expect_nothing_for SECONDS COMMAND...: true when COMMAND stays false for
# SECONDS (it may be a fraction), checked every tenth of a second; false as
# soon as it comes true. The one place a test waits out a time: that
# something does not happen can only be seen by watching for a while, and
# SECONDS is how long the thing would take at most if it did happen.
expect_nothing_for() {
  local seconds="$1"; shift
  local deadline
  deadline="$(awk -v now="$EPOCHREALTIME" -v s="$seconds" 'BEGIN { printf "%.0f", (now + s) * 1000 }')"
  while ! "$@"; do
    [ "$(awk -v now="$EPOCHREALTIME" 'BEGIN { printf "%.0f", now * 1000 }')" -lt "$deadline" ] || return 0
    sleep 0.1
  done
  return 1
}

# still_running PID SECONDS: true when the process lives on for SECONDS.
still_running() { expect_nothing_for "$2" gone "$1"; }

# first_window NAME: the id of the first visible window titled exactly NAME.
first_window() {
  local id
  id="$(xdotool search --onlyvisible --name "^${1}\$" 2>/dev/null | head -n 1 || true)"
  [ -n "$id" ] && echo "$id"
}

# wait_window NAME [SECONDS]: prints the id of the first visible window
# whose title is exactly NAME, waiting for it to appear (60 s by default: a
# WebKit window can take many seconds to show on a loaded machine, and the
# limit costs nothing when the window comes). The id is the one the
# successful look prints: looking again could miss a window that a
# program unmaps for a moment while it starts.
wait_window() { wait_until "${2:-60}" first_window "$1"; }

# window_sized NAME WIDTHxHEIGHT: the id of a visible window titled NAME
# with that size; false when there is none.
window_sized() {
  local id
  for id in $(xdotool search --onlyvisible --name "^${1}\$" 2>/dev/null); do
    if [ "$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')" = "$2" ]; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# screenshot FILE: the whole screen as a PNG.
screenshot() { import -window root "$1" 2>/dev/null || true; }

# wait_exit PID [SECONDS]: waits for the process and sets EXIT_CODE to its
# exit code, or to "timeout" (after killing it outright: a program that
# did not end may be one that ignores SIGTERM). Not for use inside $(...):
# only the shell that started the process can collect its exit code.
wait_exit() {
  local pid="$1" seconds="${2:-20}"
  EXIT_CODE=timeout
  if wait_until "$seconds" gone "$pid"; then
    EXIT_CODE=0
    wait "$pid" || EXIT_CODE=$?
    return 0
  fi
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# gone PID: true once the process has ended.
gone() { ! kill -0 "$1" 2>/dev/null; }

# temp_files: what the programs left in their temporary folder.
temp_files() { ls -A "$TEMP_FOLDER" 2>/dev/null || true; }

# focused WINDOW: true while WINDOW has the keyboard focus.
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# press_key WINDOW KEY...: gives the window the keyboard focus and types the
# keys as real input (Xvfb runs no window manager, so no activation, and
# toolkits ignore synthetic events sent to a window). The X server hands the
# toolkit its focus event before the keys, so once the focus is seen here
# the keys reach the window.
press_key() {
  local window="$1"; shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  wait_until 5 focused "$window" || true
  xdotool key --clearmodifiers "$@"
}
