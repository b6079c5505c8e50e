#!/usr/bin/env bash
# A page of another origin, framed by a packaged page, gets nothing of the
# program: it cannot read archive entries (synchronous or asynchronous
# requests), cannot make the program run, open or save an entry (by
# navigating a frame of its own or the top window), and cannot close the
# program (by the close message or window.close()). The packaged page
# itself still does all of it.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"
. "$(dirname "$0")/../lib/webserver.sh"

start_web_server

cat > "$SCRATCH/web/foreign.html" <<'HTML'
<!DOCTYPE html><html><body><h1>Foreign</h1><script>
var report = function (name, value) { new Image().src = '/report?' + encodeURIComponent(name + '=' + value); };
var read = function (method, url) {
  try {
    var x = new XMLHttpRequest();
    x.open(method, url, false);
    x.send();
    return x.responseText.length ? 'read' : 'empty ' + x.status;
  } catch (e) { return 'refused'; }
};
report('sync-config', read('GET', 'lmp://lm-config'));
report('sync-secret', read('GET', 'lmp://site/secret.txt'));
report('sync-post-secret', read('POST', 'lmp://site/secret.txt'));
fetch('lmp://site/secret.txt').then(function (r) { return r.text(); })
  .then(function (t) { report('fetch-secret', t.length ? 'read' : 'empty'); }, function () { report('fetch-secret', 'refused'); });
fetch('lmp://site/secret.txt', { mode: 'no-cors' }).then(function (r) { return r.text(); })
  .then(function (t) { report('no-cors-secret', t.length ? 'read' : 'empty'); }, function () { report('no-cors-secret', 'refused'); });
try { window.webkit.messageHandlers.lumoraWindowClose.postMessage(0); report('close-message', 'sent'); }
catch (e) { report('close-message', 'unavailable'); }
window.close();
// Frames of its own navigated to entries the program would save or run,
// and the top window.
['lmp://site/tools/run.exe', 'lmp://site/.site./evil.exe', 'lmp://site/files/data.zip'].forEach(function (url) {
  var frame = document.createElement('iframe');
  frame.src = url;
  document.body.appendChild(frame);
});
try { top.location.href = 'lmp://site/tools/run.exe'; } catch (e) {}
setTimeout(function () {
  report('done', 1);
  parent.postMessage('foreign done', '*');
  location.href = 'lmp://site/tools/run.exe';
}, 1500);
</script></body></html>
HTML

RESULTS="$SCRATCH/results.txt"
mkdir -p "$SCRATCH/app"
page app secret.txt <<< 'the secret'
mkdir -p "$SCRATCH/app/site/tools" "$SCRATCH/app/site/files"
printf '#!/bin/sh\necho "$0" >> "%s/ran.log"\n' "$SCRATCH" > "$SCRATCH/app/site/tools/run.exe"
printf '#!/bin/sh\necho own >> "%s/own.log"\n' "$SCRATCH" > "$SCRATCH/app/site/tools/own.exe"
head -c 1000 /dev/urandom > "$SCRATCH/app/site/files/data.zip"
# Where a name that climbs out of the program's folder would lead.
printf '#!/bin/sh\necho evil >> "%s/ran.log"\n' "$SCRATCH" > "$SCRATCH/evil.exe"
chmod +x "$SCRATCH/evil.exe"
page app index.html <<HTML
<!DOCTYPE html><html><body><h1>Packaged</h1><script>
var out = [];
var x = new XMLHttpRequest();
x.open('GET', 'lmp://site/secret.txt', false);
x.send();
out.push('own-sync=' + x.responseText.trim());
var asked = 0;
function appCanClose() { asked++; return true; }
window.addEventListener('message', function (event) {
  if (event.data !== 'foreign done') return;
  setTimeout(function () {
    out.push('asked=' + asked);
    var own = document.createElement('iframe');
    own.src = 'lmp://site/tools/own.exe';
    document.body.appendChild(own);
    window.external.appWriteFile('$RESULTS', out.join('\n'));
    setTimeout(function () { window.close(); }, 3000);
  }, 1500);
});
var frame = document.createElement('iframe');
frame.src = 'http://127.0.0.1:$PORT/foreign.html';
document.body.appendChild(frame);
</script></body></html>
HTML
make_app app "IndexPage=site/index.html" "AppTitle=Foreign Frame" "RootDirName=site"
mv "$SCRATCH/app.app" "$SCRATCH/app/program"

"$SCRATCH/app/program" & pid=$!
main="$(wait_window "Foreign Frame")" || fail "no main window"
wait_results "$RESULTS"
expect own-sync "the secret"
expect asked 0
pass "the packaged page reads entries synchronously; the foreign page did not ask to close"

grep -q '^done=1$' "$FOREIGN_LOG" || fail "the foreign page did not finish: $(cat "$FOREIGN_LOG")"
for route in sync-config sync-secret sync-post-secret fetch-secret no-cors-secret; do
  line="$(grep "^$route=" "$FOREIGN_LOG" || true)"
  case "$line" in
    "$route=refused"|"$route=empty "*) ;;
    *) fail "the foreign page read an entry: '$line'" ;;
  esac
done
pass "a foreign page reads no entry, by synchronous or asynchronous request"

wait_until 5 test -s "$SCRATCH/own.log" || true
[ -s "$SCRATCH/own.log" ] || fail "the packaged page's own frame did not run its program"
[ ! -e "$SCRATCH/ran.log" ] || fail "a foreign page made the program run: $(cat "$SCRATCH/ran.log")"
[ "$(xdotool search --onlyvisible --classname program 2>/dev/null | wc -l)" = 1 ] ||
  fail "a foreign page opened a window (a save dialog?)"
pass "a foreign page runs and saves nothing by navigation; the packaged page runs its program"

wait_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "the packaged page's window.close(): exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
pass "a foreign page cannot close the program; the packaged page's window.close() does"
