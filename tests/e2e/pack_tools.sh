#!/usr/bin/env bash
# Packages the packer writes: read back byte for byte by Info-ZIP unzip,
# 7-Zip and Python's zipfile under the archive password, checked by the
# packer's own --verify, and the same bytes on every run.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/pack.sh"

site="$SCRATCH/site"
mkdir -p "$site/site/pages/deep" "$site/site/ü"
printf '[Lumora]\r\nIndexPage=site/index.html\r\nAppTitle=Tools\r\n' > "$site/lm-config"
printf '<html><body>start</body></html>\n' > "$site/site/index.html"
seq 1 40000 > "$site/site/pages/numbers.txt"
head -c 150000 /dev/urandom > "$site/site/pages/deep/random.bin"
: > "$site/site/empty.txt"
printf 'ünïcödé\n' > "$site/site/ü/naïve файл.txt"
find "$site" -exec touch -d '2024-05-06 07:08:10' {} +

pack "$site" "$SCRATCH/app$EXE" > /dev/null || fail "packing failed"
[ "$LUMORA_PLATFORM" = win32 ] || [ -x "$SCRATCH/app$EXE" ] || fail "the package is not executable"
archive_of "$SCRATCH/app$EXE" "$SCRATCH/site.zip"
pass "packed $(stat -c %s "$SCRATCH/site.zip") archive bytes"

# What every extractor must give back: the site, with the configuration
# behind a byte-order mark.
mkdir -p "$SCRATCH/expected"
cp -a "$site/." "$SCRATCH/expected/"
{ printf '\357\273\277'; cat "$site/lm-config"; } > "$SCRATCH/expected/lm-config"

unzip -tqq -P "$ARCHIVE_PASSWORD" "$SCRATCH/site.zip" > /dev/null || fail "unzip -t"
unzip -qq -P "$ARCHIVE_PASSWORD" "$SCRATCH/site.zip" -d "$SCRATCH/unzip" || fail "unzip"
diff -r "$SCRATCH/expected" "$SCRATCH/unzip" || fail "unzip extracted other bytes"
[ "$(unzip -Z1 "$SCRATCH/site.zip" | wc -l)" = 6 ] || fail "unzip lists $(unzip -Z1 "$SCRATCH/site.zip" | wc -l) entries"
pass "unzip tests and extracts every entry byte for byte"

7z t -p"$ARCHIVE_PASSWORD" "$SCRATCH/site.zip" > /dev/null || fail "7z t"
7z x -y -p"$ARCHIVE_PASSWORD" -o"$SCRATCH/7z" "$SCRATCH/site.zip" > /dev/null || fail "7z x"
diff -r "$SCRATCH/expected" "$SCRATCH/7z" || fail "7z extracted other bytes"
pass "7z tests and extracts every entry byte for byte"

python3 - "$SCRATCH/site.zip" "$ARCHIVE_PASSWORD" "$SCRATCH/python" <<'PY' || fail "python zipfile"
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
archive.setpassword(sys.argv[2].encode())
bad = archive.testzip()
if bad:
    sys.exit("bad entry " + bad)
for info in archive.infolist():
    assert info.flag_bits & 0x1, info.filename            # encrypted
    assert not info.flag_bits & 0x8, info.filename        # no data descriptor
    assert bool(info.flag_bits & 0x800) == (not info.filename.isascii()), info.filename
    assert info.date_time == (2024, 5, 6, 7, 8, 10), info.date_time
archive.extractall(sys.argv[3])
PY
diff -r "$SCRATCH/expected" "$SCRATCH/python" || fail "python extracted other bytes"
pass "python zipfile tests and extracts every entry byte for byte"

# The packer reads a package back as the runtime does, and a bare archive.
bytes="$(find "$SCRATCH/expected" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')"
pack --verify "$SCRATCH/app$EXE" | grep -q "^No errors: 6 entries, $bytes bytes" || fail "--verify of the package"
pack --verify "$SCRATCH/site.zip" > /dev/null || fail "--verify of the bare archive"
pack --list "$SCRATCH/app$EXE" | grep -q ' site/ü/naïve файл.txt$' || fail "--list lacks the non-ASCII name"
pass "--verify and --list read the package and the bare archive"

