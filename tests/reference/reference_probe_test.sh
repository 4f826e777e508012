#!/usr/bin/env bash
# crs-probe (the platform probe on the portable backend) against what the same source drew when
# built with mingw-w64 and run under Wine (wine_probe*.png, taken by scripts/compare-platform
# --update), each within 2 of 255 per channel: the course drawing's light, a white specular light,
# and the window made smaller after the device was made, so that Present stretches the back buffer.
# Then the probe's load counts, which scripts/compare-platform holds to Wine's, and crs-frame-diff
# on frames with a known difference, in the lines the scripts read.
# Usage: reference_probe_test.sh CRS_PROBE CRS_FRAME_DIFF REFERENCE_DIR
set -euo pipefail
probe=$1 frame_diff=$2
work=$(mktemp -d /tmp/crs-reference-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cd "$3"
export SDL_VIDEODRIVER=offscreen
for scene in "" specular stretch; do
  "$probe" $scene capture "$work/frame.png" >/dev/null || fail "crs-probe $scene did not draw"
  "$frame_diff" "wine_probe${scene:+_$scene}.png" "$work/frame.png" || fail "scene '$scene'"
done
counts=$("$probe" counts probe_course.x missing.x probe_car.x)
[ "$counts" = "probe_course.x: 2 materials, 6 faces (2/4), 1 of 1 textures
missing.x: load failed 0x88760b59
probe_car.x: 2 materials, 10 faces (8/2), 0 of 0 textures" ] || fail "counts: $counts"

# A 4 by 2 grey frame against one whose pixel (2, 1) is 80 levels greener: a green mean of 10.
convert -size 4x2 xc:'rgb(100,100,100)' "PNG24:$work/a.png"
convert "$work/a.png" -fill 'rgb(100,180,100)' -draw 'point 2,1' "PNG24:$work/b.png"
"$frame_diff" "$work/a.png" "$work/b.png" 10 >"$work/diff.txt" || fail "a mean of 10 within 10"
expected="size: 4x2
mean absolute difference (of 255): red 0.000 green 10.000 blue 0.000
pixels within 16 of 255 on every channel: 87.500%
pixels that differ at all: 1 of 8"
[ "$(head -4 "$work/diff.txt")" = "$expected" ] || fail "figures: $(cat "$work/diff.txt")"
status=0
"$frame_diff" "$work/a.png" "$work/b.png" 9.99 >/dev/null || status=$?
[ "$status" -eq 1 ] || fail "a mean of 10 passed a tolerance of 9.99 (status $status)"
for other in wine_probe_stretch.png missing.png; do
  status=0
  "$frame_diff" wine_probe.png "$other" >/dev/null 2>&1 || status=$?
  [ "$status" -eq 2 ] || fail "wine_probe.png against $other: status $status, not 2"
done
echo ok
