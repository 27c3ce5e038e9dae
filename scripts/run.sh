#!/usr/bin/env bash
# Builds both kxsearch.exe files and starts the real Kestrix window under Wine. Wine's drives
# answer no USN control code, so the window runs over the simulator's demo NTFS volume
# (kxsearch_sim.exe: the same program linked with the volume simulator); kxsearch.exe itself
# would only say that no NTFS volume was found.
#
# With a display ($DISPLAY set) the window stays open until you close it. Without one, the
# window is started on a virtual display, the query "report" is typed into it, a screenshot is
# written to build/run-screenshot.png, and the window is closed again.
#
# KX_RUN_LANGUAGE=zh shows the Chinese interface. The headless query tool's view of the same
# demo volume is printed first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
for preset in windows-x64 windows-x86 linux; do
  cmake --preset "$preset" >/dev/null
done
cmake --build --preset windows-x64 -j2 --target kxsearch kxsearch_sim
cmake --build --preset windows-x86 -j2 --target kxsearch
cmake --build --preset linux -j2 --target kxquery

echo "Built build/windows-x64/bin/kxsearch.exe and build/windows-x86/bin/kxsearch.exe"
echo
echo "The built-in demo volume, indexed by the real start-up (kxquery --demo --count):"
build/linux/bin/kxquery --demo --count
echo

wine_dir=$(scripts/wine-dir.sh)
wine64=$wine_dir/wine64
wineserver=$wine_dir/wineserver
export WINEPREFIX=$root/build/windows-x64/run-wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
if [ ! -f "$WINEPREFIX.ready" ]; then
  echo "Preparing a Wine prefix (once, about 20 s)..."
  rm -rf "$WINEPREFIX"
  "$wine64" wineboot -i </dev/null >/dev/null 2>&1
  "$wineserver" -w
  touch "$WINEPREFIX.ready"
fi
if [ "${KX_RUN_LANGUAGE:-en}" = zh ]; then
  locale_dir=$root/build/run-locale
  [ -d "$locale_dir/zh_CN.UTF-8" ] || localedef -i zh_CN -f UTF-8 "$locale_dir/zh_CN.UTF-8"
  export LOCPATH=$locale_dir LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
fi
program=$root/build/windows-x64/bin/kxsearch_sim.exe

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting the Kestrix window under Wine on the demo volume; close it to end."
  "$wine64" "$program"
  exit $?
fi

echo "No display: starting the window on a virtual one."
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; "$wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
"$wine64" "$program" </dev/null >/dev/null 2>&1 &
window=
for _ in $(seq 300); do
  window=$(xdotool search --name '^Kestrix' 2>/dev/null | head -n1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the window did not appear"; exit 1; }
sleep 3
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool type --delay 80 report
sleep 2
import -window root "$root/build/run-screenshot.png"
echo "Window title: $(xdotool getwindowname "$window")"
echo "Screenshot of the window: build/run-screenshot.png"
xdotool key --window "$window" alt+F4 2>/dev/null || true
sleep 1
