#!/usr/bin/env bash
# velanto-records' manual page and its --help tell the same: the page's SYNOPSIS, as man shows
# it, is the usage of --help line for line, and the page's COMMANDS are the commands that the
# usage names, each explained by --help too.
# Arguments: the program, its manual page.
set -u
program=$1 page=$2
source "$(dirname "$0")/../check.sh"

"$program" --help > "$work/help" || { echo "velanto-records --help failed"; exit 1; }
# The usage lines without the notes after them, and the SYNOPSIS's lines without their indent.
sed -n '/^Usage:/,/^$/{/^ /p}' "$work/help" | sed -E 's/^ +//; s/  .*//' > "$work/usage"
groff -man -Tascii -rLL=300n -P-cbou "$page" | sed -n '/^SYNOPSIS/,/^[A-Z]/{/^ /p}' |
    sed -E 's/^ +//' > "$work/synopsis"
check "the SYNOPSIS is the usage of --help" diff "$work/usage" "$work/synopsis"

sed -nE 's/^velanto-records \[--database PATH\] ([a-z]+).*/\1/p' "$work/usage" | sort > "$work/used"
awk '/^\.SH/ { section = $2 } section == "COMMANDS" && previous == ".TP" { print $2 } { previous = $0 }' \
    "$page" | sort > "$work/described"
check "COMMANDS describes the commands of the usage" diff "$work/used" "$work/described"
for command in $(cat "$work/used"); do
    check "--help explains $command" grep -qE "^$command( |$)" "$work/help"
done

finish "velanto-records' manual page and --help"
