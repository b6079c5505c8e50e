#!/usr/bin/env bash
# What a site author meets first: the warnings about template directives
# that would include nothing, the errors that name their fix, --strict, and
# the preview loop --run.
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/pack.sh"

# new_site NAME: a small site that packs without a word, in $site.
new_site() {
  site="$SCRATCH/sites/$1"
  rm -rf "$site"
  mkdir -p "$site/site/parts" "$site/site/sub"
  printf '[Lumora]\nIndexPage=site/index.html\nRootDirName=site\n' > "$site/lm-config"
  printf '<p>head</p>\n' > "$site/site/parts/head.html"
  printf '<p>side</p>\n' > "$site/site/sub/side.html"
  printf 'data\n' > "$site/site/data.txt"
  printf '<html>\n<body>\n<!--template:parts/head.html-->\n</body>\n' > "$site/site/index.html"
}

# page LINE: replaces line 3 of the start page.
page() { printf '<html>\n<body>\n%s\n</body>\n' "$1" > "$site/site/index.html"; }

# spoil CASE: turns the good site into the bad one of that name.
spoil() {
  case "$1" in
    misspelled) page '<!--template:parts/heda.html-->' ;;
    space-after-colon) page '<!--template: parts/head.html-->' ;;
    arrow) page '<!--template:parts/head.html->' ;;
    run-on) page '<!--template:parts/head.html-> <!--template:sub/side.html-->' ;;
    space-before) page '<!-- template:parts/head.html -->' ;;
    no-colon) page '<!--template parts/head.html-->' ;;
    not-html) page '<!--template:data.txt-->' ;;
    from-page-folder) mv "$site/site/index.html" "$site/site/sub/page.html"
      printf '<html>\n<body>\n<!--template:side.html-->\n</body>\n' > "$site/site/sub/page.html"
      printf 'x' > "$site/site/index.html" ;;
    root-in-name) page '<!--template:site/parts/head.html-->' ;;
    capitals-only) page '<!--TEMPLATE:parts/head.html-->' ;;
    no-root) printf '[Lumora]\nIndexPage=site/index.html\n' > "$site/lm-config" ;;
    html-in-capitals) printf '<!--template:parts/head.html-->\n' > "$site/site/PAGE.HTML" ;;
    mistyped-key) printf 'AppPasword=secret\n' >> "$site/lm-config" ;;
    utf16-without-mark) printf '[Lumora]\nIndexPage=site/index.html\n' | iconv -t UTF-16LE > "$site/lm-config" ;;
    config-ini) mv "$site/lm-config" "$site/lm-config.ini" ;;
    config-txt) mv "$site/lm-config" "$site/lm-config.txt" ;;
    config-in-root-folder) mv "$site/lm-config" "$site/site/lm-config" ;;
    index-backslash) printf '[Lumora]\nIndexPage=site\\index.html\nRootDirName=site\n' > "$site/lm-config" ;;
    index-dot-slash) printf '[Lumora]\nIndexPage=./site/index.html\nRootDirName=site\n' > "$site/lm-config" ;;
    index-missing) printf '[Lumora]\nIndexPage=site/indx.html\nRootDirName=site\n' > "$site/lm-config" ;;
    index-elsewhere) printf '[Lumora]\nIndexPage=site/side.html\nRootDirName=site\n' > "$site/lm-config" ;;
    root-not-a-folder) printf '[Lumora]\nIndexPage=site/data.txt\nRootDirName=web\n' > "$site/lm-config"
      mkdir "$site/assets"; printf 'x' > "$site/assets/a.css"; page '' ;;
    title-without-app) printf 'Title=Notes\n' >> "$site/lm-config" ;;
    section-slip) sed -i 's/\[Lumora\]/[Lumra]/' "$site/lm-config" ;;
    theme-dark) printf 'AppTheme=Dark\n' >> "$site/lm-config" ;;
    theme-empty) printf 'AppTheme=\n' >> "$site/lm-config" ;;
    packed-into-site) pack "$site" "$site/site/old-app$EXE" > /dev/null 2>&1 || fail "packing into the site" ;;
    *) fail "no bad site $1" ;;
  esac
}

