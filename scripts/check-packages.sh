#!/usr/bin/env bash
# Checks the release packages that scripts/package.sh left in build/packages: SHA256SUMS
# verifies; each zip holds exactly kxsearch.exe, README.txt and LICENSE.txt in the folder
# kestrix-VERSION/ (VERSION as the packaging build has it); its kxsearch.exe is byte for byte
# the one its packaging build made and, where the tests' build of that architecture exists, the
# one the tests ran; both texts have CRLF line ends, and README.txt names the ALT+Z hotkey.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "check-packages: $*" >&2
  failed=1
}

(cd build/packages && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not verify"
for architecture in x64 x86; do
  build=build/package-windows-$architecture
  folder=kestrix-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  zip=build/packages/$folder-windows-$architecture.zip
  unzip -q "$zip" -d "$work/$architecture"
  listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
  expected=$(printf '%s\n' "$folder/" "$folder/"{LICENSE.txt,README.txt,kxsearch.exe} | sort |
    tr '\n' ' ')
  [ "$listing" = "$expected" ] || fail "$zip holds $listing"
  unpacked=$work/$architecture/$folder
  exe=$unpacked/kxsearch.exe
  cmp "$exe" "$build/bin/kxsearch.exe" || fail "$zip: kxsearch.exe is not $build's"
  tested=build/windows-$architecture/bin/kxsearch.exe
  [ ! -f "$tested" ] || cmp "$exe" "$tested" || fail "$zip: kxsearch.exe is not $tested"
  ! grep -q $'[^\r]$\|^$' "$unpacked/README.txt" "$unpacked/LICENSE.txt" ||
    fail "$zip: a text has a line not ended by CR LF"
  grep -q 'ALT+Z' "$unpacked/README.txt" || fail "$zip: README.txt does not name ALT+Z"
done
[ "$failed" -eq 0 ] && echo "check-packages: ok"
exit "$failed"
