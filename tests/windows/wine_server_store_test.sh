#!/usr/bin/env bash
# velanto-records.exe under Wine on a store on a PostgreSQL server of the test's own: Wine's odbc32 hands
# the connection to the host's unixODBC, which finds the data source and psqlODBC where the server's
# harness registered them (ODBCSYSINI, ODBCINI). An image imported there, with the password from
# VELANTO_RECORDS_PASSWORD, verifies, and its CSV export, with a program's name beyond ASCII, is the Linux
# program's for the same images and name in a SQLite store.
#
# Arguments: velanto-records.exe, then the Linux build's velanto-records and velanto-dump. The Wine prefix
# is ${VELANTO_OUT:-out}/wine, as the other Wine test's.
set -u
cd "$(dirname "$0")/../.."
if [ -z "${VELANTO_E2E_DISPLAY:-}" ]; then  # a display of its own, for whatever window Wine opens
    scripts/bootstrap.sh wine wine64 postgresql odbc-postgresql
    source tests/harness/virtual_display.sh
    export VELANTO_E2E_DISPLAY=1
    on_virtual_display 1024x768x24 bash "$0" "$@"
    exit
fi
records_exe=$(realpath "$1") records=$2 dump=$3
source tests/check.sh
source tests/records/store_checks.sh
source tests/harness/postgres_server.sh
start_postgres_server || exit 1

wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=${VELANTO_OUT:-$PWD/out}/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }  # Wine's drive Z: is the root folder
server="odbc:DSN=$velanto_server_dsn;UID=$velanto_server_user"

records_exe() {  # arguments...: velanto-records.exe on the server's store; its output in $work/said.txt
    VELANTO_RECORDS_PASSWORD=$velanto_server_password "$wine64" "$records_exe" --database "$server" "$@" \
        > "$work/said.txt" 2>&1
}
said() { tr -d '\r' < "$work/said.txt" | grep -qF -- "$1" || { echo "it said:"; cat "$work/said.txt"; return 1; }; }

"$wine64" wineboot --init > "$work/wineboot.log" 2>&1
make_images 1 2
records_exe import "$(windows_path "$work/img1.bin")" "$(windows_path "$work/img2.bin")"
check "velanto-records.exe imports into the server's store through Wine's odbc32" \
    said "img2.bin: 2000 new, 0 already kept"
check "... where the server keeps them" test "$(server_sql "SELECT count(*) FROM records")" = 4000
records_exe import "$(windows_path "$work/img1.bin")"
check "an image imported again adds nothing" said "img1.bin: 0 new, 2000 already kept"
records_exe verify
check "the store verifies" said "4000 records of 2 downloads: all hold"
# A name beyond ASCII goes to the server and back whole.
name="Schneidbrett, Zone 1 – Küche"
LC_ALL=C.UTF-8 records_exe name 3 "$name"
records_exe export --csv "$(windows_path "$work/server.csv")"
"$records" --database "$work/local.sqlite" import "$work/img1.bin" "$work/img2.bin" > /dev/null
"$records" --database "$work/local.sqlite" name 3 "$name"
"$records" --database "$work/local.sqlite" export --csv "$work/local.csv"
check "its CSV export is the SQLite store's for the same images and name" cmp "$work/server.csv" "$work/local.csv"
check "... which holds the name" grep -qF "$name" "$work/server.csv"
"$wine64" "$records_exe" --database "$server;PWD={wrong}" verify > "$work/said.txt" 2>&1
check "a wrong password fails with status 1" test $? -eq 1
"$(dirname "$wine64")/wineserver" --wait
finish "velanto-records.exe under Wine on a server's store"
