#!/usr/bin/env bash
# Builds both kxsearch.exe files, then shows the program working on a demo volume: the
# Windows window under Wine when the simulator build of the window exists, and the headless
# query tool's view of the same demo volume.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in windows-x64 windows-x86 linux; do
  cmake --preset "$preset" >/dev/null
done
cmake --build --preset windows-x64 -j2 --target kxsearch
cmake --build --preset windows-x86 -j2 --target kxsearch
cmake --build --preset linux -j2 --target kxquery

echo "Built build/windows-x64/bin/kxsearch.exe and build/windows-x86/bin/kxsearch.exe"
echo
echo "The built-in demo volume, indexed by the real start-up (kxquery --demo --count --paths):"
build/linux/bin/kxquery --demo --count --paths
