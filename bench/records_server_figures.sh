#!/usr/bin/env bash
# velanto records with its store on a PostgreSQL server of the script's own, reached through psqlODBC: one
# 2000-record image imported (bench/records_server_bench, medians of five runs of 20), and two programs each
# importing 10 images at once, overlapping, with every record kept once.
# Argument: a build tree (default out/build-release).
set -u
build=$(realpath "${1:-out/build-release}")
cd "$(dirname "$0")/.."
source tests/check.sh
source tests/harness/postgres_server.sh
records=$build/records_ui/velanto-records dump=$build/tools/velanto-dump
source tests/records/store_checks.sh

start_postgres_server || exit 1
VELANTO_BENCH_SERVER=$velanto_server_address "$build/bench/records_server_bench" \
    --benchmark_filter=ServerImport 2>&1 | grep -E "BM_|Run on|CPU"

make_images 1 11
importer() {  # image numbers
    local k
    for k in "$@"; do
        "$records" --database "$velanto_server_address" import "$work/img$k.bin" > /dev/null || echo "import of $k failed"
    done
}
"$records" --database "$velanto_server_address" title "bench" || exit 1  # the store made before the clock starts
server_sql "TRUNCATE records, downloads"
start=$EPOCHREALTIME
importer $(seq 1 10) > "$work/up.err" 2>&1 &
up=$!
importer $(seq 11 -1 2) > "$work/down.err" 2>&1 &
down=$!
wait $up $down
took=$(seconds_since "$start")
cat "$work/up.err" "$work/down.err"
echo "two programs, 10 imports each of 11 images overlapping, at once: $took s;" \
    "records $(server_sql 'SELECT count(*) FROM records') of $((11 * 2000))," \
    "downloads $(server_sql 'SELECT count(*) FROM downloads') of 11"
