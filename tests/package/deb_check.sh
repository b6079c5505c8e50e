#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked with dpkg-deb -x into an
# empty root, its packer alone (no --runtime, nothing of the build folders)
# packs the showcase for Linux and for both Windows runtimes (--target
# windows and windows-x64, run under Wine where the machine can run them);
# each opens its window and ends when closed. The files lie
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
  "$runtimes/windows-x86_64/lumora.exe" \
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
# The Linux runtime links only the C library and carries the library that
# links the rest; the package depends on what that one links all the same.
depends="$(dpkg-deb -f "$deb" Depends)"
for package in libwebkit2gtk-4.1-0 libgtk-3-0 libgstreamer1.0-0 libsqlite3-0 gstreamer1.0-plugins-good; do
  tr ',|' '\n\n' <<< "$depends" | sed 's/^ *//; s/[ :].*//' | grep -qxE "${package}(t64)?" ||
    fail "the package does not depend on $package: $depends"
done
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

# Windows: the same site for each Windows runtime of the package, started
# under Wine: its window shows, and closing it ends the program with 0. The
# 32-bit program runs only where the machine runs 32-bit programs.
. "$LUMORA_SOURCE/scripts/lib/wine.sh"
for target in windows windows-x64; do
  folder=windows-x86 arch=win32
  [ "$target" = windows-x64 ] && folder=windows-x86_64 arch=win64
  "$packer" --target "$target" "$showcase" "$SCRATCH/showcase-$target.exe" > "$SCRATCH/pack.out" ||
    fail "packing the showcase with --target $target"
  grep -qF "after runtime \"$runtimes/$folder/lumora.exe\"" "$SCRATCH/pack.out" ||
    fail "packed with another runtime: $(cat "$SCRATCH/pack.out")"
  if [ "$arch" = win32 ] && ! lumora_runs_32bit; then
    echo "skip - the --target $target program is not run: $LUMORA_NO_32BIT_REASON"
    continue
  fi
  "$LUMORA_SOURCE/scripts/wine-run" "$SCRATCH/showcase-$target.exe" & pid=$!
  window="$(wait_window "Lumora Showcase" 90)" ||
    fail "the $target showcase showed no window under Wine$(gone "$pid" && echo ": it ended by itself")"
  close_window "$window"
  wait_exit "$pid" 30
  [ "$EXIT_CODE" = 0 ] || fail "the $target showcase ended with $EXIT_CODE under Wine"
  pass "with --target $target it packs the showcase, which opens its window under Wine and ends when closed"
done
