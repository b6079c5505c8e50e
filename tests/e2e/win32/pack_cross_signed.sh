#!/usr/bin/env bash
# A Windows program packed by the Linux packer with an icon and version
# strings: Windows reads the new icon, the strings and the untouched
# manifest back (through Win32 under Wine, and with icoutils' wrestool);
# signed afterwards with Authenticode, the signature verifies, the packer's
# --verify accepts the program and it still starts under Wine.
. "$(dirname "$0")/../lib/common.sh"

wine_run="$LUMORA_SOURCE/scripts/wine-run"
runtime="$LUMORA_BUILD/lumora.exe"
probe="$LUMORA_BUILD/tests/helpers/lumora_resource_probe.exe"
# The Linux build sits beside this one (scripts/test builds it first).
packer="${LUMORA_LINUX_BUILD:-$LUMORA_BUILD/../linux}/lumora-pack"
[ -x "$packer" ] || fail "no Linux packer at $packer: build the linux preset first"
for tool in wrestool icotool osslsigncode openssl convert; do
  command -v "$tool" > /dev/null || fail "$tool is missing (scripts/setup installs it)"
done

cd "$SCRATCH"
# An icon of two images, in the layout icon files have.
convert -size 16x16 xc:red red.png
convert -size 32x32 xc:blue blue.png
icotool -c -o app.ico red.png blue.png
mkdir -p site/site
printf '<p>hello</p>' > site/site/index.html
printf '[Lumora]\r\nIndexPage=site/index.html\r\nAppTitle=Signed Notes\r\nAppEscapeClose=1\r\n[VersionInfo]\r\nCompanyName=Example Ltd\r\nLegalCopyright=\xc2\xa9 2026 Example\r\nProductName=from the configuration\r\n' \
  > site/lm-config

"$packer" --runtime "$runtime" --icon app.ico --version-info "ProductName=Notes" \
  --version-info "FileDescription=Notes for the desk" --version-info FileVersion=2.5.1.7 \
  --version-info "ProductVersion=2.5 beta" site app.exe > pack.out \
  || fail "packing failed: $(cat pack.out)"
pass "the Linux packer packs a Windows program with an icon and version strings"

mkdir read
"$wine_run" "$probe" app.exe read || fail "the probe could not read the resources back"
cmp -s read/icon.ico app.ico || fail "Win32 reads another main icon than app.ico"
cmp -s read/manifest.xml "$LUMORA_SOURCE/src/app/win32/lumora.manifest" || fail "the manifest changed"
tr -d '\r' < read/version.txt > version.txt
for line in "ProductName=Notes" "FileDescription=Notes for the desk" "CompanyName=Example Ltd" \
    "LegalCopyright=© 2026 Example" "FileVersion=2.5.1.7" "ProductVersion=2.5 beta" \
    "OriginalFilename=lumora.exe" "fixed FileVersion=2.5.1.7"; do
  grep -qxF "$line" version.txt || fail "version resource lacks \"$line\": $(cat version.txt)"
done
pass "Win32 reads back the new icon group and images, the strings and the manifest"

wrestool -x --type=14 --name=MAINICON app.exe > wrestool.ico || fail "wrestool found no MAINICON"
# wrestool sizes its output by the group resource too and pads it with that
# many bytes it never writes (zeros or leftovers of its own memory; it does
# the same for the resource compiler's own output): the icon is the first
# bytes, and icotool reads the same images from both files.
size="$(stat -c %s app.ico)"
cmp -s -n "$size" wrestool.ico app.ico || fail "wrestool extracts another icon than app.ico"
[ "$(icotool -l wrestool.ico)" = "$(icotool -l app.ico)" ] || fail "icotool reads other images from wrestool's icon"
pass "wrestool extracts the same icon"

# A throw-away certificate; the program is signed after packing.
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Lumora test signer" 2> /dev/null
osslsigncode sign -certs cert.pem -key key.pem -n Notes -in app.exe -out signed.exe > sign.out 2>&1 \
  || fail "osslsigncode sign failed: $(cat sign.out)"
osslsigncode verify -CAfile cert.pem -in signed.exe > verify.out 2>&1 \
  || fail "the signature does not verify: $(cat verify.out)"
grep -q "Signature verification: ok" verify.out || fail "no verified signature: $(cat verify.out)"
pass "the packed program signs and its signature verifies"

"$packer" --verify signed.exe > packverify.out || fail "--verify refuses the signed program: $(cat packverify.out)"
grep -q "^No errors: 2 entries" packverify.out || fail "--verify says: $(cat packverify.out)"
pass "lumora-pack --verify accepts the signed program"

for program in app.exe signed.exe; do
  "$wine_run" "$program" & pid=$!
  window="$(wait_window "Signed Notes" 60)" || fail "$program shows no main window under Wine"
  press_key "$window" Escape
  wait_exit "$pid" 60
  [ "$EXIT_CODE" = 0 ] || fail "$program ended with $EXIT_CODE under Wine"
done
pass "the packed and the signed program start under Wine and show their site's window"

# Signing comes after packing: a signed runtime is refused with a message.
osslsigncode sign -certs cert.pem -key key.pem -in "$runtime" -out signed-runtime.exe > /dev/null 2>&1
if "$packer" --runtime signed-runtime.exe site late.exe 2> late.err; then fail "a signed runtime was packed"; fi
grep -q "is signed: pack the bare runtime, then sign the packed program" late.err \
  || fail "a signed runtime gives: $(cat late.err)"
pass "a signed runtime is refused: signing comes after packing"
