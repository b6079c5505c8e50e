#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked with dpkg-deb -x into an
# empty root, its packer alone (no --runtime, nothing of the build folders)
# packs the showcase for Linux and for Windows (--target windows, run under
# Wine); each opens its window and ends when closed. The files lie
# where the install layout puts them, the runtimes are stripped and carry
# the packer's version, and lintian finds no error.
#
# Usage: tests/package/deb_check.sh lumora_VERSION_amd64.deb
# (scripts/package builds the package; scripts/test runs both.)
. "$(dirname "$0")/../e2e/lib/common.sh"
. "$(dirname "$0")/../e2e/lib/runtime.sh"

deb="$(realpath "${1:?usage: deb_check.sh PACKAGE.deb}")"
root="$SCRATCH/root"
showcase="$LUMORA_SOURCE/examples/showcase"

dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
packer="$root/usr/bin/lumora-pack"
runtimes="$root/usr/lib/lumora/runtimes"
for file in "$packer" "$runtimes/linux-x86_64/lumora" "$runtimes/windows-x86/lumora.exe" \
  "$root/usr/share/doc/lumora/packer.md" "$root/usr/share/doc/lumora/types/lumora-external.d.ts" \
  "$root/usr/share/man/man1/lumora-pack.1.gz"; do
  [ -f "$file" ] || fail "the package holds no ${file#"$root"}"
done
for program in "$packer" "$runtimes/linux-x86_64/lumora"; do
  readelf -S "$program" | grep -q '\.debug_\|\.symtab' && fail "${program#"$root"} is not stripped"
done
pass "dpkg-deb -x gives the install layout, the programs stripped"

version="$("$packer" --version)"
version="${version#lumora-pack }"
readelf --notes "$runtimes/linux-x86_64/lumora" |
  grep -qF "Packaging Metadata: {\"type\":\"deb\",\"name\":\"lumora\",\"version\":\"$version\"}" ||
  fail "the Linux runtime's version note does not say $version: $(readelf --notes "$runtimes/linux-x86_64/lumora")"
dpkg-deb -f "$deb" Version | grep -qxF "$version" || fail "the package is not version $version"
pass "the package, the packer and the Linux runtime say version $version"

lintian --fail-on error "$deb" > "$SCRATCH/lintian.out" 2>&1 ||
  fail "lintian: $(cat "$SCRATCH/lintian.out")"
pass "lintian reports no error"

# Linux: packed by the unpacked packer with its own runtime, started, its
# window at the configured size (the showcase has a style: its caption bar and
# frame are drawn around that size), closed, ended cleanly.
"$packer" "$showcase" "$SCRATCH/showcase" > "$SCRATCH/pack.out" || fail "packing the showcase"
grep -qF "after runtime \"$runtimes/linux-x86_64/lumora\"" "$SCRATCH/pack.out" ||
  fail "packed with another runtime: $(cat "$SCRATCH/pack.out")"
"$packer" --verify "$SCRATCH/showcase" > /dev/null || fail "--verify refuses the showcase"
"$SCRATCH/showcase" & pid=$!
window="$(wait_window "Lumora Showcase" 30)" || fail "the showcase opened no window"
IFS=x read -r width height <<< "$(size_of "$window")"
[ "$width" -ge 960 ] && [ "$height" -ge 640 ] || fail "the showcase's window is ${width}x$height, less than 960x640"
close_window "$window"
wait_exit "$pid" 20
[ "$EXIT_CODE" = 0 ] || fail "the showcase ended with $EXIT_CODE"
pass "the unpacked packer packs the showcase, which opens its window and ends when closed"

# Windows: the same site for the Windows runtime of the package, started
# under Wine: its window shows, and closing it ends the program with 0.
"$packer" --target windows "$showcase" "$SCRATCH/showcase.exe" > "$SCRATCH/pack.out" ||
  fail "packing the showcase for Windows"
grep -qF "after runtime \"$runtimes/windows-x86/lumora.exe\"" "$SCRATCH/pack.out" ||
  fail "packed with another runtime: $(cat "$SCRATCH/pack.out")"
"$LUMORA_SOURCE/scripts/wine-run" "$SCRATCH/showcase.exe" & pid=$!
window="$(wait_window "Lumora Showcase" 90)" ||
  fail "the Windows showcase showed no window under Wine$(gone "$pid" && echo ": it ended by itself")"
close_window "$window"
wait_exit "$pid" 30
[ "$EXIT_CODE" = 0 ] || fail "the Windows showcase ended with $EXIT_CODE under Wine"
pass "with --target windows it packs the showcase for Windows, which opens its window under Wine and ends when closed"
