#!/usr/bin/env bash
# Cross-builds velanto for 64-bit Windows with mingw-w64. wxWidgets (wxMSW), zlib, SQLite and
# FreeXL are built as static libraries from Debian's own source packages, and GoogleTest from the
# source that Debian's googletest package installs; all are kept, per Debian version, in
# ${XDG_CACHE_HOME:-~/.cache}/velanto/, so only the first run builds them. Then velanto.exe,
# velanto-records.exe, their tests and the installer, velanto-setup.exe (NSIS), are built.
# With --test it also runs the unit tests that need no display and no POSIX system under Wine,
# installs, runs and uninstalls velanto-setup.exe there, and runs velanto.exe end to end against
# the detector simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
repository=$PWD
run_tests=false
case ${1-} in
    --test) run_tests=true ;;
    "") ;;
    *) echo "usage: $0 [--test]" >&2; exit 2 ;;
esac
scripts/bootstrap.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 dpkg-dev make tcl googletest nsis \
    $($run_tests && echo wine wine64)
toolchain=$repository/cmake/mingw-w64.cmake
cache=${XDG_CACHE_HOME:-$HOME/.cache}/velanto
out=${VELANTO_OUT:-$repository/out}/build-windows

apt_dir=$cache/apt
source scripts/debian-sources.sh

# Whether $1 is built already, in $built_prefix.
is_cached() {
    [ -e "$built_prefix/.complete" ] && echo "build-windows: $1 cached in $built_prefix"
}

# Builds $1 from the source in folder $2 into $built_prefix, with build_$1 <source dir>
# <prefix> <scratch folder $3>, and marks the build complete.
build_into_prefix() {
    local started=$SECONDS
    echo "build-windows: building $1 for Windows into $built_prefix"
    "build_$1" "$2" "$built_prefix" "$3"
    touch "$built_prefix/.complete"
    echo "build-windows: $1 built in $((SECONDS - started)) s"
}

