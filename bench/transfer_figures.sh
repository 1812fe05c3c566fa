#!/usr/bin/env bash
# Figures of whole transfers through the real program and the detector simulator: the time from
# Start until velanto has read a full image, at the detector's 9600 baud (the line itself needs
# 16448 x 10 bits / 9600 = 17.1 s, and velanto first waits 0.1 s for a quiet line) and unpaced,
# velanto's resident memory with 2000 rows shown, and how soon velanto ends when closed
# mid-transfer.
# Argument: a build tree (default out/build-release).
source "$(dirname "$0")/figures_setup.sh"

# Presses Start and sets $seconds to the time until velanto has read answer $1 of the detector on COM1.
timed_transfer() {
    press start
    local from=$EPOCHREALTIME
    must "velanto reads the answer" wait_until "$patience" answer_read "$1"
    seconds=$(awk -v from="$from" -v to="$EPOCHREALTIME" 'BEGIN { printf "%.2f", to - from }')
}
memory_kib() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$velanto_pid/status"; }

start_detector --records 2000
start_velanto
timed_transfer 1
echo "transfer at 9600 baud, Start to last byte read: $seconds s (the line: 17.13 s; target: 1.01 x the line + the quiet gap of 0.105 s before the request = 17.41 s)"
settle
echo "velanto with 2000 rows shown: $(($(memory_kib VmRSS) / 1024)) MiB resident, peak $(($(memory_kib VmHWM) / 1024)) MiB"
swap_detector --fast --records 2000
timed_transfer 1
echo "transfer unpaced, Start to last byte read: $seconds s"
swap_detector --records 2000
press start
sleep 1
close_velanto
echo "closed mid-transfer: velanto ended after $closing_seconds s (target: under 1 s)"
