#!/usr/bin/env bash
# velanto-records' report as a browser shows and prints it: Chromium loads it headless without a console
# message (the page's own policy forbids every load from outside it, so a reference to anything outside
# shows here) and prints it on more than one A4 page; the printed summary and failures agree with counts
# made from the store by the sqlite3 shell, and every chart is well-formed XML.
# Arguments: velanto-records, velanto-dump.
set -u
records=$1 dump=$2
source "$(dirname "$0")/../check.sh"

db=$work/records.sqlite
for i in 1 2 3; do
    "$dump" generate --records 600 --id "$i" --seed $((i + 10)) -o "$work/img$i.bin"
done
"$records" --database "$db" import "$work"/img{1,2,3}.bin > /dev/null
"$records" --database "$db" name 3 'zone 3 <slicer> & "blade"'
"$records" --database "$db" title 'Dairy Nord <lab> & Co'
# A period with results before and after it.
from=2007-03-04 to=2007-03-12
in_period="date BETWEEN '$from' AND '$to'"
"$records" --database "$db" report --from "$from" --to "$to" -o "$work/report.html" > "$work/said.txt"
check "report succeeds" test $? = 0
failed=$(sqlite3 -batch -readonly "$db" "SELECT count(*) FROM records WHERE $in_period AND verdict = 'Failed'")
check "report says what it wrote" grep -q "report.html: [0-9]* results of 12 programs, $failed failed" "$work/said.txt"

# Chromium wants a home of its own, and finds no D-Bus in a container: its complaints about that are no
# concern of the page's, only the console's messages are.
mkdir "$work/home"
HOME=$work/home DBUS_SESSION_BUS_ADDRESS=disabled: timeout 60 chromium --headless --no-sandbox --disable-gpu \
    --user-data-dir="$work/home/profile" --no-pdf-header-footer --print-to-pdf="$work/report.pdf" \
    --enable-logging=stderr --v=0 "file://$work/report.html" > "$work/browser.log" 2>&1
check "Chromium prints the report" test -s "$work/report.pdf"
grep -E ':CONSOLE|net::ERR_|Content Security Policy' "$work/browser.log"
check "the page loads without a console message" test "$(grep -cE ':CONSOLE|net::ERR_|Content Security Policy' \
    "$work/browser.log")" = 0
pdfinfo "$work/report.pdf" > "$work/pdfinfo.txt"
check "the report is printed on A4" grep -qE '^Page size: +59[45]\.[0-9]* x 841\.[0-9]* pts' "$work/pdfinfo.txt"
check "on more than one page" test "$(sed -nE 's/^Pages: +//p' "$work/pdfinfo.txt")" -gt 1

pdftotext -layout "$work/report.pdf" "$work/report.txt"
# Each program's row of the summary: its number, then the four counts before the pass rate.
sed -n '/^ *Summary *$/,/^ *\* mean/p' "$work/report.txt" | awk '$1 ~ /^[0-9]+$/ {
    for (k = 2; k <= NF; ++k) if ($k ~ /%$/) { print $1, $(k - 4), $(k - 3), $(k - 2), $(k - 1); break } }' \
    > "$work/printed_summary.txt"
sqlite3 -batch -readonly -separator ' ' "$db" "SELECT program, count(*), sum(verdict = 'Pass'),
    sum(verdict = 'Caution'), sum(verdict = 'Failed') FROM records WHERE $in_period GROUP BY program
    ORDER BY program" > "$work/counted_summary.txt"
check "the printed summary holds the store's counts" diff "$work/counted_summary.txt" "$work/printed_summary.txt"
check "the printed title is the lab's" grep -q 'Dairy Nord <lab> & Co' "$work/report.txt"
check "the program's name is printed as given" grep -q 'zone 3 <slicer> & "blade"' "$work/report.txt"
printed_failures=$(sed -n '/^ *Failures *$/,$p' "$work/report.txt" |
    grep -cE '^ *[0-9]{4}-[0-9]{2}-[0-9]{2} +[0-9]{2}:[0-9]{2} ')
check "the printed failures are the period's ($failed)" test "$printed_failures" = "$failed"

# The printed Failed markers (the charts' red, #c2182b): at 72 dots an inch each covers some 20 to 40 dots,
# so fewer than 5 a failure means that failures are missing from the print, where the legends' 12 markers
# alone would make some 400.
pdftoppm -r 72 -png "$work/report.pdf" "$work/page"
red_dots=$(for page in "$work"/page-*.png; do
    convert "$page" -fuzz 20% -fill black +opaque '#c2182b' -fill white -opaque '#c2182b' \
        -format '%[fx:int(mean * w * h + 0.5)]\n' info:
done | awk '{ dots += $1 } END { print dots + 0 }')
check "the print shows the failures' markers ($red_dots red dots)" test "$red_dots" -ge $((5 * failed))

# Every chart, cut out of the page, parses as XML.
perl -0777 -ne 'my $n = 0; while (/(<svg\b.*?<\/svg>)/sg) { open(my $f, ">", "'"$work"'/chart" . ++$n . ".svg");
    print $f $1; close($f) }' "$work/report.html"
charts=("$work"/chart*.svg)
check "one chart for each of the 12 programs" test "${#charts[@]}" = 12
check "every chart is well-formed XML" xmllint --noout "${charts[@]}"

finish "the report in a browser"
