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
#  +. kxsearch_sim.exe, English: minimising hides the window, ALT+Z shows and hides it (also
#     with another window in front), the tray icon in Wine's own tray window: a single click
#     does nothing, a double-click shows, the right-click menu's items (compared with a replica
#     the probe draws), Show Window, the About box's four lines, Exit Kestrix ends with exit
#     code 0 and the icon goes.
#  +. kxsearch_sim.exe, English, over real files on Wine's C:\Projects: the list's context
#     menu (a right click selects the row; below the rows and on the header the six file
#     items are grayed and the filter items work; a search while the menu is open leaves the
#     file commands asking for a row), copy path (read back from Wine's and the X clipboard), open,
#     open containing folder, properties, delete (asks; No keeps the file; a file in use and a
#     directory give the system's code; a real delete is reported, then searches again and
#     the file leaves the index), run as administrator and the double-click (the shell runs a
#     marker program), and the Chinese-only reset question (No keeps, Yes writes the defaults
#     and renames the tags).
#  +. kxsearch_sim.exe in Chinese with C: answering nothing until the test lets it: the
#     search box is disabled, a tag click gives the idle title, the ready title follows; and
#     closing while the index is still being built ends with exit code 0.
#  3. kxsearch_sim.exe in Chinese (a zh_CN locale built for the run, Wine's font substitution
#     for the program's face), started with a command line it must ignore: titles, status
#     line, default tag names, column titles, the tray menu, the About box, and the close box
#     ending the program and removing the icon.
#
#   scripts/ui-tests.sh [BUILD_DIR]      (default build/windows-x64; needs bin/kxsearch.exe
#                                         and bin/kxsearch_sim.exe of an x86-64 build, with
#                                         bin/window_probe.exe and bin/run_marker.exe)
#
# The last screenshot of each language is kept as tests/artifacts/ui-en.png and ui-zh.png,
# the About box of each as ui-about-en.png and ui-about-zh.png.
# KX_UI_TIMEOUT (default 60) bounds every wait; the whole run takes about seven minutes.
# KX_UI_PHASES picks phases by name, e.g. "tray actions" (default: noexe english tray actions
# early chinese); "actions" starts from the defaults an English phase before it wrote.
# KX_UI_KEEP=1 keeps the work folder (screenshots, replicas, program log) and names it.
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
  if [ "${KX_UI_KEEP:-0}" = 1 ]; then echo "ui-tests: work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
phases=" ${KX_UI_PHASES:-noexe english tray actions early chinese} "
wanted() { [[ $phases == *" $1 "* ]]; }

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
# Built with the program (tests/ui/probe), so that they match the headers it was built from.
cp "$build/bin/window_probe.exe" "$build/bin/run_marker.exe" "$work/" ||
  { echo "ui-tests: the window probe and the run marker are not built"; exit 1; }
python3 tests/ui/make_fixture_volume.py "$work/fixture.mft" "$work/fixture.sidecar" ||
  { echo "ui-tests: cannot write the fixture volume"; exit 1; }
winpath() { echo "Z:${1//\//\\}"; }
echo "  set-up took $((SECONDS - started_at)) s"

