# A site of another origin for the runtime's tests; source after common.sh.
# start_web_server serves $SCRATCH/web on 127.0.0.1 and sets PORT. Its pages
# report what they saw as /report?name=value requests, which the server
# writes as name=value lines to $FOREIGN_LOG.
FOREIGN_LOG="$SCRATCH/foreign.log"
start_web_server() {
  mkdir -p "$SCRATCH/web"
  : > "$FOREIGN_LOG"
  cat > "$SCRATCH/serve.py" <<'PY'
import http.server, sys, urllib.parse
root, log, portfile = sys.argv[1:4]
class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=root, **kwargs)
    def do_GET(self):
        if self.path.startswith('/report?'):
            with open(log, 'a') as f:
                f.write(urllib.parse.unquote(self.path.split('?', 1)[1]) + '\n')
            self.send_response(204)
            self.end_headers()
            return
        super().do_GET()
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
with open(portfile + '.part', 'w') as f:
    f.write(str(server.server_address[1]))
import os; os.rename(portfile + '.part', portfile)
server.serve_forever()
PY
  # A job of the test's shell: end_test stops it.
  python3 "$SCRATCH/serve.py" "$SCRATCH/web" "$FOREIGN_LOG" "$SCRATCH/port" &
  wait_until 10 test -s "$SCRATCH/port" || true
  PORT="$(cat "$SCRATCH/port")" || fail "the local web server did not start"
}

# reported LINE: how many times a foreign page reported LINE (name=value).
reported() { grep -cxF -- "$1" "$FOREIGN_LOG" || true; }
# reported_times LINE N: whether a foreign page reported LINE N times or more.
reported_times() { [ "$(reported "$1")" -ge "$2" ]; }
# was_reported LINE: whether a foreign page reported LINE.
was_reported() { grep -qxF -- "$1" "$FOREIGN_LOG"; }

# The script foreign pages report with: report(name, value) asynchronously,
# reportNow(name, value) before it returns.
FOREIGN_REPORT="var report = function (name, value) { new Image().src = '/report?' + encodeURIComponent(name + '=' + value); };
var reportNow = function (name, value) {
  var x = new XMLHttpRequest(); x.open('GET', '/report?' + encodeURIComponent(name + '=' + value), false); x.send();
};"
