#!/usr/bin/env bash
# The desktop's message box as a user meets it, on an X server with no core fonts but its
# built-in ones (as a bare Xvfb or a minimal install has): the viewer started where crs.x is
# missing shows the box "crs.x" with the Japanese text, readable by OCR, and OK. Up pressed on
# the viewer's window meanwhile is lost, as the box is modal. CASE dismisses the box:
#   return  the Return key
#   close   the close button (WM_DELETE_WINDOW)
#   click   a click on OK
# and the viewer goes on to draw its first frame, its overlay that of crs-snapshot's start (no
# plate driven), and Escape ends it with status 0.
# Usage: message_box_session_test.sh CASE VIEWER COURSE_DATA_DIR SEND_CLOSE CRS_SNAPSHOT
set -euo pipefail
case_name=$1 viewer=$2 course_data=$3 send_close=$4 snapshot=$5
source "$(dirname "$0")/../session.sh"
export LC_ALL=C.UTF-8
expected="Xファイルの読み込みに失敗しました"

mkdir "$work/data"
cp -r "$course_data/." "$work/data/"
rm "$work/data/crs.x"
start_xvfb 1024x768 -fp built-ins
start_viewer "$work/data" "$viewer"
box=$(window_of "crs.x")
# The OCR of the box (as sparse text, so that the button's label is read too) must hold most of
# the text's characters, in order (tesseract may miss or misread one or two), and "OK". The box
# may be mapped a moment before it is drawn: read again for up to 5 s.
read_box() {
  capture "$box" "$work/box.png"
  tesseract "$work/box.png" "$work/ocr" -l jpn --psm 11 >/dev/null 2>&1 ||
    fail "tesseract did not run"
  read_text=$(tr -d ' \n' <"$work/ocr.txt")
  matched=$(python3 -c 'import difflib, sys
a, b = sys.argv[1], sys.argv[2]
print(sum(m.size for m in difflib.SequenceMatcher(None, a, b).get_matching_blocks()))' \
    "$expected" "$read_text")
  [ "$matched" -ge $((${#expected} * 4 / 5)) ] && [[ "$read_text" == *OK* ]]
}
deadline=$((SECONDS + 5))
until read_box; do
  [ "$SECONDS" -ge "$deadline" ] &&
    fail "the box reads \"$read_text\": $matched of ${#expected} characters of \"$expected\"," \
      "and needs OK"
  sleep 0.3
done
echo "the box reads: $read_text"
grep -q "$expected" "$work/viewer.log" && fail "the message went to stderr as well"

# Keys for the viewer's window while the box shows are dropped, not kept for later.
press "$(window_of "crs move pos")" Up Up Up
case "$case_name" in
return) press "$box" Return ;;
close) "$send_close" "$box" || fail "the close request was not sent" ;;
click)
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove --window "$box" $((WIDTH - 56)) $((HEIGHT - 24)) click 1 ;;
*) fail "unknown case $case_name" ;;
esac
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^crs\.x$' >/dev/null 2>&1 || break
  sleep 0.2
done
xdotool search --onlyvisible --name '^crs\.x$' >/dev/null 2>&1 &&
  fail "$case_name left the box open"
window=$(window_of "crs move pos")
first_frame "$window" "$work/frame.png"
sleep 0.5
capture "$window" "$work/later.png"
# The overlay's last line, "plate_pos = 0", in its opaque cells, as crs-snapshot draws it.
(cd "$course_data" && "$snapshot" --out "$work/start.png")
plate_line() { convert "$1" -crop 104x16+0+162 +repage "$2"; }
plate_line "$work/start.png" "$work/start-line.png"
plate_line "$work/later.png" "$work/later-line.png"
differ=$(compare -metric AE "$work/start-line.png" "$work/later-line.png" null: 2>&1 || true)
[ "$differ" = 0 ] || fail "keys pressed while the box showed drove the car ($differ pixels differ)"
press "$window" Escape
expect_exit 0
echo "ok: the box showed \"$read_text\" and OK; $case_name dismissed it; the viewer went on"
