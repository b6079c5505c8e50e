#!/usr/bin/env bash
# The packer's command line: how lm-config is stored and checked, and the
# failures that must leave no package (and no half-written file) behind.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/pack.sh"

site="$SCRATCH/site"
mkdir -p "$site/Site"
printf '<html>start</html>' > "$site/Site/Index.html"
bom=efbbbf

# --config FILE replaces the site's own lm-config; UTF-16 either way and
# UTF-8 without a mark are all stored as UTF-8 behind a mark.
printf '[Lumora]\nIndexPage=nowhere.html\n' > "$site/lm-config"
text='[Lumora]
IndexPage=site/index.html
AppTitle=Café €'
printf '\377\376' > "$SCRATCH/utf16le.ini"; printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE >> "$SCRATCH/utf16le.ini"
printf '\376\377' > "$SCRATCH/utf16be.ini"; printf '%s' "$text" | iconv -f UTF-8 -t UTF-16BE >> "$SCRATCH/utf16be.ini"
printf '%s' "$text" > "$SCRATCH/utf8.ini"
printf '\357\273\277%s' "$text" > "$SCRATCH/utf8bom.ini"
for config in utf16le utf16be utf8 utf8bom; do
  pack --config "$SCRATCH/$config.ini" "$site" "$SCRATCH/$config$EXE" > /dev/null 2> "$SCRATCH/err" ||
    fail "--config $config.ini: $(cat "$SCRATCH/err")"
  [ ! -s "$SCRATCH/err" ] || fail "--config $config.ini warned: $(cat "$SCRATCH/err")"
  archive_of "$SCRATCH/$config$EXE" "$SCRATCH/$config.zip"
  [ "$(lm_config "$SCRATCH/$config.zip")" = "$bom$(hex "$text")" ] ||
    fail "$config.ini stored as $(lm_config "$SCRATCH/$config.zip")"
  [ "$(unzip -Z1 "$SCRATCH/$config.zip" | grep -ci lm-config)" = 1 ] || fail "two configurations"
done
pass "--config: UTF-16LE, UTF-16BE and UTF-8 with or without a mark stored as UTF-8 with a mark"

# The runtime's site object reads them alike, non-ASCII text included (UTF-8
# without a mark would have been read in the ANSI code page).
probe="$LUMORA_BUILD/tests/helpers/lumora_site_probe$EXE"
for config in utf16be utf8; do
  pack --runtime "$probe" --config "$SCRATCH/$config.ini" "$site" "$SCRATCH/probe-$config$EXE" > /dev/null ||
    fail "packing the site probe"
  ${LUMORA_EMULATOR:-} "$SCRATCH/probe-$config$EXE" | tr -d '\r' > "$SCRATCH/probe.out" || fail "the probe failed"
  grep -qx 'AppTitle=Café €' "$SCRATCH/probe.out" || fail "the site object read $(grep AppTitle "$SCRATCH/probe.out")"
  grep -qx 'IndexPage=site/index.html' "$SCRATCH/probe.out" || fail "the site object read no IndexPage"
done
pass "the runtime's site object reads the stored configuration"

# Without --config the site's own file is used, and gets its mark too.
printf '[Lumora]\nIndexPage=/site/index.html?start#top\n' > "$site/lm-config"
pack "$site" "$SCRATCH/own$EXE" > /dev/null || fail "packing with the site's lm-config"
archive_of "$SCRATCH/own$EXE" "$SCRATCH/own.zip"
[ "$(lm_config "$SCRATCH/own.zip")" = "$bom$(od -An -tx1 < "$site/lm-config" | tr -d ' \n')" ] ||
  fail "the site's lm-config was stored as $(lm_config "$SCRATCH/own.zip")"
pass "the site's own lm-config gets a mark; IndexPage matches like a request (case, slashes, query)"

# Keys the runtime does not know are warned about, not refused (unless they
# look like a mistyped known key: pack_author.sh).
printf '[Lumora]\nIndexPage=site/index.html\nWindowColour=Typo\nAppWindowWidth=800px\n' > "$site/lm-config"
pack "$site" "$SCRATCH/warned$EXE" > /dev/null 2> "$SCRATCH/err" || fail "unknown keys made packing fail"
grep -q 'warning: unknown key "WindowColour" in lm-config' "$SCRATCH/err" || fail "no unknown-key warning: $(cat "$SCRATCH/err")"
grep -q 'warning: AppWindowWidth = "800px" is not a number' "$SCRATCH/err" || fail "no number warning"
pass "unknown keys and non-numbers are warnings"