# The table: a bad site, whether it is refused or only warned about, and the
# words it must print.
cases=(
  "misspelled|warning|site/index.html:3: template \"parts/heda.html\" includes nothing: no entry \"site/parts/heda.html\" (did you mean \"parts/head.html\"?)"
  "space-after-colon|warning|site/index.html:3: template \" parts/head.html\" includes nothing: no entry \"site/ parts/head.html\" (remove the space after \"template:\")"
  "arrow|warning|site/index.html:3: \"<!--template:parts/head.html->\" looks like a template directive but is not one: no \"-->\" closes it on the same line"
  "run-on|warning|(the name runs on into the next directive: is a \"-->\" missing?)"
  "space-before|warning|site/index.html:3: \"<!-- template:parts/head.html -->\" looks like a template directive but is not one: nothing may stand between \"<!--\" and \"template:\""
  "no-colon|warning|looks like a template directive but is not one: \"template\" must be followed by \":\""
  "not-html|warning|template \"data.txt\" includes nothing: \"site/data.txt\" is not an HTML entry"
  "from-page-folder|warning|site/sub/page.html:3: template \"side.html\" includes nothing: no entry \"site/side.html\" (names are relative to the root folder \"site\": did you mean \"sub/side.html\"?)"
  "root-in-name|warning|(names are relative to the root folder: leave out \"site/\")"
  "capitals-only|warning|\"<!--TEMPLATE:parts/head.html-->\" is not expanded: a page is searched for directives only when it holds \"<!--template\" in small letters"
  "no-root|warning|site/index.html:3: template \"parts/head.html\" includes nothing: RootDirName is not set, so the name is \"/parts/head.html\", which matches no entry (set RootDirName to the folder that holds it, e.g. site)"
  "html-in-capitals|warning|site/PAGE.HTML:1: \"<!--template:parts/head.html-->\" is never expanded: only pages whose names end exactly in \".htm\" or \".html\" are"
  "mistyped-key|error|error: unknown key \"AppPasword\" in lm-config: did you mean \"AppPassword\"?"
  "utf16-without-mark|error|is UTF-16 without a byte-order mark, which the runtime would read as empty: save it as UTF-8"
  "config-ini|error|The site has no lm-config (give one with --config): the package would have no start page. Found \"lm-config.ini\""
  "config-txt|error|Found \"lm-config.txt\": the runtime reads only a file named exactly \"lm-config\""
  "config-in-root-folder|error|Found \"site/lm-config\""
  "index-backslash|error|IndexPage \"site\\index.html\" names no file of the package: names in the package use \"/\" between folders (write \"site/index.html\")"
  "index-dot-slash|error|IndexPage \"./site/index.html\" names no file of the package: names start at the top of SOURCE_DIR, without \"./\" (write \"site/index.html\")"
  "index-missing|error|IndexPage \"site/indx.html\" names no file of the package (did you mean \"site/index.html\"?)"
  "index-elsewhere|error|IndexPage \"site/side.html\" names no file of the package (did you mean \"site/sub/side.html\"?)"
  "root-not-a-folder|warning|RootDirName \"web\" is no folder of the package: no entry starts with \"web/\", so names that scripts and templates give find nothing; the folders at the top of SOURCE_DIR are \"assets\", \"site\""
  "title-without-app|error|unknown key \"Title\" in lm-config: did you mean \"AppTitle\"?"
  "section-slip|error|lm-config has no [Lumora] section: every key takes its default (did you mean [Lumora] for [Lumra]?)"
  "theme-dark|warning|AppTheme = \"Dark\" names no style: the program shows \"Style 'Dark' not found\" and keeps the native look (did you mean one of \"Amakrits\","
  "theme-empty|error|AppTheme is empty: the program would show \"Style '' not found\" at every start. Remove the line for the native look, or name a style"
  "packed-into-site|warning|left out \"site/old-app$EXE\": it is a program packed by lumora-pack; write programs outside SOURCE_DIR"
)

new_site good
pack "$site" "$SCRATCH/good$EXE" > /dev/null 2> "$SCRATCH/err" || fail "the good site: $(cat "$SCRATCH/err")"
[ ! -s "$SCRATCH/err" ] || fail "the good site was warned about: $(cat "$SCRATCH/err")"
pack --strict "$site" "$SCRATCH/good$EXE" > /dev/null || fail "--strict refused the good site"

for row in "${cases[@]}"; do
  IFS='|' read -r name kind words <<< "$row"
  new_site "$name"
  spoil "$name"
  rm -f "$SCRATCH/out$EXE"
  code=0
  pack "$site" "$SCRATCH/out$EXE" > /dev/null 2> "$SCRATCH/err" || code=$?
  grep -qF -- "$words" "$SCRATCH/err" || fail "$name: expected
  $words
