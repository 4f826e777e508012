#!/usr/bin/env bash
# The Windows build as a user meets it, under Wine in a virtual X server; CASE is one of
#   build            both viewers GUI programs importing system libraries only, the reference
#                    d3dx9_43.dll among them and the standalone one no D3DX nor C++ runtime DLL,
#                    each with the asInvoker manifest as its one resource
#   viewer           the window "crs move pos" with its client area at (4, 23), 792 by 573, under
#                    Wine's metrics; the course and the car textured; Up moving the course under the
#                    car; Escape ending it with status 0
#   close            the close button ending it with status 0
#   missing-course   no crs.x: a message box captioned "crs.x", then the car alone
#   missing-texture  no ground.png: a message box, then the ground in its lit white material
#   no-device        no 3D renderer: the two-line retry message, the one-line failure, status 1
#   zip              the zip unpacked: the viewer, meshes, textures and a readme with Windows line
#                    ends, the viewer run from there, with Wine's D3DX turned off, showing the road
#                    and the car
#   probe            the generated crs.x and F1.x loaded by the reference D3DX, with the counts
#                    that the portable build of the probe gives
#   two-meshes       (standalone alone) the probe on the portable D3DX drawing two_meshes.x, whose
#                    second mesh Wine's D3DX mangles, as the Linux probe draws it: a mean of at
#                    most 2 of 255 per channel and 99% of the pixels within 16
# The cases run the reference, crs-move-pos-d3dx.exe on Wine's D3DX; "standalone-CASE" runs CASE
# with crs-move-pos.exe, the viewer that the zip ships, with Wine's D3DX turned off as a Windows
# without the DirectX runtime lacks it.
# Usage: wine_test.sh CASE WINDOWS_BUILD_DIR TEST_DATA_DIR COURSE_DATA_DIR SEND_CLOSE CRS_PROBE
#                     CRS_FRAME_DIFF
set -euo pipefail
case_name=$1 windows=$2 test_data=$3 course_data=$4 send_close=$5 native_probe=$6 frame_diff=$7
source "$(dirname "$0")/../session.sh"
exe=$windows/crs-move-pos-d3dx.exe
d3dx=on
if [ "${case_name#standalone-}" != "$case_name" ] || [ "$case_name" = zip ]; then
  case_name=${case_name#standalone-}
  exe=$windows/crs-move-pos.exe
  d3dx=off
fi
standalone=$windows/crs-move-pos.exe reference=$windows/crs-move-pos-d3dx.exe
for built in "$standalone" "$reference"; do
  [ -f "$built" ] || fail "$built is missing: build it with scripts/build-windows"
done

roof_yellow='r>0.78&&g>0.7&&b<0.39'
ground_green='g>r+0.1&&g>b+0.1'
# Window $1's HEIGHT, WIDTH, X and Y as shell variables.
geometry() { xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)='; }

# The DLLs that $1 imports, in lower case.
imports_of() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort
}

if [ "$case_name" = build ]; then
  for built in "$standalone" "$reference"; do
    headers=$(x86_64-w64-mingw32-objdump -p "$built")
    grep -q '(Windows GUI)' <<<"$headers" || fail "$built is not a GUI program"
    for dll in $(imports_of "$built"); do
      grep -qxE 'd3d9|d3dx9_43|gdi32|user32|kernel32|msvcrt' <<<"${dll%.dll}" ||
        fail "$built imports $dll, not a system library"
    done
    # One resource type, RT_MANIFEST (24), with one entry, id 1.
    resources=$(sed -n '/The .rsrc Resource Directory section/,$p' <<<"$headers")
    grep -q 'Type Table: .*Num Names: 0, IDs: 1$' <<<"$resources" &&
      grep -q 'Entry: ID: 0x000018' <<<"$resources" &&
      grep -q 'Entry: ID: 0x000001' <<<"$resources" ||
      fail "the resources of $built are not the manifest alone"
    grep -qaF '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' "$built" ||
      fail "$built has no asInvoker manifest"
  done
  grep -qx d3d9.dll <<<"$(imports_of "$reference")" &&
    grep -qx d3dx9_43.dll <<<"$(imports_of "$reference")" ||
    fail "the reference does not import d3d9.dll and d3dx9_43.dll: $(imports_of "$reference")"
  grep -qx d3d9.dll <<<"$(imports_of "$standalone")" &&
    ! grep -q d3dx <<<"$(imports_of "$standalone")" ||
    fail "the standalone viewer imports a D3DX or no d3d9.dll: $(imports_of "$standalone")"
  echo "ok: build"
  exit 0
