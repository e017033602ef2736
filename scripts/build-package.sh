#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian with no error and no
# warning, the desktop entry with desktop-file-validate and the AppStream
# metainfo with appstreamcli (offline).
#   scripts/build-package.sh [BUILD_DIR]    (default: build-package)
# A new folder gets a Release build of the installed programs only. A folder
# that already holds a build (CI passes the tested one) is packaged as it is
# built, adding only the man pages: the package carries the programs the
# tests ran.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGE_DIR="$(realpath -m "${1:-$ROOT/build-package}")"
install_missing "${PACKAGING[@]}"
# Files and folders in the package get the usual modes whatever the caller's umask.
umask 022
if [ -f "$PACKAGE_DIR/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$PACKAGE_DIR" -DZENARA_MAN_PAGES=ON
else
  cmake -S "$ROOT" -B "$PACKAGE_DIR" -DCMAKE_BUILD_TYPE=Release -DZENARA_BUILD_TESTS=OFF -DZENARA_MAN_PAGES=ON
fi
cmake --build "$PACKAGE_DIR" -j2
(cd "$PACKAGE_DIR" && cpack >/dev/null)
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$PACKAGE_DIR/CMakeCache.txt")"
deb="$PACKAGE_DIR/zenara_${version}_$(dpkg --print-architecture).deb"
[ -s "$deb" ] || { echo "build-package: no package $deb" >&2; exit 1; }

lintian --fail-on error,warning --tag-display-limit 0 "$deb"
contents="$(mktemp -d)"
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents/usr/share/applications/zenara.desktop"
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml
for program in zenara zenara-render zenara-panel zenara-pack zenara-fake-instrument; do
  [ -x "$contents/usr/bin/$program" ] || { echo "build-package: $program is not in the package" >&2; exit 1; }
done
echo "Package: $deb (lintian, desktop-file-validate and appstreamcli validate passed)"
