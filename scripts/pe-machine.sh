#!/bin/sh
# Prints the architecture a Windows program is built for, from its PE header: "i386",
# "x86-64", or "unknown" (not a PE file, or another machine).
#
#   scripts/pe-machine.sh PROGRAM.exe
file=$1
# e_lfanew, at 0x3c: where the "PE\0\0" signature stands; the machine field follows it.
pe=$(od -An -t u4 -j 60 -N 4 "$file" 2>/dev/null | tr -d ' ')
[ -n "$pe" ] || { echo unknown; exit 0; }
signature=$(od -An -t x1 -j "$pe" -N 4 "$file" 2>/dev/null | tr -d ' ')
machine=$(od -An -t x2 -j $((pe + 4)) -N 2 "$file" 2>/dev/null | tr -d ' ')
case "$signature:$machine" in
  50450000:014c) echo i386 ;;
  50450000:8664) echo x86-64 ;;
  *) echo unknown ;;
esac
