# Shell pieces shared by the scripts that run the viewers on a virtual X server: an Xvfb of our
# own on a free display, the Wine prefix the Windows build runs in, and finding a window by its
# title. Sourced, not run; the caller sets `set -euo pipefail` and a scratch folder.

# Starts Xvfb (24 bits, 1024 by 768 or the size in $2) on a display number it picks itself, sets
# DISPLAY and xvfb_pid. $1: a scratch folder for the display number; $3...: more Xvfb options.
# Stop it with stop_xvfb.
start_xvfb() {
  local number_file="$1/xvfb-display" size=${2:-1024x768}
  shift $(($# < 2 ? $# : 2))
  rm -f "$number_file"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp "$@" 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  local _
  for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
  [ -s "$number_file" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$number_file")"
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
