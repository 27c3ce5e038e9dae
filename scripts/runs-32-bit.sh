#!/bin/sh
# Says whether this machine runs 32-bit x86 programs (a 64-bit kernel without IA-32 emulation
# does not): builds a tiny static 32-bit program and runs it. Exit 0 when it ran; otherwise
# prints one line saying why and exits 1. Needs gcc with -m32 (Debian's gcc-multilib).
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
printf 'int main(void) { return 0; }\n' >"$work/probe.c"
if ! gcc -m32 -static -o "$work/probe" "$work/probe.c" 2>"$work/log"; then
  echo "no 32-bit x86: cannot build a 32-bit program ($(head -n1 "$work/log"))"
  exit 1
fi
if ! "$work/probe" 2>"$work/log"; then
  echo "no 32-bit x86: this kernel does not run 32-bit programs ($(head -n1 "$work/log" | sed 's/.*: //'))"
  exit 1
fi
exit 0
