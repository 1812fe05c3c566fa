#!/usr/bin/env bash
# Installs the Debian packages that building and testing velanto need, and any named on the
# command line; only what is missing.
set -euo pipefail

packages=(
    # toolchain and build, and the sources' layout check
    g++ cmake ninja-build pkg-config clang-format
    # the dialogs, and a virtual display with a Chinese font for their tests
    libwxgtk3.2-dev xvfb xauth fonts-arphic-uming
    # checks of the installed desktop entry, AppStream description and manual pages
    desktop-file-utils appstream groff-base
    # the end-to-end tests: keys for the dialogs, their texts through the clipboard, pictures of
    # them, and the memory checker
    xdotool xclip imagemagick valgrind
    # tests, fuzzing and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
    # the dialog tests' start-up, and the leak checker's canary, which leaks in a callback of
    # glib's main loop
    libglib2.0-dev
    # the .xls driver: the ODBC driver manager, and the readers its tests check files with
    unixodbc unixodbc-dev odbcinst python3-xlrd catdoc
    # velanto records: its SQLite store, and the reader of velanto's workbooks; the SQLite shell its
    # tests inspect the store with
    libsqlite3-dev libfreexl-dev sqlite3
    # its store on a database server: the server its tests start, and the server's ODBC driver
    postgresql odbc-postgresql
    # its report's test: a headless browser prints it, and its PDF's text and charts' XML are read
    chromium poppler-utils libxml2-utils
)

missing=()
for package in "${packages[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
