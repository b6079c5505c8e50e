#!/usr/bin/env bash
# A large entry is served while the program goes on: its last bytes come
# back for a Range request, the page's calls into the program keep being
# answered while the entry is read, and a termination request ends the
# program then, leaving nothing behind.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

TICKS="$SCRATCH/ticks.txt"
FIRST="$SCRATCH/first.txt"
mkdir -p "$SCRATCH/large/site"
# Stored as the packer stores media (a PNG signature), encrypted: its last
# bytes can only be had by decrypting everything before them.
{ printf '\x89PNG\r\n\x1a\n'; head -c 300M /dev/zero; printf 'LASTBYTES!'; } > "$SCRATCH/large/site/big.png"
page large index.html <<HTML
<!DOCTYPE html><html><body><h1>Large</h1><script>
var ticks = 0;
setInterval(function () { ticks++; window.external.appWriteFile('$TICKS', 'tick ' + ticks); }, 100);
// The same range again and again, so that the entry is being read for
// as long as the test looks.
function fetchLast(round) {
  fetch('big.png', {headers: {Range: 'bytes=-10'}}).then(function (response) {
    return response.text().then(function (text) {
      if (round === 0) window.external.appWriteFile('$FIRST', response.status + ' ' + text);
      fetchLast(round + 1);
    });
  });
}
fetchLast(0);
</script></body></html>
HTML
make_app large "IndexPage=site/index.html" "AppTitle=Large"
rm -rf "$SCRATCH/large"

tick() { sed '1s/^\xEF\xBB\xBF//' "$TICKS" 2>/dev/null | tr -d '\r' || true; }
# ticks_past TICK: the page has written a later tick than TICK.
ticks_past() { local now; now="$(tick)"; [ -n "$now" ] && [ "$now" != "$1" ]; }

"$SCRATCH/large.app" & pid=$!
wait_until 120 test -s "$FIRST" || fail "the range of the large entry never came"
[ "$(sed '1s/^\xEF\xBB\xBF//' "$FIRST" | tr -d '\r')" = "206 LASTBYTES!" ] || fail "the range gave '$(cat "$FIRST")'"
pass "a Range request for the last bytes of a 300 MB entry gets them"

# While the entry is read over and over, the page's calls are answered:
# ten ticks in a row reach the file, none held up for the seconds reading
# the entry takes.
seen="$(tick)"
for step in $(seq 10); do
  wait_until 2 ticks_past "$seen" || fail "the program stopped answering the page while serving (after '$seen')"
  seen="$(tick)"
done
pass "the page's calls are answered while the large entry is read"

kill -TERM "$pid"
wait_exit "$pid" 10
[ "$EXIT_CODE" = 0 ] || fail "SIGTERM while serving: exit code $EXIT_CODE"
[ -z "$(temp_files)" ] || fail "SIGTERM while serving left $(temp_files)"
pass "SIGTERM while the large entry is read ends the program without leftovers"