# ---- Helpers.
start_program() {  # start_program EXE [VAR=VALUE ...] [-- ARGUMENT ...]
  local program=$1 settings=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do settings+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  env "${settings[@]}" "$wine64" "$program" "$@" </dev/null >"$work/program.log" 2>&1 &
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
if wanted noexe; then
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
fi

# ---- 2. The simulated volume, English.
if wanted english; then
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
fi

# ---- Tray icon, ALT+Z hotkey and About box, English.
# Under Wine without a window manager the notification icons sit in Wine's own "Wine System
# Tray" window, which X clicks reach; it is only seen while the main window, stacked above it
# at the top left, is hidden. Menus are kept per process in Wine, so the probe cannot read
# the program's menu items: it opens a replica with the expected texts at the same place,
# drawn by the same code, and the two screenshots must match pixel for pixel.
tray_x=0
tray_y=0
find_tray_icon() {  # sets tray_x, tray_y to the middle of the first icon, screen coordinates
  local tray X Y WIDTH HEIGHT SCREEN WINDOW
  tray=$(find_window '^Wine System Tray$')
  [ -n "$tray" ] || return 1
  eval "$(timeout 5 xdotool getwindowgeometry --shell "$tray")"
  tray_x=$((X + 10))
  tray_y=$((Y + 10))
}
tray_visible() { timeout 5 xdotool search --onlyvisible --name '^Wine System Tray$' | head -n1; }
main_mapped() { timeout 5 xdotool search --onlyvisible --name "$1" | head -n1; }
# Wine takes no X key grab for RegisterHotKey: it sees ALT+Z only when X gives the key to one
# of its windows. With no window manager and the focus on the bare root window the key is
# lost, so the presses go to another program's window, as they would on a desktop.
front=
hotkey() {
  timeout 10 xdotool windowfocus --sync "$front"
  timeout 5 xdotool key alt+z
  sleep 0.3
}
menu_x=0
menu_y=0
menu_w=0
menu_h=0
open_tray_menu() {  # a right click on the icon; sets menu_* to the open menu's place
  local deadline=$((SECONDS + limit)) line
  timeout 5 xdotool mousemove "$tray_x" "$tray_y" click 3
  while [ $SECONDS -lt $deadline ]; do
    line=$(probe menu | grep -m1 '^menu=')
    if [ -n "$line" ]; then
      IFS=, read -r menu_x menu_y menu_w menu_h <<<"${line#menu=}"
      return 0
    fi
    sleep 0.3
  done
  return 1
}
close_menu() {
  probe menukey 27 >/dev/null
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ] && probe menu | grep -q '^menu='; do sleep 0.3; done
}
# Compares the open menu with a replica of the given items, then closes it. The replica's item
# places are left in $work/replica for click_menu_item. Env settings before the texts go to
# the replica, so that Wine reads its arguments in the program's locale. The places must reach
# the file while the replica is still open, hence the line-buffered tr.
menu_matches() {  # menu_matches SHOT [VAR=VALUE ...] -- ITEM...: "same" or "different"
  local name=$1 settings=() replica_pid deadline
  shift
  while [ "$1" != -- ]; do settings+=("$1"); shift; done
  shift
  sleep 0.5
  timeout 20 import -window root "$work/$name.png"
  close_menu
  rm -f "$work/replica"
  env "${settings[@]}" timeout 30 "$wine64" "$work/window_probe.exe" showmenu "$menu_x" "$menu_y" \
    4000 "$@" 2>/dev/null | stdbuf -oL tr -d '\r' >"$work/replica" &
  replica_pid=$!
  deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ] && ! grep -q "^item$(($# - 1))=" "$work/replica"; do sleep 0.2; done
  sleep 0.5
  timeout 20 import -window root "$work/$name-replica.png"
  wait "$replica_pid"
  local geometry="${menu_w}x${menu_h}+${menu_x}+${menu_y}"
  convert "$work/$name.png" -crop "$geometry" +repage "$work/crop-a.png"
  convert "$work/$name-replica.png" -crop "$geometry" +repage "$work/crop-b.png"
  local differing
  differing=$(compare -metric AE "$work/crop-a.png" "$work/crop-b.png" null: 2>&1)
  [ "${differing%% *}" = 0 ] && echo same || echo different
}
click_menu_item() {  # click_menu_item K: the middle of the replica's item K
  local x y w h
  IFS=, read -r x y w h <<<"$(grep -m1 "^item$1=" "$work/replica" | cut -d= -f2)"
  timeout 5 xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.4
}
box_value() { grep -m1 "^$1=" "$work/box" | cut -d= -f2-; }
wait_box() {  # leaves the About box's facts in $work/box
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    probe box >"$work/box"
    grep -q '^box_caption=' "$work/box" && return 0
    sleep 0.3
  done
  return 1
}
press_box_ok() {
  local x y w h deadline=$((SECONDS + limit))
  IFS=, read -r x y w h <<<"$(box_value box_ok)"
  timeout 5 xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  while [ $SECONDS -lt $deadline ] && probe box | grep -q '^box_caption='; do sleep 0.3; done
  probe box | grep -q '^box_caption=' && echo open || echo closed
}

