#!/usr/bin/env bash
# The packer with 32-bit and 64-bit Windows runtimes. Small programs built
# here with MinGW-w64 for i686 and for x86-64 stand in for the two runtimes,
# each with a main icon and a version resource: packed with a new icon and
# version strings, independent tools read both back (icoutils' wrestool, a
# version resource and header checksum read in Python), both sign and
# verify with osslsigncode, both carry the same archive bytes, a runtime
# of the wrong width is refused by name, and a packer in a build folder
# finds the runtimes of the sibling win32 and win64 build folders.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/pack.sh"

for tool in i686-w64-mingw32-gcc i686-w64-mingw32-windres x86_64-w64-mingw32-gcc \
    x86_64-w64-mingw32-windres wrestool icotool osslsigncode openssl convert python3; do
  command -v "$tool" > /dev/null || fail "$tool is missing (scripts/setup installs it)"
done

# lumora_pe_arch FILE: win32 or win64, after the PE header's machine type.
. "$LUMORA_SOURCE/scripts/lib/wine.sh"

cd "$SCRATCH"
convert -size 16x16 xc:red red.png
convert -size 32x32 xc:blue blue.png
convert -size 48x48 xc:green green.png
icotool -c -o old.ico red.png
icotool -c -o app.ico blue.png green.png
printf 'int main(void) { return 0; }\n' > stand-in.c
cat > stand-in.rc <<'RC'
MAINICON ICON "old.ico"
1 VERSIONINFO
FILEVERSION 1,0,0,0
PRODUCTVERSION 1,0,0,0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "ProductName", "Stand-in"
      VALUE "OriginalFilename", "lumora.exe"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
RC
# Stripped, as the runtimes are: the resources and relocations come last.
for arch in i686 x86_64; do
  "$arch-w64-mingw32-windres" stand-in.rc -O coff -o "stand-in-$arch.o"
  "$arch-w64-mingw32-gcc" -s -O stand-in.c "stand-in-$arch.o" -o "$arch.exe" \
    || fail "MinGW-w64 could not build the $arch stand-in"
done
[ "$(lumora_pe_arch i686.exe)" = win32 ] && [ "$(lumora_pe_arch x86_64.exe)" = win64 ] \
  || fail "the stand-ins' machine types: $(lumora_pe_arch i686.exe) $(lumora_pe_arch x86_64.exe)"

mkdir -p site/site
printf '<p>hello</p>' > site/site/index.html
printf '[Lumora]\r\nIndexPage=site/index.html\r\n[VersionInfo]\r\nCompanyName=Example Ltd\r\n' > site/lm-config
find site -exec touch -d '2024-05-06 07:08:10' {} +

declare -A target=([i686]=windows [x86_64]=windows-x64)
declare -A width=([i686]=32-bit [x86_64]=64-bit)
for arch in i686 x86_64; do
  pack --target "${target[$arch]}" --runtime "$arch.exe" --icon app.ico \
    --version-info ProductName=Notes --version-info FileVersion=2.5.1.7 site "app-$arch.exe" > /dev/null \
    || fail "packing with the $arch runtime failed"
  [ "$(lumora_pe_arch "app-$arch.exe")" = "$(lumora_pe_arch "$arch.exe")" ] || fail "app-$arch.exe changed its machine type"
done
pass "both runtimes pack with an icon and version strings"

# The wrong width, or another system, is refused and named.
while IFS='|' read -r given runtime kind; do
  if pack --target "$given" --runtime "$runtime" site wrong.exe > /dev/null 2> err; then
    fail "--target $given packed $runtime"
  fi
  grep -qF -- "--target $given, but the runtime \"$SCRATCH/$runtime\" is a $kind program" err \
    || fail "--target $given with $runtime: $(cat err)"
