#!/usr/bin/env bash
# velanto.exe under Wine, on a virtual display of its own: the main dialog appears, the last
# item of its system menu opens the About box, F1 opens the zipped help book at the dialog's
# page, and Escape closes the dialog and ends the program normally.
# Usage: wine_start_test.sh [VELANTO_EXE]; the default is the one scripts/build-windows.sh
# cross-builds. The Wine prefix is kept in ${VELANTO_OUT:-out}/wine, so only the first run sets
# it up (some 20 s).
set -u
cd "$(dirname "$0")/../.."
out=${VELANTO_OUT:-$PWD/out}
velanto_exe=$(realpath "${1:-$out/build-windows/app/velanto.exe}")
scripts/bootstrap.sh wine wine64 xdotool
source tests/check.sh
velanto=$velanto_exe
patience=120
source tools/operator.sh
source tools/virtual_display.sh

# Debian's wine64 package keeps its loader out of the PATH.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
# No Mono or Gecko: velanto needs neither, and Wine would offer to download them.
export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"

process_gone() { ! kill -0 "$1" 2> /dev/null; }

run_velanto() {
    "$wine64" wineboot --init > "$work/wineboot.log" 2>&1
    "$wine64" "$velanto_exe" > "$work/velanto.log" 2>&1 &
    local pid=$! dialog caption="^Data updating program for the reault of ATP fluorescence detector $"
    if wait_until "$patience" window_shown "$caption"; then
        dialog=$(visible_window "$caption")
    else
        check "the main dialog appears" false
        kill "$pid" 2> /dev/null
        return
    fi
    xdotool key --window "$dialog" alt+space Up Return 2> /dev/null
    check "the system menu's last item opens the About box" \
        wait_until "$patience" window_shown "^About velanto$"
    xdotool key --window "$(visible_window "^About velanto$")" Escape 2> /dev/null
    check "Escape closes the About box" wait_until "$patience" window_gone "^About velanto$"
    xdotool key --window "$dialog" F1 2> /dev/null
    check "F1 opens the help book at the main dialog's page" \
        wait_until "$patience" window_shown "^Help: Collecting and saving results$"
    xdotool key --window "$(visible_window "^Help: ")" alt+F4 2> /dev/null
    check "Alt+F4 closes the help window" wait_until "$patience" window_gone "^Help: "
    xdotool key --window "$dialog" Escape 2> /dev/null
    check "Escape closes the main dialog" wait_until "$patience" window_gone "$caption"
    if wait_until "$patience" process_gone "$pid"; then
        wait "$pid"
        check "velanto.exe ends normally" test $? = 0
    else
        check "velanto.exe ends" false
        kill "$pid" 2> /dev/null
    fi
    # The prefix's server, which lingers a moment after its last program, goes with the display.
    "$(dirname "$wine64")/wineserver" --wait
}

on_virtual_display 1024x768x24 run_velanto
finish "velanto.exe under Wine"
