# Source this for a PostgreSQL server of the test's own: a cluster made in a temporary folder, on a free
# port of 127.0.0.1 with its socket in that folder, a database `records` with the login `lab` and a password,
# and psqlODBC registered for this shell only (ODBCSYSINI, ODBCINI) under the data source $velanto_server_dsn.
# The server runs as an unprivileged user when the test runs as root (PostgreSQL refuses root), and is
# stopped and removed when the shell exits. Call start_postgres_server first; it sets
#   velanto_server_dsn, velanto_server_user, velanto_server_password
#   velanto_server_address   the --database argument: odbc:DSN=...;UID=...;PWD=...
# and server_sql runs SQL on the database as its owner, printing rows unaligned.

postgres_bin=/usr/lib/postgresql/15/bin
psqlodbc_driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so

postgres_server_remove() {
    [ -n "${postgres_folder:-}" ] || return 0
    "${as_postgres[@]}" "$postgres_bin/pg_ctl" -D "$postgres_folder/data" -m immediate stop > /dev/null 2>&1
    rm -rf "$postgres_folder"
    postgres_folder=
}

# Runs the server's removal before whatever the shell did on exit already.
postgres_server_on_exit() {
    local previous=""
    if [ -n "$(trap -p EXIT)" ]; then
        eval "set -- $(trap -p EXIT)"
        previous=$3
    fi
    trap "postgres_server_remove; $previous" EXIT
}

# A TCP port of 127.0.0.1 that nothing listens on, from a range of the shell's own.
postgres_free_port() {
    local port
    for port in $(seq $((54000 + $$ % 1000)) 59999); do
        if ! (exec 3<> "/dev/tcp/127.0.0.1/$port") 2> /dev/null; then
            echo "$port"
            return 0
        fi
    done
    return 1
}

start_postgres_server() {
    as_postgres=()
    [ "$(id -u)" = 0 ] && as_postgres=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    postgres_folder=$(mktemp -d)
    postgres_server_on_exit
    chmod 755 "$postgres_folder"
    mkdir "$postgres_folder/data"
    [ ${#as_postgres[@]} -gt 0 ] && chown nobody:nogroup "$postgres_folder" "$postgres_folder/data"
    postgres_port=$(postgres_free_port) || { echo "no free port for the server" >&2; return 1; }
    velanto_server_user=lab
    velanto_server_password="pw;$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
    "${as_postgres[@]}" "$postgres_bin/initdb" -D "$postgres_folder/data" -U admin --encoding=UTF8 --locale=C.UTF-8 \
        --auth-local=trust --auth-host=scram-sha-256 > "$postgres_folder/initdb.log" 2>&1 ||
        { cat "$postgres_folder/initdb.log" >&2; return 1; }
    cat >> "$postgres_folder/data/postgresql.conf" <<CONF
port = $postgres_port
listen_addresses = '127.0.0.1'
unix_socket_directories = '$postgres_folder'
fsync = off
full_page_writes = off
CONF
    postgres_server_start || return 1
    server_admin_sql postgres "CREATE ROLE $velanto_server_user LOGIN PASSWORD '$velanto_server_password'" &&
        server_admin_sql postgres "CREATE DATABASE records OWNER $velanto_server_user" > /dev/null || return 1

    cat > "$postgres_folder/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Driver=$psqlodbc_driver
INI
    velanto_server_dsn=velanto_test
    cat > "$postgres_folder/odbc.ini" <<INI
[$velanto_server_dsn]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$postgres_port
Database=records
INI
    export ODBCSYSINI=$postgres_folder ODBCINI=$postgres_folder/odbc.ini
    # The password in braces: it holds a ';'.
    velanto_server_address="odbc:DSN=$velanto_server_dsn;UID=$velanto_server_user;PWD={$velanto_server_password}"
}

postgres_server_start() {
    "${as_postgres[@]}" "$postgres_bin/pg_ctl" -D "$postgres_folder/data" -l "$postgres_folder/server.log" -w \
        start > /dev/null || { cat "$postgres_folder/server.log" >&2; return 1; }
}

# Stops the server as a power cut would.
postgres_server_kill() {
    "${as_postgres[@]}" "$postgres_bin/pg_ctl" -D "$postgres_folder/data" -m immediate stop > /dev/null
}

server_admin_sql() {  # database, SQL
    psql -X -q -At -v ON_ERROR_STOP=1 -h "$postgres_folder" -p "$postgres_port" -U admin -d "$1" -c "$2"
}

server_sql() {  # SQL, on the records database
    server_admin_sql records "$1"
}
