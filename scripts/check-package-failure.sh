#!/usr/bin/env bash
# Checks that scripts/package.sh stops at a failing build step and leaves no zip behind. In
# FOLDER, a checkout where scripts/package.sh already ran (scripts/check-reproducible.sh FOLDER
# leaves one), the 32-bit build is made to fail once the x86-64 package is packed: package.sh
# must then end with an error status and the compiler's message, and FOLDER/build must hold no
# zip, neither that x86-64 one nor those of the earlier run. FOLDER's source is restored after.
#
#   scripts/check-package-failure.sh FOLDER
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1/build/packages/SHA256SUMS" ]; then
  echo "usage: $0 FOLDER (a checkout where scripts/package.sh ran)" >&2
  exit 2
fi
folder=$1
log=$(mktemp)
trap 'git -C "$folder" checkout -q -- ui/win_main.cpp; rm -f "$log"' EXIT
message="the 32-bit build fails here on purpose"
printf '#ifdef __i386__\n#error %s\n#endif\n' "$message" >>"$folder/ui/win_main.cpp"

failed=0
if (cd "$folder" && scripts/package.sh) >"$log" 2>&1; then
  echo "check-package-failure: package.sh succeeded over a failing build" >&2
  failed=1
fi
grep -q "windows-x64.zip generated" "$log" ||
  { echo "check-package-failure: the x86-64 package was not packed first" >&2; failed=1; }
grep -q "$message" "$log" ||
  { echo "check-package-failure: package.sh did not show the compiler's error" >&2; failed=1; }
left=$(find "$folder/build" -name "*.zip" -o -name "packages*" -prune | tr "\n" " ")
[ -z "$left" ] || { echo "check-package-failure: left behind: $left" >&2; failed=1; }
[ "$failed" -eq 0 ] && tail -n 3 "$log" && echo "check-package-failure: ok"
exit "$failed"
