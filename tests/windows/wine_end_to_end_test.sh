#!/usr/bin/env bash
# velanto.exe under Wine as an operator meets it, on a virtual display of its own. The last item of
# the dialog's system menu opens the About box and F1 the zipped help book. A transfer from the
# detector simulator, whose line the Wine prefix maps to COM1, is saved as text and compared with
# what velanto-dump decodes from the image sent. A workbook save goes through Wine's odbc32 to
# unixODBC and the .xls driver, as far as that bridge reaches. An answer that stops short and no
# answer at all are each told in a box and leave the list as it was. Escape ends the program
# normally. Then velanto-records.exe downloads the same memory through COM1 into a store of its own
# and exports it as CSV, which holds the rows velanto-dump decodes.
#
# Arguments: velanto.exe, then the Linux build's velanto-detector, velanto-dump and the folder of
# the .xls driver's odbcinst.ini, then velanto-records.exe. The Wine prefix is kept in ${VELANTO_OUT:-out}/wine, so only the
# first run sets it up (some 20 s). With VELANTO_SCREENSHOT set to a file name, it also takes a
# picture of the dialog after the transfer (docs/velanto-windows.png is one).
set -u
cd "$(dirname "$0")/../.."
if [ -z "${VELANTO_E2E_DISPLAY:-}" ]; then  # a display of its own, where no other test takes the focus
    scripts/bootstrap.sh wine wine64 xdotool
    source tests/harness/virtual_display.sh
    export VELANTO_E2E_DISPLAY=1
    on_virtual_display 1024x768x24 bash "$0" "$@"
    exit
fi
velanto=$(realpath "$1") detector=$2 dump_tool=$3 records=$(realpath "$5")
export ODBCSYSINI
ODBCSYSINI=$(realpath "$4")
source tests/check.sh
source tests/saved_files.sh
patience=120
source tests/harness/operator.sh
trap 'stop_velanto; stop_detector; rm -rf "$work"' EXIT

# Debian's wine64 package keeps its loader out of the PATH.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
# No Mono or Gecko: velanto needs neither, and Wine would offer to download them.
export WINEPREFIX=${VELANTO_OUT:-$PWD/out}/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }  # Wine's drive Z: is the root folder

# Wine's ODBC installer library lists the drivers of the prefix's registry; the connections go to
# unixODBC, which finds the driver itself in $ODBCSYSINI.
register_xls_driver() {
    local name
    name=$(sed -n 's/^\[\(.*Excel.*\)\]$/\1/p' "$ODBCSYSINI/odbcinst.ini" | head -n 1)
    "$wine64" reg add 'HKLM\Software\ODBC\ODBCINST.INI\ODBC Drivers' /v "$name" /d Installed /f > /dev/null 2>&1
}

# The simulator's line as COM1 of the prefix. Wine's device manager sets the prefix's links anew
# when its server starts, so the link is made while velanto keeps that server running.
link_com1_to_the_detector() { ln -sfn "$(detector_line)" "$WINEPREFIX/dosdevices/com1"; }

about_box_and_help() {
    xdotool windowfocus --sync "$main_window" key alt+space Up Return
    answer_box_with "^About velanto$" Escape
    xdotool windowfocus --sync "$main_window" key F1
    must "F1 opens the help book at the main dialog's page" \
        wait_until "$patience" window_shown "^Help: Collecting and saving results$"
    xdotool windowfocus --sync "$(visible_window "^Help: ")" key alt+F4
    check "Alt+F4 closes the help window" wait_until "$patience" window_gone "^Help: "
}

transfer() {
    link_com1_to_the_detector
    press start
    local from=$EPOCHREALTIME
    wait_for_answer 1
    echo "the paced transfer took $(seconds_since "$from") s under Wine (the line itself 17.1 s)"
}

# Wine's folder chooser shows its own title, not the one velanto gives it; its name field takes a path.
save_text_into_windows_folder() {
    local title="^(Please choose the folder you want to save the data|Select Folder)$"
    choose_format text
    press save
    wait_for_window "$title"
    xdotool windowfocus --sync "$(visible_window "$title")" type "$(windows_path "$1")"
    xdotool key Return
    must "the folder chooser goes" wait_until "$patience" window_gone "$title"
}

