# Helpers of the packer's end-to-end tests; source after common.sh. The
# packer runs natively or, for the Windows build, under LUMORA_EMULATOR; the
# archives it writes are checked with the tools of this machine.

EXE=""
[ "${LUMORA_PLATFORM:-linux}" = win32 ] && EXE=".exe"
PACKER="$LUMORA_BUILD/lumora-pack$EXE"
[ -x "$PACKER" ] || fail "no packer at $PACKER"

# pack ARGS...: runs the packer; its output loses the CRs of a Windows
# console so both builds print the same lines.
pack() {
  local code=0
  # shellcheck disable=SC2086
  ${LUMORA_EMULATOR:-} "$PACKER" "$@" > "$SCRATCH/pack.out" 2> "$SCRATCH/pack.err" || code=$?
  tr -d '\r' < "$SCRATCH/pack.out"
  tr -d '\r' < "$SCRATCH/pack.err" >&2
  return "$code"
}

# archive_of PROGRAM ARCHIVE: copies the archive out of a packaged program,
# starting where --list says it starts.
archive_of() {
  local start
  start="$(pack --list "$1" | sed -n 's/^Archive at offset \([0-9]*\) .*/\1/p')"
  [ -n "$start" ] || fail "--list gave no archive offset for $1"
  tail -c +$((start + 1)) "$1" > "$2"
}

# lm_config ARCHIVE: the stored configuration entry, as bytes in hex.
lm_config() { unzip -p -P "$ARCHIVE_PASSWORD" "$1" lm-config | od -An -tx1 | tr -d ' \n'; }

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