if wanted tray; then
  echo "== tray, hotkey, About (English)"
  phase=$SECONDS
  exit_chosen=0
  reset_filter_config
  start_program "$sim" LC_ALL=en_US.UTF-8 KX_SIM_VOLUME="$(winpath "$work/fixture.mft")" \
    KX_SIM_SIDECAR="$(winpath "$work/fixture.sidecar")"
  main=$(find_window '^Kestrix - Ready')
  if [ -z "$main" ]; then
    fail "tray phase: ready title"
    cat "$work/program.log"
  else
    expect_state "shown at start" visible 1
    timeout 90 "$wine64" "$work/window_probe.exe" front 60000 >/dev/null 2>&1 &
    front_pid=$!
    front=$(find_window '^Kestrix probe front$')
    expect_state "another window in front" foreground 0
    hotkey
    expect_state "ALT+Z hides the visible window while another one is in front" visible 0
    hotkey
    expect_state "ALT+Z shows it again" visible 1
    expect_state "and brings it in front of the other window" foreground 1
    # The minimise box sends SC_MINIMIZE with low bits set; they must not matter.
    probe syscommand 0xF022 >/dev/null
    expect_state "minimising hides the window" visible 0
    check "hidden, not minimised" "$(state_value iconic)" 0
    check "no X window mapped for the hidden window" "$(main_mapped '^Kestrix - Ready')" ""
    hotkey
    expect_state "ALT+Z shows the minimised-away window" visible 1
    expect_state "and brings it to the front" foreground 1
    [ -n "$(main_mapped '^Kestrix - Ready')" ] && ok "its X window is mapped again" ||
      fail "its X window is mapped again"
    kill "$front_pid" 2>/dev/null
    wait "$front_pid" 2>/dev/null

    probe syscommand 0xF020 >/dev/null
    expect_state "minimising hides the window again" visible 0
    if ! find_tray_icon; then
      fail "Wine shows the tray icon"
    else
      ok "Wine shows the tray icon"
      timeout 5 xdotool mousemove "$tray_x" "$tray_y" click 1
      sleep 1.5
      probe state >"$work/state"
      check "a single click on the icon does nothing" "$(state_value visible)" 0
      timeout 5 xdotool mousemove "$tray_x" "$tray_y" click --repeat 2 --delay 80 1
      expect_state "a double-click on the icon shows the window" visible 1
      expect_state "and brings it to the front" foreground 1

      probe syscommand 0xF020 >/dev/null
      expect_state "hidden for the menu" visible 0
      if open_tray_menu; then
        ok "a right click on the icon opens the menu"
        check "tray menu: Show Window, About / Info, a separator, Exit Kestrix" \
          "$(menu_matches tray-menu-en LC_ALL=en_US.UTF-8 -- "Show Window" "About / Info" - \
            "Exit Kestrix")" same
        probe state >"$work/state"
        check "the menu leaves the window hidden" "$(state_value visible)" 0
      else
        fail "a right click on the icon opens the menu"
      fi
      open_tray_menu && click_menu_item 0
      expect_state "Show Window shows the window" visible 1
      expect_state "and brings it to the front" foreground 1

      probe syscommand 0xF020 >/dev/null
      expect_state "hidden for the About box" visible 0
      open_tray_menu && click_menu_item 1
      if wait_box; then
        check "About box caption" "$(box_value box_caption)" "About Kestrix"
        check "About box text: four lines" "$(box_value box_text)" \
          'Product: Kestrix Fast Search\nBrand: Kestrix\nWebsite: https://kestrix.app\nVersion: 1.0.0'
        check "About box has an OK button" "$(box_value box_ok_text)" OK
        shot about-en
        cp "$work/about-en.png" "$artifacts/ui-about-en.png"
        check "OK closes the About box" "$(press_box_ok)" closed
      else
        fail "About / Info opens the About box"
      fi

      [ -n "$(tray_visible)" ] && ok "the icon is still there before exit" ||
        fail "the icon is still there before exit"
      open_tray_menu && click_menu_item 3 && exit_chosen=1
    fi
    # Whatever failed above, the window must not outlive the phase.
    [ "$exit_chosen" = 1 ] || { fail "Exit Kestrix chosen from the tray menu"; probe close >/dev/null; }
  fi
  wait_exit
  check "Exit Kestrix ends the program with exit code 0" "$exit_status" 0
  sleep 1
  check "the tray icon is gone after exit" "$(tray_visible)" ""
  echo "  ($((SECONDS - phase)) s)"
