#!/usr/bin/env bash
# velanto-records download against the detector simulator on COM1 of a private device map: the
# records are kept once, a second download adds none, a damaged answer goes in only when asked
# for, and a port without a detector adds nothing.
# Arguments: velanto-records, velanto-detector.
set -u
records=$1 detector=$2
source "$(dirname "$0")/../check.sh"
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
database=$work/records.sqlite
detector_pid=
trap 'stop_detector; rm -rf "$work"' EXIT

start_detector() {
    stop_detector
    "$detector" --com 1 --fast "$@" > "$work/detector.out" 2>&1 &
    detector_pid=$!
    timeout 10 bash -c "until [ -s '$work/detector.out' ]; do sleep 0.1; done" || { echo "no detector"; exit 1; }
}
stop_detector() {
    [ -n "$detector_pid" ] && { kill "$detector_pid"; wait "$detector_pid"; } 2> /dev/null
    detector_pid=
}
download() {  # options: runs the download, its output in $work/out and $work/err
    "$records" --database "$database" download --com 1 "$@" > "$work/out" 2> "$work/err"
}
kept_records() { "$records" --database "$database" verify | sed -n 's/ records of .*//p'; }

start_detector
check "a download exits with 0" download
check "it prints the new records" test "$(cat "$work/out")" = "COM1: 2000 new, 0 already kept"
download
check "a second download adds nothing" test "$(cat "$work/out")" = "COM1: 0 new, 2000 already kept"

start_detector --records 20 --id 6 --seed 3 --extra 10
download
check "a damaged answer fails without --accept-damaged" test $? -eq 1
check "it says what is wrong" grep -q "looks damaged: it was 16458 bytes long instead of 16448" "$work/err"
check "it keeps nothing" test "$(kept_records)" = 2000
check "--accept-damaged keeps it" download --accept-damaged
check "with its records" test "$(cat "$work/out")" = "COM1: 20 new, 0 already kept"

stop_detector
mkdir -p "$XDG_CONFIG_HOME/velanto/dosdevices"
ln -sfn "$work/absent" "$XDG_CONFIG_HOME/velanto/dosdevices/com1"
download
check "no detector on the port fails with 1" test $? -eq 1
check "the reason names the port" grep -q "COM1 ($work/absent) cannot be opened" "$work/err"
check "nothing is added" test "$(kept_records)" = 2020

"$records" --database "$database" download --com 5 2> "$work/err"
check "a port beyond COM4 is a wrong command line" test $? -eq 2
finish "velanto-records download"