# The bridge hands the driver velanto's Windows path, which the Linux driver takes for a relative
# name: the workbook lands in velanto's working folder under that name, velanto finds nothing to
# put in place and says so, and the chosen folder is left as it was.
save_workbook_through_the_bridge() {
    choose_format excel
    press save
    wait_for_window "^Export$"
    xdotool windowfocus --sync "$(visible_window "^Export$")" key ctrl+a type "$(windows_path "$1/results")"
    xdotool key Return
    must "the save dialog goes" wait_until "$patience" window_gone "^Export$"
    answer_box "^velanto$"  # "Cannot replace ...: File not found."
    local written=("$work"/velanto-cwd/*export.xls)
    check "the driver writes the rows it is given through Wine's odbc32 and unixODBC" \
        workbook_holds "${written[0]}" "$work/full"
    check "the chosen folder holds only the text file" test "$(ls -A "$1")" = atp00.txt
}

# A new simulator on COM1 each time: velanto reports the earlier one's line gone, and the next
# Start opens the new one.
swap_detector_on_com1() { swap_detector "$@"; link_com1_to_the_detector; }
stopped_answer_and_no_answer_are_told() {
    swap_detector_on_com1 --truncate 8000 --records 2000 --id 321 --seed 5
    press start
    must "the short answer arrives" wait_until "$patience" answer_read 1
    answer_box "^velanto$"  # "The detector's answer stopped after 8000 of 16448 bytes."
    swap_detector_on_com1 --ignore-request
    press start
    local from=$EPOCHREALTIME
    answer_box "^velanto$"  # "The detector did not answer on COM1 (...)"
    echo "no answer: the box came $(seconds_since "$from") s after Start"
    local folder
    folder=$(mktemp -d "$work/saved-XXXX")
    save_text_into_windows_folder "$folder"
    check "neither changes the list" wait_until "$patience" text_file_holds "$folder/atp00.txt" "$work/full"
}

# velanto records' command line fetches the detector's memory through the same transfer and keeps it;
# its CSV holds the rows decoded from the image sent (the name column empty: no program is named).
records_download_through_com1() {
    local server store=$work/records.sqlite
    server=$(dirname "$wine64")/wineserver
    "$server" --persistent  # keeps the prefix's COM1 link as made below
    start_detector --fast --records 2000 --id 321 --seed 5
    link_com1_to_the_detector
    "$wine64" "$records" --database "$(windows_path "$store")" download --com 1 > "$work/records.out" 2>&1
    check "velanto-records.exe keeps the 2000 records downloaded through COM1" \
        grep -qxE $'COM1: 2000 new, 0 already kept\r?' "$work/records.out"
    "$wine64" "$records" --database "$(windows_path "$store")" export --csv "$(windows_path "$work/records.csv")" \
        > /dev/null 2>&1
    check "its CSV holds the decoded rows" csv_holds_rows "$work/records.csv" "$work/full"
    "$server" --kill
    stop_detector
}

# The CSV's rows (detector,test,date,time,program,name,result,rlu,lower,upper) against velanto-dump's
# decoded rows (tab-separated, dates as YYYY/MM/DD), both sorted.
csv_holds_rows() {
    diff <(tail -n +2 "$1" | tr -d '\r' | awk -F, '{ gsub("-", "/", $3); print $1, $2, $3, $4, $5, $7, $8, $9, $10 }' |
               sort) \
        <(awk -F'\t' '{ print $1, $2, $3, $4, $5, $6, $7, $8, $9 }' "$2" | sort) > "$work/csv.diff"
}

"$wine64" wineboot --init > "$work/wineboot.log" 2>&1
register_xls_driver
expected_rows "$work/full" --records 2000 --id 321 --seed 5
start_detector --records 2000 --id 321 --seed 5
start_velanto "$wine64"
about_box_and_help
transfer
if [ -n "${VELANTO_SCREENSHOT:-}" ]; then  # a picture of the dialog after the transfer, for the docs
    import -window "$main_window" "$VELANTO_SCREENSHOT"
fi
mkdir -p "$work/saved"
save_text_into_windows_folder "$work/saved"
check "the text file holds the decoded rows" \
    wait_until "$patience" text_file_holds "$work/saved/atp00.txt" "$work/full"
save_workbook_through_the_bridge "$work/saved"
stopped_answer_and_no_answer_are_told
xdotool windowfocus --sync "$main_window"
end_velanto_with Escape
check "velanto.exe ends normally" test "$velanto_status" = 0
records_download_through_com1
# The prefix's server, which lingers a moment after its last program, goes with the display.
"$(dirname "$wine64")/wineserver" --wait
finish "velanto.exe under Wine"