got:
$(cat "$SCRATCH/err")"
  if [ "$kind" = warning ]; then
    [ "$code" = 0 ] && [ -e "$SCRATCH/out$EXE" ] || fail "$name: a warning stopped packing (exit $code)"
    grep -q 'lumora-pack: warning: ' "$SCRATCH/err" || fail "$name: not a warning"
    # --strict: the same warning, a failure, and nothing written.
    rm -f "$SCRATCH/out$EXE"
    code=0
    pack --strict "$site" "$SCRATCH/out$EXE" > /dev/null 2> "$SCRATCH/err" || code=$?
    [ "$code" = 1 ] && [ ! -e "$SCRATCH/out$EXE" ] || fail "$name: --strict gave exit $code"
    grep -qF -- "$words" "$SCRATCH/err" && grep -q 'warning(s) with --strict: nothing written' "$SCRATCH/err" ||
      fail "$name: --strict said $(cat "$SCRATCH/err")"
  else
    [ "$code" = 1 ] && [ ! -e "$SCRATCH/out$EXE" ] || fail "$name: exit $code for an error"
  fi
  [ -z "$(find "$SCRATCH" -maxdepth 1 -name '*.tmp')" ] || fail "$name: temporary files left"
done
pass "a table of ${#cases[@]} bad sites: each names its page and line or its fix; --strict fails on warnings"

# A mistyped key packs with --allow-unknown-keys, as a warning.
new_site allowed
spoil mistyped-key
pack --allow-unknown-keys "$site" "$SCRATCH/allowed$EXE" > /dev/null 2> "$SCRATCH/err" ||
  fail "--allow-unknown-keys: $(cat "$SCRATCH/err")"
grep -qF 'warning: unknown key "AppPasword" in lm-config: the runtime does not read it (did you mean "AppPassword"?)' \
  "$SCRATCH/err" || fail "--allow-unknown-keys said $(cat "$SCRATCH/err")"
pass "--allow-unknown-keys turns a mistyped key into a warning"

# Errors about the places the packer reads and writes name them.
new_site places
code=0
pack "$site" "$SCRATCH/nowhere/app$EXE" > /dev/null 2> "$SCRATCH/err" || code=$?
[ "$code" = 1 ] && grep -q 'nowhere" does not exist: create it first' "$SCRATCH/err" ||
  fail "a missing output folder: $(cat "$SCRATCH/err")"
grep -q '\.tmp' "$SCRATCH/err" && fail "a temporary name in the message: $(cat "$SCRATCH/err")"
code=0
pack --runtime "$SCRATCH/no-runtime" "$site" "$SCRATCH/app$EXE" > /dev/null 2> "$SCRATCH/err" || code=$?
[ "$code" = 1 ] && grep -q 'no-runtime" given with --runtime' "$SCRATCH/err" ||
  fail "a missing --runtime: $(cat "$SCRATCH/err")"
# A packer without a runtime where it looks names those places and the way
# to give one.
. "$LUMORA_SOURCE/scripts/lib/wine.sh"  # lumora_pe_arch: the Windows build's width
if [ "$LUMORA_PLATFORM" = win32 ] && [ "$(lumora_pe_arch "$PACKER")" = win64 ]; then
  own=("64-bit Windows" windows-x86_64) other=(Linux linux-x86_64 linux)
elif [ "$LUMORA_PLATFORM" = win32 ]; then
  own=("32-bit Windows" windows-x86) other=(Linux linux-x86_64 linux)
else
  own=(Linux linux-x86_64) other=("32-bit Windows" windows-x86 windows)
fi
mkdir "$SCRATCH/alone"
cp "$PACKER" "$SCRATCH/alone/"
code=0
${LUMORA_EMULATOR:-} "$SCRATCH/alone/lumora-pack$EXE" "$site" "$SCRATCH/app$EXE" > /dev/null 2> "$SCRATCH/err" || code=$?
[ "$code" = 1 ] && grep -q "There is no ${own[0]} runtime for lumora-pack: it is looked for at \".*lib.lumora.runtimes.${own[1]}.lumora$EXE\" or \".*alone.lumora$EXE\"\. .*give one with --runtime PATH" "$SCRATCH/err" ||
  fail "no runtime for the packer: $(cat "$SCRATCH/err")"
pass "a missing output folder or runtime is named, with the way to give one"

