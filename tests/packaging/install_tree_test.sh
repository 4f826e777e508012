#!/usr/bin/env bash
# `cmake --install` as a user meets it: the viewer's launcher, the tools, the meshes and textures,
# the desktop entry and the icon in their places; the tree still works once moved elsewhere and
# started through a link, from an unrelated directory, under a virtual X server.
# Usage: install_tree_test.sh BUILD_DIR CRS_FRAME_DIFF
set -euo pipefail
build=$1 frame_diff=$2
source "$(dirname "$0")/../session.sh"

cmake --install "$build" --prefix "$work/installed" >"$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install failed"; }
mv "$work/installed" "$work/moved"
tree=$work/moved

for program in bin/crs-move-pos bin/crs-drive bin/crs-snapshot bin/crs-assets bin/crs-map \
               libexec/crs-move-pos/crs-move-pos; do
  [ -x "$tree/$program" ] || fail "$program is not installed as a program"
done
head -c 4 "$tree/libexec/crs-move-pos/crs-move-pos" | grep -q ELF || fail "the viewer is not a binary"
# Every file that crs-assets writes, and nothing else, is in the data directory.
"$build/bin/crs-assets" --out "$work/generated" >/dev/null
diff <(cd "$work/generated" && find . -type f | sort) \
     <(cd "$tree/share/crs-move-pos" && find . -type f | sort) ||
  fail "share/crs-move-pos does not hold exactly what crs-assets writes"
desktop-file-validate "$tree/share/applications/crs-move-pos.desktop" ||
  fail "the desktop entry is not valid"
grep -qx 'Exec=crs-move-pos' "$tree/share/applications/crs-move-pos.desktop" ||
  fail "the desktop entry does not start the launcher"
icon=$tree/share/icons/hicolor/256x256/apps/crs-move-pos.png
[ "$(identify -format '%wx%h' "$icon")" = 256x256 ] || fail "the icon is not 256 by 256"

# The installed snapshot tool in a copy of the installed data directory.
cp -r "$tree/share/crs-move-pos" "$work/data"
(cd "$work/data" && "$tree/bin/crs-snapshot" --out "$work/start.png") ||
  fail "the installed crs-snapshot failed"

mkdir "$work/elsewhere" "$work/path"
ln -s "$tree/bin/crs-move-pos" "$work/path/crs-move-pos"
start_xvfb
check_launcher "$work/path/crs-move-pos" "$work/elsewhere" "$work/start.png"
