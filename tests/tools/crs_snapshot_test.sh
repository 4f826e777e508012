#!/usr/bin/env bash
# crs-snapshot's own part: its arguments, and how it ends when the device, a mesh, a texture or the
# output file fails. Its pictures are held to the Windows build's by golden_frames_test.sh.
# Usage: crs_snapshot_test.sh CRS_SNAPSHOT VIEWER_TEST_DATA_DIR
set -uo pipefail
snapshot=$1 data=$2
work=$(mktemp -d /tmp/crs-snapshot-XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
use() { for file in "$@"; do cp "$data/$file" "$work/"; done; }
# Runs it in $work: $status, $work/out and $work/err; $1 is the exit status expected.
run() {
  local expected=$1
  shift
  rm -f "$work/snapshot.png"
  (cd "$work" && "$snapshot" "$@" >"$work/out" 2>"$work/err")
  status=$?
  [ "$status" -eq "$expected" ] || fail "crs-snapshot $*: status $status, not $expected"
}
written() { [ -e "$work/snapshot.png" ] || fail "$1: no snapshot written"; }
not_written() { [ ! -e "$work/snapshot.png" ] || fail "$1: a snapshot was written"; }

use F1.x roof.png
run 1
grep -qF 'crs.x: Xファイルの読み込みに失敗しました' "$work/err" ||
  fail "no course: $(cat "$work/err")"
not_written "no course"
use crs.x
run 0 --presses 1
[ "$(cat "$work/err")" = "Error: テクスチャの読み込みに失敗しました" ] ||
  fail "missing texture: $(cat "$work/err")"
written "missing texture"

use ground.png
while IFS='|' read -r reason args; do
  eval "run 2 $args"
  grep -q "^crs-snapshot: $reason" "$work/err" && grep -q '^usage: crs-snapshot ' "$work/err" ||
    fail "'$args': $(cat "$work/err")"
  not_written "'$args'"
done <<'ROWS'
missing value after|--presses
N is not a whole number|--presses 3x
given twice|--presses 1 --presses 2
empty file name after|--out ''
unknown argument|26
ROWS
run 0 --help
grep -q '^usage: crs-snapshot' "$work/out" || fail "--help: $(cat "$work/out")"

# An OpenGL below 3.3 gets no device.
MESA_GL_VERSION_OVERRIDE=3.0 run 1
[ "$(cat "$work/err")" = "Error: HALモードでDIRECT3Dデバイスを作成できません
REFモードで再試行します
Error: DIRECT3Dデバイスの作成に失敗しました" ] || fail "no device: $(cat "$work/err")"
not_written "no device"

for row in "/dev/full|No space left on device" \
  "missing/snapshot.png|No such file or directory"; do
  run 1 --out "${row%|*}"
  [ "$(cat "$work/err")" = "crs-snapshot: cannot write the snapshot: ${row%|*}: ${row#*|}" ] ||
    fail "--out ${row%|*}: $(cat "$work/err")"
done
exit "$failed"