# Installed, the packer finds the runtime of each target in
# lib/lumora/runtimes/<target>/ below its own folder's parent.
installed="$SCRATCH/prefix"
mkdir -p "$installed/bin" "$installed/lib/lumora/runtimes/${own[1]}"
cp "$PACKER" "$installed/bin/"
cp "$LUMORA_BUILD/lumora$EXE" "$installed/lib/lumora/runtimes/${own[1]}/"
installed_pack() { ${LUMORA_EMULATOR:-} "$installed/bin/lumora-pack$EXE" "$@" 2> "$SCRATCH/err" | tr -d '\r'; }
installed_pack "$site" "$SCRATCH/installed$EXE" > "$SCRATCH/out" || fail "installed packing: $(cat "$SCRATCH/err")"
grep -q "after runtime \".*prefix.lib.lumora.runtimes.${own[1]}.lumora$EXE\"" "$SCRATCH/out" ||
  fail "the installed packer took another runtime: $(cat "$SCRATCH/out")"
pack --verify "$SCRATCH/installed$EXE" > /dev/null || fail "the installed packer's program does not verify"
if installed_pack --target "${other[2]}" "$site" "$SCRATCH/other" > /dev/null; then
  fail "packed for ${other[2]} without its runtime"
fi
grep -q "There is no ${other[0]} runtime for lumora-pack: it is looked for at \".*prefix.lib.lumora.runtimes.${other[1]}.lumora" "$SCRATCH/err" ||
  fail "--target ${other[2]} without its runtime: $(cat "$SCRATCH/err")"
pass "installed, the packer finds its runtime below lib/lumora/runtimes and names the missing one"

# --target and --runtime that disagree, and an unknown target.
if pack --target "${other[2]}" --runtime "$LUMORA_BUILD/lumora$EXE" "$site" "$SCRATCH/x" 2> "$SCRATCH/err"; then
  fail "--target ${other[2]} packed the ${own[0]} runtime"
fi
grep -q -- "--target ${other[2]}, but the runtime \".*\" is a ${own[0]} program" "$SCRATCH/err" ||
  fail "--target against --runtime: $(cat "$SCRATCH/err")"
code=0
pack --target macos "$site" "$SCRATCH/x" 2> "$SCRATCH/err" || code=$?
[ "$code" = 2 ] && grep -q -- '--target needs linux, windows or windows-x64, not "macos"' "$SCRATCH/err" ||
  fail "an unknown target: $(cat "$SCRATCH/err")"
pass "--target that disagrees with --runtime, or names no system, is refused"

# Packing for either runtime gives no note: both show their windows.
new_site note
pack "$site" "$SCRATCH/note$EXE" > "$SCRATCH/out" || fail "packing for the note"
grep -q 'note:' "$SCRATCH/out" && fail "a note: $(cat "$SCRATCH/out")"
pass "packing for either runtime adds no note"

# --run: packs, starts the program with the arguments, passes its exit code
# on and removes it afterwards.
probe="$LUMORA_BUILD/tests/helpers/lumora_run_probe$EXE"
new_site preview
code=0
pack --run --runtime "$probe" "$site" one -- "two words" --three exit=7 > "$SCRATCH/out" 2> "$SCRATCH/err" || code=$?
[ "$code" = 7 ] || fail "--run passed on exit $code: $(cat "$SCRATCH/err")"
[ "$(grep '^arg ' "$SCRATCH/out" | tr '\n' '|')" = "arg one|arg two words|arg --three|arg exit=7|" ] ||
  fail "--run passed $(cat "$SCRATCH/out")"
program="$(sed -n 's/^path //p' "$SCRATCH/out")"
case "$program" in */preview"$EXE"|*\\preview"$EXE") ;; *) fail "the program is $program" ;; esac
if [ "$LUMORA_PLATFORM" = linux ]; then
  [ ! -e "$program" ] && [ ! -e "$(dirname "$program")" ] || fail "--run left $program behind"
  [ -z "$(temp_files)" ] || fail "--run left $(temp_files)"
fi
code=0
pack --run --runtime "$probe" "$site" > "$SCRATCH/out" || code=$?
[ "$code" = 0 ] && ! grep -q '^arg ' "$SCRATCH/out" || fail "--run without arguments: exit $code"
pass "--run starts the program with its arguments, passes its exit code on and leaves nothing behind"

