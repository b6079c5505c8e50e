#!/usr/bin/env bash
# The runtime's size map (scripts/size-map over the lumora.map the link
# writes) accounts for the sections of lumora.exe as the image reports them,
# names the libraries they come from, and shows that none of libstdc++'s
# streams, locales, file system or floating-point formatter is linked in:
# every packed program carries the runtime, and those came only from calls
# the runtime no longer makes.
set -euo pipefail
: "${LUMORA_BUILD:?LUMORA_BUILD names the build folder}"
: "${LUMORA_SOURCE:?LUMORA_SOURCE names the source folder}"

case "${LUMORA_WINE_ARCH:-win32}" in
  win64) objdump=x86_64-w64-mingw32-objdump ;;
  *) objdump=i686-w64-mingw32-objdump ;;
esac
fail() { echo "FAIL: $*" >&2; exit 1; }

map="$LUMORA_BUILD/lumora.map"
[ -f "$map" ] || fail "no $map: the runtime's link writes it"
report="$("$LUMORA_SOURCE/scripts/size-map" --top 1000 --members 100000 "$map")"

# Each section of code, constants and unwind data as the map adds it up,
# beside its size in the image (which counts the padding between inputs too,
# and cuts .eh_frame to eight letters): within one percent.
headers="$("$objdump" -h "$LUMORA_BUILD/lumora.exe")"
compared=0
for section in .text .rdata .eh_frame .xdata .pdata; do
  imaged="$(awk -v s="${section:0:8}" '$2 == s { print $3; exit }' <<<"$headers")"
  [ -n "$imaged" ] || continue
  imaged=$((16#$imaged))
  mapped="$(awk -v s="$section" '$1 == s { gsub(",", "", $2); print $2; exit }' <<<"$report")"
  [ -n "$mapped" ] || fail "$section: in the image, not in the map"
  awk -v m="$mapped" -v i="$imaged" 'BEGIN { exit !(m <= i && i - m <= i / 100) }' \
    || fail "$section: the map accounts for $mapped bytes, the image holds $imaged"
  compared=$((compared + 1))
done
[ "$compared" -ge 3 ] || fail "only $compared sections compared"
echo "ok - the map accounts for the code, constants and unwind data"

libraries="$(sed -n '/^Bytes per library/,/^$/p' <<<"$report" | awk 'NR > 2 { print $1 }')"
for library in lumora lumora_base lumora_os lumora_os_desktop lumora_core lumora_ui stdc++ pcre2-8 z; do
  grep -qxF "$library" <<<"$libraries" || fail "no $library among the libraries: $(tr '\n' ' ' <<<"$libraries")"
done
echo "ok - the map names the runtime's libraries"

members="$(sed -n '/^Largest members/,$p' <<<"$report")"
unwanted="$(grep -oE 'stdc\+\+\((locale-inst|wlocale-inst|cxx11-locale-inst|fstream-inst|istream-inst|ostream-inst|sstream-inst|fs_ops|fs_path|fs_dir|floating_to_chars)\.o\)' <<<"$members" || true)"
[ -z "$unwanted" ] || fail "the runtime links $(tr '\n' ' ' <<<"$unwanted")"
echo "ok - no streams, locales, file system or float formatter of libstdc++ in the runtime"
