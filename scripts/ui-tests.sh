#!/usr/bin/env bash
# Drives the real Kestrix window under Wine on a virtual X display, in English and in Chinese:
#
#  1. kxsearch.exe: Wine answers the USN control codes with ERROR_NOT_SUPPORTED, so the
#     program must show its no-NTFS message box and end with exit code 1.
#  2. kxsearch_sim.exe on a fixture volume (tests/ui/make_fixture_volume.py), English: the
#     index becomes ready, typing shows the count in the title, the status line and the tags,
#     the rows are painted with the list's geometry and colours, a click selects, header
#     clicks sort and move the arrow, a column edge drags, a tag click filters, the wheel and
#     the scroll bar scroll, a narrow window wraps and hides tags, a file created on the
#     simulated volume shows up in the next search, Enter in the empty box gives the idle
#     title, and closing ends with exit code 0.
#  3. kxsearch_sim.exe in Chinese (a zh_CN locale built for the run, Wine's font substitution
#     for the program's face): titles, status line, default tag names, column titles.
#
#   scripts/ui-tests.sh [BUILD_DIR]      (default build/windows-x64; needs bin/kxsearch.exe
#                                         and bin/kxsearch_sim.exe of an x86-64 build)
#
# The last screenshot of each language is kept as tests/artifacts/ui-en.png and ui-zh.png.
# KX_UI_TIMEOUT (default 60) bounds every wait; the whole run takes about a minute.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=$(cd "${1:-build/windows-x64}" 2>/dev/null && pwd) || {
  echo "ui-tests: no build directory ${1:-build/windows-x64}"
  exit 1
}
exe=$build/bin/kxsearch.exe
sim=$build/bin/kxsearch_sim.exe
for program in "$exe" "$sim"; do
  [ -f "$program" ] || { echo "ui-tests: $program not built"; exit 1; }
done
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
limit=${KX_UI_TIMEOUT:-60}
artifacts=$root/tests/artifacts
mkdir -p "$artifacts"

work=$(mktemp -d)
export WINEPREFIX=$build/ui-wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
# No XDG folders to link: the prefix's Documents stays a folder inside the prefix.
export HOME=$work/home
mkdir -p "$HOME"
xvfb_pid=
program_pid=
passed=0
failed=0
started_at=$SECONDS

cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  timeout 10 "$wineserver" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

ok() {
  echo "  ok: $1"
  passed=$((passed + 1))
}
fail() {
  echo "  FAILED: $1"
  failed=$((failed + 1))
}
check() {  # check DESCRIPTION ACTUAL EXPECTED
  if [ "$2" = "$3" ]; then ok "$1"; else fail "$1: got \"$2\", expected \"$3\""; fi
}

# ---- Set-up: display, prefix, fonts, locale, probe, fixture.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "ui-tests: Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

echo "== set-up (display $DISPLAY, prefix $WINEPREFIX)"
rm -rf "$WINEPREFIX"
timeout 120 "$wine64" wineboot -i </dev/null >/dev/null 2>&1 || { echo "ui-tests: wineboot failed"; exit 1; }
timeout 60 "$wineserver" -w
for face in "Microsoft YaHei UI" "Microsoft YaHei"; do
  timeout 30 "$wine64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
    /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 || { echo "ui-tests: reg add failed"; exit 1; }
done
# Built for the run, so that no system locale needs installing: Wine takes the UI language
# from the process's locale.
mkdir -p "$work/locale"
localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" >/dev/null 2>&1 ||
  { echo "ui-tests: cannot build the zh_CN.UTF-8 locale"; exit 1; }
x86_64-w64-mingw32-g++-posix -std=c++17 -O1 -Wall -Wextra -Werror -DUNICODE -D_UNICODE \
  -municode -static -o "$work/window_probe.exe" tests/ui/probe/window_probe.cpp ||
  { echo "ui-tests: cannot build the window probe"; exit 1; }
python3 tests/ui/make_fixture_volume.py "$work/fixture.mft" "$work/fixture.sidecar" ||
  { echo "ui-tests: cannot write the fixture volume"; exit 1; }
winpath() { echo "Z:${1//\//\\}"; }
echo "  set-up took $((SECONDS - started_at)) s"