done <<CASES
windows-x64|i686.exe|32-bit Windows
windows|x86_64.exe|64-bit Windows
linux|x86_64.exe|64-bit Windows
CASES
cp "$LUMORA_BUILD/lumora" linux-runtime
pack --target windows-x64 --runtime linux-runtime site wrong.exe > /dev/null 2> err && fail "packed a Linux runtime for windows-x64"
grep -qF -- "--target windows-x64, but the runtime \"$SCRATCH/linux-runtime\" is a Linux program" err \
  || fail "--target windows-x64 with the Linux runtime: $(cat err)"
[ ! -e wrong.exe ] || fail "a refused runtime left a program"
# A Windows program for a processor no target runs.
cp x86_64.exe arm.exe
printf '\x64\xaa' | dd of=arm.exe bs=1 seek=$(($(od -An -tu4 -j60 -N4 arm.exe) + 4)) conv=notrunc status=none
pack --runtime arm.exe site wrong.exe > /dev/null 2> err && fail "packed an ARM64 runtime"
grep -qF "is a Windows program for machine type 0xAA64, which no target runs" err || fail "ARM64: $(cat err)"
pass "a runtime of the other width, of another system or processor is refused by name"

for arch in i686 x86_64; do
  app="app-$arch.exe"
  pack --list "$app" > list.txt || fail "--list $app"
  grep -q "^Archive at offset [0-9]* of \".*$app\", a ${width[$arch]} Windows program$" list.txt \
    || fail "--list $app: $(head -1 list.txt)"
  pack --verify "$app" | grep -q "^No errors: 2 entries" || fail "--verify $app"

  wrestool -x --type=14 --name=MAINICON "$app" > icon.ico || fail "wrestool found no MAINICON in $app"
  # wrestool pads what it extracts (see pack_cross_signed.sh): the icon is
  # the first bytes.
  cmp -s -n "$(stat -c %s app.ico)" icon.ico app.ico || fail "wrestool extracts another icon from $app"
  [ "$(icotool -l icon.ico)" = "$(icotool -l app.ico)" ] || fail "icotool reads other images from $app"

  wrestool -x --raw --type=16 "$app" > version.bin || fail "wrestool found no version resource in $app"
  python3 - version.bin > version.txt <<'PY' || fail "the version resource of $app does not parse"
import struct, sys
data = open(sys.argv[1], "rb").read()
def block(at, path):
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    if len(path) == 3 and path[1] == "StringFileInfo":
        text = data[value_at:value_at + 2 * value_length].decode("utf-16-le").rstrip("\0")
        print(f"{key}={text}")
        child = end
    elif key == "VS_VERSION_INFO":
        fixed = struct.unpack_from("<13I", data, value_at)
        assert fixed[0] == 0xFEEF04BD
        print(f"fixed FileVersion={fixed[2] >> 16}.{fixed[2] & 0xFFFF}.{fixed[3] >> 16}.{fixed[3] & 0xFFFF}")
        child = (value_at + value_length + 3) & ~3
    else:
        child = (value_at + (value_length if kind == 0 else 2 * value_length) + 3) & ~3
    while child < end:
        child = block(child, path + [key])
    return (end + 3) & ~3
block(0, [])
PY
  for line in "ProductName=Notes" "CompanyName=Example Ltd" "FileVersion=2.5.1.7" \
      "OriginalFilename=lumora.exe" "fixed FileVersion=2.5.1.7"; do
    grep -qxF "$line" version.txt || fail "the version resource of $app lacks \"$line\": $(cat version.txt)"
  done

  # The header checksum as the image help library computes it: 16-bit
  # words summed with their carries, the checksum field left out, plus the
  # file's length.
  python3 - "$app" <<'PY' || fail "the header checksum of $app is wrong"
import struct, sys
data = open(sys.argv[1], "rb").read()
field = struct.unpack_from("<I", data, 0x3C)[0] + 4 + 20 + 64
padded = data + b"\0" * (len(data) % 2)
total = 0
for at in range(0, len(padded), 2):
    if field <= at < field + 4:
        continue
    total += struct.unpack_from("<H", padded, at)[0]
    total = (total & 0xFFFF) + (total >> 16)
