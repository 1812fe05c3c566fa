#!/usr/bin/env bash
# Two velanto-records importing overlapping images into one new store at once: both succeed, neither is
# turned away as "locked" or as no store, and every record is kept once.
set -u
records=$1 dump=$2
source "$(dirname "$0")/../check.sh"
source "$(dirname "$0")/store_checks.sh"

make_images 1 3
# Each round holds a gate closed, a lock both programs wait on, and opens it to let them go together.
exec {gate}> "$work/gate"
for round in $(seq 1 20); do
    db=$work/records$round.sqlite
    flock -x $gate
    # They meet first on the making of the store, then on image 2, which both bring.
    flock -s "$work/gate" "$records" --database "$db" import "$work/img1.bin" "$work/img2.bin" \
        > /dev/null 2> "$work/first.err" &
    first=$!
    flock -s "$work/gate" "$records" --database "$db" import "$work/img3.bin" "$work/img2.bin" \
        > /dev/null 2> "$work/second.err" &
    second=$!
    sleep 0.05
    flock -u $gate
    wait $first
    check "round $round: the first import succeeds" test $? = 0
    wait $second
    check "round $round: the second import succeeds" test $? = 0
    check "round $round: neither was turned away: $(cat "$work/first.err" "$work/second.err")" \
        test ! -s "$work/first.err" -a ! -s "$work/second.err"
    check "round $round: every record is kept once" test "$(record_count "$db")" = $((3 * 2000))
    check "round $round: the store holds" store_holds "$db"
    [ $failures -gt 0 ] && break  # one round tells the fault
done
finish "two velanto-records importing into one store at once"
