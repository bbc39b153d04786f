#!/bin/bash
# dspacket show/make: JSON -> packet -> JSON -> packet gives the same bytes;
# the main form's packet survives show + make byte for byte; damaged input
# gives nothing on stdout, one line on stderr with the engine's text, exit 1.
set -u
tool="$1/tools/dspacket"
data="$2/tests/engine/data"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$tool" show "$data/main_form.pkt" > "$tmp/mf.json" || fail "show main form"
grep -q '"row_data_offset": 66' "$tmp/mf.json" || fail "main form header"
"$tool" make "$tmp/mf.json" "$tmp/mf.pkt" || fail "make main form"
cmp -s "$data/main_form.pkt" "$tmp/mf.pkt" || fail "main form bytes differ"

"$tool" make "$data/every_type.json" "$tmp/a.pkt" || fail "make every type"
"$tool" show "$tmp/a.pkt" > "$tmp/a.json" || fail "show every type"
"$tool" make "$tmp/a.json" "$tmp/b.pkt" || fail "make again"
cmp -s "$tmp/a.pkt" "$tmp/b.pkt" || fail "every type bytes differ"
"$tool" show - < "$tmp/a.pkt" | cmp -s - "$tmp/a.json" || fail "stdin differs"

head -c 40 "$data/main_form.pkt" > "$tmp/cut.pkt"
"$tool" show "$tmp/cut.pkt" > "$tmp/out" 2> "$tmp/err"
[ $? -eq 1 ] || fail "damaged packet exit status"
[ -s "$tmp/out" ] && fail "damaged packet wrote to stdout"
[ "$(wc -l < "$tmp/err")" -eq 1 ] || fail "damaged packet: not one stderr line"
grep -q "Mismatch in datapacket." "$tmp/err" || fail "damaged packet message"

echo '{"fields": 3}' > "$tmp/bad.json"
"$tool" make "$tmp/bad.json" "$tmp/bad.pkt" > "$tmp/out" 2> "$tmp/err"
[ $? -eq 1 ] || fail "bad JSON exit status"
grep -q "Invalid parameter." "$tmp/err" || fail "bad JSON message"
echo OK
