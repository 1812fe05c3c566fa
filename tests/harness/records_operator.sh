# The operator at velanto records' window, on the current X display, as tests/harness/operator.sh plays
# velanto's: source it after operator.sh, with $records (velanto-records), $title (the window's title's end,
# a pattern) and $box (its boxes' title, a pattern) set. operator.sh's $velanto_pid and $main_window are the
# window's.

# Starts velanto records and waits until its window is ready for keys. Arguments: the command to run it
# under (such as setpriv's; may be none), --, then velanto-records and its arguments.
start_records_as() {
    local before=()
    while [ "$1" != -- ]; do before+=("$1"); shift; done
    shift
    "${before[@]}" "$@" > "$work/velanto.log" 2>&1 &
    velanto_pid=$!
    wait_for_window "$title"
    main_window=$(visible_window "$title")
}
start_records() { start_records_as -- "$records" "$@"; }
# Presses keys in the window, with no box over it.
keys() {
    settle
    must "no box stands over the window" only_the_dialog_shown
    xdotool windowfocus --sync "$main_window" key "$@"
}
# Types a path into the file chooser with the title given, whose location bar ctrl+l opens, and takes it.
choose_file() {
    wait_for_window "$1"
    xdotool windowfocus --sync "$(visible_window "$1")" key ctrl+l
    settle
    xdotool type "$2"
    settle
    xdotool key Return
    must "the file chooser \"$1\" goes" wait_until "$patience" window_gone "$1"
}
# True when the box with the title given says the texts given in its message and the details below it:
# Tab selects the message, Tab again the details, each copied with ctrl+c.
box_and_details_say() {
    wait_for_window "$1"
    local window text="" label part
    window=$(visible_window "$1")
    for label in message details; do
        echo "(nothing copied)" | xclip -selection clipboard
        xdotool windowfocus --sync "$window" key Tab ctrl+c
        wait_until "$patience" clipboard_changed || { echo "nothing copied from the box's $label"; return 1; }
        text+=$(xclip -o -selection clipboard)$'\n'
    done
    shift
    for part in "$@"; do
        [[ $text == *"$part"* ]] || { echo "the box says: $text"; return 1; }
    done
}
import_file() {  # the file, then what the box must say about it
    keys ctrl+i
    choose_file "^Import files$" "$1"
    must "the import of $1 says \"$2\"" box_and_details_say "$box" "1 file imported." "$1: $2"
    answer_box "$box"
}
window_size() { xdotool getwindowgeometry --shell "$main_window" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' | paste -sd x; }
window_size_is() { [ "$(window_size)" = "$1" ]; }
quit_records() {
    keys ctrl+q
    must "velanto records ends after ctrl+q" wait_until "$patience" velanto_ended
    wait "$velanto_pid"
    local status=$?
    velanto_pid=
    [ "$status" -eq 0 ] || cat "$work/velanto.log"
    must "velanto records ends with status 0 (status $status)" test "$status" -eq 0
}

# True when the picture $1 holds every colour given ("#RRGGBB").
picture_holds() {
    local picture=$1 colour colours
    shift
    colours=$(convert "$picture" -format %c histogram:info:- | grep -oE '#[0-9A-Fa-f]{6}' | tr a-f A-F)
    for colour in "$@"; do
        grep -qx "$colour" <<< "$colours" || return 1
    done
}
