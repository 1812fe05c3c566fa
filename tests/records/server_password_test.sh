#!/usr/bin/env bash
# velanto-records' password for a store on a database server, against a server of the test's own: taken
# from VELANTO_RECORDS_PASSWORD, or typed at the terminal with its echo off; a missing or wrong password
# ends the command with status 1 and a message that names the store without any password.
set -u
records=$1 dump=$2
source "$(dirname "$0")/../check.sh"
source "$(dirname "$0")/store_checks.sh"
source "$(dirname "$0")/../harness/postgres_server.sh"
start_postgres_server || exit 1
make_images 1 2
store="odbc:DSN=$velanto_server_dsn;UID=$velanto_server_user"
wrong="wrong;$RANDOM$RANDOM"

run() {  # arguments...: velanto-records with no terminal; its output in $work/said.txt, its status in $status
    "$records" "$@" < /dev/null > "$work/said.txt" 2>&1
    status=$?
}
said() { grep -qF -- "$1" "$work/said.txt" || { echo "it said:"; cat "$work/said.txt"; return 1; }; }
told_no_password() { ! grep -qF -e "$velanto_server_password" -e "$wrong" "$work/said.txt"; }
records_on_server() { server_sql "SELECT count(*) FROM records"; }

VELANTO_RECORDS_PASSWORD=$velanto_server_password run --database "$store" import "$work/img1.bin"
check "the environment's password opens the store (status $status)" test "$status" -eq 0
check "... and the import is kept" said "img1.bin: 2000 new, 0 already kept"
check "... on the server" test "$(records_on_server)" = 2000

run --database "$store" verify
check "without a password and without a terminal, the command fails with status 1 (status $status)" \
    test "$status" -eq 1
check "... saying where a password comes from" said VELANTO_RECORDS_PASSWORD
check "... and naming the store" said "DSN=$velanto_server_dsn"

VELANTO_RECORDS_PASSWORD=$wrong run --database "$store" import "$work/img2.bin"
check "a wrong password fails with status 1 (status $status)" test "$status" -eq 1
check "... shown nowhere" told_no_password
check "... and nothing is imported" test "$(records_on_server)" = 2000

run --database "$store;PWD={$wrong}" verify
check "a wrong password in the connection string fails with status 1 (status $status)" test "$status" -eq 1
check "... shown nowhere either" told_no_password

# At a terminal (a pseudo-terminal of the test's), the password is asked for once and not echoed: it is
# typed once the prompt shows, as a person would.
at_terminal() {  # the password to type, then the command
    python3 -c '
import os, pty, sys
password, command = sys.argv[1].encode(), sys.argv[2:]
pid, terminal = pty.fork()
if pid == 0:
    os.execvp(command[0], command)
said, typed = b"", False
while True:
    try:
        chunk = os.read(terminal, 4096)
    except OSError:
        break
    if not chunk:
        break
    said += chunk
    if not typed and b"Password for" in said:
        os.write(terminal, password + b"\n")
        typed = True
sys.stdout.buffer.write(said)
sys.exit(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
' "$@"
}
at_terminal "$velanto_server_password" "$records" --database "$store" import "$work/img2.bin" > "$work/said.txt" 2>&1
status=$?
check "the password typed at the terminal opens the store (status $status)" test "$status" -eq 0
check "... which asked for it" said "Password for odbc:DSN=$velanto_server_dsn"
check "... and kept the import" said "img2.bin: 2000 new, 0 already kept"
check "... without echoing the password" told_no_password
finish "velanto-records' password for a store on a server"
