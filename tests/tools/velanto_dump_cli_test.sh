#!/usr/bin/env bash
# The velanto-dump command line: generate, decode, and its refusals.
set -u
tool=$1
source "$(dirname "$0")/../check.sh"

"$tool" generate --records 3 --id 4660 --seed 5 -o "$work/a.bin"
check "generate writes 16448 bytes" test "$(stat -c %s "$work/a.bin")" = 16448
"$tool" generate --records 3 --id 4660 --seed 5 -o "$work/b.bin"
check "the same seed gives the same bytes" cmp -s "$work/a.bin" "$work/b.bin"

"$tool" decode "$work/a.bin" > "$work/rows.txt"
check "decode prints one line a row" test "$(wc -l < "$work/rows.txt")" = 3
check "each line holds ten cells, the last empty" \
    test "$(awk -F'\t' 'NF != 10 || $10 != "" || $1 != "4660" { bad++ } END { print bad + 0 }' "$work/rows.txt")" = 0
check "rows are numbered from 1" test "$(cut -f2 "$work/rows.txt" | tr '\n' ' ')" = "1 2 3 "
"$tool" generate --records 1 --first-day 28 -o "$work/later.bin"
check "--first-day moves the first record a month of 28 working days on" \
    test "$("$tool" decode "$work/later.bin" | cut -f3)" = "2007/04/01"

head -c 16447 "$work/a.bin" > "$work/short.bin"
"$tool" decode "$work/short.bin" > /dev/null 2> "$work/err.txt"
check "a short file exits with 2" test $? = 2
check "the error names the size" grep -q "16447 bytes long" "$work/err.txt"

"$tool" decode "$work/absent.bin" 2> /dev/null
check "a missing file exits with 1" test $? = 1
"$tool" generate --records 2001 -o "$work/c.bin" 2> /dev/null
check "more records than the image holds is refused" test $? = 2
check "nothing is written for a refused command" test ! -e "$work/c.bin"
# generate writes only a regular file or a new name, and every refusal says why.
mkdir "$work/folder"
echo "kept" > "$work/target"
ln -s "$work/target" "$work/link"
mkfifo "$work/fifo"
for refused in folder link fifo; do
    "$tool" generate -o "$work/$refused" 2> "$work/err.txt"
    check "generate -o $refused exits with 1" test $? = 1
    check "generate -o $refused says why" grep -Eq "$refused: is a (folder|symbolic link|device)" "$work/err.txt"
done
check "the link stays a link to the file it was" test "$(readlink "$work/link")" = "$work/target"
check "the link's file is untouched" test "$(cat "$work/target")" = kept
check "the special file stays one" test -p "$work/fifo"
"$tool" decode "$work/folder" 2> "$work/err.txt"
check "decode of a folder exits with 1 and says so" test $? = 1
check "decode of a folder says so" grep -q "is a folder" "$work/err.txt"

"$tool" frobnicate 2> /dev/null
check "an unknown command exits with 2" test $? = 2
check "--help describes both commands" bash -c "'$tool' --help | grep -q 'velanto-dump decode FILE'"

finish "velanto-dump command line"