# --run of a program for the other system is refused before packing.
code=0
pack --run --target "${other[2]}" "$site" > "$SCRATCH/out" 2> "$SCRATCH/err" || code=$?
[ "$code" = 1 ] && grep -q -- "--run starts programs of this system only, and --target ${other[2]} makes a ${other[0]} program: pack it without --run and start it on ${other[0]#*-bit }" "$SCRATCH/err" ||
  fail "--run --target ${other[2]}: exit $code, $(cat "$SCRATCH/err")"
grep -q '^path \|^arg ' "$SCRATCH/out" && fail "--run --target ${other[2]} started something: $(cat "$SCRATCH/out")"
pass "--run for the other system is refused with the way to run it"

if [ "$LUMORA_PLATFORM" = linux ]; then
  # Ended from outside while the program runs: the program is ended too and
  # still removed.
  "$PACKER" --run --runtime "$probe" "$site" hang > "$SCRATCH/out" 2>&1 &
  packer=$!
  wait_until 20 grep -q '^arg hang' "$SCRATCH/out" || true
  program="$(sed -n 's/^path //p' "$SCRATCH/out")"
  [ -n "$program" ] && [ -e "$program" ] || fail "the hanging program did not start: $(cat "$SCRATCH/out")"
  kill -TERM "$packer"
  wait_exit "$packer"
  [ "$EXIT_CODE" = 143 ] || fail "--run ended by SIGTERM gave $EXIT_CODE"
  [ ! -e "$(dirname "$program")" ] && [ -z "$(temp_files)" ] || fail "--run ended by SIGTERM left $(temp_files)"
  pgrep -f "$program" > /dev/null && fail "the program outlived the packer"
  # A site that cannot be packed runs nothing and leaves nothing.
  new_site broken
  spoil config-ini
  code=0
  pack --run --runtime "$probe" "$site" > "$SCRATCH/out" 2>&1 || code=$?
  [ "$code" = 1 ] && ! grep -q '^path ' "$SCRATCH/out" && [ -z "$(temp_files)" ] ||
    fail "--run of a broken site: exit $code, left $(temp_files)"
  pass "--run ended by a signal or a packing error leaves nothing behind"
fi

# What goes into the program: version control and leftovers stay out with
# one note, the author's patterns too; --no-default-excludes packs them.
new_site leftovers
mkdir -p "$site/site/.git/refs" "$site/site/drafts"
touch "$site/site/.git/HEAD" "$site/site/.git/refs/main" "$site/.DS_Store" "$site/site/Thumbs.db" \
  "$site/site/notes.html~" "$site/site/drafts/cover.psd" "$site/site/big.mp4"
printf '# not for users\ndrafts/\n' > "$site/.lumoraignore"
pack --strict --exclude '*.mp4' "$site" "$SCRATCH/leftovers$EXE" > "$SCRATCH/out" 2> "$SCRATCH/err" ||
  fail "leftovers: $(cat "$SCRATCH/err")"
grep -qF 'note: left out 4 entries: .DS_Store, site/.git/, site/Thumbs.db, site/notes.html~ (version control, system and editor leftovers; --no-default-excludes packs them)' "$SCRATCH/out" &&
  grep -qF 'note: left out 2 entries: site/big.mp4, site/drafts/ (matched by --exclude or .lumoraignore)' "$SCRATCH/out" ||
  fail "the notes of what was left out: $(cat "$SCRATCH/out")"
archive_of "$SCRATCH/leftovers$EXE" "$SCRATCH/leftovers.zip"
[ "$(unzip -Z1 "$SCRATCH/leftovers.zip" | tr '\n' ' ')" = "lm-config site/data.txt site/index.html site/parts/head.html site/sub/side.html " ] ||
  fail "leftovers packed: $(unzip -Z1 "$SCRATCH/leftovers.zip" | tr '\n' ' ')"
pack --no-default-excludes "$site" "$SCRATCH/leftovers$EXE" > "$SCRATCH/out" || fail "--no-default-excludes"
archive_of "$SCRATCH/leftovers$EXE" "$SCRATCH/leftovers.zip"
# (The listing is read once: grep -q ending a pipe early under pipefail
# would fail the test whenever unzip is still writing.)
listing=$(unzip -Z1 "$SCRATCH/leftovers.zip")
grep -qx 'site/.git/refs/main' <<< "$listing" && ! grep -q 'version control' "$SCRATCH/out" &&
  ! grep -q 'drafts\|lumoraignore' <<< "$listing" || fail "--no-default-excludes packed $listing"
pass "version control and leftovers stay out with one note; --exclude and .lumoraignore leave out the author's patterns"

