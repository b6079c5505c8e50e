#!/usr/bin/env bash
# The build folder's runtime, which every program packed there carries, has
# no debug information or symbols; they are in lumora.debug beside it, where
# the debugger finds them through the debug link.
. "$(dirname "$0")/../lib/common.sh"

runtime="$LUMORA_BUILD/lumora"
sections="$(readelf -S -W "$runtime")"
grep -qE '\.debug_info|\.symtab' <<< "$sections" && fail "the runtime carries debug information or symbols"
[ "$(readelf --string-dump=.gnu_debuglink "$runtime" | sed -n 's/.*\] *//p' | head -n 1)" = lumora.debug ] ||
  fail "no debug link to lumora.debug: $(readelf --string-dump=.gnu_debuglink "$runtime" 2>&1)"
readelf -S -W "$LUMORA_BUILD/lumora.debug" | grep -q '\.debug_info' || fail "lumora.debug holds no debug information"
gdb -batch -ex 'info line lumora::TMainForm::FormCreate' "$runtime" 2>&1 | grep -q 'starts at address .*TMainForm10FormCreate' ||
  fail "gdb finds no source line: $(gdb -batch -ex 'info line lumora::TMainForm::FormCreate' "$runtime" 2>&1 | tail -n 2)"
pass "the build folder's runtime is stripped; gdb finds its debug information in lumora.debug"
