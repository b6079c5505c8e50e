#!/usr/bin/env bash
# What the packer leaves where it writes: an interrupted pack removes the
# program it was writing, a later one removes what a pack killed outright
# left, and the output is checked before the site is read.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/pack.sh"

site="$SCRATCH/site"
mkdir -p "$site/site"
printf '[Lumora]\r\nIndexPage=site/index.html\r\n' > "$site/lm-config"
printf '<html><body>start</body></html>\n' > "$site/site/index.html"
# A large site that takes seconds to pack: a hole in a file costs no disk.
big="$SCRATCH/big"
cp -a "$site" "$big"
truncate -s 2G "$big/site/big.bin"

# parts: the partial programs beside the output.
parts() { find "$SCRATCH/out" -name 'app*.part-*.tmp' 2>/dev/null; }
has_part() { [ -n "$(parts)" ]; }
mkdir -p "$SCRATCH/out"

if [ "$LUMORA_PLATFORM" = linux ]; then
  # Started with the signals at their defaults: a background job of a
  # script would ignore SIGINT.
  for signal in INT TERM HUP; do
    env --default-signal "$PACKER" "$big" "$SCRATCH/out/app" > /dev/null 2>&1 & pid=$!
    wait_until 20 has_part || fail "SIG$signal: no partial program appeared"
    kill "-$signal" "$pid"
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = $((128 + $(kill -l "$signal"))) ] || fail "SIG$signal: exit code $EXIT_CODE"
    [ -z "$(parts)" ] && [ ! -e "$SCRATCH/out/app" ] || fail "SIG$signal left $(ls -A "$SCRATCH/out")"
  done
  pass "SIGINT, SIGTERM and SIGHUP during a pack remove the partial program and end with 128 + the signal"

  # Killed outright, a pack leaves its part; the next pack of the same
  # output removes it, but not the part of a pack that still runs.
  "$PACKER" "$big" "$SCRATCH/out/app" > /dev/null 2>&1 & pid=$!
  wait_until 20 has_part || fail "no partial program appeared"
  kill -KILL "$pid"; wait "$pid" 2>/dev/null || true
  stale="$(parts)"
  [ -n "$stale" ] || fail "the killed pack left nothing to remove"
  env --default-signal "$PACKER" "$big" "$SCRATCH/out/app" > /dev/null 2>&1 & running=$!
  new_part() { [ -n "$(parts | grep -vx "$stale")" ]; }
  wait_until 20 new_part || fail "the second pack wrote no part: $(parts)"
  [ ! -e "$stale" ] || fail "a later pack left the stale part $stale"
  live="$(parts)"
  pack "$site" "$SCRATCH/out/app" > /dev/null || fail "packing beside the part of a running pack"
  [ "$(parts)" = "$live" ] || fail "a pack removed the part of a pack that still runs: $(parts)"
  kill -TERM "$running"
  wait_exit "$running" 20
  [ -z "$(parts)" ] && [ "$(ls -A "$SCRATCH/out")" = app ] || fail "left $(ls -A "$SCRATCH/out")"
  pass "a later pack removes the part a killed pack left, and leaves that of a running pack"
fi

# The output is checked before the site is read: with a site folder that
# cannot be read at all, the message is about the output.
unreadable="$site/lm-config"
mkdir -p "$SCRATCH/existdir"
while IFS='|' read -r output message; do
  code=0
  pack "$unreadable" "$output" > /dev/null 2> "$SCRATCH/err" || code=$?
  [ "$code" = 1 ] && grep -qF -- "$message" "$SCRATCH/err" || fail "OUTPUT $output: exit $code, '$(cat "$SCRATCH/err")'"
  [ -z "$(ls -A "$SCRATCH/existdir")" ] || fail "OUTPUT $output left $(ls -A "$SCRATCH/existdir")"
done <<CASES
$SCRATCH/existdir|"$SCRATCH/existdir" is a folder: give the file name of the program to write into it
$SCRATCH/existdir/|"$SCRATCH/existdir/" ends in a separator and so names a folder: give the file name of the program to write
$SCRATCH/missing/app|The output folder "$SCRATCH/missing" does not exist: create it first
CASES
pass "an existing folder, a name ending in a separator or a missing folder as OUTPUT is refused before the site is read"

# A full disk (a small file system of its own, in a mount namespace: root
# only) is named as the cause: too small for the runtime, before the site
# is read; too small for the archive, when it fills up.
if [ "$LUMORA_PLATFORM" = linux ] && [ "$(id -u)" = 0 ] && unshare -m --propagation private true 2>/dev/null; then
  mkdir -p "$SCRATCH/small" "$SCRATCH/random/site"
  cp "$site/lm-config" "$SCRATCH/random/"
  cp "$site/site/index.html" "$SCRATCH/random/site/"
  head -c 8M /dev/urandom > "$SCRATCH/random/site/noise.bin"
  runtime_size="$(stat -c %s "$LUMORA_BUILD/lumora")"
  while IFS='|' read -r what size source message; do
    code=0
    unshare -m --propagation private sh -c 'mount -t tmpfs -o "size=$1" tmpfs "$2" && shift 2 && "$@"; code=$?; ls -A "$0" > "$0.left"; exit $code' \
      "$SCRATCH/small" "$size" "$SCRATCH/small" "$PACKER" "$source" "$SCRATCH/small/app" > /dev/null 2> "$SCRATCH/err" || code=$?
    [ "$code" = 1 ] && grep -qF -- "$message" "$SCRATCH/err" || fail "$what: exit $code, '$(cat "$SCRATCH/err")'"
    [ ! -s "$SCRATCH/small.left" ] || fail "$what left $(cat "$SCRATCH/small.left")"
  done <<CASES
no room for the runtime|$((runtime_size / 2))|$unreadable|Cannot write "$SCRATCH/small/app": the disk is full
no room for the archive|$((runtime_size + 4 * 1024 * 1024))|$SCRATCH/random|Cannot write "$SCRATCH/small/app": the disk is full
CASES
  pass "a full disk is named as the cause, before the site is read when not even the runtime fits"
fi
