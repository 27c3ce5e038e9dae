#!/usr/bin/env bash
# Configures and builds the x86-64 and the 32-bit x86 Windows programs (and their tests) with
# MinGW-w64, then checks that both kxsearch.exe import only system DLLs.
#
# KX_WIN64_BUILD / KX_WIN32_BUILD: build directories (default build/windows-x64 and
# build/windows-x86, those of the CMake presets). KX_JOBS: parallel jobs (default 2).
# KX_TARGETS: targets to build instead of everything, for example "kxsearch".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

win64=${KX_WIN64_BUILD:-$root/build/windows-x64}
win32=${KX_WIN32_BUILD:-$root/build/windows-x86}
jobs=${KX_JOBS:-2}
read -r -a targets <<<"${KX_TARGETS:-}"

build() {
  local name=$1 dir=$2 toolchain=$3
  local started=$SECONDS
  echo "== $name: configure in $dir"
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; echo "== $name: configure FAILED"; return 1; }
  echo "== $name: build"
  local args=()
  [ ${#targets[@]} -gt 0 ] && args=(--target "${targets[@]}")
  # -k 0: one broken target must not hide the state of the others.
  cmake --build "$dir" -j "$jobs" "${args[@]}" -- -k 0 ||
    { echo "== $name: build FAILED ($((SECONDS - started)) s)"; return 1; }
  echo "== $name: built ($((SECONDS - started)) s)"
}

mkdir -p "$(dirname "$win64")" "$(dirname "$win32")"
failed=0
build "windows x86-64" "$win64" mingw-x86_64.cmake || failed=1
build "windows x86" "$win32" mingw-i686.cmake || failed=1

programs=()
for dir in "$win64" "$win32"; do
  for exe in "$dir/bin/kxsearch.exe" "$dir/bin/kxsearch_sim.exe"; do
    [ -f "$exe" ] && programs+=("$exe")
  done
  [ -f "$dir/bin/kxsearch.exe" ] || { echo "== missing $dir/bin/kxsearch.exe"; failed=1; }
done
if [ ${#programs[@]} -gt 0 ]; then
  scripts/check-imports.sh "${programs[@]}" || failed=1
fi
exit "$failed"