fi

start_xvfb
use_wine
[ "$d3dx" = on ] || WINEDLLOVERRIDES+=";d3dx9_43="
case "$case_name" in
viewer)
  start_viewer "$test_data" wine "$exe"
  window=$(window_of "crs move pos")
  [ "$(geometry "$window" | sort | tr '\n' ' ')" = "HEIGHT=573 WIDTH=792 X=4 Y=23 " ] ||
    fail "client area $(geometry "$window" | tr '\n' ' ')"
  first_frame "$window" "$work/before.png"
  roof=$(count_pixels "$work/before.png" "$roof_yellow")
  [ "$roof" -gt 2000 ] || fail "the car's roof texture does not show ($roof pixels)"
  [ "$(count_pixels "$work/before.png" "$ground_green")" -gt 20000 ] || fail "no ground texture"
  press "$window" Up Up Up Up Up Up Up Up Up Up
  sleep 1
  capture "$window" "$work/after.png"
  changed=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
  [ "$changed" -gt 20000 ] || fail "ten Up presses changed $changed pixels"
  roof_after=$(count_pixels "$work/after.png" "$roof_yellow")
  [ $((roof_after - roof)) -le 50 ] && [ $((roof - roof_after)) -le 50 ] ||
    fail "the car moved: $roof roof pixels, then $roof_after"
  press "$window" Escape
  expect_exit 0 ;;
close)
  start_viewer "$test_data" wine "$exe"
  window=$(window_of "crs move pos")
  first_frame "$window" "$work/frame.png"
  "$send_close" "$window" || fail "the close request was not sent"
  expect_exit 0 ;;
