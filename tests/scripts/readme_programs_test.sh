#!/usr/bin/env bash
# The programs the README starts, as a new user starts them from a clone: scripts/run.sh and
# scripts/demo.sh --fast each build what they need, show velanto's window on a virtual display,
# and end with status 0 when Escape closes it. The demo also says where its detector is.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../check.sh"
cd "$here/../.."
source tests/harness/virtual_display.sh
patience=${VELANTO_PATIENCE:-600}  # seconds for a script's first window: it may build velanto first

velanto_window() { xdotool search --onlyvisible --name '^Data updating program' 2>/dev/null | head -n 1; }

# Runs the script given with its arguments in a session of its own, with a private device map.
# True when velanto's window shows, Escape ends it, and the script ends with status 0.
shows_and_ends_on_escape() {
    local log=$work/${1##*/}.log started=$EPOCHREALTIME pid window status deadline
    XDG_CONFIG_HOME=$work/config setsid "$@" > "$log" 2>&1 &
    pid=$!
    deadline=$((SECONDS + patience))
    until window=$(velanto_window) && [ -n "$window" ]; do
        if ! kill -0 "$pid" 2> /dev/null || [ $SECONDS -ge $deadline ]; then
            echo "$*: no window; its output:"; cat "$log"
            kill -- -"$pid" 2> /dev/null; wait "$pid"
            return 1
        fi
        sleep 0.2
    done
    echo "$*: window after $(seconds_since "$started") s"
    # A window that has just shown may not take keys yet: Escape again until velanto has ended.
    deadline=$((SECONDS + 30))
    while kill -0 "$pid" 2> /dev/null && [ $SECONDS -lt $deadline ]; do
        xdotool windowfocus --sync "$window" key Escape 2> /dev/null
        sleep 0.5
    done
    kill -- -"$pid" 2> /dev/null
    wait "$pid"
    status=$?
    [ "$status" -eq 0 ] || { echo "$*: status $status after Escape; its output:"; cat "$log"; return 1; }
}

names_its_detector() { grep -qE '^demo: the simulated detector is on /dev/pts/[0-9]+, mapped to COM1$' "$1"; }

run_checks() {
    check "scripts/run.sh shows velanto, and Escape ends it with status 0" shows_and_ends_on_escape scripts/run.sh
    check "scripts/demo.sh --fast shows velanto, and Escape ends it with status 0" \
        shows_and_ends_on_escape scripts/demo.sh --fast
    check "the demo names the simulator's line" names_its_detector "$work/demo.sh.log"
}
on_virtual_display 1024x768x24 run_checks || failures=$((failures + 1))
finish "the README's programs"
