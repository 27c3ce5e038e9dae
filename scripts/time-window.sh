#!/usr/bin/env bash
# Times the real window under Wine as a user types: builds the x86-64 programs if needed, writes
# a simulated volume of RECORDS names mirrored from /usr, starts kxsearch_sim.exe over it on a
# virtual display, types each WORD one key at a time and prints how long each key took until the
# title showed its count, with the program's resident memory. A measurement; CI does not run it.
#
#   scripts/time-window.sh [RECORDS] [WORD ...]     (default: 10000000 config kern e)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
records=${1:-10000000}
shift || true
[ $# -gt 0 ] || set -- config kern e
# The probe reads the window's titles as the program defines them.
bin=build/windows-x64/bin
if [ ! -x "$bin/kxsearch_sim.exe" ] || [ ! -x "$bin/window_probe.exe" ]; then
  cmake --preset windows-x64 >/dev/null
  cmake --build --preset windows-x64 -j2 --target kxsearch_sim kx_window_probe
fi
exec python3 scripts/time_window.py build/windows-x64 "$records" "$@"
