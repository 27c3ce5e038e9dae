#!/usr/bin/env bash
# Fails unless every DLL that the given .exe files import ships with Windows itself, so that
# the program runs on a bare system without any MinGW runtime DLL beside it, and unless every
# 32-bit program is large-address aware: without that mark Windows gives it 2 GiB, not 4.
#
#   scripts/check-imports.sh FILE.exe [FILE.exe ...]
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 FILE.exe [FILE.exe ...]" >&2
  exit 2
fi

# System DLLs of every supported Windows version, lower case. msvcrt is the system's C runtime
# that MinGW's static runtime still calls into; api-ms-win-* are the API sets of the system.
accepted=(
  kernel32.dll user32.dll gdi32.dll shell32.dll advapi32.dll comctl32.dll comdlg32.dll
  ole32.dll oleaut32.dll shlwapi.dll uxtheme.dll msvcrt.dll ucrtbase.dll ntdll.dll
  version.dll ws2_32.dll
)

is_accepted() {
  local dll=$1
  case "$dll" in
    api-ms-win-*.dll | ext-ms-win-*.dll) return 0 ;;
  esac
  local name
  for name in "${accepted[@]}"; do
    [ "$dll" = "$name" ] && return 0
  done
  return 1
}

# The x86-64 objdump reads both formats; it tells which one a file is.
objdump_for() {
  local format
  format=$(x86_64-w64-mingw32-objdump -f "$1" 2>/dev/null | sed -n 's/.*file format //p')
  case "$format" in
    pei-x86-64) echo x86_64-w64-mingw32-objdump ;;
    pei-i386) echo i686-w64-mingw32-objdump ;;
    *) return 1 ;;
  esac
}

failed=0
for exe in "$@"; do
  if [ ! -f "$exe" ]; then
    echo "check-imports: $exe: no such file" >&2
    failed=1
    continue
  fi
  if ! tool=$(objdump_for "$exe"); then
    echo "check-imports: $exe: not a Windows x86 or x86-64 program" >&2
    failed=1
    continue
  fi
  dump=$("$tool" -p "$exe") || {
    echo "check-imports: $tool -p $exe failed" >&2
    failed=1
    continue
  }
  if [ "$tool" = i686-w64-mingw32-objdump ]; then
    # The file header's flags, IMAGE_FILE_LARGE_ADDRESS_AWARE being 0x20.
    characteristics=$(sed -n 's/^Characteristics[[:space:]]*0x\([0-9a-fA-F]*\).*/\1/p' <<<"$dump" |
      head -n 1)
    if [ -z "$characteristics" ]; then
      echo "check-imports: $exe: no Characteristics in the file header" >&2
      failed=1
      continue
    fi
    if (((0x$characteristics & 0x20) == 0)); then
      echo "check-imports: $exe: not large-address aware (Characteristics 0x$characteristics)" >&2
      failed=1
      continue
    fi
  fi
  mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$dump" |
    tr '[:upper:]' '[:lower:]' | sort -u)
  if [ ${#dlls[@]} -eq 0 ]; then
    echo "check-imports: $exe: no import table found" >&2
    failed=1
    continue
  fi
  bad=()
  for dll in "${dlls[@]}"; do
    is_accepted "$dll" || bad+=("$dll")
  done
  if [ ${#bad[@]} -eq 0 ]; then
    echo "check-imports: $exe: ok (${dlls[*]})"
  else
    echo "check-imports: $exe: imports non-system DLLs: ${bad[*]}" >&2
    failed=1
  fi
done
exit "$failed"
