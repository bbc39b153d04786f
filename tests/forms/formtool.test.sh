#!/bin/bash
# formtool: the embedded TFORM1 dumps to the stored JSON, writes back to the
# same bytes, and damaged input gives one line on stderr and exit status 1.
# Arguments: build directory, source directory.
set -u
build=$1
src=$2
tool=$build/tools/formtool
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$tool" resource TFORM1 > "$tmp/form.bin" || fail "resource TFORM1"
[ "$(stat -c %s "$tmp/form.bin")" = 995 ] || fail "TFORM1 is not 995 bytes"
"$tool" dump "$tmp/form.bin" > "$tmp/form.json" || fail "dump"
diff -u "$src/program/forms/TFORM1.json" "$tmp/form.json" || fail "dump differs from the stored JSON"
"$tool" write "$tmp/form.json" "$tmp/again.bin" || fail "write"
cmp "$tmp/form.bin" "$tmp/again.bin" || fail "write does not give the same bytes"
"$tool" dump - < "$tmp/form.bin" | "$tool" write - - | cmp - "$tmp/form.bin" || fail "stdin/stdout round trip"

check_damaged() { # name, expected message part, command...
    local name=$1 want=$2
    shift 2
    "$@" > /dev/null 2> "$tmp/err"
    local rc=$?
    [ $rc = 1 ] || fail "$name: exit status $rc"
    [ "$(wc -l < "$tmp/err")" = 1 ] || fail "$name: not one line on stderr"
    grep -q -- "$want" "$tmp/err" || fail "$name: got '$(cat "$tmp/err")'"
}
head -c 500 "$tmp/form.bin" > "$tmp/cut.bin"
check_damaged "cut" "Stream read error at byte 500" "$tool" dump "$tmp/cut.bin"
printf 'TPF1\x06TForm1' > "$tmp/sig.bin"
check_damaged "signature" "Invalid stream format at byte" "$tool" dump "$tmp/sig.bin"
printf 'TPF0\x06TForm1\x05Form1\x04Text\x0c\xff\xff\xff\xff' > "$tmp/huge.bin"
check_damaged "huge length" "Stream read error at byte 27" "$tool" dump "$tmp/huge.bin"
echo '[{"class":"T","name":"A","props":[["X","vaNope",1]]}]' > "$tmp/bad.json"
check_damaged "bad JSON tag" "unknown tag" "$tool" write "$tmp/bad.json" "$tmp/out.bin"
check_damaged "no such resource" "Resource NOPE not found" "$tool" resource NOPE
echo OK
