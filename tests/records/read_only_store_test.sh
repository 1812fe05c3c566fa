#!/usr/bin/env bash
# velanto-records on a store it may not write to (the file read-only, its folder, or both): export and
# verify work, import is refused saying why; and on a file that is no records store, or a newer one: every
# command refuses it saying why. Each file is left byte for byte as it was.
set -u
records=$1 dump=$2
source "$(dirname "$0")/../check.sh"
source "$(dirname "$0")/store_checks.sh"

# Root may write to any file: the commands run as nobody, who may read the scratch folder and no more, with
# a copy of the program there (the build tree may be out of nobody's reach, as may the leak checker's
# suppressions, which velanto-records needs none of).
as_reader=()
[ "$(id -u)" = 0 ] && as_reader=(setpriv --reuid=nobody --regid=nogroup --clear-groups env -u LSAN_OPTIONS)
chmod 755 "$work"
cp "$records" "$work/velanto-records"
records=$work/velanto-records
make_images 1 3
"$records" --database "$work/made.sqlite" import "$work/img1.bin" "$work/img2.bin" > /dev/null
mkdir -m 777 "$work/out"

# Puts a copy of the store at $1 with mode $2 in a folder of mode $3, owned by the reader.
place_store() {  # name, file mode, folder mode
    mkdir "$work/$1"
    cp "$work/made.sqlite" "$work/$1/records.sqlite"
    [ ${#as_reader[@]} -gt 0 ] && chown nobody "$work/$1" "$work/$1/records.sqlite"
    chmod "$2" "$work/$1/records.sqlite"
    chmod "$3" "$work/$1"
}
place_store read-only-file 444 755
place_store read-only-folder 644 555
place_store read-only-both 444 555

# Runs velanto-records as the reader on store $1; its output in $work/said.txt.
run() {  # store, arguments...
    local db=$1; shift
    "${as_reader[@]}" "$records" --database "$db" "$@" > "$work/said.txt" 2>&1
}

for name in read-only-file read-only-folder read-only-both; do
    db=$work/$name/records.sqlite
    before=$(sha256sum < "$db")
    run "$db" verify
    check "$name: verify succeeds" test $? = 0
    check "$name: verify counts every record" grep -q "^4000 records of 2 downloads: all hold" "$work/said.txt"
    run "$db" export --csv "$work/out/$name.csv"
    check "$name: export succeeds" test $? = 0
    check "$name: the export holds every record" test "$(wc -l < "$work/out/$name.csv")" = 4001
    run "$db" import "$work/img3.bin"
    check "$name: import is refused" test $? = 1
    check "$name: saying why" grep -q "$db may not be written to (the file, its folder or its disk is read-only)" \
        "$work/said.txt"
    check "$name: the store is as it was" test "$(sha256sum < "$db")" = "$before"
done

# Files that are no store of this program's, which even root leaves as they were: a text file;
printf 'atp00.txt is no database\r\n' > "$work/notes.txt"
# another program's database, its last change still in its WAL file;
sqlite3 "$work/other.sqlite" ".dbconfig no_ckpt_on_close on" "PRAGMA journal_mode = WAL" "CREATE TABLE t (x)" \
    "INSERT INTO t VALUES (1)" > /dev/null
# and a store of a newer velanto records.
cp "$work/made.sqlite" "$work/newer.sqlite"
sqlite3 "$work/newer.sqlite" "PRAGMA user_version = 99"
for case in "notes.txt:is not a records database" "other.sqlite:is not a records database" \
    "newer.sqlite:was made by a newer velanto records (store version 99; this one reads up to"; do
    name=${case%%:*} reason=${case#*:}
    cp "$work/$name" "$work/$name.before"
    for command in "import $work/img3.bin" verify "export --csv $work/out/$name.csv" "name 3 zone"; do
        "$records" --database "$work/$name" $command > "$work/said.txt" 2>&1
        check "$name: $command exits with 1" test $? = 1
        check "$name: $command says why" grep -qF "$reason" "$work/said.txt"
    done
    check "$name: the file is as it was" cmp -s "$work/$name" "$work/$name.before"
done
finish "velanto-records on stores it may not write to"