fi

# ---- File actions and the list's context menu, English.
# Real files on Wine's C: stand at the simulated paths of C:\Projects, so that the shell and
# DeleteFileW act on files the index lists; KX_SIM_FOLLOW_DELETES carries a deletion over to
# the simulated volume. The menu's items are found from a replica's item places (as above);
# a grayed item is drawn in mid grey, an enabled one in black.
projects=$WINEPREFIX/drive_c/Projects
config_dir=$WINEPREFIX/drive_c/users/$(whoami)/Documents/Kestrix/config
replica_x=0
replica_y=0
# After a window of another program closed, Wine can take the first click on the list only
# as its activation, so a click that opened nothing within five seconds is repeated.
open_list_menu() {  # open_list_menu X Y in client coordinates; sets menu_* as open_tray_menu
  local deadline=$((SECONDS + limit)) line clicked_at
  timeout 5 xdotool mousemove $((client_x + $1)) $((client_y + $2)) click 3
  clicked_at=$SECONDS
  while [ $SECONDS -lt $deadline ]; do
    line=$(probe menu | grep -m1 '^menu=')
    if [ -n "$line" ]; then
      IFS=, read -r menu_x menu_y menu_w menu_h <<<"${line#menu=}"
      return 0
    fi
    if [ $((SECONDS - clicked_at)) -ge 5 ]; then
      timeout 5 xdotool mousemove $((client_x + $1)) $((client_y + $2)) click 3
      clicked_at=$SECONDS
    fi
    sleep 0.3
  done
  return 1
}
# Takes SHOT of the open menu, closes it and leaves the replica's item places for item_ink and
# choose_item; then the ink of the eight items in order, e.g. "black black ... ".
list_menu_inks() {  # list_menu_inks SHOT
  local inks="" k
  replica_x=$menu_x
  replica_y=$menu_y
  menu_matches "$1" LC_ALL=en_US.UTF-8 -- "Open File/Folder" "Open Containing Folder" - \
    "Delete File" "Run as Administrator" "Copy File Path" Properties - \
    "Open Filter Config Folder" "Reset Filter Tags to Defaults" >/dev/null
  for k in 0 1 3 4 5 6 8 9; do inks="$inks$(item_ink "$1" $k) "; done
  menu_inks=$inks
}
menu_inks=
item_ink() {  # item_ink SHOT K: "black" or "gray", the darkest text of replica item K in SHOT
  local x y w h
  IFS=, read -r x y w h <<<"$(grep -m1 "^item$2=" "$work/replica" | cut -d= -f2)"
  convert "$work/$1.png" -crop "${w}x${h}+$x+$y" +repage -colorspace gray \
    -format '%[fx:minima<0.25?1:0]' info: | sed 's/1/black/; s/0/gray/'
}
choose_item() {  # choose_item K: clicks item K of the open menu (separators count)
  local x y w h
  IFS=, read -r x y w h <<<"$(grep -m1 "^item$1=" "$work/replica" | cut -d= -f2)"
  timeout 5 xdotool mousemove $((x - replica_x + menu_x + w / 2)) $((y - replica_y + menu_y + h / 2)) click 1
  sleep 0.3
}
list_command() {  # list_command Y K: right-click at client y and choose item K
  open_list_menu 100 "$1" && choose_item "$2" || echo "  (no menu opened at client y $1)"
}
wait_box_caption() {  # wait_box_caption CAPTION: the box's facts in $work/box
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    probe box >"$work/box"
    [ "$(box_value box_caption)" = "$1" ] && return 0
    sleep 0.3
  done
  return 1
}
press_box() {  # press_box ID: presses the button and waits for the box to close
  local deadline=$((SECONDS + limit))
  probe boxpress "$1" >/dev/null
  while [ $SECONDS -lt $deadline ] && probe box | grep -q '^box_caption='; do sleep 0.3; done
}
# False when no error box came; else checks that its text is PREFIX and a decimal code, and
# closes it.
error_with_code() {  # error_with_code PREFIX DESCRIPTION
  wait_box_caption Error || return 1
  local code
  code=$(box_value box_text | sed -n "s/^$1\([0-9]*\)\$/\1/p")
  [ -n "$code" ] && ok "$2 ($code)" || fail "$2: \"$(box_value box_text)\""
  press_box 1
  return 0
}
icon_colour() {  # icon_colour SHOT: the box icon's average colour as red, yellow or blue
  local x y w h
  IFS=, read -r x y w h <<<"$(box_value box_icon)"
  convert "$work/$1.png" -crop "${w}x${h}+$x+$y" +repage -scale 1x1 \
    -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info: |
    awk '{ if ($3 > $1) print "blue"; else if ($1 - $2 > 65) print "red"; else print "yellow" }'
}
wait_window() {  # wait_window CLASS|TITLE-REGEX: 1 once such a window of any process shows
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    probe windows | grep -q "^window=$1" && { echo 1; return; }
    sleep 0.5
  done
  echo 0
}
close_window() {  # close_window CLASS|TITLE-REGEX TEXT: closes windows titled with TEXT, waits
  local deadline=$((SECONDS + limit))
  # A window left on top of the list would take the next right click.
  while [ $SECONDS -lt $deadline ] && probe windows | grep -q "^window=$1"; do
    probe closetitled "$2" >/dev/null
    sleep 0.5
  done
  # With no window manager nobody hands the focus back, and the first click on a window
  # without it only activates it.
  timeout 10 xdotool windowfocus --sync "$main"
}
settled_pixel() {  # settled_pixel SHOT X Y EXPECTED: the pixel once it shows EXPECTED, or at the end
  local deadline=$((SECONDS + limit)) value
  while :; do
    shot "$1"
    value=$(pixel "$1" "$2" "$3")
    [ "$value" = "$4" ] || [ $SECONDS -ge $deadline ] && break
  done
  echo "$value"
}
files_same() {  # files_same A B: "same" once B has A's bytes, else nothing at the end
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    cmp -s "$1" "$2" && { echo same; return; }
    sleep 0.3
  done
}
wait_file() {  # wait_file PATH: 1 once it exists
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    [ -e "$1" ] && { echo 1; return; }
    sleep 0.3
  done
  echo 0
}
wait_holding() {  # until the probe started with "hold" has the file open
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ] && ! grep -q holding "$work/hold"; do sleep 0.2; done
}
# Typed again when the box did not take it: as with the list's menu, Wine can take the first
# click after another program's window closed only as the window's activation.
search_for() {  # search_for WINDOW TEXT: replaces the box's text
  local attempt
  for attempt in 1 2 3; do
    press "$1" BackSpace 20
    type_text "$1" "$2"
    probe state >"$work/state"
    [ "$(state_value search)" = "$2" ] && return 0
  done
  fail "the search box holds \"$2\""
}
row0=$((202 + 10))
below_rows=$((202 + 3 * 36 + 10))

