# What velanto's saved files must hold, for the shell tests: source it after tests/check.sh.
saved_files_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
heading="identifier   Detect number   Date   Hour   Program number   Result   RLU   Lower limit   Upper limit   remark"
time_line=$'^[0-9]{4}year[0-9]{2}month[0-9]{2}day[0-9]{2}hour[0-9]{2}minute[0-9]{2}second\r$'

# The text file velanto writes for the rows given, after its time line.
text_after_time_line() {
    printf '%s\r\n' "$heading"
    awk -F'\t' '{ for (i = 1; i <= NF; i++) printf "%s     ", $i; printf "\r\n" }' "$1"
}
text_file_holds() {  # file, expected rows
    [ -f "$1" ] && head -n 1 "$1" | grep -Eq "$time_line" &&
        cmp -s <(tail -n +2 "$1") <(text_after_time_line "$2")
}
workbook_holds() {  # file, expected rows
    [ -f "$1" ] && cmp -s <(/usr/bin/python3 "$saved_files_here/workbook_rows.py" "$1") \
        <(printf '\fvelanto\n0ID\t1TESTNO\t2Date\t3Hour\t4Prog\t5Result\t6RLU\t7Lower\t8Upper\t9remark\n'; cat "$2")
}
