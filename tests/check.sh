# The little harness of the shell tests: source it, call `check DESCRIPTION COMMAND...`
# for each condition, and end with `finish NAME`. $work is a scratch folder removed on exit.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # description, then the condition's command
    local what=$1; shift
    if ! "$@"; then echo "FAILED: $what"; failures=$((failures + 1)); fi
}

finish() {  # what was checked
    if [ "$failures" -ne 0 ]; then exit 1; fi
    echo "$1: all checks passed"
}

seconds_since() {  # a time from $EPOCHREALTIME: prints the seconds since then
    awk -v from="$1" -v to="$EPOCHREALTIME" 'BEGIN { printf "%.1f\n", to - from }'
}
seconds_of() {  # command...: runs it quietly, prints the seconds it took, fails as it fails
    local start=$EPOCHREALTIME
    "$@" > "$work/last.log" 2>&1 || { cat "$work/last.log" >&2; return 1; }
    seconds_since "$start"
}
