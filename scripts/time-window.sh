#!/usr/bin/env bash
# Times the real window under Wine as a user types: builds the Windows programs if needed,
# writes a simulated volume of RECORDS names mirrored from /usr, starts kxsearch_sim.exe over it
# on a virtual display, types each WORD one key at a time and prints how long each key took
# until the title showed its count, with the program's resident memory. A measurement; CI does
# not run it. --arch x86 times the 32-bit program (under Wine's 32-bit loader) instead of the
# x86-64 one. Each --sort WORD:COLUMNS then types WORD and times clicks on the titles of its
# columns, e.g. --sort con:name,size,size,modified,created,path; --rest hides the window for
# 5 s, shows it again and types the words once more (see time_window.py).
#
#   scripts/time-window.sh [--arch x64|x86] [--sort WORD:COLUMNS ...] [--rest] [RECORDS] [WORD ...]
#   (default: x64 10000000 config kern e)
set -euo pipefail
cd "$(dirname "$0")/.."
arch=x64
options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=${2:?--arch takes x64 or x86}; shift 2 ;;
    --sort) options+=(--sort "${2:?--sort takes WORD:COLUMNS}"); shift 2 ;;
    --rest) options+=(--rest); shift ;;
    *) break ;;
  esac
done
case "$arch" in
  x64 | x86) ;;
  *) echo "time-window: --arch takes x64 or x86, not $arch" >&2; exit 2 ;;
esac
scripts/install-deps.sh
if [ "$arch" = x86 ] && ! why=$(scripts/runs-32-bit.sh); then
  echo "time-window: the 32-bit window cannot run here: $why" >&2
  exit 1
fi
records=${1:-10000000}
shift || true
[ $# -gt 0 ] || set -- config kern e
# The probe reads the window's titles as the program defines them.
build=build/windows-$arch
if [ ! -x "$build/bin/kxsearch_sim.exe" ] || [ ! -x "$build/bin/window_probe.exe" ]; then
  cmake --preset "windows-$arch" >/dev/null
  cmake --build --preset "windows-$arch" -j2 --target kxsearch_sim kx_window_probe
fi
exec python3 scripts/time_window.py "${options[@]}" "$build" "$records" "$@"
