#!/usr/bin/env bash
# Runs one Windows program under Wine and returns its exit code: the emulator through which
# ctest starts the tests of the windows-x64 and windows-x86 builds. A 32-bit program runs with
# Wine's 32-bit loader (Debian's wine32:i386), an x86-64 one with wine64; both in one prefix.
#
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
#
# The Wine prefix is created once (about 15 s) and reused: $KX_WINEPREFIX if set, else
# wine-prefix/ in the build directory of PROGRAM (the nearest parent holding CMakeCache.txt).
# Console programs need no X display: DISPLAY is dropped unless KX_WINE_KEEP_DISPLAY=1, and
# message-only windows work with Wine's null display driver.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

wine_dir=$("$(dirname "$0")/wine-dir.sh") || exit 127
wine64=$wine_dir/wine64
wineserver=$wine_dir/wineserver
loader=$wine64
if [ "$("$(dirname "$0")/pe-machine.sh" "$1")" = i386 ]; then
  loader=$wine_dir/wine
  if ! why=$("$(dirname "$0")/runs-32-bit.sh") || [ ! -x "$loader" ]; then
    echo "wine-run: cannot run the 32-bit $1: ${why:-no 32-bit Wine loader at $loader}" >&2
    exit 127
  fi
fi

find_build_dir() {
  local dir
  dir=$(cd "$(dirname "$1")" && pwd)
  while [ "$dir" != / ]; do
    if [ -f "$dir/CMakeCache.txt" ]; then
      echo "$dir"
      return
    fi
    dir=$(dirname "$dir")
  done
  echo "$(cd "$(dirname "$1")" && pwd)"
}

if [ -n "${KX_WINEPREFIX:-}" ]; then
  prefix=$KX_WINEPREFIX
else
  prefix="$(find_build_dir "$1")/wine-prefix"
fi
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")

export WINEPREFIX=$prefix
# Local-time texts are checked in UTC; Wine takes its zone from the host's.
export TZ=UTC
export WINEDEBUG=${KX_WINEDEBUG:--all}
# No Mono or Gecko: their installers would ask questions on a fresh prefix.
export WINEDLLOVERRIDES="mscoree=;mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
if [ "${KX_WINE_KEEP_DISPLAY:-0}" != 1 ]; then
  unset DISPLAY WAYLAND_DISPLAY
fi

# ctest -j starts several tests at once: one of them creates the prefix, the others wait.
# The stamp is written only after wineboot finished, so a half-made prefix is made again.
stamp="$prefix.ready"
if [ ! -f "$stamp" ]; then
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$stamp" ]; then
    rm -rf "$prefix"
    "$wine64" wineboot -i </dev/null >/dev/null 2>&1 || {
      echo "wine-run: wineboot -i failed for $prefix" >&2
      exit 125
    }
    # wineboot returns before the prefix's registry is written to disk.
    "$wineserver" -w
    touch "$stamp"
  fi
  flock -u 9
  exec 9>&-
fi

# Wine's server and its background processes (services.exe, explorer.exe, ...) are started here
# with no input or output, and kept for a minute after the last program. Started by the program
# itself, they would hold on to its output, and ctest waits for every holder of a test's output
# to end: 3 s per test when they shut down on time, the whole timeout when one does not.
"$wineserver" -p60 </dev/null >/dev/null 2>&1 || true # fails when one runs already
"$wine64" cmd /c exit </dev/null >/dev/null 2>&1 || true

# No stdin under CI; a program that reads it gets end of file instead of hanging.
status=0
"$loader" "$@" </dev/null || status=$?
exit "$status"
