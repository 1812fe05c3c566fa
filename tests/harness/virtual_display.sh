# Source this for on_virtual_display, which runs a command on a virtual display (Xvfb) of its own.
# Xvfb picks a free display number itself (-displayfd), so runs that start together, or one right
# after another while the last display is still going away, never meet on one display (as they may
# with xvfb-run -a). The display never resets when its last client leaves (-noreset): a program
# starting during a reset could not connect. Only holders of the display's cookie may connect.

on_virtual_display() {  # screen geometry such as 1280x1024x24, then the command
    local geometry=$1 folder cookie server number status
    shift
    folder=$(mktemp -d)
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    # The server takes the cookies of its file whatever their display number; clients look theirs up
    # by number, added once the server has said which it took.
    touch "$folder/auth"
    xauth -q -f "$folder/auth" add :0 . "$cookie"
    Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset -auth "$folder/auth" \
        3> "$folder/number" 2> "$folder/server.log" &
    server=$!
    until [ -s "$folder/number" ]; do
        if ! kill -0 "$server" 2> /dev/null; then
            echo "the virtual display did not start:" >&2
            cat "$folder/server.log" >&2
            rm -rf "$folder"
            return 1
        fi
        sleep 0.05
    done
    number=$(< "$folder/number")
    xauth -q -f "$folder/auth" add ":$number" . "$cookie"
    DISPLAY=:$number XAUTHORITY=$folder/auth "$@"
    status=$?
    kill "$server" && wait "$server"
    rm -rf "$folder"
    return $status
}
