# The Windows half of the runtime tests' platform adapter (linux.sh says
# what each half gives); runtime.sh sources it for a Windows build. The
# programs are packed by the Linux packer beside this build (scripts/test
# builds it first) around this build's runtime and run under Wine; the
# Linux build's close helper asks their X windows to close the way a window
# manager's close button does.

LINUX_BUILD="${LUMORA_LINUX_BUILD:-$LUMORA_BUILD/../linux}"
PACKER="$LINUX_BUILD/lumora-pack"
CLOSE_WINDOW="$LINUX_BUILD/tests/helpers/lumora_close_window"
[ -x "$PACKER" ] && [ -x "$CLOSE_WINDOW" ] || fail "no Linux build at $LINUX_BUILD: build the linux preset first"
WINE_RUN="$LUMORA_SOURCE/scripts/wine-run"
RUNTIME="$LUMORA_BUILD/lumora.exe"
APPEND="$LUMORA_BUILD/tests/helpers/lumora_append.exe"
RUN_PREFIX=("$WINE_RUN")
# The prefix of this build's architecture, as scripts/wine-run picks it.
. "$LUMORA_SOURCE/scripts/lib/wine.sh"
export LUMORA_WINE_ARCH="${LUMORA_WINE_ARCH:-win32}"
lumora_wine_env "$LUMORA_WINE_ARCH"

# make_app (runtime.sh) packs this build's runtime into NAME.exe.
PACK_RUNTIME=(--runtime "$LUMORA_BUILD/lumora.exe")
APP_SUFFIX=.exe

# windows_path PATH: a path of this machine as Wine's programs name it
# (drive Z: is the root folder).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
native_path() { windows_path "$1"; }
# Every program started here logs what the site's protocol served.
log_served

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
left_temp_files() { new_temp_files "$TEMP_BEFORE"; }

# main_area WIDTH HEIGHT: the X window of a main window of that outer size
# with a sizeable frame: Wine leaves the frame to the window manager, so the
# X window is the client area, 8 by 27 pixels less (4-pixel borders, a
# 19-pixel caption).
main_area() { echo "$(($1 - 8))x$(($2 - 27))"; }

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
