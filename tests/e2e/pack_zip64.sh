#!/usr/bin/env bash
# A site of more than 65535 files: its archive needs the Zip64 end records,
# which unzip, 7-Zip, Python's zipfile and the packer's own reader accept.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/pack.sh"

count=65540
python3 - "$SCRATCH/site" "$count" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
os.makedirs(os.path.join(root, "site"))
with open(os.path.join(root, "lm-config"), "w") as f:
    f.write("[Lumora]\nIndexPage=site/index.html\n")
with open(os.path.join(root, "site", "index.html"), "w") as f:
    f.write("<html>many</html>")
for i in range(count - 2):
    folder = os.path.join(root, "site", "f%03d" % (i // 1000))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "%d.txt" % i), "w") as f:
        f.write("file %d\n" % i)
PY

started=$(date +%s%N)
pack "$SCRATCH/site" "$SCRATCH/many$EXE" || fail "packing $count files"
echo "packed in $(( ($(date +%s%N) - started) / 1000000 )) ms"
archive_of "$SCRATCH/many$EXE" "$SCRATCH/many.zip"

python3 - "$SCRATCH/many.zip" "$count" <<'PY' || fail "the Zip64 end records"
import struct, sys
data = open(sys.argv[1], "rb").read()
end = data.rfind(b"PK\x05\x06")
entries = struct.unpack("<HH", data[end + 8:end + 12])
assert entries == (0xFFFF, 0xFFFF), entries
locator = data.rfind(b"PK\x06\x07", 0, end)
assert locator == end - 20, (locator, end)
record = struct.unpack("<Q", data[locator + 8:locator + 16])[0]
assert data[record:record + 4] == b"PK\x06\x06"
assert struct.unpack("<QQ", data[record + 24:record + 40]) == (int(sys.argv[2]),) * 2
PY
pass "the end record escapes the count and points to a Zip64 record of $count entries"

[ "$(unzip -Z1 "$SCRATCH/many.zip" | wc -l)" = "$count" ] || fail "unzip lists another count"
unzip -tqq -P "$ARCHIVE_PASSWORD" "$SCRATCH/many.zip" > /dev/null || fail "unzip -t"
[ "$(unzip -p -P "$ARCHIVE_PASSWORD" "$SCRATCH/many.zip" site/f065/65537.txt)" = "file 65537" ] || fail "unzip -p"
pass "unzip lists and tests $count entries"

7z t -p"$ARCHIVE_PASSWORD" "$SCRATCH/many.zip" > "$SCRATCH/7z.out" || fail "7z t"
grep -q "^Files: $count\$" "$SCRATCH/7z.out" || fail "7z counts $(grep '^Files' "$SCRATCH/7z.out")"
pass "7z tests $count entries"

python3 - "$SCRATCH/many.zip" "$ARCHIVE_PASSWORD" "$count" <<'PY' || fail "python zipfile"
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
archive.setpassword(sys.argv[2].encode())
assert len(archive.infolist()) == int(sys.argv[3])
assert archive.testzip() is None
assert archive.read("site/f000/0.txt") == b"file 0\n"
PY
pass "python zipfile tests $count entries"

pack --verify "$SCRATCH/many$EXE" | grep -q "^No errors: $count entries" || fail "--verify"
pass "--verify reads the package"
