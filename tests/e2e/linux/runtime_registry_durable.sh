#!/usr/bin/env bash
# What a page was told was written to the registry store stays there when
# the program is killed outright (SIGKILL) the moment after: every value
# whose appWriteReg returned 1, and the store still opens and reads.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

WRITES=500
WRITTEN="$SCRATCH/written.txt"
page durable index.html <<HTML
<!DOCTYPE html><html><body><h1>Durable</h1><script>
var ext = window.external, failed = 0;
for (var i = 0; i < $WRITES; i++) {
  if (ext.appWriteReg('Software\\\\Lumora Durable\\\\K' + (i % 7), 'v' + i, 'value ' + i) !== 1) failed++;
}
ext.appWriteFile('$WRITTEN', 'failed=' + failed);
// Writing on, until killed.
var more = 0;
setInterval(function () { ext.appWriteReg('Software\\\\Lumora Durable', 'more', String(++more)); }, 1);
</script></body></html>
HTML
make_app durable "IndexPage=site/index.html" "AppTitle=Durable"
"$SCRATCH/durable.app" & pid=$!
wait_until 60 test -s "$WRITTEN" || fail "the page did not finish its writes"
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
grep -q "failed=0" "$WRITTEN" || fail "writes failed: $(cat "$WRITTEN")"

count() { sqlite3 "$REGISTRY" "SELECT count(*) FROM vals WHERE key LIKE 'SOFTWARE\\LUMORA DURABLE\\K%'"; }
[ "$(count)" = "$WRITES" ] || fail "after SIGKILL the store holds $(count) of $WRITES values"
[ "$(sqlite3 "$REGISTRY" "SELECT hex(data) FROM vals WHERE key = 'SOFTWARE\\LUMORA DURABLE\\K3' AND fold = 'V493'")" = \
  "$(printf 'value 493\0' | iconv -t UTF-16LE | od -An -tx1 | tr -d ' \n' | tr a-f A-F)" ] ||
  fail "a value killed with the program reads back as something else"
[ "$(sqlite3 "$REGISTRY" "PRAGMA integrity_check")" = ok ] || fail "the store is damaged"
pass "values a page was told were written survive SIGKILL; the store stays whole"
