#!/usr/bin/env bash
# velanto-records importing until the disk holding its store is full: the import that does not fit says so
# and adds nothing, the store stays whole, and with room again the same import goes in.
set -u
records=$1 dump=$2
source "$(dirname "$0")/../check.sh"
source "$(dirname "$0")/store_checks.sh"

disk=$work/disk
mkdir "$disk"
if ! mount -t tmpfs -o size=1m velanto-full-disk "$disk" 2> /dev/null; then
    echo "a small disk cannot be mounted here (mounting a tmpfs needs root): skipped"
    exit 77
fi
trap 'umount "$disk"; rm -rf "$work"' EXIT
db=$disk/records.sqlite
make_images 1 12

kept=0
for i in $(seq 1 12); do
    "$records" --database "$db" import "$work/img$i.bin" > /dev/null 2> "$work/err.txt" || break
    kept=$i
done
check "the disk filled after some imports ($kept went in)" test "$kept" -ge 1 -a "$kept" -lt 12
check "the import that did not fit names the store and its full disk" \
    grep -q "img$((kept + 1)).bin: the disk holding $db is full" "$work/err.txt"
check "the store holds all that went in before, and nothing of the one that failed" store_holds "$db"
check "with every record of those before" test "$(record_count "$db")" = $((kept * 2000))

mount -o remount,size=16m "$disk"
check "with room again, the same image goes in" \
    "$records" --database "$db" import "$work/img$((kept + 1)).bin" > /dev/null
check "with its records" test "$(record_count "$db")" = $(((kept + 1) * 2000))
check "and the store holds" store_holds "$db"
finish "velanto-records on a full disk"
