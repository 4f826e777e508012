# Sourced by the packaging tests: a scratch directory, a virtual X server of the test's own, and
# the installed launcher run in it as a user would start it. Needs $frame_diff (crs-frame-diff).
work=$(mktemp -d /tmp/crs-packaging-XXXXXX)
xvfb_pid=
cleanups=()
at_exit() {
  local step
  for step in "${cleanups[@]}"; do eval "$step" || true; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap at_exit EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Xvfb picks a free display itself and writes its number to fd 3 once it is ready.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=:$(cat "$work/display")
}

# Runs the launcher $1 from directory $2 and expects the window "crs move pos" to show the frame
# $3 (crs-snapshot's for 0 presses, so the course and the car were found), then Escape to end it
# with status 0.
check_launcher() {
  local launcher=$1 dir=$2 expected=$3 pid window status
  (cd "$dir" && exec "$launcher") 2>"$work/launcher.err" &
  pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^crs move pos$' 2>/dev/null |
           head -n 1 || true)
  if [ -z "$window" ]; then
    kill "$pid" 2>/dev/null
    cat "$work/launcher.err" >&2
    fail "$launcher: no window titled 'crs move pos'"
  fi
  local shown=no
  for _ in $(seq 50); do
    if import -window "$window" -depth 8 "PNG24:$work/screen.png" 2>/dev/null &&
       "$frame_diff" "$expected" "$work/screen.png" >"$work/diff.txt" 2>&1; then
      shown=yes
      break
    fi
    sleep 0.2
  done
  if [ "$shown" != yes ]; then
    kill "$pid" 2>/dev/null
    cat "$work/diff.txt" >&2
    fail "$launcher: the window does not show the start of the course"
  fi
  xdotool windowfocus "$window"
  sleep 0.2
  xdotool key Escape
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "$launcher: Escape did not end the viewer"; }
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "$launcher: ended with status $status after Escape"
  echo "ok: $launcher from $dir showed the course and ended with status 0 on Escape"
}
