#!/usr/bin/env bash
# The store's own tests on a database server: those of store_tests ($1) that need one, against a PostgreSQL
# server of the test's own reached through psqlODBC.
set -u
store_tests=$1
source "$(dirname "$0")/../check.sh"
source "$(dirname "$0")/../harness/postgres_server.sh"

not_in_log() { ! grep -qF "$velanto_server_password" "$work/tests.log"; }

start_postgres_server || exit 1
env VELANTO_TEST_SERVER="$velanto_server_address" "$store_tests" --gtest_filter='ServerStore.*' --gtest_brief=1 \
    > "$work/tests.log" 2>&1
check "the store's tests pass on the server: $(cat "$work/tests.log")" test $? = 0
check "they all ran, none skipped" grep -qE '^\[  PASSED  \] [1-9][0-9]* tests?\.$' "$work/tests.log"
check "they did not show the password" not_in_log
finish "the store on a database server"
