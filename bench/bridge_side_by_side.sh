#!/usr/bin/env bash
# One window.external call on each runtime, printed side by side: on Linux
# from a page of a packed site (WebKitGTK, lumora_bench_bridge), on Windows
# from the JScript engine under Wine (lumora_bench_bridge_jscript), the
# same calls (SayHello, appFileExists of a missing file) in the same run.
#
# Usage: bench/bridge_side_by_side.sh [CALLS]   (both builds made first;
# LUMORA_LINUX_BUILD and LUMORA_WINDOWS_BUILD name other build folders; the
# Windows one is build/win64, which runs on every machine)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
calls="${1:-2000}"
linux_build="${LUMORA_LINUX_BUILD:-$here/build/linux}"
windows_build="${LUMORA_WINDOWS_BUILD:-$here/build/win64}"

linux="$("$here/scripts/with-display" "$linux_build/bench/lumora_bench_bridge" "$calls")"
windows="$("$here/scripts/with-display" --new "$here/scripts/wine-run" \
  "$windows_build/bench/lumora_bench_bridge_jscript.exe" "$calls" 2>/dev/null | tr -d '\r')"

# "  NAME FIGURE us/call" lines: the figure of NAME, or "-".
figure() { printf '%s\n' "$1" | sed -n "s/^  $2 \([0-9.]*\) us\/call\$/\1/p" | head -n 1 | grep . || echo -; }
printf 'window.external, microseconds per call, mean of %s:\n' "$calls"
printf '  %-30s %18s %24s\n' call "Linux (WebKitGTK)" "Windows (JScript, Wine)"
for name in 'SayHello' 'appFileExists (missing file)'; do
  printf '  %-30s %18s %24s\n' "$name" "$(figure "$linux" "$name")" "$(figure "$windows" "$name")"
done
