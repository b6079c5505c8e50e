#!/usr/bin/env bash
# window.external in the frames of a site page and at the edges of what a
# call carries. A frame of the site has its own window.external; a data:,
# blob:, about:blank or srcdoc frame inside a site page, and a sandboxed
# frame showing a page of the site (an origin of its own), have none, and a
# frame of another origin cannot reach its parent's. Text crosses whole
# (lone surrogates, NUL); a call of 16 MiB of text works; a call over the
# documented 64 MiB throws a RangeError and reaches nothing.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

RESULTS="$SCRATCH/results.txt"
BIG="$SCRATCH/big.txt"
TOO_BIG="$SCRATCH/too-big.txt"

# What a frame sees, posted to its parent as "NAME-what=value" lines.
PROBE='
var name = location.hash.slice(1) || document.title;
var seen = [];
var ext = window.external;
seen.push(name + "-type=" + typeof ext);
try { seen.push(name + "-call=" + ext.SayHello("x")); } catch (e) { seen.push(name + "-call=" + e.name); }
try { seen.push(name + "-parent=" + parent.external.SayHello("p")); } catch (e) { seen.push(name + "-parent=" + e.name); }
parent.postMessage(seen.join("\n"), "*");
'
# The same script as a string literal, for the frames the page makes.
PROBE_JSON="$(printf '%s' "$PROBE" | python3 -c 'import json, sys; print(json.dumps(sys.stdin.read()))')"
page frames probe.html <<HTML
<!DOCTYPE html><html><head><title>site</title></head><body><script>$PROBE</script></body></html>
HTML
page frames index.html <<HTML
<!DOCTYPE html><html><body><h1>Frames</h1><script>
var ext = window.external;
var out = [];
var check = function (name, f) {
  try { out.push(name + '=' + f()); } catch (e) { out.push(name + '=' + e.name + ': ' + e.message); }
};
// Text crosses as UTF-16 units, whatever they are.
check('lone', function () { return ext.SayHello('\ud800') === 'Hello \ud800!'; });
check('nul', function () { return ext.SayHello('a\u0000b') === 'Hello a\u0000b!'; });
check('pair', function () { return ext.SayHello('\ud83d\ude00') === 'Hello \ud83d\ude00!'; });
// The limit: 64 MiB for a call, its identifier and count (8 bytes) and
// each argument's kind and length (5 bytes) included: one text of
// 33,554,425 characters is the most a one-argument call carries.
var chunk = '0123456789abcdef';
var big = new Array(1024 * 1024 + 1).join(chunk);  // 16 MiB characters
check('big', function () { return ext.appWriteFile('$BIG', big); });
var most = new Array(33554425 + 1).join('a');
check('most', function () { return ext.appFileExists(most); });
check('over', function () { return ext.appFileExists(most + 'a'); });
check('toobig', function () { return ext.appWriteFile('$TOO_BIG', most); });
most = big = null;
check('after', function () { return ext.SayHello('again'); });

var frames = {
  site: 'probe.html',
  data: 'data:text/html,' + encodeURIComponent('<title>data</title><script>' + $PROBE_JSON + '<\/script>'),
  blob: URL.createObjectURL(new Blob(['<title>blob</title><script>' + $PROBE_JSON + '<\/script>'], { type: 'text/html' })),
  sandboxed: 'probe.html#sandboxed'
};
var waiting = 0;
window.addEventListener('message', function (event) {
  out.push(String(event.data));
  if (--waiting === 0) finish();
});
Object.keys(frames).forEach(function (name) {
  var frame = document.createElement('iframe');
  if (name === 'sandboxed') frame.setAttribute('sandbox', 'allow-scripts');
  frame.src = frames[name];
  waiting++;
  document.body.appendChild(frame);
});
var srcdoc = document.createElement('iframe');
srcdoc.srcdoc = '<title>srcdoc</title><script>' + $PROBE_JSON + '<\/script>';
waiting++;
document.body.appendChild(srcdoc);
// A frame the page fills itself stays about:blank.
var blank = document.createElement('iframe');
document.body.appendChild(blank);
check('blank-type', function () { return typeof blank.contentWindow.external; });
var finish = function () { ext.appWriteFile('$RESULTS', out.join('\n')); };
</script></body></html>
HTML
make_app frames "IndexPage=site/index.html" "AppTitle=Frames" "AppEscapeClose=1"
"$SCRATCH/frames.app" & pid=$!
wait_window Frames > /dev/null || fail "no main window"
wait_until 60 test -s "$RESULTS" || true
wait_results "$RESULTS"

expect lone true
expect nul true
expect pair true
pass "text crosses whole: lone surrogates, NUL, pairs"

expect big undefined
[ "$(stat -c %s "$BIG")" = $((3 + 16 * 1024 * 1024 + 2)) ] || fail "the 16 MiB write: $(stat -c %s "$BIG") bytes"
[ "$(head -c 19 "$BIG" | tail -c 16)" = 0123456789abcdef ] || fail "the 16 MiB write holds other text"
expect most 0
expect over "RangeError: window.external: the arguments of one call are limited to 64 MiB"
expect toobig "RangeError: window.external: the arguments of one call are limited to 64 MiB"
[ ! -e "$TOO_BIG" ] || fail "a call over the limit wrote its file"
expect after "Hello again!"
pass "a call of 16 MiB of text works; one over 64 MiB throws a RangeError and reaches nothing"

expect site-type object
expect site-call "Hello x!"
expect site-parent "Hello p!"
pass "a frame of the site has its own window.external"

for frame in data blob srcdoc sandboxed; do
  expect "$frame-type" undefined
  expect "$frame-call" TypeError
done
expect blank-type undefined
for frame in data sandboxed; do
  expect "$frame-parent" SecurityError
done
pass "data:, blob:, srcdoc, about:blank and sandboxed frames have no window.external; foreign ones cannot reach their parent's"

stop "$pid"
