# Which Wine runs which Windows build; sourced by scripts/setup, scripts/test,
# scripts/wine-run and the Windows e2e tests, so they all agree.
#
# Two prefixes below the cache, one per architecture: "wine-win64" for the
# 64-bit build, run by the 64-bit loader everywhere, and "wine-win32" for the
# 32-bit build, only where the machine runs 32-bit programs (some kernels are
# built without them). Debian's "wine" wrapper always prefers the 32-bit
# loader when it is installed, so each loader is called by its own path.

LUMORA_WINE_LOADER32=/usr/lib/wine/wine
LUMORA_WINE_LOADER64=/usr/lib/wine/wine64

# lumora_wine_env ARCH: exports what runs programs of ARCH (win32 or win64)
# in the project's prefix for it: WINEPREFIX, WINEARCH, WINELOADER, and
# LUMORA_WINE, the loader to call.
lumora_wine_env() {
  local cache="${LUMORA_CACHE:-$HOME/.cache/lumora}"
  case "$1" in
    win32) LUMORA_WINE="$LUMORA_WINE_LOADER32" ;;
    win64) LUMORA_WINE="$LUMORA_WINE_LOADER64" ;;
    *) echo "lumora_wine_env: no such Wine architecture: $1" >&2; return 2 ;;
  esac
  export WINEARCH="$1" WINEPREFIX="$cache/wine-$1" WINELOADER="$LUMORA_WINE" LUMORA_WINE
  export WINEDEBUG="${WINEDEBUG:--all}"
}

# lumora_runs_32bit: true when this machine can run the 32-bit Wine, found by
# starting it; otherwise LUMORA_NO_32BIT_REASON says why. Tests that want to
# see how a machine without 32-bit programs is handled set
# LUMORA_TEST_NO_32BIT=1.
lumora_runs_32bit() {
  if [ -n "${LUMORA_TEST_NO_32BIT:-}" ]; then
    LUMORA_NO_32BIT_REASON="LUMORA_TEST_NO_32BIT is set"
    return 1
  fi
  if [ ! -x "$LUMORA_WINE_LOADER32" ]; then
    LUMORA_NO_32BIT_REASON="the 32-bit Wine is not installed"
    return 1
  fi
  local out
  if ! out="$("$LUMORA_WINE_LOADER32" --version 2>&1)"; then
    case "$out" in
      *"Exec format error"*) LUMORA_NO_32BIT_REASON="this machine runs no 32-bit programs" ;;
      *) LUMORA_NO_32BIT_REASON="the 32-bit Wine does not start: ${out%%$'\n'*}" ;;
    esac
    return 1
  fi
}

# lumora_pe_arch FILE: "win32" or "win64" after the machine type of a
# Windows program's PE header; nothing for any other file.
lumora_pe_arch() {
  [ -f "$1" ] || return 0
  local pe machine
  [ "$(head -c 2 "$1" 2>/dev/null)" = MZ ] || return 0
  pe="$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')"
  [ -n "$pe" ] || return 0
  machine="$(od -An -t x2 -j $((pe + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')"
  case "$machine" in
    014c) echo win32 ;;
    8664) echo win64 ;;
  esac
}

# lumora_wineserver ARGS: the wineserver of the current WINEPREFIX (the
# 64-bit server serves both kinds of prefix).
lumora_wineserver() {
  if [ -x /usr/lib/wine/wineserver64 ]; then /usr/lib/wine/wineserver64 "$@"; else wineserver "$@"; fi
}
