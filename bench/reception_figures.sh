#!/usr/bin/env bash
# How reliably velanto tells a damaged answer from a clean one, through the real program and the
# detector simulator (unpaced): every answer with 1 to 64 stray bytes ahead of it, and with 1 to 64
# and a whole image of bytes after it, must be questioned; clean answers of any record count and
# seed must not be.
# Argument: a build tree (default out/build-release).
source "$(dirname "$0")/figures_setup.sh"

# One transfer from a new detector with the options given; true when velanto questions the answer.
questioned() {
    if [ -n "$simulator_pid" ]; then swap_detector --fast "$@"; else start_detector --fast "$@"; fi
    press start
    must "velanto reads the answer" wait_until "$patience" answer_read 1
    settle
    window_shown "^velanto$" || return 1
    answer_box_with "^velanto$" alt+n
}

start_velanto
flagged=0 missed=()
for k in $(seq 1 64); do
    if questioned --noise "$k"; then flagged=$((flagged + 1)); else missed+=("noise $k"); fi
done
for k in $(seq 1 64) 1000 16448; do
    if questioned --extra "$k"; then flagged=$((flagged + 1)); else missed+=("extra $k"); fi
done
clean_flagged=() clean=0
for records in 0 1 2 3 50 100 500 999 1000 1500 1998 1999 2000; do
    for seed in 1 7 42; do
        clean=$((clean + 1))
        questioned --records "$records" --seed "$seed" --id "$seed" && clean_flagged+=("records $records seed $seed")
    done
done
echo "damaged answers questioned: $flagged of 130${missed:+; missed: ${missed[*]}}"
echo "clean answers questioned: ${#clean_flagged[@]} of $clean${clean_flagged:+: ${clean_flagged[*]}}"