if wanted actions; then
  echo "== file actions and the context menu (English)"
  phase=$SECONDS
  # The English defaults as the last start wrote them; then a changed first category to reset.
  cp "$config_dir/filters.ini" "$work/defaults-en.ini"
  reset_filter_config
  mkdir -p "$config_dir"
  sed '1s/All Files=/Everything=/' "$work/defaults-en.ini" >"$config_dir/filters.ini"
  cp "$config_dir/filters.ini" "$work/custom.ini"
  rm -rf "$projects"
  mkdir -p "$projects"
  echo notes >"$projects/notes.txt"
  echo readme >"$projects/README"
  cp "$work/run_marker.exe" "$projects/tool.exe" 2>/dev/null
  # A fresh prefix knows txtfile (Notepad) but does not give .txt that class.
  timeout 30 "$wine64" reg add 'HKCR\.txt' /ve /t REG_SZ /d txtfile /f >/dev/null 2>&1
  start_program "$sim" LC_ALL=en_US.UTF-8 KX_SIM_VOLUME="$(winpath "$work/fixture.mft")" \
    KX_SIM_SIDECAR="$(winpath "$work/fixture.sidecar")" KX_SIM_FOLLOW_DELETES=1
  main=$(find_window '^Kestrix - Ready')
  if [ -z "$main" ]; then
    fail "file actions phase: ready title"
    cat "$work/program.log"
  else
    read_client
    check "a changed filters.ini is loaded" "$(tag_caption 0)" "Everything"
    search_for "$main" notes
    expect_state "one hit for notes" title "Kestrix - 1 matches · $web"

    if open_list_menu 100 "$row0"; then
      list_menu_inks menu-row
      check "menu on a row: all eight items enabled" "$menu_inks" \
        "black black black black black black black black "
      check "the right-clicked row is selected before the menu opens" \
        "$(pixel menu-row 3 $((202 + 4)))" "$selected"
    else
      fail "a right click on a row opens the menu"
    fi
    if open_list_menu 100 "$below_rows"; then
      list_menu_inks menu-below
      check "below the last row: the six file items grayed, the two filter items not" \
        "$menu_inks" "gray gray gray gray gray gray black black "
      check "a click below the rows keeps the selection" "$(pixel menu-below 3 206)" "$selected"
    else
      fail "a right click below the rows opens the menu"
    fi
    if open_list_menu 100 180; then
      list_menu_inks menu-header
      check "on the header: the six file items grayed, the two filter items not" \
        "$menu_inks" "gray gray gray gray gray gray black black "
    else
      fail "a right click on the header opens the menu"
    fi
    list_command "$below_rows" 8
    check "Open Filter Config Folder opens a folder window on config" \
      "$(wait_window 'ExplorerWClass|config$')" 1
    close_window 'ExplorerWClass|config$' config

    list_command "$row0" 5
    if wait_box_caption Success; then
      check "copy path: notice" "$(box_value box_text)" "File path copied to clipboard"
      shot box-copied
      check "copy path: information icon" "$(icon_colour box-copied)" blue
      probe clipboard >"$work/clipboard"
      check "clipboard holds CF_UNICODETEXT" "$(grep -m1 '^clipboard_unicode=' "$work/clipboard")" \
        clipboard_unicode=1
      check "clipboard text is the full path" "$(grep -m1 '^clipboard_text=' "$work/clipboard")" \
        'clipboard_text=C:\Projects\notes.txt'
      check "the X clipboard has the path" "$(timeout 5 xclip -o -selection clipboard 2>&1)" \
        'C:\Projects\notes.txt'
      press_box 1
    else
      fail "copy path shows its notice (a box: \"$(box_value box_caption)\", \"$(box_value box_text)\")"
    fi

    # A new result list while the menu is open clears the selection, so a file command then
    # asks for a row instead of acting on whatever now stands in the old one.
    if open_list_menu 100 "$row0"; then
      probe settext o >/dev/null
      deadline=$((SECONDS + limit))
      while [ $SECONDS -lt $deadline ]; do
        probe state >"$work/state"
        [ "$(state_value title)" != "Kestrix - 1 matches · $web" ] && break
        sleep 0.3
      done
      choose_item 5
      if wait_box_caption Info; then
        check "a search while the menu is open: the command asks for a row" \
          "$(box_value box_text)" "Please select a file first"
        press_box 1
      else
        fail "a search while the menu is open: the command asks for a row"
      fi
    else
      fail "the menu opens again on the row"
    fi
    search_for "$main" notes
    expect_state "one hit for notes again" title "Kestrix - 1 matches · $web"

    list_command "$row0" 0
    check "open: the shell starts Notepad on the file" "$(wait_window 'Notepad|notes.txt')" 1
    close_window 'Notepad|notes.txt' Notepad
    list_command "$row0" 1
    check "open containing folder: a folder window on Projects" \
      "$(wait_window 'ExplorerWClass|Projects$')" 1
    close_window 'ExplorerWClass|Projects$' Projects
    list_command "$row0" 6
    # Wine's shell has no properties sheet for files: ShellExecuteExW fails and says why.
    error_with_code 'Failed to open properties dialog, error: ' \
      "properties: the shell's failure shown with its code" ||
      ok "properties: the shell took the request without an error"

    timeout 60 "$wine64" "$work/window_probe.exe" hold 'C:\Projects\notes.txt' 60000 \
      >"$work/hold" 2>/dev/null &
    holder_pid=$!
    wait_holding
    list_command "$row0" 3
    if wait_box_caption "Confirm delete"; then
      check "delete asks with the path" "$(box_value box_text)" \
        'Are you sure you want to delete this file?\n\nC:\Projects\notes.txt'
      check "delete question: Yes and No" "$(box_value box_buttons)" 6,7
      shot box-question
      check "delete question: warning icon" "$(icon_colour box-question)" yellow
      press_box 7
      check "No leaves the file" "$([ -e "$projects/notes.txt" ] && echo there)" there
    else
      fail "delete asks first"
    fi
    list_command "$row0" 3
    wait_box_caption "Confirm delete" && probe boxpress 6 >/dev/null
    if wait_box_caption Error; then
      check "deleting a file in use: the system's code 32" "$(box_value box_text)" \
        "Failed to delete file, error: 32"
      shot box-in-use
      check "delete error: error icon" "$(icon_colour box-in-use)" red
      press_box 1
    else
      fail "deleting a file in use shows an error"
    fi
    kill "$holder_pid" 2>/dev/null
    wait "$holder_pid" 2>/dev/null
    check "the file in use is still there" "$([ -e "$projects/notes.txt" ] && echo there)" there

    list_command "$row0" 3
    wait_box_caption "Confirm delete" && probe boxpress 6 >/dev/null
    if wait_box_caption Success; then
      check "delete: notice" "$(box_value box_text)" "File deleted"
      check "the file is gone from Wine's drive" "$([ -e "$projects/notes.txt" ] || echo gone)" gone
      shot box-deleted
      check "the list waits for the notice: row 0 still selected" \
        "$(pixel box-deleted 3 $((202 + 4)))" "$selected"
      press_box 1
      check "closing the notice searches again (selection cleared)" \
        "$(settled_pixel after-delete 3 $((202 + 4)) "$white")" "$white"
    else
      fail "deleting a file says so"
    fi
    found=0
    deadline=$((SECONDS + limit))
    while [ $SECONDS -lt $deadline ]; do
      probe state >"$work/state"
      [ "$(state_value title)" = "Kestrix - 0 matches · $web" ] && { found=1; break; }
      press "$main" Return
      sleep 0.5
    done
    check "the deleted file leaves the index" "$found" 1

    search_for "$main" Projects
    expect_state "one hit for the directory" title "Kestrix - 1 matches · $web"
    list_command "$row0" 3
    wait_box_caption "Confirm delete" && probe boxpress 6 >/dev/null
    error_with_code 'Failed to delete file, error: ' "deleting a directory: the system's code" ||
      fail "deleting a directory shows an error"
    check "the directory is still there" "$([ -d "$projects" ] && echo there)" there
    list_command "$row0" 0
    check "open on a directory: a folder window on it" \
      "$(wait_window 'ExplorerWClass|Projects$')" 1
    close_window 'ExplorerWClass|Projects$' Projects

    search_for "$main" tool
    expect_state "one hit for tool.exe" title "Kestrix - 1 matches · $web"
    rm -f "$projects/tool.exe.ran"
    list_command "$row0" 4
    check "run as administrator: the shell runs the program" \
      "$(wait_file "$projects/tool.exe.ran")" 1
    rm -f "$projects/tool.exe.ran"
    timeout 5 xdotool mousemove $((client_x + 100)) $((client_y + row0)) click --repeat 2 --delay 80 1
    check "a double-click opens the hit" "$(wait_file "$projects/tool.exe.ran")" 1

    list_command "$below_rows" 9
    if wait_box_caption "确认"; then
      check "reset asks in Chinese under English" "$(box_value box_text)" \
        '确定要恢复默认筛选标签吗？\n这将覆盖当前自定义配置。'
      check "reset question: Yes and No" "$(box_value box_buttons)" 6,7
      press_box 7
      check "No leaves filters.ini" "$(cmp -s "$config_dir/filters.ini" "$work/custom.ini" && echo same)" same
      probe state >"$work/state"
      check "No leaves the tags" "$(tag_caption 0)" 'Everything\n(1)'
    else
      fail "reset asks first"
    fi
    list_command "$below_rows" 9
    wait_box_caption "确认" && press_box 6
    check "Yes writes the defaults into filters.ini" \
      "$(files_same "$work/defaults-en.ini" "$config_dir/filters.ini")" same
    check "filters.bak keeps the start-up copy" \
      "$(cmp -s "$config_dir/filters.bak" "$work/custom.ini" && echo same)" same
    expect_state "Yes refreshes the tag bar" title "Kestrix - 1 matches · $web"
    check "the first tag has its default name and count" "$(tag_caption 0)" 'All Files\n(1)'
    probe close >/dev/null
  fi
  wait_exit
  check "closing ends with exit code 0" "$exit_status" 0
  echo "  ($((SECONDS - phase)) s)"
