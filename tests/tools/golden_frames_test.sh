#!/usr/bin/env bash
# crs-snapshot against frames of the Windows build under Wine (tests/golden/presses_N.png, the
# client area after N presses), so that the picture is checked where Wine is not run. The overlay's
# corner is masked in both (the reference's frame covers its text); the pass mark is that of
# scripts/compare-reference: a mean difference of at most 2 of 255 in every channel and at least
# 99% of the pixels within 16. The frames come from
#   scripts/compare-reference --presses "0 300 480" --out DIR    (DIR/wine_N.png)
# 300 presses: pitch and heading both turned; 480: a barrier on the left, a kerb on the right.
# Usage: golden_frames_test.sh CRS_SNAPSHOT DATA_DIR CRS_FRAME_DIFF GOLDEN_DIR
set -euo pipefail
snapshot=$1 data=$2 frame_diff=$3 golden=$4
work=$(mktemp -d /tmp/crs-golden-XXXXXX)
trap 'rm -rf "$work"' EXIT
mask=(-fill black -draw "rectangle 0,0 199,179")
failed=0
for reference in "$golden"/presses_*.png; do
  presses=$(basename "$reference" .png)
  presses=${presses#presses_}
  (cd "$data" && "$snapshot" --presses "$presses" --out "$work/snapshot.png")
  convert "$reference" "${mask[@]}" "PNG24:$work/reference.png"
  convert "$work/snapshot.png" "${mask[@]}" "PNG24:$work/candidate.png"
  "$frame_diff" "$work/reference.png" "$work/candidate.png" >"$work/diff.txt" || true
  # The masked corner is equal in both: the figures are taken back to the pixels outside it.
  verdict=$(awk -v presses="$presses" '
    /^size:/ { split($2, s, "x"); total = s[1] * s[2]; kept = total - 200 * 180 }
    /^mean absolute/ { m = $7; if ($9 > m) m = $9; if ($11 > m) m = $11 }
    /^pixels within/ { within = $NF; sub("%", "", within) }
    END {
      if (!kept) { print "FAIL " presses ": no comparison"; exit }
      m *= total / kept; within = 100 - (100 - within) * total / kept
      printf "%s %d presses: mean %.3f, within 16 %.3f%%\n",
        (m <= 2 && within >= 99) ? "ok" : "FAIL", presses, m, within }' "$work/diff.txt")
  echo "$verdict"
  case "$verdict" in ok*) ;; *) cat "$work/diff.txt"; failed=1 ;; esac
done
exit "$failed"