# The same site, created in another order, packs to the same bytes.
pack "$site" "$SCRATCH/again$EXE" > /dev/null
cmp "$SCRATCH/app$EXE" "$SCRATCH/again$EXE" || fail "a second run gave other bytes"
mkdir -p "$SCRATCH/copy"
for name in site/ü/naïve\ файл.txt site/empty.txt site/pages/deep/random.bin site/pages/numbers.txt site/index.html lm-config; do
  mkdir -p "$(dirname "$SCRATCH/copy/$name")"
  cp "$site/$name" "$SCRATCH/copy/$name"
done
find "$SCRATCH/copy" -exec touch -d '2024-05-06 07:08:10' {} +
pack "$SCRATCH/copy" "$SCRATCH/copied$EXE" > /dev/null
cmp "$SCRATCH/app$EXE" "$SCRATCH/copied$EXE" || fail "a copy of the site gave other bytes"
pass "the same site packs to the same bytes"

# A damaged entry is named by --verify, which then fails.
cp "$SCRATCH/app$EXE" "$SCRATCH/damaged$EXE"
size=$(stat -c %s "$SCRATCH/app$EXE")
start=$((size - $(stat -c %s "$SCRATCH/site.zip")))
offset="$(python3 - "$SCRATCH/site.zip" <<'PY'
import sys, zipfile
info = zipfile.ZipFile(sys.argv[1]).getinfo("site/pages/numbers.txt")
print(info.header_offset + 30 + len(info.filename.encode()) + 100)
PY
)"
printf '\377' | dd of="$SCRATCH/damaged$EXE" bs=1 seek=$((start + offset)) conv=notrunc status=none
code=0
pack --verify "$SCRATCH/damaged$EXE" > "$SCRATCH/verify.out" 2> "$SCRATCH/verify.err" || code=$?
[ "$code" = 1 ] || fail "--verify of a damaged package exited $code"
grep -q '^FAILED site/pages/numbers.txt: ' "$SCRATCH/verify.err" || fail "--verify did not name the entry: $(cat "$SCRATCH/verify.err")"
[ "$(grep -c '^FAILED' "$SCRATCH/verify.err")" = 1 ] || fail "--verify blamed other entries too"
pass "--verify names the damaged entry and exits 1"

# An entry whose data cannot reach its declared size: a small Deflate
# stream declaring 4 GB, and the same claim stored.
python3 - "$SCRATCH" <<'PY'
import struct, sys, zipfile
for name, method in (("claims-deflated.zip", zipfile.ZIP_DEFLATED), ("claims-stored.zip", zipfile.ZIP_STORED)):
    path = sys.argv[1] + "/" + name
    with zipfile.ZipFile(path, "w", method) as z:
        z.writestr("site/big.bin", b"\0" * (100000 if method == zipfile.ZIP_DEFLATED else 188))
    data = bytearray(open(path, "rb").read())
    info = zipfile.ZipFile(path).getinfo("site/big.bin")
    central = data.rfind(b"PK\1\2")
    struct.pack_into("<I", data, info.header_offset + 22, 0xFFFFFF00)
    struct.pack_into("<I", data, central + 24, 0xFFFFFF00)
    open(path, "wb").write(data)
PY
for kind in deflated stored; do
  code=0
  pack --verify "$SCRATCH/claims-$kind.zip" > /dev/null 2> "$SCRATCH/verify.err" || code=$?
  [ "$code" = 1 ] || fail "--verify of a $kind entry short of its declared size exited $code"
  grep -q '^FAILED site/big.bin: ' "$SCRATCH/verify.err" || fail "--verify did not name the $kind entry"
done
pass "--verify fails an entry whose data cannot reach its declared size, deflated or stored"

# The packer names the project's version.
version="$(sed -n 's/^project(Lumora VERSION \([0-9.]*\) .*/\1/p' "$LUMORA_SOURCE/CMakeLists.txt")"
[ "$(pack --version)" = "lumora-pack $version" ] || fail "--version says \"$(pack --version)\", not $version"
if [ "$LUMORA_PLATFORM" = linux ]; then
  # The Linux runtime carries the same version in an ELF note.
  readelf --notes "$LUMORA_BUILD/lumora" | grep -qF "\"name\":\"lumora\",\"version\":\"$version\"" ||
    fail "the runtime's version note: $(readelf --notes "$LUMORA_BUILD/lumora")"
fi
pass "--version names version $version, as the runtime does"
