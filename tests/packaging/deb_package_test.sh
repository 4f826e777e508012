#!/usr/bin/env bash
# The Debian package as a user meets it: CPack builds it with its dependencies declared, apt
# installs it on this machine, the installed crs-drive and crs-snapshot (in a copy of the
# installed data directory) give what the build's own give, the launcher on PATH starts the viewer
# under a virtual X server and Escape ends it with status 0; then the package is purged again.
# Needs root or sudo without a password; refuses to touch a crs-move-pos installed before.
# Usage: deb_package_test.sh BUILD_DIR CRS_FRAME_DIFF
set -euo pipefail
build=$1 frame_diff=$2
source "$(dirname "$0")/../session.sh"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo -n)

installed() { [ "$(dpkg-query -W -f='${Status}' crs-move-pos 2>/dev/null || true)" = "install ok installed" ]; }
installed && fail "crs-move-pos is installed already; remove it before running this test"

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(echo "$work"/package/crs-move-pos_*_amd64.deb)
[ -f "$deb" ] || fail "no crs-move-pos_*_amd64.deb: $(ls "$work/package")"

depends=$(dpkg-deb -f "$deb" Depends)
depended=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for package in libsdl2-2.0-0 libepoxy0 libassimp5 libfontconfig1 libstdc++6 libgl1 libegl1 \
               libgl1-mesa-dri libegl-mesa0 fonts-dejavu-core fonts-ipafont-gothic; do
  grep -qxF "$package" <<<"$depended" || fail "Depends lacks $package: $depends"
done

cleanups+=('installed && "${as_root[@]}" apt-get purge -y crs-move-pos >/dev/null 2>&1')
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "$deb" \
  >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install failed"; }
installed || fail "the package is not installed"

[ "$(command -v crs-move-pos)" = /usr/bin/crs-move-pos ] || fail "crs-move-pos is not on PATH"
[ -x /usr/libexec/crs-move-pos/crs-move-pos ] || fail "the viewer is not in /usr/libexec"
[ -f /usr/share/applications/crs-move-pos.desktop ] || fail "no desktop entry"
[ -f /usr/share/icons/hicolor/256x256/apps/crs-move-pos.png ] || fail "no icon"
diff <(crs-drive 1072) <("$build/bin/crs-drive" 1072) >/dev/null ||
  fail "the installed crs-drive differs from the build's"

cp -r /usr/share/crs-move-pos "$work/data"
(cd "$work/data" && crs-snapshot --presses 140 --out "$work/installed-140.png") ||
  fail "the installed crs-snapshot failed"
(cd "$build/data" && "$build/bin/crs-snapshot" --presses 140 --out "$work/built-140.png")
"$frame_diff" "$work/built-140.png" "$work/installed-140.png" >"$work/diff.txt" ||
  { cat "$work/diff.txt"; fail "the installed crs-snapshot renders another frame than the build's"; }
(cd "$work/data" && crs-snapshot --out "$work/start.png")

start_xvfb
check_launcher crs-move-pos / "$work/start.png"

"${as_root[@]}" apt-get purge -y crs-move-pos >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get purge failed"; }
[ ! -e /usr/bin/crs-move-pos ] && [ ! -e /usr/share/crs-move-pos ] ||
  fail "purging the package left its files behind"
echo "ok: $(basename "$deb") installed, ran and was purged"
