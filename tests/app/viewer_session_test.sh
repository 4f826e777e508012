#!/usr/bin/env bash
# The Linux viewer as a user meets it, in a virtual X server of its own: CASE is one of
#   keys      the window "crs move pos"; Up moves the picture; Escape ends it with status 0
#   close     the close button (WM_DELETE_WINDOW) ends it with status 0
#   alt-f4    Alt+F4 ends it with status 0
#   snapshot  the window after 26 presses is crs-snapshot's frame of 26 presses, overlay
#             included, and not that of 25
# Usage: viewer_session_test.sh CASE VIEWER CRS_SNAPSHOT CRS_FRAME_DIFF SEND_CLOSE TEST_DATA_DIR
#        COURSE_DATA_DIR
set -euo pipefail
case_name=$1 viewer=$2 snapshot=$3 frame_diff=$4 send_close=$5 test_data=$6 course_data=$7
source "$(dirname "$0")/../session.sh"
start_xvfb "$work"

# The share of pixels of the frames $1 and $2 that differ at all, in thousandths.
differing_per_mille() {
  "$frame_diff" "$1" "$2" 10 | awk '/^pixels that differ at all/ { print int(1000 * $6 / $8) }'
}

case "$case_name" in
keys)
  start_viewer "$test_data" "$viewer"
  window=$(window_of "crs move pos")
  [ "$(xdotool getwindowname "$window")" = "crs move pos" ] || fail "the title is not exact"
  first_frame "$window" "$work/before.png"
  press "$window" Up Up Up Up Up
  sleep 0.5
  capture "$window" "$work/after.png"
  cmp -s "$work/before.png" "$work/after.png" && fail "five Up presses did not move the picture"
  press "$window" Escape
  expect_exit 0 ;;
close)
  start_viewer "$test_data" "$viewer"
  window=$(window_of "crs move pos")
  first_frame "$window" "$work/frame.png"
  "$send_close" "$window" || fail "the close request was not sent"
  expect_exit 0 ;;
alt-f4)
  start_viewer "$test_data" "$viewer"
  window=$(window_of "crs move pos")
  first_frame "$window" "$work/frame.png"
  press "$window" alt+F4
  expect_exit 0 ;;
snapshot)
  start_viewer "$course_data" "$viewer"
  window=$(window_of "crs move pos")
  first_frame "$window" "$work/frame.png"
  # shellcheck disable=SC2046
  press "$window" $(printf 'Up %.0s' $(seq 26))
  for n in 25 26; do
    (cd "$course_data" && "$snapshot" --presses "$n" --out "$work/snapshot-$n.png")
  done
  # The loop keeps rendering; the last key shows within a moment. llvmpipe may round a few
  # pixels differently on the X server and offscreen: one in a thousand may differ.
  for _ in $(seq 25); do
    capture "$window" "$work/screen.png"
    [ "$(differing_per_mille "$work/snapshot-26.png" "$work/screen.png")" -le 1 ] && break
    sleep 0.2
  done
  same=$(differing_per_mille "$work/snapshot-26.png" "$work/screen.png")
  echo "window against the snapshot of 26: $same per mille differ"
  [ "$same" -le 1 ] || fail "$same per mille of the window differ from the snapshot of 26 presses"
  [ "$(differing_per_mille "$work/snapshot-25.png" "$work/screen.png")" -gt 1 ] ||
    fail "the window after 26 presses passes for the snapshot of 25"
  press "$window" Escape
  expect_exit 0 ;;
*) fail "unknown case $case_name" ;;
esac
echo "ok: $case_name"
