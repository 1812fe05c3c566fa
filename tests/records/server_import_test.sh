#!/usr/bin/env bash
# velanto-records with its store on a database server (a PostgreSQL server of the test's own, through
# psqlODBC): imports keep each record once, also from two programs importing at once, the store verifies
# and exports as a file store does, and a server that goes away mid-import leaves that import wholly absent.
set -u
records=$1 dump=$2
source "$(dirname "$0")/../check.sh"
source "$(dirname "$0")/store_checks.sh"
source "$(dirname "$0")/../harness/postgres_server.sh"

start_postgres_server || exit 1
server=$velanto_server_address

# How many downloads miss some of their 2000 records, and detectors that are not wholly of one download.
server_torn_images() {
    server_sql "
        SELECT (SELECT count(*) FROM downloads d
                WHERE (SELECT count(*) FROM records r WHERE r.download_id = d.id) != 2000)
             + (SELECT count(*) FROM (SELECT detector FROM records GROUP BY detector
                HAVING count(*) != 2000 OR count(DISTINCT download_id) != 1
                    OR min(download_id) NOT IN (SELECT id FROM downloads)) AS torn)"
}

lacks() { ! grep -qF "$1" "$2"; }  # text, file

make_images 1 11

# Two programs import images 2 to 11, one each at a time, in opposite orders, from a gate they pass together:
# they meet first on making the store in the empty database, then on every image.
exec {gate}> "$work/gate"
flock -x $gate
importer() {  # image numbers, in order
    local k
    flock -s "$work/gate" true
    for k in "$@"; do
        "$records" --database "$server" import "$work/img$k.bin" > /dev/null || echo "import of $k failed"
    done
}
importer $(seq 2 11) > "$work/up.err" 2>&1 &
up=$!
importer $(seq 11 -1 2) > "$work/down.err" 2>&1 &
down=$!
sleep 0.05
flock -u $gate
wait $up $down
check "both importers succeed: $(cat "$work/up.err" "$work/down.err")" test ! -s "$work/up.err" -a ! -s "$work/down.err"
check "every record is kept once" test "$(server_sql 'SELECT count(*) FROM records')" = $((10 * 2000))
check "every image came in one download" test "$(server_sql 'SELECT count(*) FROM downloads')" = 10
check "no image is kept in part" test "$(server_torn_images)" = 0

"$records" --database "$server" import "$work/img1.bin" > "$work/first.out" 2> "$work/first.err"
check "an image goes in: $(cat "$work/first.err")" grep -q ": 2000 new, 0 already kept" "$work/first.out"
"$records" --database "$server" import "$work/img1.bin" > "$work/again.out" 2>> "$work/all.err"
check "the same image again adds nothing" grep -q ": 0 new, 2000 already kept" "$work/again.out"
check "nor a download" test "$(server_sql 'SELECT count(*) FROM downloads')" = 11

"$records" --database "$server" verify > "$work/verify.out" 2>> "$work/all.err"
check "verify finds all as it was imported: $(cat "$work/verify.out")" test $? = 0
"$records" --database "$server" name 3 "Zone ä 3" 2>> "$work/all.err"
"$records" --database "$server" export --csv "$work/server.csv" 2>> "$work/all.err"
"$records" --database "$work/file.sqlite" import $(image_list 1 11) > /dev/null
"$records" --database "$work/file.sqlite" name 3 "Zone ä 3"
"$records" --database "$work/file.sqlite" export --csv "$work/file.csv"
check "the server's CSV is the file store's, byte for byte" cmp "$work/server.csv" "$work/file.csv"
check "with the program's name" grep -q ",3,Zone ä 3," "$work/server.csv"

# The server stops as in a power cut while images go in, each in a transaction of its own.
make_images 12 60
: > "$work/cut.out"
"$records" --database "$server" import $(image_list 12 60) > "$work/cut.out" 2> "$work/cut.err" &
importing=$!
# Its lines come at its end, in one piece: the server tells how far it got.
until [ "$(server_sql 'SELECT count(*) FROM downloads')" -ge 14 ] || ! kill -0 $importing 2> /dev/null; do
    sleep 0.01
done
postgres_server_kill
wait $importing
check "the import fails when the server goes away" test $? = 1
check "and says the connection was lost: $(head -c 600 "$work/cut.err")" grep -q "connection to the store on .* was lost" "$work/cut.err"
check "once, naming the files left out" test "$(grep -c "was lost" "$work/cut.err")" = 1 -a \
    "$(grep -c "were not imported" "$work/cut.err")" = 1
postgres_server_start
kept=$(grep -c ": 2000 new" "$work/cut.out")
check "the images reported kept are kept, the others wholly absent" \
    test "$(server_sql 'SELECT count(*) FROM downloads')" = $((11 + kept))
check "no image is kept in part after the cut" test "$(server_torn_images)" = 0
"$records" --database "$server" verify > /dev/null 2>> "$work/all.err"
check "the store verifies after the cut" test $? = 0

cat "$work"/*.err "$work"/*.out > "$work/everything"
check "no message shows the password" lacks "$velanto_server_password" "$work/everything"
check "no unexpected message: $(head -c 600 "$work/all.err")" test ! -s "$work/all.err"
finish "velanto-records with its store on a database server"
