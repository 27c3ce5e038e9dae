#!/usr/bin/env bash
# Checks that the release packages are reproducible: builds them again from this checkout's
# commit, in a fresh clone in another folder under another time zone and umask, and compares
# both packages, SHA256SUMS and both kxsearch.exe with those scripts/package.sh made here. Prints
# the SHA-256 of each file from both folders.
#
#   scripts/check-reproducible.sh [FOLDER]
#
# The clone is made in FOLDER, which must not exist yet, and kept there (its builds serve
# scripts/check-package-failure.sh); without FOLDER it goes to a temporary folder, removed at
# the end. The work tree must not differ from its commit, whose packages are compared.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ -n "$(git status --porcelain)" ] || [ ! -f build/packages/SHA256SUMS ]; then
  echo "check-reproducible: commit every change, then run scripts/package.sh" >&2
  exit 1
fi
if [ $# -ge 1 ]; then
  clone=$1
  [ ! -e "$clone" ] || { echo "check-reproducible: $clone exists already" >&2; exit 2; }
else
  temporary=$(mktemp -d)
  trap 'rm -rf "$temporary"' EXIT
  clone=$temporary/kestrix
fi

commit=$(git rev-parse HEAD)
(
  umask 077
  git init -q "$clone"
  git -C "$clone" fetch -q --no-tags "$root" HEAD
  git -C "$clone" checkout -q --detach FETCH_HEAD
  [ "$(git -C "$clone" rev-parse HEAD)" = "$commit" ]
  cd "$clone"
  TZ=XST-8 scripts/package.sh # eight hours east of UTC, a POSIX zone that needs no tzdata
)

here=$(cd build && sha256sum packages/* package-windows-*/bin/kxsearch.exe)
there=$(cd "$clone/build" && sha256sum packages/* package-windows-*/bin/kxsearch.exe)
printf '%s:\n%s\n%s:\n%s\n' "$root" "$here" "$clone" "$there"
if [ "$here" != "$there" ]; then
  echo "check-reproducible: the two builds of $commit differ (were build/packages made" \
    "before the last commit?)" >&2
  exit 1
fi
echo "check-reproducible: ok, the same bytes from both folders"