# ---- Helpers.
start_program() {  # start_program EXE [VAR=VALUE ...]
  local program=$1
  shift
  env "$@" "$wine64" "$program" </dev/null >"$work/program.log" 2>&1 &
  program_pid=$!
}

# Not in a command substitution: only this shell can wait for its child.
exit_status=
wait_exit() {  # sets exit_status to the program's exit code, or "timeout"
  local deadline=$((SECONDS + limit))
  exit_status=timeout
  while [ $SECONDS -lt $deadline ]; do
    if ! kill -0 "$program_pid" 2>/dev/null; then
      wait "$program_pid"
      exit_status=$?
      program_pid=
      return
    fi
    sleep 0.3
  done
}

find_window() {  # find_window REGEX: the X window whose name matches, or nothing
  local deadline=$((SECONDS + limit)) id
  while [ $SECONDS -lt $deadline ]; do
    id=$(timeout 5 xdotool search --name "$1" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.3
  done
}

probe() { timeout 20 "$wine64" "$work/window_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
state_value() { grep -m1 "^$1=" "$work/state" | cut -d= -f2-; }
tag_field() {  # tag_field K FIELD: x y w h visible marked caption
  local line
  line=$(grep -m1 "^tag$1=" "$work/state")
  case $2 in
    x) echo "$line" | sed 's/^[^=]*=\([-0-9]*\),.*/\1/' ;;
    y) echo "$line" | sed 's/^[^=]*=[-0-9]*,\([-0-9]*\),.*/\1/' ;;
    w) echo "$line" | sed 's/^[^=]*=[-0-9]*,[-0-9]*,\([0-9]*\),.*/\1/' ;;
    *) echo "$line" | sed "s/.* $2=\([^ ]*\).*/\1/; s/.*caption=//" ;;
  esac
}
tag_caption() { grep -m1 "^tag$1=" "$work/state" | sed 's/.*caption=//'; }

# Polls the probe until KEY has the value (or the time is up), leaving the state in place.
wait_state() {  # wait_state KEY VALUE
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    probe state >"$work/state"
    [ "$(state_value "$1")" = "$2" ] && return 0
    sleep 0.3
  done
  return 1
}
expect_state() {  # expect_state DESCRIPTION KEY VALUE
  if wait_state "$2" "$3"; then ok "$1"; else fail "$1: $2 is \"$(state_value "$2")\", expected \"$3\""; fi
}