# Names that differ only in ASCII letter case: the runtime serves the later.
if [ "$LUMORA_PLATFORM" = linux ]; then
  printf 'twin' > "$site/Site/index.HTML"
  printf '[Lumora]\nIndexPage=site/index.html\n' > "$site/lm-config"
  pack "$site" "$SCRATCH/twins$EXE" > /dev/null 2> "$SCRATCH/err" || fail "case twins made packing fail"
  grep -qF 'warning: "Site/Index.html" and "Site/index.HTML" differ only in letter case: the runtime always serves "Site/index.HTML"' \
    "$SCRATCH/err" || fail "no case warning: $(cat "$SCRATCH/err")"
  rm "$site/Site/index.HTML"
  pass "names differing only in letter case are warned about"
fi

# A start page that is not in the package fails with a clear message, and
# leaves neither the package nor a temporary file.
expect_failure() {  # MESSAGE ARGS...
  local message="$1" code=0
  shift
  rm -f "$SCRATCH/refused$EXE"
  pack "$@" > /dev/null 2> "$SCRATCH/err" || code=$?
  [ "$code" = 1 ] || fail "exit code $code for $*"
  grep -qF "$message" "$SCRATCH/err" || fail "expected \"$message\", got: $(cat "$SCRATCH/err")"
  [ ! -e "$SCRATCH/refused$EXE" ] || fail "a package was left behind for $*"
  [ -z "$(find "$SCRATCH" -maxdepth 1 -name '*.tmp')" ] || fail "temporary files left: $(ls "$SCRATCH")"
}
printf '[Lumora]\nIndexPage=index.html\nRootDirName=Site\n' > "$site/lm-config"
expect_failure 'error: IndexPage "index.html" names no file of the package (IndexPage includes the root folder: "Site/index.html")' \
  "$site" "$SCRATCH/refused$EXE"
printf '[Lumora]\nAppTitle=No start page\n' > "$site/lm-config"
expect_failure 'error: IndexPage is not set in lm-config' "$site" "$SCRATCH/refused$EXE"
rm "$site/lm-config"
expect_failure 'error: The site has no lm-config (give one with --config)' "$site" "$SCRATCH/refused$EXE"
pass "a missing start page is refused and nothing is left behind"

# An existing package is replaced only by a complete one.
printf 'old' > "$SCRATCH/refused$EXE"
code=0
pack "$site" "$SCRATCH/refused$EXE" > /dev/null 2>&1 || code=$?
[ "$code" = 1 ] && [ "$(cat "$SCRATCH/refused$EXE")" = old ] || fail "a failed run touched the old package"
# A folder as output is refused before the site is read (pack_output.sh has
# the failures that come late: a full disk, a signal).
printf '[Lumora]\nIndexPage=site/index.html\n' > "$site/lm-config"
mkdir "$SCRATCH/folder$EXE"
code=0
pack "$site" "$SCRATCH/folder$EXE" > /dev/null 2> "$SCRATCH/err" || code=$?
[ "$code" = 1 ] && grep -q "error: .* is a folder" "$SCRATCH/err" || fail "packing onto a folder: $(cat "$SCRATCH/err")"
[ -z "$(find "$SCRATCH" -maxdepth 1 -name '*.tmp')" ] || fail "temporary files left: $(ls "$SCRATCH")"
pass "a failed run leaves the old package as it was and no temporary file"

# The runtime must be a bare program image.
expect_failure 'is not a bare runtime' --runtime "$SCRATCH/own$EXE" "$site" "$SCRATCH/refused$EXE"
printf 'PK\003\004 not a program' > "$SCRATCH/notes.txt"
expect_failure 'is not a runtime: it is neither a Windows (PE) nor a Linux (ELF) program' \
  --runtime "$SCRATCH/notes.txt" "$site" "$SCRATCH/refused$EXE"
pass "a packaged program or a non-program is refused as runtime"

# A package written into the site folder is not packed into the next one.
pack "$site" "$site/app$EXE" > /dev/null || fail "packing into the site folder"
pack "$site" "$site/app$EXE" > /dev/null || fail "packing into the site folder again"
archive_of "$site/app$EXE" "$SCRATCH/inside.zip"
[ "$(unzip -Z1 "$SCRATCH/inside.zip" | sort | tr '\n' ' ')" = "Site/Index.html lm-config " ] ||
  fail "the package packed itself: $(unzip -Z1 "$SCRATCH/inside.zip")"
pass "the package being written is left out of the site"

# Usage errors exit 2.
code=0; pack > /dev/null 2>&1 || code=$?; [ "$code" = 2 ] || fail "no arguments: exit $code"
code=0; pack --list > /dev/null 2>&1 || code=$?; [ "$code" = 2 ] || fail "--list alone: exit $code"
code=0; pack --bogus "$site" x > /dev/null 2>&1 || code=$?; [ "$code" = 2 ] || fail "--bogus: exit $code"
pack --help | grep -q -- '--verify \[--jobs N\] FILE' || fail "--help lacks --verify"
pass "usage errors exit 2; --help lists the commands"
