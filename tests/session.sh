# Sourced by the end-to-end tests: a scratch folder, a virtual X server of the test's own
# (scripts/lib-xvfb.sh), a viewer started in it, and the steps that drive and watch its window.
# The caller sets `set -euo pipefail`.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib-xvfb.sh"
work=$(mktemp -d /tmp/crs-session-XXXXXX)
xvfb_pid=
viewer_pid=
cleanups=()
at_exit() {
  local step
  for step in "${cleanups[@]}"; do eval "$step" || true; done
  # Only a viewer still ours: the number of one that has ended may be another process's by now.
  local parent=
  if [ -n "$viewer_pid" ]; then
    read -r _ _ _ parent _ 2>/dev/null <"/proc/$viewer_pid/stat" || true
    if [ "$parent" = $$ ]; then kill "$viewer_pid" 2>/dev/null || true; fi
  fi
  stop_xvfb
  rm -rf "$work"
}
trap at_exit EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -s "$work/viewer.log" ] && sed 's/^/viewer: /' "$work/viewer.log" | tail -n 20 >&2
  exit 1
}

# Starts the command $2... in directory $1 as the viewer under test, its output in viewer.log.
start_viewer() {
  local dir=$1
  shift
  (cd "$dir" && exec "$@") >"$work/viewer.log" 2>&1 &
  viewer_pid=$!
}

# Prints the id of the window titled exactly $1, waiting up to 60 s, or less if the viewer ends.
window_of() {
  local deadline=$((SECONDS + 60))
  until find_window "$1" 1; do
    if [ -n "$viewer_pid" ] && ! kill -0 "$viewer_pid" 2>/dev/null; then
      fail "the viewer ended with no window titled '$1'"
    fi
    [ "$SECONDS" -lt "$deadline" ] || fail "no window titled '$1'"
  done
}

# Captures window $1 into the PNG $2; fails if import takes more than 20 s: once, on a loaded
# machine, it never returned.
capture() { timeout 20 import -window "$1" -depth 8 "PNG24:$2" 2>/dev/null; }

# Captures window $1 into $2 once its first frame shows: the grey clear colour at the top right.
first_frame() {
  local _
  for _ in $(seq 100); do
    capture "$1" "$2" && [ "$(pixel_at "$2" -10 10)" = 646464 ] && return 0
    sleep 0.2
  done
  fail "no frame in window $1"
}

# The colour of the PNG $1 at column $2 and row $3 (from the right or bottom when negative), as
# RRGGBB.
pixel_at() {
  local x=$2 y=$3
  [ "$x" -lt 0 ] && x="w$x"
  [ "$y" -lt 0 ] && y="h$y"
  convert "$1" -format "%[fx:p{$x,$y}.r*255]/%[fx:p{$x,$y}.g*255]/%[fx:p{$x,$y}.b*255]" info: |
    awk -F/ '{ printf "%02X%02X%02X\n", $1 + 0.5, $2 + 0.5, $3 + 0.5 }'
}

# How many pixels of the PNG $1 the ImageMagick expression $2 (of r, g, b in 0..1) accepts.
count_pixels() { convert "$1" -channel R -fx "$2" -format '%[fx:round(mean.r*w*h)]' info:; }

# Gives window $1 the focus and presses the keys $2... (xdotool names).
press() {
  local window=$1
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  xdotool key --delay 20 "$@"
}

# Waits up to 30 s for the viewer to end and expects exit status $1.
expect_exit() {
  local _ status=0
  for _ in $(seq 300); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$viewer_pid" 2>/dev/null && fail "the viewer did not end"
  wait "$viewer_pid" || status=$?
  viewer_pid=
  [ "$status" -eq "$1" ] || fail "the viewer ended with status $status, not $1"
}

# Runs the launcher $1 from directory $2 and expects the window "crs move pos" to show the frame
# $3 (crs-snapshot's for 0 presses, so the course and the car were found; compared by $frame_diff),
# then Escape to end it with status 0.
check_launcher() {
  local window _ shown=no
  start_viewer "$2" "$1"
  window=$(window_of "crs move pos")
  for _ in $(seq 50); do
    capture "$window" "$work/screen.png" &&
      "$frame_diff" "$3" "$work/screen.png" >"$work/diff.txt" 2>&1 && { shown=yes; break; }
    sleep 0.2
  done
  [ "$shown" = yes ] || { cat "$work/diff.txt" >&2; fail "$1: the window does not show the start"; }
  press "$window" Escape
  expect_exit 0
  echo "ok: $1 from $2 showed the course and ended with status 0 on Escape"
}