# Builds source package $1 with build_$2 <source dir> <prefix> <scratch folder> into $cache/$2-<version>,
# unless that install is already there; leaves its folder in $built_prefix. An archive may
# list a version whose files it no longer holds: then the next older one is taken.
built_prefix=
cached_build() {
    local package=$1 name=$2 version work
    for version in $(source_versions "$package"); do
        built_prefix=$cache/$name-${version#*:}
        is_cached "$name" && return
        work=$cache/build-$name-${version#*:}
        rm -rf "$built_prefix" "$work"
        if fetch_source "$package" "$version" "$work"; then
            build_into_prefix "$name" "$work/source" "$work"
            rm -rf "$work"
            return
        fi
        rm -rf "$work"
        echo "build-windows: the source of $package $version cannot be fetched"
    done
    echo "build-windows: no source of $package to build" >&2
    exit 1
}

# Debian's source lacks zlib's Windows makefiles; its plain makefile, before configure
# rewrites it, builds the static library with any compiler named.
build_zlib() {
    nice make -C "$1" -f Makefile.in -j2 CC=x86_64-w64-mingw32-gcc-posix CFLAGS=-O2 \
        AR=x86_64-w64-mingw32-ar RANLIB=x86_64-w64-mingw32-ranlib libz.a
    install -D -m 644 -t "$2/include" "$1/zlib.h" "$1/zconf.h"
    install -D -m 644 -t "$2/lib" "$1/libz.a"
}

# Only what velanto's dialogs use: the core, html with its zipped help books, and base;
# Debian's source lacks the bundled image and XML libraries, which velanto does not need.
build_wxmsw() {
    nice cmake -S "$1" -B "$1/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$2" \
        -DwxBUILD_SHARED=OFF -DwxBUILD_SAMPLES=OFF -DwxBUILD_TESTS=OFF -DwxBUILD_DEMOS=OFF \
        -DwxUSE_ZLIB=sys -DZLIB_INCLUDE_DIR="$zlib_prefix/include" \
        -DZLIB_LIBRARY="$zlib_prefix/lib/libz.a" \
        -DwxUSE_LIBPNG=OFF -DwxUSE_LIBJPEG=OFF -DwxUSE_LIBTIFF=OFF -DwxUSE_EXPAT=OFF \
        -DwxUSE_XML=OFF -DwxUSE_XRC=OFF -DwxUSE_ARTPROVIDER_TANGO=OFF -DwxUSE_SVG=OFF \
        -DwxUSE_STC=OFF -DwxUSE_WEBVIEW=OFF -DwxUSE_MEDIACTRL=OFF -DwxUSE_RICHTEXT=OFF \
        -DwxUSE_AUI=OFF -DwxUSE_PROPGRID=OFF -DwxUSE_RIBBON=OFF -DwxUSE_OPENGL=OFF
    nice cmake --build "$1/build" -j2
    cmake --install "$1/build"
}

# GoogleTest and GoogleMock, static, built in the scratch folder: the source is the system's.
build_googletest() {
    nice cmake -S "$1" -B "$3" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$2" >/dev/null
    nice cmake --build "$3" -j2
    cmake --install "$3" >/dev/null
}

# SQLite's source makes its one-file library, sqlite3.c, with tools of its own and Tcl on the
# build machine; only that file is then compiled for Windows.
build_sqlite() {
    mkdir -p "$3/generate"
    (cd "$3/generate" && nice "$1/configure" --disable-tcl --disable-readline >/dev/null &&
        nice make -j2 sqlite3.c >/dev/null)
    nice x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -c "$3/generate/sqlite3.c" -o "$3/sqlite3.o"
    x86_64-w64-mingw32-ar rcs "$3/libsqlite3.a" "$3/sqlite3.o"
    install -D -m 644 -t "$2/include" "$3/generate/sqlite3.h" "$3/generate/sqlite3ext.h"
    install -D -m 644 -t "$2/lib" "$3/libsqlite3.a"
}

# FreeXL is one C file; its configure would look for an iconv, which mingw-w64 lacks. It is
# compiled against velanto's own (export/iconv_win32.h, given as <iconv.h>), which
# velanto_workbook_reader links in.
build_freexl() {
    local version
    version=$(sed -n 's/^AC_INIT(FreeXL, *\([^,]*\),.*/\1/p' "$1/configure.ac")
    mkdir -p "$3/include"
    cp "$repository/export/iconv_win32.h" "$3/include/iconv.h"
    : >"$3/include/localcharset.h"
    echo "#define VERSION \"$version\"" >"$3/include/config.h"
    nice x86_64-w64-mingw32-gcc-posix -O2 -I"$3/include" -I"$1/headers" -c "$1/src/freexl.c" -o "$3/freexl.o"
    x86_64-w64-mingw32-ar rcs "$3/libfreexl.a" "$3/freexl.o"
    install -D -m 644 -t "$2/include" "$1/headers/freexl.h"
    install -D -m 644 -t "$2/lib" "$3/libfreexl.a"
}

update_source_lists
cached_build sqlite3 sqlite
sqlite_prefix=$built_prefix
cached_build freexl freexl
freexl_prefix=$built_prefix
cached_build zlib zlib
zlib_prefix=$built_prefix
cached_build wxwidgets3.2 wxmsw
wx_prefix=$built_prefix
# Debian's googletest package installs its source, at the package's version, in /usr/src.
built_prefix=$cache/googletest-$(dpkg-query -W -f='${Version}' googletest)
if ! is_cached googletest; then
    rm -rf "$built_prefix" "$cache/build-googletest"
    build_into_prefix googletest /usr/src/googletest "$cache/build-googletest"
    rm -rf "$cache/build-googletest"
fi
gtest_prefix=$built_prefix

# velanto itself: velanto.exe with its help book, velanto-records.exe and velanto-dump.exe, each
# linked statically.
echo "build-windows: configuring velanto in $out"
nice cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_UNITY_BUILD=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELANTO_TESTS=ON -DVELANTO_BENCH=OFF \
    -DCMAKE_FIND_PACKAGE_PREFER_CONFIG=ON -DwxWidgets_DIR="$wx_prefix/lib/cmake/wxWidgets" \
    -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" \
    -DSQLite3_INCLUDE_DIR="$sqlite_prefix/include" -DSQLite3_LIBRARY="$sqlite_prefix/lib/libsqlite3.a" \
    -DFREEXL_INCLUDE_DIR="$freexl_prefix/include" -DFREEXL_LIBRARY="$freexl_prefix/lib/libfreexl.a" >/dev/null
nice cmake --build "$out" -j2
echo "build-windows: built $out/app/velanto.exe, $out/app/velanto.htb, $out/records_ui/velanto-records.exe" \
    "and $out/tools/velanto-dump.exe"

# The installer carries velanto.exe and velanto-records.exe, stripped as a release ships them,
# velanto's help book and its icon, and shows the licence, given CR LF line ends for its page.
setup=$out/velanto-setup.exe
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
mkdir -p "$out/installer"
x86_64-w64-mingw32-strip -o "$out/installer/velanto.exe" "$out/app/velanto.exe"
x86_64-w64-mingw32-strip -o "$out/installer/velanto-records.exe" "$out/records_ui/velanto-records.exe"
sed 's/\r*$/\r/' LICENSE > "$out/installer/LICENSE.txt"
# -NOCD: the paths given are the build's, not relative to the script's folder.
nice makensis -V2 -NOCD -DVERSION="$version" -DPROGRAM="$out/installer/velanto.exe" \
    -DRECORDS_PROGRAM="$out/installer/velanto-records.exe" \
    -DHELP_BOOK="$out/app/velanto.htb" -DICON=app/resources/velanto.ico \
    -DLICENSE_FILE="$out/installer/LICENSE.txt" -DOUTFILE="$setup" packaging/windows/velanto.nsi
echo "build-windows: made $setup ($(du -k "$setup" | cut -f 1) KiB) for velanto $version"

# The unit tests as Windows programs, run by ctest under Wine (tests/run_under_wine.sh), on a
# display of their own so that no window of Wine's reaches the desktop. One server serves the
# whole run, rather than one that ends and starts again between tests; it ends before the
# display goes.
run_tests_under_wine() {
    local status=0 server=/usr/lib/wine/wineserver64
    export WINEPREFIX=$out/wine-prefix
    "$out/run_under_wine.sh" wineboot --init
    "$server" --persistent
    nice ctest --test-dir "$out" -j2 --output-on-failure || status=1
    "$server" --kill
    "$server" --wait
    return $status
}

if $run_tests; then
    source tests/harness/virtual_display.sh
    started=$SECONDS
    status=0
    on_virtual_display 1024x768x24 run_tests_under_wine 2>&1 | tee "$out/ctest.log" || status=1
    summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$out/ctest.log" | tail -n 1)
    echo "build-windows: under Wine in $((SECONDS - started)) s: ${summary:-no tests ran}"
    tests/package/windows_installer_test.sh "$setup" "$version" || status=1
    # The end-to-end test plays the detector and checks the saved files with the Linux build's tools.
    linux=${VELANTO_OUT:-$repository/out}/build
    scripts/bootstrap.sh
    cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
    nice cmake --build "$linux" -j2 --target velanto-detector velanto-dump velantoxls velanto-records
    tests/windows/wine_end_to_end_test.sh "$out/app/velanto.exe" "$linux/tools/velanto-detector" \
        "$linux/tools/velanto-dump" "$linux/xlsdriver/odbc" "$out/records_ui/velanto-records.exe" || status=1
    # velanto-records.exe on a store on a PostgreSQL server, compared with the Linux program's.
    tests/windows/wine_server_store_test.sh "$out/records_ui/velanto-records.exe" \
        "$linux/records_ui/velanto-records" "$linux/tools/velanto-dump" || status=1
    exit $status
fi
