#!/usr/bin/env bash
# crs-assets, crs-map and crs-drive as a user runs them: what they write, the overlay after whole
# laps, and how each ends when its arguments are wrong (status 2 and the usage) or it cannot write
# (status 1 and why).
# Usage: tool_commands_test.sh CRS_ASSETS CRS_MAP CRS_DRIVE
set -uo pipefail
assets=$1 map=$2 drive=$3
work=$(mktemp -d /tmp/crs-tools-XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
# Runs "$@" with its output in $work/out and $work/err; $1 is the exit status expected.
run() {
  local expected=$1
  shift
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  [ "$status" -eq "$expected" ] || fail "$*: status $status, not $expected: $(cat "$work/err")"
}
# $1: the start that $work/err must have.
said() { [[ "$(cat "$work/err")" == "$1"* ]] || fail "said '$(cat "$work/err")', not '$1...'"; }
usage() { grep -q "^usage: $1" "$work/err" || fail "no usage after: $(cat "$work/err")"; }

# crs-assets makes its folders and writes the same binary meshes and true-colour, lower-case
# textures on every run.
run 0 "$assets" --out "$work/a"
run 0 "$assets" --out "$work/b/made"
diff -r "$work/a" "$work/b/made" || fail "two runs of crs-assets differ"
[ "$(ls "$work/a" | wc -l)" -eq 14 ] || fail "crs-assets wrote $(ls "$work/a")"
for file in "$work"/a/*.x; do
  [ "$(head -c 16 "$file")" = "xof 0303bin 0032" ] || fail "$file is not a binary X file"
done
for file in "$work"/a/*.png; do
  [[ "$(basename "$file")" =~ ^[a-z0-9_]+\.png$ ]] || fail "$file: not a lower-case name"
  # The colour type byte of the header: 2 is RGB, 6 RGBA.
  [[ "$(od -An -tu1 -j25 -N1 "$file")" =~ ^\ *[26]$ ]] || fail "$file is not true colour"
done
echo "not a folder" >"$work/plain"
run 1 "$assets" --out "$work/plain"
said "crs-assets: cannot use $work/plain as the output directory"
run 1 "$assets" --out "$work/plain/below"
said "crs-assets: cannot use "
for file in crs.x kerb.png; do
  rm -rf "$work/full" && mkdir "$work/full" && ln -s /dev/full "$work/full/$file"
  run 1 "$assets" --out "$work/full"
  said "crs-assets: cannot write $work/full/$file: No space"
done

# crs-map writes a picture of the course, or says why not.
run 0 "$map" --out "$work/map.png"
read -r width height < <(identify -format '%w %h' "$work/map.png")
[ "${width:-0}" -gt 800 ] && [ "${height:-0}" -gt 800 ] || fail "map of $width by $height"
for out in /proc/crs-map.png /dev/full; do
  run 1 "$map" --out "$out"
  said "crs-map: cannot write $out: "
done

for tool in "$assets" "$map"; do
  for args in --out out; do
    run 2 "$tool" $args
    usage "$(basename "$tool")"
  done
done

# A thousand laps later the car is back at the start, and the counter shows a full lap.
run 0 "$drive" 1072000
[ "$(cat "$work/out" "$work/err")" = "wx = -4000
wy = 13000
wz = 0
vect_x = 0
vect_y = 0
vect_z = 0
fPosX = 4.000000
fPosY = 0.000000
fPosZ = -13.000000
plate_pos = 1072" ] || fail "crs-drive 1072000: $(cat "$work/out")"
run 0 "$drive" 1072001
[ "$(tail -1 "$work/out")" = "plate_pos = 1" ] || fail "crs-drive 1072001: $(tail -1 "$work/out")"

while IFS='|' read -r message args; do
  run 2 "$drive" $args
  [ -s "$work/out" ] && fail "crs-drive $args wrote $(cat "$work/out")"
  [ "$(head -1 "$work/err")" = "$message" ] || fail "crs-drive $args: $(cat "$work/err")"
  usage "crs-drive N"
done <<'ROWS'
crs-drive: missing N|
crs-drive: missing N|--path
crs-drive: N must not be negative: '-1'|--path -1
crs-drive: unknown option: '--fast'|--fast 3
crs-drive: more than one N given: '4'|3 4
ROWS
run 0 "$drive" --help
grep -q '^usage: crs-drive N' "$work/out" || fail "crs-drive --help: $(cat "$work/out")"
for args in 300 "--path 2144"; do
  "$drive" $args >/dev/full 2>"$work/err"
  status=$?
  [ "$status" -eq 1 ] || fail "crs-drive $args >/dev/full: status $status"
  [ "$(cat "$work/err")" = "crs-drive: could not write the output: No space left on device" ] ||
    fail "crs-drive $args >/dev/full: $(cat "$work/err")"
done
exit "$failed"
