#!/usr/bin/env bash
# A packed Windows program whose start page is a listed file: the main
# window's first navigation goes through the downloads like any other, so
# the save dialog comes up once at start, saves the entry's exact bytes
# under the name typed, and the navigation is cancelled (the protocol is
# never asked for the file). The main window stays; closing it ends the
# program with 0 and leaves nothing.
. "$(dirname "$0")/../lib/common.sh"
. "$(dirname "$0")/../lib/runtime.sh"

mkdir -p "$SCRATCH/starts/site/files"
head -c 30000 /dev/urandom > "$SCRATCH/starts/site/files/a.zip"
make_app starts "IndexPage=site/files/a.zip" "AppTitle=Starts Saving" "ExtractFileExts=zip"
saved="$SCRATCH/saved.zip"
dialogs() { visible_windows 'Save As'; }

(cd "$SCRATCH" && exec "$WINE_RUN" "$SCRATCH/starts.exe") & pid=$!
dialog="$(wait_window 'Save As' 60)" || fail "no save dialog at start"
save_as "$dialog" "$(windows_path "$saved")" "$saved"
wait_until 20 cmp -s "$SCRATCH/starts/site/files/a.zip" "$saved" ||
  fail "the saved file does not hold the entry's bytes"
wait_until 10 test "$(dialogs)" = 0 || fail "the save dialog stayed"
# Nothing more may come of the one navigation: no second dialog, no request.
still_running "$pid" 1.5 || fail "the program ended after saving"
[ "$(dialogs)" = 0 ] || fail "a second save dialog"
[ "$(served_count)" = 0 ] || fail "the protocol was asked for the saved file: $(served 1)"
pass "the start page's file is offered once through the save dialog and saved with its exact bytes"

main="$(wait_window 'Starts Saving' 30)" || fail "no main window after the download"
close_window "$main"
ended_clean "$pid" starts.exe
pass "the main window stays after the download; closing it ends with 0 and leaves nothing"
