#!/usr/bin/env bash
# velanto-records killed (SIGKILL) inside an import's transaction: the store opens cleanly afterwards,
# and the import it was in is wholly absent, those before it wholly present.
set -u
records=$1 dump=$2
source "$(dirname "$0")/../check.sh"
source "$(dirname "$0")/store_checks.sh"

rounds=6 per_round=8
db=$work/records.sqlite
make_images 1 $((rounds * per_round + 1))
# The kills come to a store that holds a download already.
"$records" --database "$db" import "$work/img$((rounds * per_round + 1)).bin" > /dev/null

# An import holds the WAL's write lock, a POSIX lock on byte 120 of the -shm file, from its BEGIN to its
# COMMIT; a process stopped while holding it is inside a transaction.
inside_transaction() {  # pid
    grep -Eq "^[0-9]+: POSIX +ADVISORY +WRITE +$1 +[0-9a-f:]+ 120 120\$" /proc/locks
}
state() {  # pid: R running, S sleeping, T stopped, Z ended...
    cut -d' ' -f3 "/proc/$1/stat"
}

downloads() { sqlite3 -batch -readonly "$db" 'SELECT count(*) FROM downloads'; }

killed_inside=0
for round in $(seq 0 $((rounds - 1))); do
    first=$((round * per_round + 1)) last=$(((round + 1) * per_round))
    let_finish=$(($(downloads) + RANDOM % per_round))  # the imports before the one to kill
    "$records" --database "$db" import $(image_list $first $last) > /dev/null 2>&1 &
    pid=$!
    while [ "$(downloads)" -lt $let_finish ] && kill -0 $pid 2> /dev/null; do sleep 0.005; done
    while kill -STOP $pid 2> /dev/null; do
        until [[ $(state $pid) == [TZ] ]]; do :; done
        [ "$(state $pid)" = Z ] && break
        if inside_transaction $pid; then
            kill -KILL $pid
            killed_inside=$((killed_inside + 1))
            break
        fi
        kill -CONT $pid
        sleep 0.002
    done
    wait $pid 2> /dev/null
    check "round $round: the store holds after the kill" store_holds "$db"
    kept=$(sqlite3 -batch -readonly "$db" \
        "SELECT count(DISTINCT detector) FROM records WHERE detector BETWEEN $first AND $last")
    check "round $round: the kill came before the round's last import ($kept kept)" test "$kept" -lt $per_round
done
check "every kill came inside a transaction ($killed_inside of $rounds)" test $killed_inside = $rounds

"$records" --database "$db" import $(image_list $first $last) > /dev/null
check "the last round's images all go in afterwards" test "$(sqlite3 -batch -readonly "$db" \
    "SELECT count(*) FROM records WHERE detector BETWEEN $first AND $last")" = $((per_round * 2000))
check "and the store holds" store_holds "$db"
finish "velanto-records killed inside an import"
