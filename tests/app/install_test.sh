#!/usr/bin/env bash
# The installed program: every program in bin/, the desktop entry and icon in
# share/, renders from the installed files, and the installed simulator keeps
# its files in the user's data folder.
#   install_test.sh BUILD_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

for program in zenara zenara-render zenara-panel zenara-pack zenara-fake-instrument; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done
for file in share/applications/zenara.desktop share/icons/hicolor/256x256/apps/zenara.png \
  share/zenara/examples/default.pcf share/metainfo/com.corvalen.zenara.metainfo.xml share/doc/zenara/copyright \
  share/doc/zenara/changelog.gz; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
grep -qx 'Name=Corvalen Orvex Zenara' "$prefix/share/applications/zenara.desktop" || fail "desktop entry name"
[ "$(head -c 8 "$prefix/share/icons/hicolor/256x256/apps/zenara.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  fail "the icon is not a PNG"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/zenara.desktop" || fail "desktop entry does not validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/com.corvalen.zenara.metainfo.xml" >/dev/null ||
    fail "the AppStream metainfo does not validate"
fi

"$prefix/bin/zenara-render" --help | grep -q -- --save-pcf || fail "installed zenara-render --help"
"$prefix/bin/zenara-render" --pcf "$prefix/share/zenara/examples/default.pcf" --page 2 -o "$work/page.png"
[ -s "$work/page.png" ] || fail "no picture from the installed renderer"
version="$("$prefix/bin/zenara" --version)"
grep -q '^zenara [0-9]' <<<"$version" && grep -q '^firmware ' <<<"$version" || fail "zenara --version: $version"

# Started like from the desktop entry, without --data-dir: its files go to the
# user's data folder, nothing beside the program.
export XDG_DATA_HOME="$work/home-data" QT_QPA_PLATFORM=offscreen
"$prefix/bin/zenara" &
pid=$!
for _ in $(seq 50); do [ -e "$XDG_DATA_HOME/Corvalen Orvex Zenara" ] && break; sleep 0.1; done
sleep 0.5
kill -TERM "$pid"
wait "$pid" || fail "the installed program did not end cleanly"
for file in SM.INI RTC.ram; do
  [ -s "$XDG_DATA_HOME/Corvalen Orvex Zenara/$file" ] || fail "$file is not in the user's data folder"
done
[ -z "$(ls "$prefix/bin")" ] || [ -z "$(ls -A "$prefix/bin" | grep -vxE 'zenara(-render|-fake-instrument|-panel|-pack)?')" ] ||
  fail "bin/ holds more than the programs: $(ls -A "$prefix/bin")"
echo "install: programs, desktop entry, icon, examples and the user's data folder as expected"
