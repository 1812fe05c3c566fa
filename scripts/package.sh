#!/usr/bin/env bash
# Makes the Debian package out/velanto_<version>_amd64.deb from a release build for /usr,
# built with Debian's hardening flags, and has lintian check it.
# With --test, also installs it, uses it and purges it in a throwaway Debian root.
set -euo pipefail
cd "$(dirname "$0")/.."
testing=(); [ "${1:-}" = --test ] && testing=(debootstrap)
scripts/bootstrap.sh dpkg-dev lintian "${testing[@]}"

build=out/build-package
root=out/package/velanto
debian=packaging/debian
metainfo=app/org.velanto.velanto.metainfo.xml
mkdir -p out

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
ldflags=$(flags LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_UNITY_BUILD=ON \
    -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
    -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" -DVELANTO_TESTS=OFF -DVELANTO_BENCH=OFF \
    > "$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if ! head -n 1 "$debian/changelog" | grep -qF "velanto ($version)"; then
    echo "package: $debian/changelog does not begin with version $version" >&2
    exit 1
fi
# Software centres show the newest release of the AppStream description: the changelog's.
released=$(date -u -d "$(dpkg-parsechangelog -l "$debian/changelog" -S Date)" +%F)
if ! grep -qF "<release version=\"$version\" date=\"$released\">" "$metainfo"; then
    echo "package: $metainfo has no release entry for $version of $released" >&2
    exit 1
fi

# The files, stripped as Debian strips them, with the manual pages and the changelog
# compressed as Debian keeps them.
rm -rf "$root"
DESTDIR=$PWD/$root cmake --install "$build" > /dev/null
strip --remove-section=.comment --remove-section=.note "$root"/usr/bin/*
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$root"/usr/lib/*/odbc/*.so
gzip -9n "$root"/usr/share/man/man1/*.1
doc=$root/usr/share/doc/velanto
install -D -m 644 "$debian/copyright" "$doc/copyright"
gzip -9nc "$debian/changelog" > "$doc/changelog.gz"
chmod -R u=rwX,go=rX "$root"

# The control data: libraries the binaries need as dpkg-shlibdeps finds them.
mkdir -p "$root/DEBIAN"
install -m 755 "$debian/postinst" "$debian/prerm" "$root/DEBIAN/"
shlibs=$(mktemp -d)
trap 'rm -rf "$shlibs"' EXIT
mkdir "$shlibs/debian"
printf 'Source: velanto\n\nPackage: velanto\nArchitecture: any\n' > "$shlibs/debian/control"
depends=$(cd "$shlibs" && dpkg-shlibdeps -O "$OLDPWD/$root"/usr/bin/* \
    "$OLDPWD/$root"/usr/lib/*/odbc/libvelantoxls.so | sed -n 's/^shlibs:Depends=//p')
sed -e "s/@VERSION@/$version/" -e "s/@DEPENDS@/$depends/" \
    -e "s/@INSTALLED_SIZE@/$(du -sk --apparent-size "$root" | cut -f 1)/" \
    "$debian/control.in" > "$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

package=out/velanto_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$package"
lintian --fail-on error --info "$package"
for description in "$root"/usr/share/metainfo/*.xml; do
    appstreamcli validate --no-net "$description"
done

if [ ${#testing[@]} -gt 0 ]; then
    tests/package/throwaway_root_test.sh "$package"
fi
