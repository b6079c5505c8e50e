#!/usr/bin/env bash
# window.external in pages of the site: names in any letter case, results,
# wrong argument counts, errors thrown into the page, the command line; a
# page from another origin gets no window.external, cannot reach the
# bridge and cannot frame a page of the site.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

RESULTS="$SCRATCH/results.txt"
PORT="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"

# The other origin: a page that reports what it sees by asking its own
# server for /report?..., which the server's log records.
mkdir -p "$SCRATCH/web"
cat > "$SCRATCH/web/probe.html" <<'HTML'
<!DOCTYPE html><html><body><h1>Probe</h1><script>
var seen = 'external=' + typeof window.external;
try {
  var xhr = new XMLHttpRequest();
  xhr.open('POST', 'lmp://site/lumora-external', false);
  xhr.setRequestHeader('X-Lumora-Bridge', '00');
  xhr.send('9999');
  seen += ',bridge=' + xhr.status + ':' + xhr.responseText;
} catch (e) { seen += ',bridge=refused'; }
// A site page framed here does not load at all: the scheme serves only
// pages of the site. Had it loaded, it would say so.
var inner = 'inner=none';
window.addEventListener('message', function (event) { inner = event.data; });
setTimeout(function () { fetch('/report?' + encodeURIComponent(seen + ',' + inner)); }, 2500);
var frame = document.createElement('iframe');
frame.src = 'lmp://site/inner.html';
document.body.appendChild(frame);
</script></body></html>
HTML
(cd "$SCRATCH/web" && exec python3 -m http.server --bind 127.0.0.1 "$PORT" > /dev/null 2> "$SCRATCH/web.log") & server=$!
trap 'kill "$server" 2>/dev/null || true; end_test' EXIT

# Each check appends "name=value" to a list the page writes through the
# bridge itself, then the page follows a link to the other origin.
page bridge index.html <<HTML
<!DOCTYPE html><html><body><h1>Bridge</h1><a id="away" href="http://127.0.0.1:$PORT/probe.html">away</a><script>
var out = [];
var check = function (name, f) {
  try { var v = f(); out.push(name + '=' + typeof v + ':' + v); }
  catch (e) { out.push(name + '=' + e.name + ':' + e.message); }
};
var ext = window.external;
var text = 'h\u00e9llo \u2603 \ud83d\ude00 "q" \\\\ line\nnext';
check('type', function () { return typeof ext; });
check('in', function () { return 'appWriteFile' in ext; });
check('write', function () { return ext.APPwritefile('$SCRATCH/data.txt', text); });
// Text files are written with a byte order mark and CRLF line ends, and
// read back as stored.
check('readback', function () {
  return ext.AppReadFile('$SCRATCH/data.txt') === '\ufeff' + text.replace(/\n/g, '\r\n') + '\r\n';
});
check('exists', function () { return ext.appfileexists('$SCRATCH/data.txt'); });
check('missing', function () { return ext.appFileExists('$SCRATCH/none.txt'); });
check('onearg', function () { return ext.appWriteFile('$SCRATCH/one.txt'); });
check('oneexists', function () { return ext.appFileExists('$SCRATCH/one.txt'); });
check('readnoarg', function () { return ext.appReadFile(); });
check('hello', function () { return ext.SayHello(); });
check('hellobob', function () { return ext.sAYhELLO('Bob', 'extra'); });
check('hello1', function () { return ext.sayhello('Bob'); });
check('count', function () { return ext.appParamCount(); });
check('param1', function () { return ext.appParamStr(1); });
check('param2', function () { return ext.appParamStr('2'); });
check('param9', function () { return ext.appParamStr(9); });
check('unknown', function () { return ext.noSuchFunction; });
// Only A-Z are folded: the long s is no "s", though it upper-cases to "S".
check('foldonly', function () { return ext['\u017fayHello']; });
check('callunknown', function () { return ext.noSuchFunction(); });
check('error', function () { return ext.appCreateDir(''); });
// A request that does not carry the bridge's own token is refused.
check('forged', function () {
  var xhr = new XMLHttpRequest();
  xhr.open('POST', location.protocol + '//' + location.host + '/lumora-external', false);
  xhr.setRequestHeader('X-Lumora-Bridge', 'guess');
  xhr.send('9999');
  return xhr.status + ':' + xhr.responseText;
});
ext.appWriteFile('$RESULTS', out.join('\n'));
window.open('popup.html', '', 'width=300,height=200');
setTimeout(function () { document.getElementById('away').click(); }, 200);
</script></body></html>
HTML
page bridge popup.html <<HTML
<!DOCTYPE html><html><body><script>
window.external.appWriteFile('$SCRATCH/popup.txt', window.external.SayHello('popup'));
</script></body></html>
HTML
page bridge inner.html <<'HTML'
<!DOCTYPE html><html><body><script>
var seen = 'inner=' + typeof window.external;
try { seen += ':' + window.external.SayHello(); } catch (e) { seen += ':' + e.name; }
parent.postMessage(seen, '*');
</script></body></html>
HTML
make_app bridge "IndexPage=site/index.html" "AppTitle=Bridge"
"$SCRATCH/bridge.app" "first arg" "zü2" & pid=$!
wait_window Bridge > /dev/null || fail "no main window"
wait_results "$RESULTS"

expect type "string:object"
expect in "boolean:true"
expect write "undefined:undefined"
expect readback "boolean:true"
expect exists "number:1"
expect missing "number:0"
python3 - "$SCRATCH/data.txt" <<'PY' || fail "data.txt does not hold the text the page wrote"
import sys
text = 'h\u00e9llo \u2603 \U0001F600 "q" \\ line\r\nnext\r\n'
sys.exit(open(sys.argv[1], 'rb').read() != b'\xef\xbb\xbf' + text.encode('utf-8'))
PY
pass "appWriteFile, appReadFile, appFileExists under names in any letter case; text survives the round trip"

expect onearg "undefined:undefined"
expect oneexists "number:0"
expect readnoarg "undefined:undefined"
expect hellobob "string:Hello!"
pass "a wrong number of arguments does nothing and gives undefined"

expect hello "string:Hello!"
expect hello1 "string:Hello Bob!"
expect count "string:2"
expect param1 "string:first arg"
expect param2 'string:zü2'
expect param9 "undefined:undefined"
pass "SayHello, appParamCount and appParamStr answer from the command line"

expect unknown "undefined:undefined"
expect foldonly "undefined:undefined"
grep -q '^callunknown=TypeError:' "$SCRATCH/results.clean" ||
  fail "calling an unknown function: $(grep '^callunknown=' "$SCRATCH/results.clean")"
expect error "Exception:Unable to create directory"
grep -q '^forged=NetworkError:' "$SCRATCH/results.clean" ||
  fail "a call with a wrong token: $(grep '^forged=' "$SCRATCH/results.clean")"
pass "an unknown name is undefined (calling it is a TypeError); a service error is thrown with its message; a forged call is refused"

wait_until 30 test -s "$SCRATCH/popup.txt" || true
grep -q "Hello popup!" "$SCRATCH/popup.txt" 2>/dev/null || fail "a window the page opened could not call window.external"
pass "a window the page opened has its own window.external"

wait_until 10 grep -q "GET /report" "$SCRATCH/web.log" || true
report="$(sed -n 's/.*GET \/report?\([^ ]*\) .*/\1/p' "$SCRATCH/web.log" | python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.stdin.read().strip()))')"
[ "$report" = "external=undefined,bridge=refused,inner=none" ] || fail "the other origin saw: '$report'"
pass "a page of another origin has no window.external and cannot reach the bridge, nor frame a site page"

stop "$pid"