fi

# ---- Before the index is ready, Chinese, whose idle title is not its ready title: the volume
# answers nothing until a file appears.
if wanted early; then
  echo "== kxsearch_sim.exe before its index is ready, Chinese"
  phase=$SECONDS
  reset_filter_config
  release=$work/release-index
  start_held() {
    rm -f "$release"
    start_program "$sim" LOCPATH="$work/locale" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
      KX_SIM_VOLUME="$(winpath "$work/fixture.mft")" \
      KX_SIM_SIDECAR="$(winpath "$work/fixture.sidecar")" KX_SIM_HOLD_INDEX="$(winpath "$release")"
  }
  start_held
  main=$(find_window '^正在初始化全盘索引')
  if [ -z "$main" ]; then
    fail "the indexing title while the volume answers nothing"
    cat "$work/program.log"
  else
    ok "the indexing title while the volume answers nothing"
    read_client
    check "the search box takes no input yet" "$(state_value search_enabled)" 0
    click "$(($(tag_field 0 x) + 20))" 70
    expect_state "a tag click before the index: the idle title" title "Kestrix 极速搜索 -  $web"
    touch "$release"
    expect_state "then the ready title once the index is built" title "Kestrix 极速搜索 - $web"
    expect_state "and the search box is enabled" search_enabled 1
    probe close >/dev/null
  fi
  wait_exit
  check "closing ends with exit code 0" "$exit_status" 0
  start_held
  main=$(find_window '^正在初始化全盘索引')
  probe close >/dev/null
  wait_exit
  check "closing while the index is still being built: exit code 0" "$exit_status" 0
  echo "  ($((SECONDS - phase)) s)"