total = ((total & 0xFFFF) + (total >> 16) + len(data)) & 0xFFFFFFFF
stored = struct.unpack_from("<I", data, field)[0]
if stored != total:
    sys.exit(f"stored {stored:#x}, computed {total:#x}")
PY
done
pass "wrestool reads the new icon and version strings of both, and both header checksums are right"

archive_of app-i686.exe archive-i686.zip
archive_of app-x86_64.exe archive-x86_64.zip
cmp archive-i686.zip archive-x86_64.zip || fail "the two programs carry different archives"
pass "the 32-bit and the 64-bit program carry byte-identical archives"

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Lumora test signer" 2> /dev/null
for arch in i686 x86_64; do
  osslsigncode sign -certs cert.pem -key key.pem -n Notes -in "app-$arch.exe" -out "signed-$arch.exe" \
    > sign.out 2>&1 || fail "osslsigncode sign $arch: $(cat sign.out)"
  osslsigncode verify -CAfile cert.pem -in "signed-$arch.exe" > verify.out 2>&1 \
    || fail "the $arch signature does not verify: $(cat verify.out)"
  grep -q "Signature verification: ok" verify.out || fail "no verified $arch signature: $(cat verify.out)"
  pack --verify "signed-$arch.exe" | grep -q "^No errors: 2 entries" || fail "--verify signed-$arch.exe"
  archive_of "signed-$arch.exe" signed.zip
  # The signature follows the archive; the archive is the same bytes.
  cmp -s -n "$(stat -c %s archive-i686.zip)" signed.zip archive-i686.zip || fail "signing moved the $arch archive"
done
pass "both sign after packing, verify with osslsigncode, and --verify reads them signed"

# A packer in a build folder (build/<preset>) finds the Windows runtimes the
# sibling win32 and win64 builds made, after the installed layout.
mkdir -p build/linux build/win32 build/win64
cp "$PACKER" build/linux/
cp i686.exe build/win32/lumora.exe
cp x86_64.exe build/win64/lumora.exe
for arch in i686 x86_64; do
  folder=win32; [ "$arch" = x86_64 ] && folder=win64
  build/linux/lumora-pack --target "${target[$arch]}" site "sibling-$arch.exe" > out 2> err \
    || fail "--target ${target[$arch]} from the build folder: $(cat err)"
  grep -qF "after runtime \"$SCRATCH/build/$folder/lumora.exe\" (${width[$arch]} Windows)" out \
    || fail "--target ${target[$arch]} took: $(cat out)"
  [ "$(lumora_pe_arch "sibling-$arch.exe")" = "$(lumora_pe_arch "$arch.exe")" ] || fail "sibling-$arch.exe has another machine type"
done
mkdir -p build/lib/lumora/runtimes/windows-x86_64
cp x86_64.exe build/lib/lumora/runtimes/windows-x86_64/lumora.exe
build/linux/lumora-pack --target windows-x64 site installed.exe > out 2> err || fail "installed: $(cat err)"
grep -qF "after runtime \"$SCRATCH/build/lib/lumora/runtimes/windows-x86_64/lumora.exe\"" out \
  || fail "the installed layout does not come first: $(cat out)"
rm -r build/lib build/win64
build/linux/lumora-pack --target windows-x64 site none.exe > out 2> err && fail "packed without a 64-bit runtime"
grep -qF "There is no 64-bit Windows runtime for lumora-pack: it is looked for at \"$SCRATCH/build/lib/lumora/runtimes/windows-x86_64/lumora.exe\" or \"$SCRATCH/build/win64/lumora.exe\". " err \
  || fail "no 64-bit runtime: $(cat err)"
pass "a packer in a build folder finds the sibling build folders' runtimes and names every place"
