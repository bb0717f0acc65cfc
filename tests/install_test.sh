#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the build into a fresh prefix and checks what a desktop reads from it: the programs,
# the menu entry, the icon and the AppStream metadata, each valid by the desktop's own tools.
#   tests/install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
id=io.github.zorvane.Zorvane

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install test: $*" >&2; exit 1; }
for f in bin/zorvane bin/zorvane-query; do
  [ -x "$prefix/$f" ] || fail "$f is not installed"
done
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
icon=$prefix/share/icons/hicolor/scalable/apps/$id.svg
for f in "$desktop" "$metainfo" "$icon" "$prefix"/share/zorvane/{server,ready,player}.wav; do
  [ -s "$f" ] || fail "$f is missing"
done

# Hints are advice; errors and warnings fail.
out=$(desktop-file-validate "$desktop") || fail "desktop-file-validate: $out"
if grep -qE ': (error|warning):' <<<"$out"; then fail "desktop-file-validate: $out"; fi
appstreamcli validate --no-net "$metainfo" >/dev/null || appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli"

# The entry names what was installed.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
grep -qx "Icon=$id" "$desktop" || fail "the entry's icon is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metadata does not launch $id.desktop"

# The installed command line tool runs from its new place.
"$prefix/bin/zorvane-query" --help >/dev/null 2>&1 || fail "the installed zorvane-query does not run"
echo "installed and valid: $prefix"
