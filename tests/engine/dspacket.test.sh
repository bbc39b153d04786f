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
# convert: binary -> XML -> binary gives the same bytes; show reads XML too
"$tool" convert "$data/main_form.pkt" "$tmp/mf.xml" || fail "convert to XML"
grep -q '<FIELD attrname="nome" fieldtype="string" WIDTH="50"/>' "$tmp/mf.xml" || fail "main form XML"
"$tool" convert "$tmp/mf.xml" "$tmp/mf2.pkt" || fail "convert XML back"
cmp -s "$data/main_form.pkt" "$tmp/mf2.pkt" || fail "main form bytes differ after XML"
"$tool" convert "$data/main_form.pkt" "$tmp/mf8.xml" --xml-utf8 || fail "convert to UTF-8 XML"
grep -q 'encoding="UTF-8"' "$tmp/mf8.xml" || fail "UTF-8 declaration"
"$tool" convert "$tmp/mf8.xml" "$tmp/mf3.pkt" --binary || fail "convert UTF-8 XML back"
cmp -s "$data/main_form.pkt" "$tmp/mf3.pkt" || fail "main form bytes differ after UTF-8 XML"
"$tool" show "$tmp/mf.xml" | cmp -s - "$tmp/mf.json" || fail "show of XML differs"
"$tool" convert "$tmp/mf.xml" "$tmp/same.xml" --xml || fail "XML to XML"
cmp -s "$tmp/mf.xml" "$tmp/same.xml" || fail "XML to XML differs"
"$tool" convert "$tmp/a.pkt" "$tmp/a.xml" --xml > "$tmp/out" 2> "$tmp/err"
[ $? -eq 1 ] || fail "unsupported type exit status"
grep -q "Fieldtype not supported for XML." "$tmp/err" || fail "unsupported type message"
head -c 100 "$tmp/mf.xml" > "$tmp/cut.xml"
"$tool" show "$tmp/cut.xml" > "$tmp/out" 2> "$tmp/err"
[ $? -eq 1 ] || fail "damaged XML exit status"
[ -s "$tmp/out" ] && fail "damaged XML wrote to stdout"
[ "$(wc -l < "$tmp/err")" -eq 1 ] || fail "damaged XML: not one stderr line"
grep -q "Mismatch in datapacket." "$tmp/err" || fail "damaged XML message"
echo OK
