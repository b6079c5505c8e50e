#!/usr/bin/env bash
# What the site-author docs promise about the running program: console
# messages on standard error with HideJsErrors=0 (and nowhere without),
# appDocsDir as the home folder when no documents folder is configured,
# the two-line read-back of appWriteFile's text, and the web engine's own
# storage under the program's name.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

export HOME="$SCRATCH/home"
unset XDG_DATA_HOME XDG_CACHE_HOME
mkdir -p "$HOME" "$XDG_CONFIG_HOME"   # no user-dirs.dirs: no documents folder configured
RESULTS="$SCRATCH/results.txt"

page author index.html <<HTML
<html><body><script>
var ext = window.external;
console.log('author-console-probe');
localStorage.setItem('probe', 'kept');
ext.appWriteFile('$SCRATCH/note.txt', 'first\nsecond');
// The read-back the docs give: drop the byte-order mark, turn CR LF into LF
// and drop the line end written after the last line.
var text = ext.appReadFile('$SCRATCH/note.txt');
text = text.replace(/^\ufeff/, '').replace(/\r\n/g, '\n').replace(/\n$/, '');
ext.appWriteFile('$RESULTS', 'docs=' + ext.appDocsDir() + '\nroundtrip=' + (text === 'first\nsecond' ? 'ok' : JSON.stringify(text)));
</script>done</body></html>
HTML

run_author() {  # HIDE_JS_ERRORS
  rm -f "$RESULTS"
  make_app author IndexPage=site/index.html RootDirName=site AppTitle=Author "HideJsErrors=$1"
  "$SCRATCH/author.app" > "$SCRATCH/stdout" 2> "$SCRATCH/stderr" &
  local pid=$!
  wait_results "$RESULTS"
  stop "$pid"
}

run_author 0
grep -q 'CONSOLE LOG author-console-probe' "$SCRATCH/stderr" || fail "no console message on standard error: $(cat "$SCRATCH/stderr")"
grep -q CONSOLE "$SCRATCH/stdout" && fail "console messages on standard output"
expect docs "$HOME/"
expect roundtrip ok
[ -s "$HOME/.local/share/author.app/localstorage/lmp_site_0.localstorage" ] ||
  fail "local storage is not below ~/.local/share/author.app: $(find "$HOME" -name '*localstorage*')"
[ -d "$HOME/.cache/author.app/WebKitCache" ] || fail "the cache is not below ~/.cache/author.app"
pass "HideJsErrors=0: console messages on standard error; appDocsDir is the home folder; storage by program name"

run_author 1
grep -q CONSOLE "$SCRATCH/stderr" "$SCRATCH/stdout" && fail "console messages with HideJsErrors=1"
pass "HideJsErrors=1: no console messages"
