#!/usr/bin/env bash
# Checks that scripts/package.sh stops at a failing build step and leaves no zip behind. In
# FOLDER, a checkout where scripts/package.sh already ran (scripts/check-reproducible.sh FOLDER
# leaves one), the 32-bit build is made to fail once the x86-64 package is packed: package.sh
# must then end with an error status and the compiler's message, and FOLDER/build must hold no
# zip, neither that x86-64 one nor those of the earlier run. FOLDER's source is restored after.
#
#   scripts/check-package-failure.sh FOLDER
set -euo pipefail

folder=${1:?usage: $0 FOLDER (a checkout where scripts/package.sh ran)}
[ -f "$folder/build/packages/SHA256SUMS" ] || { echo "$folder: no packages made there" >&2; exit 2; }
log=$(mktemp)
trap 'git -C "$folder" checkout -q -- ui/win_main.cpp; rm -f "$log"' EXIT
message="the 32-bit build fails here on purpose"
printf '#ifdef __i386__\n#error %s\n#endif\n' "$message" >>"$folder/ui/win_main.cpp"

status=0
(cd "$folder" && scripts/package.sh) >"$log" 2>&1 || status=$?
left=$(find "$folder/build" -name "*.zip" -o -name "packages*" -prune | tr "\n" " ")
if [ "$status" -eq 0 ] || ! grep -q "windows-x64.zip generated" "$log" ||
  ! grep -q "$message" "$log" || [ -n "$left" ]; then
  echo "check-package-failure: expected a failure status (got $status), the x86-64 package" \
    "packed, then the compiler's error, and no zip left (left: ${left:-none}); the output:" >&2
  cat "$log" >&2
  exit 1
fi
tail -n 3 "$log"
echo "check-package-failure: ok"
