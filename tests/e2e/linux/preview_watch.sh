#!/usr/bin/env bash
# lumora-pack --run --watch: a changed file of the site is packed again,
# its warnings printed, and the page reloads from the new archive in the
# same window of the same program, once per change.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

export HOME="$SCRATCH/home"
mkdir -p "$HOME"
RESULTS="$SCRATCH/results.txt"

# version N: the page, which counts its loads and writes them with N.
version() {
  page watch index.html <<HTML
<html><body><script>
var n = (parseInt(localStorage.getItem('loads'), 10) || 0) + 1;
localStorage.setItem('loads', n);
window.external.appWriteFile('$RESULTS', 'loads=' + n + ' version=$1');
</script><!--template:parts/$2.html--></body></html>
HTML
}
mkdir -p "$SCRATCH/watch/site/parts"
printf '<p>x</p>' > "$SCRATCH/watch/site/parts/head.html"
printf '[Lumora]\nIndexPage=site/index.html\nRootDirName=site\nAppTitle=Watched\n' > "$SCRATCH/watch/lm-config"
version 1 head

results_are() { [ "$(tr -d '\r\n' < "$RESULTS" 2>/dev/null | sed 's/^\xef\xbb\xbf//')" = "$1" ]; }

"$PACKER" --run --watch "$SCRATCH/watch" > "$SCRATCH/out" 2>&1 &
preview=$!
window="$(wait_window Watched)" || fail "no window: $(cat "$SCRATCH/out")"
wait_until 60 results_are 'loads=1 version=1' || fail "first load: $(cat "$RESULTS" 2>/dev/null), $(cat "$SCRATCH/out")"

# A change with a template that includes nothing: packed again, the warning
# printed, and the page reloaded once in the same window.
version 2 heda
wait_until 30 results_are 'loads=2 version=2' || fail "no reload: $(cat "$RESULTS"), $(cat "$SCRATCH/out")"
grep -qF 'note: a file of the site changed: packed again, the page reloads' "$SCRATCH/out" ||
  fail "no note of the new pack: $(cat "$SCRATCH/out")"
grep -qF 'site/index.html:5: template "parts/heda.html" includes nothing' "$SCRATCH/out" ||
  fail "the new pack's warnings were not printed: $(cat "$SCRATCH/out")"
[ "$(first_window Watched)" = "$window" ] && [ "$(visible_windows Watched)" = 1 ] || fail "the window was replaced"
kill -0 "$preview" || fail "the preview ended"

# Nothing changes: nothing is packed and nothing reloads.
still_running "$preview" 2 || fail "the preview ended"
results_are 'loads=2 version=2' || fail "a reload without a change: $(cat "$RESULTS")"
[ "$(grep -c 'packed again' "$SCRATCH/out")" = 1 ] || fail "packed $(grep -c 'packed again' "$SCRATCH/out") times for one change"

# A change that cannot be packed keeps the page; the next good one reloads.
printf '[Lumora]\nIndexPage=site/gone.html\nRootDirName=site\nAppTitle=Watched\n' > "$SCRATCH/watch/lm-config"
wait_until 30 grep -qF 'packing failed: IndexPage "site/gone.html" names no file of the package' "$SCRATCH/out" ||
  fail "a failed pack was not reported: $(cat "$SCRATCH/out")"
printf '[Lumora]\nIndexPage=site/index.html\nRootDirName=site\nAppTitle=Watched\n' > "$SCRATCH/watch/lm-config"
version 3 head
wait_until 30 results_are 'loads=3 version=3' || fail "no reload after a failed pack: $(cat "$RESULTS"), $(cat "$SCRATCH/out")"
stop "$preview"
pass "--watch packs a changed site again, prints its warnings and reloads the page once in the same window"
