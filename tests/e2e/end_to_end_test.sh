#!/usr/bin/env bash
# velanto as an operator meets it: the real program on a display of its own, the detector
# simulator on COM1, the .xls driver through unixODBC. A full transfer is saved as text and as a
# workbook, each compared with what velanto-dump decodes from the very image sent; then the
# faults along the way, each ending with the dialog still usable.
#
# Arguments: velanto, velanto-detector, velanto-dump, the folder of the driver's odbcinst.ini,
# then the group of scenarios to run (see the end of this script), each group on a display, a
# detector and a velanto of its own, so that the groups may run side by side; without a group,
# every group but memcheck runs, one after another. The group "memcheck" runs only the transfer
# and both saves, with velanto under Valgrind's memory checker, which must find no invalid access
# and no leak.
set -u
groups=(saves answers lines dialog)
if [ $# -eq 4 ]; then
    status=0
    for group in "${groups[@]}"; do bash "$0" "$@" "$group" || status=1; done
    exit $status
fi
if [ -z "${VELANTO_E2E_DISPLAY:-}" ]; then  # a display of its own, where no other test takes the focus
    source "$(dirname "$0")/../harness/virtual_display.sh"
    export VELANTO_E2E_DISPLAY=1
    on_virtual_display 1280x1024x24 bash "$0" "$@"
    exit
fi
velanto=$1 detector=$2 dump_tool=$3
export ODBCSYSINI=$4
mode=$5
patience=60
[ "$mode" = memcheck ] && patience=300
export GSETTINGS_BACKEND=memory  # no desktop settings service on the test display
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../check.sh"
source "$here/../saved_files.sh"
source "$here/../harness/operator.sh"
export XDG_DATA_HOME=$work/data  # GTK's list of recent files, which every save adds to: one for each run
trap 'stop_velanto; stop_detector; rm -rf "$work"' EXIT
memcheck=(valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite
          --errors-for-leak-kinds=definite --child-silent-after-fork=yes --num-callers=40
          --suppressions="$here/valgrind.supp" --log-file="$work/memcheck.log")

# Saves the list as text into a new folder and checks the file against the rows given.
check_list_shows() {  # what, expected rows
    local folder
    folder=$(mktemp -d "$work/saved-XXXX")
    save_text_into "$folder"
    check "$1" wait_until "$patience" text_file_holds "$folder/atp00.txt" "$2"
}

# velanto started, with a detector on COM1 that sends the image of the options given, and its
# answer read: the list shows the rows of file $1, which velanto-dump decodes from that image.
transfer() {  # file, then the image's options
    local rows=$1; shift
    expected_rows "$rows" "$@"
    start_detector --fast "$@"
    if [ "$mode" = memcheck ]; then start_velanto "${memcheck[@]}"; else start_velanto; fi
    press start
    wait_for_answer 1
}
first_transfer() { transfer "$work/full" --records 2000 --id 321 --seed 5; }
second_transfer() { transfer "$work/second" --records 1500 --id 77 --seed 9; }

transfer_and_save() {
    first_transfer

    mkdir -p "$work/saved"
    save_text_into "$work/saved"
    check "the text file holds the decoded rows" wait_until "$patience" text_file_holds "$work/saved/atp00.txt" "$work/full"

    save_workbook_as "$work/saved/results"   # no extension: velanto adds ".xls"
    answer_box "^velanto$"                   # "Export file save to...!"
    check "the workbook holds the decoded rows" workbook_holds "$work/saved/results.xls" "$work/full"
}

save_into_a_folder_nobody_may_write() {
    # Tests may run as root, whom permissions do not stop; nobody may create files in /proc.
    save_text_into /proc
    answer_box "^velanto$"                   # "CreateFile failed！"
    save_workbook_as /proc/results.xls
    answer_box "^velanto$"                   # the driver's error
    check_list_shows "the rows survive failed saves" "$work/full"
    save_workbook_as "$work/saved/again.xls"
    answer_box "^velanto$"
    check "a save after failed ones works" workbook_holds "$work/saved/again.xls" "$work/full"
}

# A ';' in the folder and the name: the rows go to the file chosen, which replaces the older one,
# and to no other. Then, past the file-size limit, the save fails in a box, velanto lives on,
# and the file keeps what it held.
save_workbook_with_a_semicolon() {
    local folder="$work/saved;x=1"
    mkdir -p "$folder"
    echo "an older export" > "$folder/data;x=1.xls"
    save_workbook_as "$folder/data;x=1.xls" replace
    answer_box "^velanto$"                   # "Export file save to...!"
    check "the workbook named with a ';' holds the decoded rows" workbook_holds "$folder/data;x=1.xls" "$work/full"
    check "nothing but the workbook is in its folder" test "$(ls -A "$folder")" = "data;x=1.xls"

    echo "an older export" > "$folder/data;x=1.xls"
    prlimit --pid "$velanto_pid" --fsize=65536:
    save_workbook_as "$folder/data;x=1.xls" replace
    answer_box "^velanto$"                   # the driver cannot write: File too large
    prlimit --pid "$velanto_pid" --fsize=unlimited:
    check "velanto outlives the file-size limit" kill -0 "$velanto_pid"
    check "the file over the limit keeps what it held" grep -qx "an older export" "$folder/data;x=1.xls"
    check "nothing is left beside it" test "$(ls -A "$folder")" = "data;x=1.xls"
}

# A name typed without its extension whose workbook exists: the save dialog has asked about the
# name typed, not about that file, so velanto asks. No keeps the file; Yes replaces it.
replace_a_workbook_named_without_its_extension() {
    echo "an older export" > "$work/saved/results.xls"
    save_workbook_as "$work/saved/results"
    check "velanto asks before it replaces results.xls" wait_until "$patience" window_shown "^velanto$"
    answer_box_with "^velanto$" alt+n
    check "No keeps the older file" grep -qx "an older export" "$work/saved/results.xls"
    save_workbook_as "$work/saved/results"
    answer_box_with "^velanto$" alt+y
    answer_box "^velanto$"                   # "Export file save to...!"
    check "Yes replaces it with the decoded rows" workbook_holds "$work/saved/results.xls" "$work/full"
}

# Start pressed again while the detector still sends: velanto lets the rest of that answer pass, asks
# again once the line is quiet, and shows exactly the new answer's rows.
start_again_mid_transfer() {
    expected_rows "$work/second" --records 1500 --id 77 --seed 9
    swap_detector --records 1500 --id 77 --seed 9   # at 9600 baud
    press start
    sleep 2
    press start
    wait_for_answer 2
    check_list_shows "after Start again mid-transfer the list holds exactly the new answer" "$work/second"
}

# Stray bytes ahead of the answer make it too long: velanto asks before it shows such an answer.
damaged_answer_is_shown_only_on_yes() {
    swap_detector --fast --noise 10 --records 20 --id 6 --seed 3
    press start
    wait_for_answer 1
    answer_box_with "^velanto$" alt+n
    check_list_shows "No keeps the list shown" "$work/second"
    "$dump_tool" generate --records 20 --id 6 --seed 3 -o "$work/noisy.image" &&
        { printf '\xa5%.0s' {1..10}; head -c 16438 "$work/noisy.image"; } > "$work/noisy.shifted" &&
        "$dump_tool" decode "$work/noisy.shifted" > "$work/noisy"
    press start
    wait_for_answer 2
    answer_box_with "^velanto$" alt+y
    check_list_shows "Yes shows the answer as it came" "$work/noisy"
}

# The port list stays usable while velanto waits for an answer: COM2 chosen meanwhile is not the port
# that the box names.
no_answer_and_a_stopped_answer_are_reported() {
    swap_detector --fast --ignore-request
    press_then start port Down   # the port changes while the transfer waits for an answer
    local from=$EPOCHREALTIME
    check "the no-answer box names the port of the transfer" box_says "^velanto$" "did not answer on COM1 ("
    answer_box "^velanto$"
    echo "no answer: the box came $(seconds_since "$from") s after Start"
    move_focus port
    xdotool key Up
    start_detector --fast --truncate 8000
    answer_box "^Application Error$"         # the earlier detector's line is gone
    press start
    must "the short answer arrives" wait_until "$patience" answer_read 1
    from=$EPOCHREALTIME
    answer_box "^velanto$"                   # "The detector's answer on COM1 (...) stopped after 8000 of 16448 bytes."
    echo "stopped answer: the box came $(seconds_since "$from") s after its last byte was read"
    check_list_shows "neither changes the list" "$work/noisy"
}

# A device on COM1 that sends a byte every 20 ms and never pauses, as one in another output mode does:
# Start gives up on it in a box that names the port, and velanto rests while the device sends on.
a_line_that_never_goes_quiet_is_reported() {
    swap_detector --chatter 20
    press start
    local from=$EPOCHREALTIME
    check "the box says that COM1 keeps sending" box_says "^velanto$" "COM1 (" "keeps sending without a pause"
    echo "a line that never goes quiet: the box came $(seconds_since "$from") s after Start"
    answer_box "^velanto$"
    check "velanto comes to rest while the line sends on" wait_until 10 velanto_idle
    check_list_shows "the list is unchanged" "$work/noisy"
}

# A device-map link to something that is no serial line: each fault is reported once, then velanto
# rests.
not_a_line_leaves_velanto_idle() {
    stop_detector
    answer_box "^Application Error$"         # the detector's line is gone
    ln -sfn /dev/null "$XDG_CONFIG_HOME/velanto/dosdevices/com1"
    press start
    answer_box "^Application Error$"         # "GetCommState()"
    answer_box "^Application Error$"         # the monitor gives up on the device
    check "velanto comes to rest with COM1 on /dev/null" wait_until 10 velanto_idle   # a spinning monitor never does
    check "no further box" window_gone "^(velanto|Application Error)$"
    check_list_shows "the list is unchanged" "$work/fourth"
}

detector_hangs_up_mid_transfer() {
    swap_detector --fast --hangup-after 5000
    press start
    must "the lost line is reported" wait_until "$patience" window_shown "^Application Error$"
    sleep 1
    check "the lost line is reported once" test "$(shown_count "^Application Error$")" -eq 1
    answer_box "^Application Error$"
    sleep 0.5
    check "no second report follows" window_gone "^Application Error$"

    expected_rows "$work/third" --records 300 --id 5 --seed 2
    start_detector --fast --records 300 --id 5 --seed 2
    press start
    wait_for_answer 1
    check_list_shows "a Start after a lost line transfers again" "$work/third"
}

busy_port() {
    expected_rows "$work/fourth" --records 20 --id 6 --seed 3
    swap_detector --fast --records 20 --id 6 --seed 3
    local holder
    exec {holder}< "$(detector_line)"        # another program has the port
    flock -x "$holder"
    press start
    answer_box "^velanto$"                   # the port cannot be opened
    exec {holder}<&-
    check_list_shows "a busy port changes no row" "$work/third"
    press start
    wait_for_answer 1
    check_list_shows "once the port is free Start works" "$work/fourth"
}

close_mid_transfer() {
    start_detector --records 2000                 # at 9600 baud: 17 seconds
    press start
    sleep 1
    close_velanto    # fails unless velanto ends; how fast is a figure of bench/transfer_figures.sh
    echo "closed mid-transfer: velanto ended after $closing_seconds s"
    [ "$velanto_status" -eq 0 ] || cat "$work/velanto.log"
    check "velanto ends with status 0 (status $velanto_status)" test "$velanto_status" -eq 0
}

# An operator outside the group dialout: velanto runs as the unprivileged user nobody, and the
# detector's line is root's alone. Start then says that the permission is missing, in a box of
# several lines, taller than the one-line box of an absent port; once the line is open to all, the
# same Start transfers.
permission_refused() {
    local home=$work/unprivileged
    local com1=$home/config/velanto/dosdevices/com1
    start_detector --fast --records 20
    chmod 0600 "$(detector_line)"
    unprivileged_home nobody "$home"
    ln -s "$home/no-such-device" "$com1"
    start_velanto_as nobody "$home"
    press start
    wait_for_window "^velanto$"
    local absent_height
    absent_height=$(box_height "^velanto$")
    answer_box "^velanto$"

    ln -sfn "$(detector_line)" "$com1"
    press start
    wait_for_window "^velanto$"
    check "a refused permission has a box of its own" test "$(box_height "^velanto$")" -gt "$absent_height"
    answer_box "^velanto$"

    chmod 0666 "$(detector_line)"
    press start
    wait_for_answer 1
    close_velanto
}

# Enter in the opened port list picks a port and leaves the dialog open; Enter in the closed
# list ends the dialog, where the toolkit's own drop-down list would open itself again.
enter_in_the_port_list() {
    start_velanto
    move_focus port
    xdotool key alt+Down; settle        # opens the list
    xdotool key Down Return; settle     # picks COM2
    check "Enter in the opened list leaves the dialog open" window_shown "^Data updating program"
    end_velanto_with Return
    check "Enter in the closed list ends velanto with status 0" test "$velanto_status" -eq 0
}

# A velanto without its help book names the missing file when F1 is pressed.
help_book_missing() {
    mkdir -p "$work/bare/bin"
    cp "$velanto" "$work/bare/bin/"
    velanto=$work/bare/bin/velanto start_velanto
    xdotool key F1
    answer_box "^velanto$"              # "Can't find the help file ..."
    close_velanto
}

# With its help book beside it, F1 opens the book at the main dialog's page. The help window,
# opened from a modal dialog, is modal too, and no key closes it: velanto is stopped.
help_book_opens() {
    start_velanto
    xdotool key F1
    check "F1 opens the help window at the main dialog's page" \
        wait_until "$patience" window_shown "^Help: Collecting and saving results$"
    stop_velanto
}

# The dialog's menu, opened with the Menu key and with a right-click, offers the About box, which
# its OK button closes.
about_box_from_the_menu() {
    start_velanto
    xdotool key Menu; settle
    xdotool key Down Return
    check "the Menu key's About item opens the About box" wait_until "$patience" window_shown "^About velanto$"
    answer_box "^About velanto$"
    xdotool mousemove --window "$main_window" 50 595 click 3; settle   # beside the buttons, on no control
    xdotool key Down Return
    check "the right-click's About item opens the About box" wait_until "$patience" window_shown "^About velanto$"
    answer_box "^About velanto$"
    close_velanto
}

# The record list shows its selection only while it has the focus: the operator selects rows
# with the keyboard, then tabs away from the list and back. Without the focus the list must look
# as it did before any row was selected, but for the current row's dotted frame, which has
# moved: so those two pictures are compared by the colours they hold.
list_selection_follows_the_focus() {
    start_detector --fast --records 40
    start_velanto
    press start
    wait_for_answer 1
    move_focus list
    move_focus save
    snap_list unselected                # the list has had the focus, and no row is selected
    move_focus list
    xdotool key Down shift+Down
    snap_list selected
    move_focus save
    snap_list away
    move_focus list
    snap_list back
    check "the selected rows show while the list has the focus" other_colours unselected selected
    check "no selection shows without the focus" same_colours unselected away
    check "the selection shows again when the focus comes back" same_picture selected back
    close_velanto
}

scenario() {
    echo "$SECONDS s: $1"
    "$1"
}
memory_checked_close() {
    close_velanto
    [ "$velanto_status" -eq 0 ] || cat "$work/memcheck.log"
    check "the memory checker finds nothing (status $velanto_status)" test "$velanto_status" -eq 0
}
velanto_closes() {
    close_velanto
    [ "$velanto_status" -eq 0 ] || cat "$work/velanto.log"
    check "velanto ends with status 0 (status $velanto_status)" test "$velanto_status" -eq 0
}

# Each group begins with a velanto of its own, whose list shows what the group's first scenario
# expects, and ends with no velanto left; the groups take about the same time.
case $mode in
    memcheck)
        scenarios=(transfer_and_save memory_checked_close) ;;
    saves)
        scenarios=(transfer_and_save save_into_a_folder_nobody_may_write save_workbook_with_a_semicolon
                   replace_a_workbook_named_without_its_extension velanto_closes) ;;
    answers)
        scenarios=(second_transfer damaged_answer_is_shown_only_on_yes no_answer_and_a_stopped_answer_are_reported
                   a_line_that_never_goes_quiet_is_reported velanto_closes) ;;
    lines)
        scenarios=(first_transfer detector_hangs_up_mid_transfer busy_port not_a_line_leaves_velanto_idle
                   close_mid_transfer permission_refused enter_in_the_port_list help_book_missing help_book_opens) ;;
    dialog)
        scenarios=(first_transfer start_again_mid_transfer velanto_closes about_box_from_the_menu
                   list_selection_follows_the_focus) ;;
    *)
        echo "no group \"$mode\": the groups are ${groups[*]} and memcheck" >&2
        exit 2 ;;
esac
for each in "${scenarios[@]}"; do scenario "$each"; done
finish "end to end ($mode)"
