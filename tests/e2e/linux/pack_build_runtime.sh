#!/usr/bin/env bash
# The build folder's runtime, which every program packed there carries: a
# launcher that links the C library alone, carrying the runtime library
# lumora-runtime.so. Neither has debug information or symbols; they are in
# lumora.debug beside them, where the debugger finds them through the
# library's debug link.
. "$(dirname "$0")/../lib/common.sh"

runtime="$LUMORA_BUILD/lumora"
library="$LUMORA_BUILD/lumora-runtime.so"
for program in "$runtime" "$library"; do
  grep -qE '\.debug_info|\.symtab' <<< "$(readelf -S -W "$program")" &&
    fail "${program##*/} carries debug information or symbols"
done
needed="$(readelf -d "$runtime" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')"
[ "$needed" = "libc.so.6 " ] || fail "the launcher links more than the C library: $needed"
readelf -d "$library" | grep -qF '[libwebkit2gtk-4.1.so.0]' || fail "the runtime library does not link WebKitGTK"
# The library it carries is the build's, byte for byte.
objcopy -O binary --only-section=.lumora.runtime "$runtime" "$SCRATCH/carried" ||
  fail "the launcher has no runtime section"
cmp -s "$SCRATCH/carried" "$library" || fail "the launcher carries another runtime library than lumora-runtime.so"
pass "the launcher links only the C library and carries lumora-runtime.so; neither has debug information"

[ "$(readelf --string-dump=.gnu_debuglink "$library" | sed -n 's/.*\] *//p' | head -n 1)" = lumora.debug ] ||
  fail "no debug link to lumora.debug: $(readelf --string-dump=.gnu_debuglink "$library" 2>&1)"
readelf -S -W "$LUMORA_BUILD/lumora.debug" | grep -q '\.debug_info' || fail "lumora.debug holds no debug information"
build_id() { readelf -n "$1" | sed -n 's/.*Build ID: //p'; }
[ -n "$(build_id "$library")" ] && [ "$(build_id "$library")" = "$(build_id "$LUMORA_BUILD/lumora.debug")" ] ||
  fail "the library and lumora.debug have no common build id"
gdb -batch -ex 'info line lumora::TMainForm::FormCreate' "$library" 2>&1 | grep -q 'starts at address .*TMainForm10FormCreate' ||
  fail "gdb finds no source line: $(gdb -batch -ex 'info line lumora::TMainForm::FormCreate' "$library" 2>&1 | tail -n 2)"
pass "gdb finds the runtime library's debug information in lumora.debug"
