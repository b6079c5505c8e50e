#!/usr/bin/env bash
# Two packed programs running at once write the same registry store, each
# as fast as its page can call: every write of both is there afterwards,
# and each program reads the other's values.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

WRITES=300
page shared index.html <<HTML
<!DOCTYPE html><html><body><h1>Shared</h1><script>
var ext = window.external;
var me = ext.appParamStr(1), other = ext.appParamStr(2);
var key = 'Software\\\\Lumora Shared';
// Both start writing when the test says so, to overlap as much as possible.
var wait = setInterval(function () {
  if (!ext.appFileExists('$SCRATCH/go')) return;
  clearInterval(wait);
  var failed = 0;
  for (var i = 0; i < $WRITES; i++) {
    if (ext.appWriteReg(key + '\\\\' + me, 'v' + i, me + ':' + i) !== 1) failed++;
    if (ext.appWriteReg(key, me + '-last', String(i)) !== 1) failed++;
  }
  ext.appWriteFile('$SCRATCH/' + me + '.done', 'failed=' + failed);
  // The other program's values, once it is done too.
  var read = setInterval(function () {
    if (!ext.appFileExists('$SCRATCH/' + other + '.done')) return;
    clearInterval(read);
    var seen = 0;
    for (var i = 0; i < $WRITES; i++) {
      if (ext.appReadReg(key + '\\\\' + other, 'V' + i) === other + ':' + i) seen++;
    }
    ext.appWriteFile('$SCRATCH/' + me + '.txt', 'failed=' + failed + '\nseen=' + seen);
  }, 50);
}, 50);
</script></body></html>
HTML
make_app shared "IndexPage=site/index.html" "AppTitle=Shared" "AppEscapeClose=1"

"$SCRATCH/shared.app" one two & first=$!
"$SCRATCH/shared.app" two one & second=$!
wait_until 20 windows_are Shared 2 || true
[ "$(visible_windows Shared)" = 2 ] || fail "the two programs did not both show their window"
touch "$SCRATCH/go"

for me in one two; do
  wait_results "$SCRATCH/$me.txt"
  expect failed 0
  expect seen "$WRITES"
done
store="$XDG_CONFIG_HOME/lumora/registry.sqlite3"
[ "$(sqlite3 "$store" "SELECT count(*) FROM vals WHERE key LIKE '%LUMORA SHARED\\%'")" = $((2 * WRITES)) ] ||
  fail "values in the store: $(sqlite3 "$store" "SELECT key, count(*) FROM vals GROUP BY key")"
[ "$(sqlite3 "$store" "SELECT count(*) FROM vals WHERE key = 'SOFTWARE\\LUMORA SHARED'")" = 2 ] ||
  fail "the shared key: $(sqlite3 "$store" "SELECT name, hex(data) FROM vals WHERE key = 'SOFTWARE\\LUMORA SHARED'")"
pass "two programs writing the store at once lose no write and read each other's values"

for pid in "$first" "$second"; do
  # The first Escape may already have closed a window the search listed:
  # whether the program ended is what wait_exit checks.
  for window in $(xdotool search --onlyvisible --pid "$pid" --name '^Shared$' 2>/dev/null); do
    press_key "$window" Escape 2> /dev/null || true
  done
  wait_exit "$pid"
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
done
[ -z "$(temp_files)" ] || fail "left $(temp_files)"