# A name that does not fit the program's system, and a [VersionInfo]
# section for the site's Windows programs, which a Linux program ignores.
if [ "$LUMORA_PLATFORM" = linux ]; then
  new_site names
  printf '[VersionInfo]\nProductName=Notes\nFileVersion=1.0\n' >> "$site/lm-config"
  pack --strict "$site" "$SCRATCH/names" > /dev/null 2> "$SCRATCH/err" ||
    fail "[VersionInfo] stopped a Linux pack with --strict: $(cat "$SCRATCH/err")"
  pack "$site" "$SCRATCH/names.exe" > /dev/null 2> "$SCRATCH/err" || fail "packing names.exe"
  grep -qF 'warning: "'"$SCRATCH"'/names.exe" ends in ".exe", but it is a Linux program: leave the extension out, or give --target windows for a Windows program' "$SCRATCH/err" ||
    fail "a Linux program named .exe: $(cat "$SCRATCH/err")"
  pack --version-info ProductName=X "$site" "$SCRATCH/names" > /dev/null 2> "$SCRATCH/err" || fail "--version-info on Linux"
  grep -qF 'warning: --version-info applies only to Windows programs: not written' "$SCRATCH/err" ||
    fail "--version-info for Linux: $(cat "$SCRATCH/err")"
  pass "a Linux program named .exe and --version-info for Linux are warned about; [VersionInfo] is not"
fi

# --run: packing options after SOURCE_DIR say where they go; the program's
# own options follow "--".
new_site run-options
for row in "--icon|--icon comes after SOURCE_DIR: packing options go before it (lumora-pack --run --icon ... SOURCE_DIR), and the program's own arguments after \"--\"" \
           "--verbose|--verbose after SOURCE_DIR: give the program's own options after \"--\" (lumora-pack --run SOURCE_DIR -- --verbose)"; do
  IFS='|' read -r option words <<< "$row"
  code=0
  pack --run --runtime "$probe" "$site" "$option" x > "$SCRATCH/out" 2> "$SCRATCH/err" || code=$?
  [ "$code" = 2 ] && grep -qF -- "$words" "$SCRATCH/err" && ! grep -q '^path ' "$SCRATCH/out" ||
    fail "--run SOURCE_DIR $option: exit $code, $(cat "$SCRATCH/err")"
done
pass "--run refuses options after SOURCE_DIR, saying where they go"

# Pointed at the root folder instead of the site folder above it.
new_site folder-above
code=0
pack "$site/site" "$SCRATCH/above$EXE" > /dev/null 2> "$SCRATCH/err" || code=$?
[ "$code" = 1 ] && grep -qF "The site has no lm-config (give one with --config): the package would have no start page. The folder above, \"" "$SCRATCH/err" &&
  grep -qF 'folder-above", has one: pack that folder' "$SCRATCH/err" || fail "the folder above: exit $code, $(cat "$SCRATCH/err")"
pass "packing the root folder names the folder above that has the configuration"

# Script and CSS the Windows engine does not know: warned about with --lint
# (and for every Windows program), by file and line; a Linux pack without
# --lint says nothing.
new_site lint
printf 'var a = 1;\nvar f = () => a;\n' > "$site/site/app.js"
printf 'a {\n  color: var(--accent);\n}\n' > "$site/site/style.css"
printf '<html>\n<body>\n<script>\nvar s = `x`;\n</script>\n</body>\n' > "$site/site/index.html"
pack "$site" "$SCRATCH/lint$EXE" > /dev/null 2> "$SCRATCH/err" || fail "packing the lint site"
if [ "$LUMORA_PLATFORM" = linux ]; then
  [ ! -s "$SCRATCH/err" ] || fail "a Linux pack without --lint warned: $(cat "$SCRATCH/err")"
fi
pack --lint "$site" "$SCRATCH/lint$EXE" > /dev/null 2> "$SCRATCH/err" || fail "--lint: $(cat "$SCRATCH/err")"
for words in 'site/app.js:2: the Windows engine (Internet Explorer 11) does not run arrow functions (=>)' \
             'site/style.css:2: the Windows engine (Internet Explorer 11) ignores custom properties (var())' \
             'site/index.html:4: the Windows engine (Internet Explorer 11) does not run template literals (`...`)'; do
  grep -qF -- "warning: $words" "$SCRATCH/err" || fail "--lint: expected $words, got $(cat "$SCRATCH/err")"
done
pass "--lint names script and CSS the Windows engine does not know, by file and line"
