# Helpers of the Windows runtime's window tests under Wine; source after
# common.sh and runtime.sh. The programs are packed by the Linux packer
# beside this build (scripts/test builds it first) around this build's
# runtime and run under Wine; the Linux build's close helper asks their X
# windows to close the way a window manager's close button does.

LINUX_BUILD="${LUMORA_LINUX_BUILD:-$LUMORA_BUILD/../linux}"
PACKER="$LINUX_BUILD/lumora-pack"
CLOSE_WINDOW="$LINUX_BUILD/tests/helpers/lumora_close_window"
[ -x "$PACKER" ] && [ -x "$CLOSE_WINDOW" ] || fail "no Linux build at $LINUX_BUILD: build the linux preset first"
WINE_RUN="$LUMORA_SOURCE/scripts/wine-run"
# The prefix of this build's architecture, as scripts/wine-run picks it.
. "$LUMORA_SOURCE/scripts/lib/wine.sh"
export LUMORA_WINE_ARCH="${LUMORA_WINE_ARCH:-win32}"
lumora_wine_env "$LUMORA_WINE_ARCH"

# make_app (runtime.sh) packs this build's runtime into NAME.exe.
PACK_RUNTIME=(--runtime "$LUMORA_BUILD/lumora.exe")
APP_SUFFIX=.exe

# What the programs' protocol served: LUMORA_SERVED_LOG names a folder that
# gets one file per answered request, "N.txt" (the request's line, then
# the bytes). served_count: how many requests were answered.
SERVED="$SCRATCH/served"
mkdir -p "$SERVED"
# windows_path PATH: a path of this machine as Wine's programs name it
# (drive Z: is the root folder).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export LUMORA_SERVED_LOG="$(windows_path "$SERVED")"
served_count() { find "$SERVED" -name '*.txt' | wc -l; }
# served N: record N as "request|bytes" on one line.
served() { tr '\n' '|' < "$SERVED/$1.txt"; }

# The temporary folder of the prefix's user (GetTempPathW): Wine takes it
# from the prefix, not from the environment. wine_temp_files: the runtime's
# temporary files in it: each program's folder ("lumora-" and ten letters)
# and its lock (".lock"), and any archive copy named as the runtime names
# them, which would show a copy made outside the program's folder.
WINE_TEMP="$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp 2>/dev/null | head -n 1)"
[ -n "$WINE_TEMP" ] || WINE_TEMP="$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp 2>/dev/null | head -n 1)"
# Without it, "no copy left" would hold however the copies were handled.
[ -d "$WINE_TEMP" ] || fail "no temporary folder of Wine's user in $WINEPREFIX"
# new_temp_files BEFORE: the copies that are there now and were not in
# BEFORE (an earlier wine_temp_files). A start may also clear copies that
# ended programs left, so only new ones count.
wine_temp_files() { ls -A "$WINE_TEMP" 2>/dev/null | grep -E '^(lumora-)?[A-Za-z]{10}(\.archive|\.lock)?$' | sort || true; }
new_temp_files() { comm -13 <(printf '%s\n' "$1" | sed '/^$/d') <(wine_temp_files); }
TEMP_BEFORE="$(wine_temp_files)"

# emulation_values PROGRAM: the browser emulation values named after
# PROGRAM (a file name) in Wine's registry, one "key type value" line each.
emulation_values() {
  local key
  for key in FEATURE_BROWSER_EMULATION FEATURE_GPU_RENDERING; do
    "$WINE_RUN" reg query "HKCU\\Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\$key" /v "$1" 2>/dev/null |
      tr -d '\r' | awk -v key="$key" -v name="$1" '$1 == name { print key, $2, $3 }'
  done
}

# net_state WINDOW: the window's _NET_WM_STATE atoms, one a line.
net_state() { xprop -id "$1" _NET_WM_STATE | sed -n 's/.*= //p' | tr ',' '\n' | tr -d ' '; }
# motif_hints WINDOW: the _MOTIF_WM_HINTS Wine gives the window manager
# ("flags, functions, decorations, ...").
motif_hints() { xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= //p'; }

# ended_clean PID PROGRAM: waits for the program started as PID to end, and
# fails unless it ended with 0 and left neither a temporary copy new since
# $TEMP_BEFORE nor its browser emulation values (PROGRAM is its file name).
ended_clean() {
  wait_exit "$1" 30
  [ "$EXIT_CODE" = 0 ] || fail "$2 ended with $EXIT_CODE"
  [ -z "$(new_temp_files "$TEMP_BEFORE")" ] || fail "$2 left its temporary copy"
  [ -z "$(emulation_values "$2")" ] || fail "$2 left its emulation values: $(emulation_values "$2")"
}

# focused WINDOW: true while WINDOW has the keyboard focus.
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

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
    [ "$(first_window 'Save As')" = "$1" ] || return 0
  done
}