missing-course|missing-texture)
  mkdir "$work/data"
  files="F1.x roof.png"
  [ "$case_name" = missing-texture ] && files="crs.x $files"
  for file in $files; do cp "$test_data/$file" "$work/data/"; done
  start_viewer "$work/data" wine "$exe"
  # The course's box names the file; the texture's has no caption, so it shows the default.
  caption=Error
  [ "$case_name" = missing-course ] && caption='crs\.x'
  box=$(find_window "$caption" 60) || fail "no message box captioned '$caption'"
  press "$box" Return
  window=$(window_of "crs move pos")
  first_frame "$window" "$work/frame.png"
  [ "$(count_pixels "$work/frame.png" "$roof_yellow")" -gt 2000 ] || fail "the car does not show"
  [ "$(count_pixels "$work/frame.png" "$ground_green")" -eq 0 ] || fail "the ground is textured"
  if [ "$case_name" = missing-course ]; then
    find_window 'F1\.x' 0 >/dev/null && fail "a message box for F1.x"
  else
    ground=$(pixel_at "$work/frame.png" 10 -10)
    [ "${ground:0:2}" = "${ground:2:2}" ] && [ "${ground:2:2}" = "${ground:4:2}" ] &&
      [ $((16#${ground:0:2})) -gt 120 ] || fail "the ground is not a lit grey: $ground"
  fi
  press "$window" Escape
  expect_exit 0 ;;
no-device)
  # Wine's Direct3D without any 3D renderer: the object exists, but no device can be made.
  WINE_D3D_CONFIG=renderer=no3d start_viewer "$test_data" wine "$exe"
  window=$(window_of "crs move pos")
  retry=$(find_window Error 60) || fail "no retry message"
  eval "$(geometry "$retry")"
  retry_height=$HEIGHT
  press "$retry" Return
  for _ in $(seq 100); do
    failure=$(find_window Error 1 || true)
    [ -n "$failure" ] && [ "$failure" != "$retry" ] && break
    sleep 0.2
  done
  [ -n "$failure" ] && [ "$failure" != "$retry" ] || fail "no failure message after the retry"
  eval "$(geometry "$failure")"
  [ "$retry_height" -gt "$HEIGHT" ] || fail "the retry message is not the taller, two-line one"
  capture "$window" "$work/window.png"
  grey=$(count_pixels "$work/window.png" 'abs(r*255-100)+abs(g*255-100)+abs(b*255-100)<1')
  [ "$grey" -eq 0 ] || fail "a frame was drawn without a device"
  press "$failure" Return
  expect_exit 1 ;;
zip)
  zip=$windows/crs-move-pos-windows.zip
  [ -f "$zip" ] || fail "$zip is missing: make it with scripts/package-windows"
  (cd "$work" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
  folder=$work/crs-move-pos
  for file in crs-move-pos.exe crs.x F1.x README.txt; do
    [ -f "$folder/$file" ] || fail "$file is missing"
  done
  [ "$(find "$folder" -name '*.png' | wc -l)" -ge 7 ] || fail "the meshes' textures are missing"
  grep -q crs-move-pos.exe "$folder/README.txt" || fail "the readme does not name the viewer"
  # Notepad of older Windows shows one long line otherwise.
  [ "$(grep -c $'\r$' "$folder/README.txt")" -eq "$(wc -l <"$folder/README.txt")" ] ||
    fail "the readme has line ends without a carriage return"
  start_viewer "$folder" wine crs-move-pos.exe
  window=$(window_of "crs move pos")
  first_frame "$window" "$work/frame.png"
  sleep 1
  capture "$window" "$work/frame.png"
  [ "$(count_pixels "$work/frame.png" 'r>0.59&&g<0.24&&b<0.24')" -gt 5000 ] || fail "no red car"
  [ "$(count_pixels "$work/frame.png" \
    'abs(r-g)<0.024&&abs(g-b)<0.024&&r>0.29&&r<0.38')" -gt 50000 ] || fail "no road"
  press "$window" Escape
  expect_exit 0 ;;
probe)
  probe=$windows/crs-probe.exe
  (cd "$course_data" && wine "$probe" counts crs.x F1.x) | tr -d '\r' >"$work/wine.txt" ||
    fail "the probe failed under Wine"
  (cd "$course_data" && SDL_VIDEODRIVER=offscreen "$native_probe" counts crs.x F1.x) \
    >"$work/portable.txt" || fail "the portable probe failed"
  [ "$(wc -l <"$work/wine.txt")" -eq 2 ] || fail "the probe did not load both files"
  diff "$work/portable.txt" "$work/wine.txt" >&2 ||
    fail "the reference D3DX loads other counts than the portable one"
  cat "$work/wine.txt" ;;
two-meshes)
  [ "$d3dx" = off ] || fail "two-meshes is a case of the standalone build"
  formats=$(dirname "$0")/../platform/data/formats
  (cd "$formats" && exec wine "$windows/crs-probe-standalone.exe" scene two_meshes.x) \
    >"$work/viewer.log" 2>&1 &
  viewer_pid=$!
  for _ in $(seq 600); do grep -q '^ready' "$work/viewer.log" && break; sleep 0.1; done
  grep -q '^ready' "$work/viewer.log" || fail "the standalone probe did not draw two_meshes.x"
  read -r _ left top width height < <(grep '^ready' "$work/viewer.log" | tr -d '\r')
  import -window root -crop "${width}x${height}+${left}+${top}" +repage -strip \
    "PNG24:$work/wine.png"
  (cd "$formats" && SDL_VIDEODRIVER=offscreen "$native_probe" scene two_meshes.x capture \
    "$work/linux.png") >/dev/null || fail "the Linux probe did not draw two_meshes.x"
  "$frame_diff" "$work/linux.png" "$work/wine.png" || fail "drawn otherwise than on Linux"
  close=$("$frame_diff" "$work/linux.png" "$work/wine.png" |
    sed -n 's/^pixels within 16 of 255 on every channel: \([0-9]*\).*/\1/p')
  [ "${close:-0}" -ge 99 ] || fail "only $close% of the pixels within 16" ;;
*) fail "unknown case $case_name" ;;
esac
echo "ok: $case_name"
