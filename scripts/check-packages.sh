#!/usr/bin/env bash
# Checks the release packages that scripts/package.sh left in build/packages: SHA256SUMS
# verifies; each zip holds exactly kxsearch.exe, README.txt and LICENSE.txt in the folder
# kestrix-VERSION/ (VERSION as the packaging build has it); its kxsearch.exe is byte for byte
# the one its packaging build made and, where the tests' build of that architecture exists, the
# one the tests ran; both texts have CRLF line ends, and README.txt names the ALT+Z hotkey.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=build/packages
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "check-packages: $*" >&2
  failed=1
}

(cd "$packages" && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not verify"
for architecture in x64 x86; do
  build=build/package-windows-$architecture
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  folder=kestrix-$version
  zip=$packages/$folder-windows-$architecture.zip
  if ! unzip -q "$zip" -d "$work/$architecture"; then
    fail "$zip: cannot be unpacked"
    continue
  fi
  listing=$(unzip -Z1 "$zip" | sort)
  expected=$(printf '%s\n' "$folder/" "$folder/"{LICENSE.txt,README.txt,kxsearch.exe} | sort)
  [ "$listing" = "$expected" ] || fail "$zip holds" "$(tr "\n" " " <<<"$listing")"
  exe=$work/$architecture/$folder/kxsearch.exe
  for built in "$build" "build/windows-$architecture"; do
    [ "$built" = "$build" ] || [ -f "$built/bin/kxsearch.exe" ] || continue
    cmp "$exe" "$built/bin/kxsearch.exe" || fail "$zip: kxsearch.exe is not $built's"
  done
  for text in README.txt LICENSE.txt; do
    ! grep -q $'[^\r]$\|^$' "$work/$architecture/$folder/$text" ||
      fail "$zip: $text has a line not ended by CR LF"
  done
  grep -q 'ALT+Z' "$work/$architecture/$folder/README.txt" ||
    fail "$zip: README.txt does not name the ALT+Z hotkey"
done
[ "$failed" -eq 0 ] && echo "check-packages: ok"
exit "$failed"
