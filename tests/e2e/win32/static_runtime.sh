#!/usr/bin/env bash
# Every Windows program of the build stands alone: a PE image of the build's
# architecture (32-bit x86 for win32, x86-64 for win64), no MinGW runtime or
# library DLL beside it (only the system's own), and the runtime is a GUI
# program that opens no console.
set -euo pipefail
: "${LUMORA_BUILD:?LUMORA_BUILD names the build folder}"

case "${LUMORA_WINE_ARCH:-win32}" in
  win64) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 ;;
  *) objdump=i686-w64-mingw32-objdump format=pei-i386 ;;
esac
fail() { echo "FAIL: $*" >&2; exit 1; }

checked=0
while IFS= read -r exe; do
  headers="$("$objdump" -p "$exe")" || fail "$exe: not a readable PE file"
  grep -q "file format $format\$" <<<"$headers" || fail "$exe: not a $format image"
  # System DLLs never start with "lib" or name zlib; the MinGW runtime
  # (libstdc++-6, libgcc_s_*, libwinpthread-1) and zlib1 or libpcre2 do.
  foreign="$(awk '/DLL Name:/ { print $3 }' <<<"$headers" | grep -iE '^(lib|zlib)' || true)"
  [ -z "$foreign" ] || fail "$exe imports $(tr '\n' ' ' <<<"$foreign")"
  checked=$((checked + 1))
done < <(find "$LUMORA_BUILD" -name '*.exe' -not -path '*/CMakeFiles/*' | sort)

[ "$checked" -gt 0 ] || fail "no .exe in $LUMORA_BUILD"
echo "ok - $checked programs import only system DLLs"

headers="$("$objdump" -p "$LUMORA_BUILD/lumora.exe")"
grep -qE '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$headers" \
  || fail "lumora.exe is not a GUI-subsystem program"
echo "ok - lumora.exe is a GUI program"