client_x=0
client_y=0
client_w=0
client_h=0
read_client() {
  probe state >"$work/state"
  IFS=, read -r client_x client_y client_w client_h <<<"$(state_value client)"
}
click() {  # click X Y in client coordinates
  timeout 5 xdotool mousemove $((client_x + $1)) $((client_y + $2)) click 1
  sleep 0.4
}
shot() {  # shot NAME: a screenshot of the whole display, once painting has settled
  sleep 0.6
  timeout 20 import -window root "$work/$1.png"
}
pixel() {  # pixel SHOT X Y in client coordinates: "r,g,b"
  convert "$work/$1.png" -crop "1x1+$((client_x + $2))+$((client_y + $3))" +repage \
    -format '%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]' info:
}
# 1 when a client rectangle holds no text (nothing darker than mid grey), else 0.
no_ink() {  # no_ink SHOT X Y W H
  convert "$work/$1.png" -crop "$4x$5+$((client_x + $2))+$((client_y + $3))" +repage \
    -colorspace gray -format '%[fx:minima<0.5?0:1]' info:
}
same_area() {  # same_area SHOT1 SHOT2 X Y W H: "same" or "different"
  local a=$work/crop-a.png b=$work/crop-b.png geometry="$5x$6+$((client_x + $3))+$((client_y + $4))"
  convert "$work/$1.png" -crop "$geometry" +repage "$a"
  convert "$work/$2.png" -crop "$geometry" +repage "$b"
  local differing
  differing=$(compare -metric AE "$a" "$b" null: 2>&1)
  [ "${differing%% *}" = 0 ] && echo same || echo different
}
# Each run starts from the defaults in its language. Wine links Documents to $HOME, which
# is inside the run's folder; nothing outside the prefix or that folder is ever removed.
reset_filter_config() {
  local config
  config=$(realpath -m "$WINEPREFIX/drive_c/users/$(whoami)/Documents/Kestrix")
  case "$config" in
    "$WINEPREFIX"/* | "$work"/*) rm -rf "$config" ;;
  esac
}
# Keys go to the search box: the window gets the X focus, and a click in the box takes the
# keyboard focus back from a tag button clicked before.
focus_search() {
  timeout 10 xdotool windowfocus --sync "$1"
  timeout 5 xdotool mousemove $((client_x + 300)) $((client_y + 28)) click 1
  timeout 5 xdotool key End
}
type_text() {  # type_text WINDOW TEXT
  focus_search "$1"
  timeout 20 xdotool type --delay 60 "$2"
}
press() {  # press WINDOW KEY [REPEAT]
  focus_search "$1"
  timeout 20 xdotool key --repeat "${3:-1}" --delay 40 "$2"
}

web=https://kestrix.app
white=255,255,255
odd=248,250,252
selected=180,210,255
grid=220,223,225
header=240,242,245
header_line=210,215,220
separator=200,203,205

# ---- 1. The real program: no NTFS volume under Wine.
echo "== kxsearch.exe: no NTFS volume"
phase=$SECONDS
start_program "$exe"
box=$(find_window '^Kestrix Notice$')
if [ -z "$box" ]; then
  fail "no-NTFS message box shown"
else
  ok "no-NTFS message box shown (\"$(xdotool getwindowname "$box")\")"
  if timeout 5 xdotool search --name '^Building full-disk index' >/dev/null; then
    ok "main window under the box has the building-the-index title"
  else
    fail "main window under the box has the building-the-index title"
  fi
  timeout 10 xdotool windowfocus --sync "$box" && timeout 10 xdotool key Return
fi
wait_exit
check "kxsearch.exe ends with exit code 1" "$exit_status" 1
echo "  ($((SECONDS - phase)) s)"

# ---- 2. The simulated volume, English.
echo "== kxsearch_sim.exe on the fixture volume, English"
phase=$SECONDS
reset_filter_config
trigger=$work/journal-trigger
start_program "$sim" LC_ALL=en_US.UTF-8 KX_SIM_VOLUME="$(winpath "$work/fixture.mft")" \
  KX_SIM_SIDECAR="$(winpath "$work/fixture.sidecar")" KX_SIM_TRIGGER="$(winpath "$trigger")"
# ASCII patterns only: xdotool may read a Latin-1 WM_NAME, where the middle dot is one byte.
main=$(find_window '^Kestrix - Ready')
if [ -z "$main" ]; then
  fail "index ready: ready title"
  cat "$work/program.log"
else
  read_client
  check "index ready: ready title" "$(state_value title)" "Kestrix - Ready · $web"
  check "search box enabled" "$(state_value search_enabled)" 1
  check "status line empty before a search" "$(state_value status)" ""
  check "tag captions carry no count before a search" "$(tag_caption 1)" "Documents"
  gaps_ok=1
  for k in 0 1 2 3 4 5; do
    next=$((k + 1))
    [ "$(tag_field $next x)" -eq $(($(tag_field $k x) + $(tag_field $k w) + 10)) ] || gaps_ok=0
    [ "$(tag_field $k y)" -eq 55 ] || gaps_ok=0
  done
  [ "$(tag_field 0 x)" -eq 15 ] || gaps_ok=0
  check "seven tags in one row at y 55 from x 15, 10 pixels apart" "$gaps_ok" 1

  shot empty
  check "header band from y 160" "$(pixel empty 3 160)" "$header"
  check "header band to y 201" "$(pixel empty 3 201)" "$header"
  check "white above the header" "$(pixel empty 3 159)" "$white"
  check "line under the header at y 202" "$(pixel empty 3 202)" "$header_line"
  check "header separator at x 60" "$(pixel empty 60 181)" "$separator"
  check "header separator at x 310" "$(pixel empty 310 181)" "$separator"
  check "empty list paints white below the header" "$(pixel empty 3 240)" "$white"

  type_text "$main" report
  expect_state "typing shows the count in the title" title "Kestrix - 41 matches · $web"
  check "status line shows filter and count" "$(state_value status)" \
    "Filter: All Files | Matches: 41"
  check "All Files counts directories" "$(tag_caption 0)" 'All Files\n(41)'
  check "Documents counts files only" "$(tag_caption 1)" 'Documents\n(40)'
  check "Images count" "$(tag_caption 2)" 'Images\n(0)'

  shot rows
  check "row 0 white" "$(pixel rows 3 206)" "$white"
  check "row 1 in the odd-row colour" "$(pixel rows 3 242)" "$odd"
  # Each row's fill covers the grid line under the row above: rows meet edge to edge.
  check "row 0 ends at y 237" "$(pixel rows 3 237)" "$white"
  check "row 1 starts at y 238" "$(pixel rows 3 238)" "$odd"
  check "cell separator at x 60" "$(pixel rows 60 220)" "$grid"
  check "row 0 is the directory: empty size cell" "$(no_ink rows 322 204 96 32)" 1
  check "row 1 is a file: size cell has text" "$(no_ink rows 322 240 96 32)" 0

  click 100 $((202 + 2 * 36 + 10))
  shot selected
  check "a click selects row 2" "$(pixel selected 3 $((202 + 2 * 36 + 5)))" "$selected"

  click 370 180
  expect_state "Size title click re-sorts and the title returns" title \
    "Kestrix - 41 matches · $web"
  shot sorted-ascending
  check "sort shows an arrow after Size" \
    "$(same_area rows sorted-ascending 312 162 116 38)" different
  check "ascending by size: the directory first" "$(no_ink sorted-ascending 322 204 96 32)" 1
  check "a re-sort keeps row 2 selected" "$(pixel sorted-ascending 3 $((202 + 72 + 5)))" "$selected"
  click 370 180
  sleep 1
  expect_state "second Size click re-sorts" title "Kestrix - 41 matches · $web"
  shot sorted-descending
  check "descending by size: a file first" "$(no_ink sorted-descending 322 204 96 32)" 0
  check "the arrow turns" "$(same_area sorted-ascending sorted-descending 312 162 116 38)" \
    different
  click 150 180
  expect_state "Name title click re-sorts" title "Kestrix - 41 matches · $web"
  shot sorted-name
  check "the arrow leaves Size for Name" "$(same_area rows sorted-name 312 162 116 38)" same
  click 30 180
  sleep 1
  shot row-number-click
  check "a click on the row-number title changes nothing" \
    "$(same_area sorted-name row-number-click 0 160 "$client_w" 400)" same

  # Drag the edge between Name and Size 100 pixels to the right.
  timeout 5 xdotool mousemove $((client_x + 308)) $((client_y + 180)) mousedown 1
  timeout 5 xdotool mousemove $((client_x + 360)) $((client_y + 180))
  timeout 5 xdotool mousemove $((client_x + 408)) $((client_y + 180)) mouseup 1
  shot dragged
  check "dragging moves the Name edge to x 410" "$(pixel dragged 410 181)" "$separator"
  check "no separator left at x 310" "$(pixel dragged 310 181)" "$header"
  check "a drag is not a sort" "$(same_area sorted-name dragged 0 204 60 400)" same
  timeout 5 xdotool mousemove $((client_x + 408)) $((client_y + 180)) mousedown 1
  timeout 5 xdotool mousemove $((client_x + 308)) $((client_y + 180)) mouseup 1

  click "$(($(tag_field 1 x) + 20))" 70
  expect_state "a tag click filters the title" title "Kestrix - 40 matches · $web"
  check "status line names the tag" "$(state_value status)" "Filter: Documents | Matches: 40"
  check "the clicked tag is marked" "$(tag_field 1 marked)" 1
  check "the other tags are not" "$(tag_field 0 marked)" 0

  shot before-scroll
  timeout 5 xdotool mousemove $((client_x + 600)) $((client_y + 420)) click 5
  shot wheel
  check "one wheel notch scrolls 100 pixels: row 2 ends at y 209" "$(pixel wheel 3 209)" "$white"
  check "one wheel notch scrolls 100 pixels: row 3 starts at y 210" "$(pixel wheel 3 210)" "$odd"
  probe linedown
  shot line-down
  check "line down after the notch aligns row 3 to the top (offset 108)" \
    "$(pixel line-down 3 205)" "$odd"
  check "rows scrolled" "$(same_area before-scroll line-down 0 204 400 300)" different

  probe resize 400 750
  sleep 1
  probe state >"$work/state"
  wrap_ok=1
  hidden=0
  for k in 0 1 2 3 4 5 6; do
    if [ "$(tag_field $k visible)" = 1 ]; then
      y=$(tag_field $k y)
      [ "$y" -eq 55 ] || [ "$y" -eq 95 ] || wrap_ok=0
      [ $(($(tag_field $k x) + $(tag_field $k w))) -le 360 ] || wrap_ok=0
    else
      hidden=$((hidden + 1))
    fi
  done
  check "narrow window: two rows of tags inside the right margin" "$wrap_ok" 1
  [ "$hidden" -gt 0 ] && ok "narrow window hides $hidden tags" || fail "narrow window hides tags"
  check "narrow window: first tag of the second row at x 15, y 95" \
    "$(tag_field 2 x),$(tag_field 2 y)" "15,95"
  probe resize 1200 750
  sleep 1
  probe state >"$work/state"
  check "widened again: every tag back in the first row" \
    "$(grep -c '^tag[0-9]=[0-9]*,55,.* visible=1' "$work/state")" 7
  read_client

  press "$main" BackSpace 6
  type_text "$main" journal
  expect_state "a query with no hits: count 0" title "Kestrix - 0 matches · $web"
  check "no hits: empty status line" "$(state_value status)" ""
  touch "$trigger"
  found=0
  deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    press "$main" Return
    sleep 0.5
    probe state >"$work/state"
    [ "$(state_value title)" = "Kestrix - 1 matches · $web" ] && { found=1; break; }
  done
  check "a file created on the volume shows up in the next search" "$found" 1

  press "$main" BackSpace 7
  sleep 0.5
  check "emptying the box keeps the last results" "$(probe state | grep -m1 '^title=')" \
    "title=Kestrix - 1 matches · $web"
  press "$main" Return
  expect_state "Enter in the empty box: idle title" title "Kestrix - Ready · $web"
  check "every count 0 after an empty search" "$(tag_caption 0)" 'All Files\n(0)'

  click "$(($(tag_field 0 x) + 20))" 70
  type_text "$main" report
  expect_state "screenshot state: all files for report" title "Kestrix - 41 matches · $web"
  click 370 180
  expect_state "screenshot state: sorted by size" title "Kestrix - 41 matches · $web"
  click 100 $((202 + 36 + 10))
  shot final-en
  cp "$work/final-en.png" "$artifacts/ui-en.png"

  probe close >/dev/null
fi
wait_exit
check "closing the window ends with exit code 0" "$exit_status" 0
echo "  ($((SECONDS - phase)) s)"

# ---- 3. The simulated volume, Chinese.
echo "== kxsearch_sim.exe on the fixture volume, Chinese"
phase=$SECONDS
reset_filter_config
start_program "$sim" LOCPATH="$work/locale" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
  KX_SIM_VOLUME="$(winpath "$work/fixture.mft")" KX_SIM_SIDECAR="$(winpath "$work/fixture.sidecar")"
main=$(find_window "^Kestrix 极速搜索 - $web\$")
if [ -z "$main" ]; then
  fail "Chinese ready title"
  cat "$work/program.log"
else
  ok "Chinese ready title"
  read_client
  check "Chinese default tag names" "$(tag_caption 1)" "文档"
  type_text "$main" report
  expect_state "Chinese matches title" title "Kestrix 极速搜索 - 共命中 41 个文件"
  check "Chinese status line" "$(state_value status)" "筛选: 所有文件 | 命中: 41 个"
  check "Chinese tag count" "$(tag_caption 1)" '文档\n(40)'
  click 370 180
  expect_state "Chinese title after a sort" title "Kestrix 极速搜索 - 共命中 41 个文件"
  click 100 $((202 + 36 + 10))
  shot final-zh
  check "Chinese header band" "$(pixel final-zh 3 170)" "$header"
  check "Chinese column titles are drawn as glyphs" "$(no_ink final-zh 70 165 60 32)" 0
  cp "$work/final-zh.png" "$artifacts/ui-zh.png"
  probe close >/dev/null
fi
wait_exit
check "closing the Chinese window ends with exit code 0" "$exit_status" 0
echo "  ($((SECONDS - phase)) s)"

echo "== ui tests: $passed passed, $failed failed ($((SECONDS - started_at)) s);" \
  "screenshots in tests/artifacts/ui-en.png and ui-zh.png"
[ "$failed" = 0 ]
