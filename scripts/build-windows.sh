#!/usr/bin/env bash
# Cross-builds velanto for 64-bit Windows with mingw-w64. wxWidgets (wxMSW) and zlib are
# built as static libraries from Debian's own source packages and kept, per Debian source
# version, in ${XDG_CACHE_HOME:-~/.cache}/velanto/, so only the first run builds them.
# Once velanto.exe is built, makes its installer, velanto-setup.exe, with NSIS; with --test,
# also installs, runs and uninstalls it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
repository=$PWD
testing=(); [ "${1:-}" = --test ] && testing=(wine wine64)
scripts/bootstrap.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 dpkg-dev make nsis \
    "${testing[@]}"
toolchain=$repository/cmake/mingw-w64.cmake
cache=${XDG_CACHE_HOME:-$HOME/.cache}/velanto
out=${VELANTO_OUT:-$repository/out}/build-windows

apt_dir=$cache/apt
source scripts/debian-sources.sh

# Builds source package $1 with build_$2 <source dir> <prefix> into $cache/$2-<version>,
# unless that install is already there; leaves its folder in $built_prefix. An archive may
# list a version whose files it no longer holds: then the next older one is taken.
built_prefix=
cached_build() {
    local package=$1 name=$2 version work started=$SECONDS
    for version in $(source_versions "$package"); do
        built_prefix=$cache/$name-${version#*:}
        if [ -e "$built_prefix/.complete" ]; then
            echo "build-windows: $name ${version#*:} cached in $built_prefix"
            return
        fi
        work=$cache/build-$name-${version#*:}
        rm -rf "$built_prefix" "$work"
        if fetch_source "$package" "$version" "$work"; then
            echo "build-windows: building $name ${version#*:} for Windows into $built_prefix"
            "build_$name" "$work/source" "$built_prefix"
            touch "$built_prefix/.complete"
            rm -rf "$work"
            echo "build-windows: $name built in $((SECONDS - started)) s"
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

update_source_lists
cached_build zlib zlib
zlib_prefix=$built_prefix
cached_build wxwidgets3.2 wxmsw
wx_prefix=$built_prefix

# velanto itself. Only the dump decoder builds for Windows so far: the serial link, the
# export, the .xls driver, the tools and the dialogs still rest on POSIX calls.
ported_targets=(velanto_dump)
echo "build-windows: configuring velanto in $out"
# The .xls driver's installer library is odbccp32 on Windows, where unixODBC's odbcinst is not.
nice cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELANTO_TESTS=OFF -DVELANTO_BENCH=OFF \
    -DCMAKE_FIND_PACKAGE_PREFER_CONFIG=ON -DwxWidgets_DIR="$wx_prefix/lib/cmake/wxWidgets" \
    -DODBCINST_LIBRARY=odbccp32 >/dev/null
nice cmake --build "$out" -j2 --target "${ported_targets[@]}"
echo "build-windows: built ${ported_targets[*]} in $out; the rest of velanto is not ported to Windows yet"

# The installer carries velanto.exe, stripped as a release ships it, its help book and its icon.
program=$out/app/velanto.exe
setup=$out/velanto-setup.exe
if [ ! -f "$program" ]; then
    echo "build-windows: no $program yet, so no installer"
    [ ${#testing[@]} -eq 0 ] || { echo "build-windows: no installer to test" >&2; exit 1; }
    exit 0
fi
nice cmake --build "$out" -j2 --target velanto_help
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
mkdir -p "$out/installer"
x86_64-w64-mingw32-strip -o "$out/installer/velanto.exe" "$program"
# -NOCD: the paths given are the build's, not relative to the script's folder.
nice makensis -V2 -NOCD -DVERSION="$version" -DPROGRAM="$out/installer/velanto.exe" \
    -DHELP_BOOK="$out/app/velanto.htb" -DICON=app/resources/velanto.ico -DOUTFILE="$setup" \
    packaging/windows/velanto.nsi
echo "build-windows: made $setup ($(du -k "$setup" | cut -f 1) KiB) for velanto $version"
if [ ${#testing[@]} -gt 0 ]; then
    tests/package/windows_installer_test.sh "$setup" "$version"
fi
