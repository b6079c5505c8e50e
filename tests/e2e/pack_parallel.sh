#!/usr/bin/env bash
# Packing and checking on several threads: any number of them gives the
# same bytes; already compressed files are stored; --level chooses between
# speed and size; --jobs and --level refuse values out of range.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/pack.sh"

site="$SCRATCH/site"
python3 - "$site" <<'PY'
import os, random, sys
root = sys.argv[1]
rnd = random.Random(17)
def put(name, data):
    path = os.path.join(root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
put("lm-config", b"[Lumora]\r\nIndexPage=site/index.html\r\n")
put("site/index.html", b"<html><body>start</body></html>\n")
words = [b"page", b"<div>", b"</div>", b"style", b"var", b"return", b"lorem", b"ipsum"]
for i in range(120):
    text = b" ".join(rnd.choice(words) for _ in range(rnd.randrange(10, 6000)))
    put("site/text/%03d.html" % i, text)
    put("site/pics/%03d.png" % i, b"\x89PNG\r\n\x1a\n" + rnd.randbytes(rnd.randrange(100, 40000)))
    put("site/data/%03d.bin" % i, rnd.randbytes(rnd.randrange(0, 20000)))
put("site/media/film.mp4", b"\0\0\0\x20ftypisom" + rnd.randbytes(3 << 20))
put("site/media/unknown.dat", rnd.randbytes(2 << 20))
put("site/big.txt", b"\n".join(b"line %d of a large page" % i for i in range(150000)))
PY
find "$site" -exec touch -d '2024-05-06 07:08:10' {} +

pack --jobs 1 "$site" "$SCRATCH/one$EXE" > /dev/null || fail "packing with one thread"
for jobs in 4 2 4; do
  pack --jobs $jobs "$site" "$SCRATCH/many$EXE" > /dev/null || fail "packing with $jobs threads"
  cmp "$SCRATCH/one$EXE" "$SCRATCH/many$EXE" || fail "$jobs threads gave other bytes than one"
done
pack "$site" "$SCRATCH/default$EXE" > /dev/null || fail "packing with the default threads"
cmp "$SCRATCH/one$EXE" "$SCRATCH/default$EXE" || fail "the default threads gave other bytes than one"
pass "1, 2, 4 and the default number of threads give the same bytes"

archive_of "$SCRATCH/one$EXE" "$SCRATCH/nine.zip"
pack --level 1 --jobs 3 "$site" "$SCRATCH/fast$EXE" > /dev/null || fail "packing at level 1"
archive_of "$SCRATCH/fast$EXE" "$SCRATCH/one.zip"
pack --level 0 "$site" "$SCRATCH/stored$EXE" > /dev/null || fail "packing at level 0"
archive_of "$SCRATCH/stored$EXE" "$SCRATCH/zero.zip"
for level in nine one zero; do
  unzip -tqq -P "$ARCHIVE_PASSWORD" "$SCRATCH/$level.zip" > /dev/null || fail "unzip -t at level $level"
  7z t -p"$ARCHIVE_PASSWORD" "$SCRATCH/$level.zip" > /dev/null || fail "7z t at level $level"
done
python3 - "$SCRATCH" "$ARCHIVE_PASSWORD" <<'PY' || fail "methods and sizes by level"
import os, sys, zipfile
folder, password = sys.argv[1], sys.argv[2].encode()
def infos(level):
    archive = zipfile.ZipFile(os.path.join(folder, level + ".zip"))
    archive.setpassword(password)
    assert archive.testzip() is None, level
    return {i.filename: i for i in archive.infolist()}
nine, one, zero = infos("nine"), infos("one"), infos("zero")
for name, info in nine.items():
    stored = info.compress_type == zipfile.ZIP_STORED
    if name.startswith("site/pics/") or name.startswith("site/media/"):
        assert stored, name + " is compressed"
    if name.startswith("site/text/") or name == "site/big.txt":
        assert not stored and info.flag_bits & 0x6 == 0x2, name
        assert one[name].flag_bits & 0x6 == 0x6, name
    assert zero[name].compress_type == zipfile.ZIP_STORED, name
size = lambda infos: sum(i.compress_size for i in infos.values())
assert size(nine) <= size(one) < size(zero), (size(nine), size(one), size(zero))
PY
pass "pictures and media are stored; level 1 is larger than 9, level 0 stores all"

out() { pack --verify "$@" | sed 's/, in [0-9]* ms$//'; }
[ "$(out --jobs 1 "$SCRATCH/one$EXE")" = "$(out --jobs 4 "$SCRATCH/one$EXE")" ] ||
  fail "--verify --jobs 4 differs from one thread"
code=0
verified="$(out "$SCRATCH/one$EXE" 2>&1)" || code=$?
[ "$code" = 0 ] && grep -q "^No errors: 365 entries" <<<"$verified" || fail "--verify exited $code: $verified"
pass "--verify gives the same answer on one and four threads"

for args in "--jobs 0" "--jobs x" "--level 10" "--level -1" "--level"; do
  code=0
  # shellcheck disable=SC2086
  pack $args "$site" "$SCRATCH/bad$EXE" > /dev/null 2> "$SCRATCH/err" || code=$?
  [ "$code" = 2 ] || fail "$args exited $code"
  grep -q "needs a number from" "$SCRATCH/err" || fail "$args: $(cat "$SCRATCH/err")"
done
for args in "--jobs 0 $SCRATCH/one$EXE" "--jobs 2" "" "$SCRATCH/one$EXE $SCRATCH/one$EXE"; do
  code=0
  # shellcheck disable=SC2086
  pack --verify $args > /dev/null 2>&1 || code=$?
  [ "$code" = 2 ] || fail "--verify $args exited $code"
done
[ ! -e "$SCRATCH/bad$EXE" ] || fail "a refused command line wrote a package"
pass "--jobs and --level refuse values out of range"