fi

# ---- 3. The simulated volume, Chinese.
if wanted chinese; then
  echo "== kxsearch_sim.exe on the fixture volume, Chinese"
  phase=$SECONDS
  reset_filter_config
  # Whatever the command line holds, the program does not look at it.
  start_program "$sim" LOCPATH="$work/locale" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
    KX_SIM_VOLUME="$(winpath "$work/fixture.mft")" KX_SIM_SIDECAR="$(winpath "$work/fixture.sidecar")" \
    -- report /select,"C:\Projects" --help
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
    # The tray menu and the About box in Chinese, reached as in the English tray phase.
    probe syscommand 0xF020 >/dev/null
    expect_state "Chinese: minimising hides the window" visible 0
    if find_tray_icon && open_tray_menu; then
      check "Chinese tray menu: 显示窗口, 查看信息, a separator, 退出 Kestrix" \
        "$(menu_matches tray-menu-zh LOCPATH="$work/locale" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
          -- 显示窗口 查看信息 - "退出 Kestrix")" same
      open_tray_menu && click_menu_item 1
      if wait_box; then
        check "Chinese About box caption" "$(box_value box_caption)" "关于 Kestrix"
        check "Chinese About box text: four lines" "$(box_value box_text)" \
          '产品名称: Kestrix 极速搜索\n官网名称: Kestrix\n官网地址: https://kestrix.app\n版本号: 1.0.0'
        shot about-zh
        cp "$work/about-zh.png" "$artifacts/ui-about-zh.png"
        check "OK closes the Chinese About box" "$(press_box_ok)" closed
      else
        fail "Chinese: 查看信息 opens the About box"
      fi
    else
      fail "Chinese: a right click on the tray icon opens the menu"
    fi
    probe syscommand 0xF060 >/dev/null  # what the close box sends, here to the hidden window
  fi
  wait_exit
  check "the close box ends the Chinese window with exit code 0" "$exit_status" 0
  sleep 1
  check "and its tray icon is gone" "$(tray_visible)" ""
  echo "  ($((SECONDS - phase)) s)"
fi

echo "== ui tests: $passed passed, $failed failed ($((SECONDS - started_at)) s);" \
  "screenshots in tests/artifacts/ui-en.png and ui-zh.png"
[ "$failed" = 0 ]
