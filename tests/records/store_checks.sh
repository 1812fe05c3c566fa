# What the shell tests of velanto-records share: source it after tests/check.sh, with $records and
# $dump set to the two programs.

# Makes detector images $work/imgFIRST.bin .. $work/imgLAST.bin of 2000 records each, every one of a
# detector of its own, so that no record of one is in another.
make_images() {  # first last
    local i
    for i in $(seq "$1" "$2"); do
        [ -e "$work/img$i.bin" ] || "$dump" generate --records 2000 --id "$i" --seed "$i" -o "$work/img$i.bin"
    done
}

image_list() {  # first last: the paths of those images
    local i
    for i in $(seq "$1" "$2"); do echo "$work/img$i.bin"; done
}

# How many images the store at $1 keeps in part: a download without all 2000 of its records, or a
# detector whose records are not all 2000 there under one kept download. None when each import is
# wholly present or wholly absent.
torn_images() {  # database
    sqlite3 -batch -readonly "$1" "
        SELECT (SELECT count(*) FROM downloads d
                WHERE (SELECT count(*) FROM records r WHERE r.download_id = d.id) != 2000)
             + (SELECT count(*) FROM (SELECT detector FROM records GROUP BY detector
                HAVING count(*) != 2000 OR count(DISTINCT download_id) != 1
                    OR min(download_id) NOT IN (SELECT id FROM downloads)))"
}

# The store opens cleanly: verify finds nothing amiss, and SQLite's own check holds.
store_holds() {  # database
    "$records" --database "$1" verify > /dev/null &&
        [ "$(sqlite3 -batch -readonly "$1" 'PRAGMA integrity_check')" = ok ] && [ "$(torn_images "$1")" = 0 ]
}

record_count() {  # database
    sqlite3 -batch -readonly "$1" 'SELECT count(*) FROM records'
}
