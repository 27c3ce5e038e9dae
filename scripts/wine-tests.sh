#!/usr/bin/env bash
# Runs the x86-64 Windows test suites under Wine through ctest, then the real kxsearch.exe
# under Wine on a virtual X display: under Wine no volume answers the USN control codes, so the
# program must show its no-NTFS message box and, once the box is dismissed, end with code 1.
# kxsearch_sim.exe, when built, must reach its ready title on the simulator's demo drive and
# end with code 0 when its window is closed.
#
#   scripts/wine-tests.sh [--skip-ctest] [BUILD_DIR]      (default build/windows-x64)
#
# The Wine prefix is shared with scripts/wine-run.sh: $KX_WINEPREFIX, else BUILD_DIR/wine-prefix.
# KX_WINE_TIMEOUT (default 90) bounds each wait, so nothing here can hang CI.
set -uo pipefail
cd "$(dirname "$0")/.."

run_ctest=1
if [ "${1:-}" = --skip-ctest ]; then
  run_ctest=0
  shift
fi
build=$(cd "${1:-build/windows-x64}" && pwd) || { echo "wine-tests: no build directory"; exit 1; }
export KX_WINEPREFIX=${KX_WINEPREFIX:-$build/wine-prefix}
timeout_seconds=${KX_WINE_TIMEOUT:-90}
failed=0

if [ "$run_ctest" = 1 ]; then
  echo "== Windows test suites under Wine"
  started=$SECONDS
  ctest --test-dir "$build" --output-on-failure || failed=1
  echo "== test suites: $([ $failed = 0 ] && echo ok || echo FAILED) ($((SECONDS - started)) s)"
fi

exe=$build/bin/kxsearch.exe
if [ ! -f "$exe" ]; then
  echo "wine-tests: $exe not built"
  exit 1
fi

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null
    WINEPREFIX=$KX_WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "wine-tests: Xvfb did not start"
  cat "$work/xvfb.log"
  exit 1
fi
export DISPLAY=:$(head -n1 "$work/display")

# Starts a program under Wine on the virtual display, in the background.
start_program() {
  # English texts whatever the host's locale; the Chinese titles are accepted as well.
  LC_ALL=C.UTF-8 KX_WINE_KEEP_DISPLAY=1 scripts/wine-run.sh "$1" >"$work/program.log" 2>&1 &
  program_pid=$!
}

# Prints the id of the first window whose title matches the regular expression; fails after
# the timeout or as soon as the program has ended.
wait_for_window() {
  local pattern=$1 found=
  local deadline=$((SECONDS + timeout_seconds))
  while [ $SECONDS -lt $deadline ]; do
    found=$(timeout 5 xdotool search --name "$pattern" 2>/dev/null | head -n1)
    if [ -n "$found" ]; then
      echo "$found"
      return 0
    fi
    kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.5
  done
  return 1
}

# No window manager: windowactivate cannot work, but a focused window gets the keys.
press_in_window() {
  timeout 10 xdotool windowfocus --sync "$1" && timeout 10 xdotool key "$2"
}

# Waits for the program to end and checks its exit code; kills it after the timeout.
expect_exit_code() {
  local expected=$1 status=
  local deadline=$((SECONDS + timeout_seconds))
  while [ $SECONDS -lt $deadline ]; do
    if ! kill -0 "$program_pid" 2>/dev/null; then
      wait "$program_pid"
      status=$?
      program_pid=
      break
    fi
    sleep 0.5
  done
  if [ -z "$status" ]; then
    echo "wine-tests: FAILED: still running after $timeout_seconds s"
    kill "$program_pid" 2>/dev/null
    WINEPREFIX=$KX_WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null
    program_pid=
    return 1
  fi
  if [ "$status" -ne "$expected" ]; then
    echo "wine-tests: FAILED: exit code $status, expected $expected"
    cat "$work/program.log"
    return 1
  fi
  echo "exit code $status"
}

# The real program: under Wine no volume answers the USN control codes, so it must show the
# no-NTFS box (caption "Kestrix Notice") and end with code 1 once the box is dismissed.
check_real_program() {
  local box
  start_program "$exe"
  box=$(wait_for_window '^(Kestrix Notice|Kestrix 提示)$') || {
    echo "wine-tests: FAILED: no message box within $timeout_seconds s"
    cat "$work/program.log"
    return 1
  }
  echo "message box: \"$(timeout 5 xdotool getwindowname "$box")\""
  press_in_window "$box" Return || echo "wine-tests: could not send Return to the box"
  expect_exit_code 1
}

# The same program on the simulator's demo drive: it must reach the ready title, and closing
# the window (Alt+F4, which DefWindowProc turns into WM_CLOSE) must end it with code 0.
check_simulated_program() {
  local window
  start_program "$build/bin/kxsearch_sim.exe"
  window=$(wait_for_window '^(Kestrix - Ready|Kestrix 极速搜索 - )') || {
    echo "wine-tests: FAILED: no ready title within $timeout_seconds s"
    timeout 5 xdotool search --name '.' getwindowname %@ 2>/dev/null | sed 's/^/window: /'
    cat "$work/program.log"
    return 1
  }
  echo "main window: \"$(timeout 5 xdotool getwindowname "$window")\""
  press_in_window "$window" alt+F4 || echo "wine-tests: could not send Alt+F4 to the window"
  expect_exit_code 0
}

program_failed=0
echo "== kxsearch.exe under Wine: expecting the no-NTFS message, then exit code 1"
started=$SECONDS
check_real_program || program_failed=1
echo "== kxsearch.exe: $([ $program_failed = 0 ] && echo ok || echo FAILED) ($((SECONDS - started)) s)"
if [ -f "$build/bin/kxsearch_sim.exe" ]; then
  echo "== kxsearch_sim.exe under Wine: expecting the ready title, then exit code 0 on close"
  started=$SECONDS
  sim_failed=0
  check_simulated_program || sim_failed=1
  echo "== kxsearch_sim.exe: $([ $sim_failed = 0 ] && echo ok || echo FAILED)" \
    "($((SECONDS - started)) s)"
  [ $sim_failed = 0 ] || program_failed=1
fi
[ "$failed" = 0 ] && [ "$program_failed" = 0 ]
