# Shell pieces shared by the scripts that run the viewers on a virtual X server: an Xvfb of our
# own on a free display, the Wine prefix the Windows build runs in, and finding a window by its
# title. Sourced, not run; the caller sets `set -euo pipefail`.

# Starts Xvfb (24 bits, 1024 by 768 or the size in $1) on a free display, sets DISPLAY and
# xvfb_pid. $2...: more Xvfb options. Stop it with stop_xvfb.
#
# Two ways in which a viewer started in parallel tests found no display are closed here. Xvfb's
# own search for a free display (-displayfd) binds, and on giving up unlinks, the socket of each
# display it tries, so servers started side by side took displays from under each other: here
# one start at a time (a lock shared by the user's checkouts) names a display that no server
# listens on, and waits until a client can connect. And by default a server resets when its last
# client leaves, dropping a connection that comes meanwhile, as when a test's xdotool left just
# as the viewer started: -noreset.
start_xvfb() {
  local size=${1:-1024x768} number lock _
  shift $(($# < 1 ? $# : 1))
  exec {lock}>"/tmp/crs-xvfb-$UID.lock"
  flock "$lock"
  for number in $(seq 10 99); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    grep -q "@/tmp/.X11-unix/X$number\$" /proc/net/unix && continue
    Xvfb ":$number" -screen 0 "${size}x24" -nolisten tcp -noreset "$@" >/dev/null 2>&1 \
      {lock}>&- &
    xvfb_pid=$!
    export DISPLAY=":$number"
    for _ in $(seq 100); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      if xdotool getdisplaygeometry >/dev/null 2>&1; then
        exec {lock}>&-
        return 0
      fi
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  exec {lock}>&-
  echo "Xvfb did not start on any of the displays :10 to :99" >&2
  return 1
}

# Ends what start_xvfb and use_wine started: Wine's server for this prefix, then the X server.
stop_xvfb() {
  if [ -n "${WINEPREFIX:-}" ] && command -v wineserver >/dev/null; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}

# Points Wine at the prefix that the Wine tests use (made there once, about 20 s), quiet and
# without the Mono and Gecko installers, which the viewer needs neither of.
use_wine() {
  export WINEPREFIX=${CRS_WINEPREFIX:-$PWD/build/wine-prefix}
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot could not make $WINEPREFIX" >&2; return 1; }
}

# Prints the id of the visible window titled exactly $1, waiting up to $2 seconds; fails if none.
# With $3, only a window of that process (_NET_WM_PID, which SDL and Wine both set).
find_window() {
  local title="$1" deadline=$((SECONDS + $2)) id
  local of_process=()
  [ -n "${3:-}" ] && of_process=(--all --pid "$3")
  while :; do
    id=$(xdotool search --onlyvisible "${of_process[@]}" --name "^$title\$" 2>/dev/null |
      head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}
