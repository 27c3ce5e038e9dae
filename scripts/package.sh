#!/usr/bin/env bash
# Makes the release packages from this checkout, installing what it needs first. build/packages
# then holds kestrix-VERSION-windows-x64.zip and kestrix-VERSION-windows-x86.zip, each with
# kxsearch.exe, README.txt and LICENSE.txt in a folder kestrix-VERSION/, and SHA256SUMS for
# both, which `sha256sum -c SHA256SUMS` verifies.
#
# Each architecture's kxsearch.exe is built alone in a build folder of its own (the presets
# package-windows-x64 and package-windows-x86) and packed by CPack (packaging/). Their bytes
# depend on the commit only, not on the folder, the time or the user, so that anyone can
# rebuild a release from its source and compare; scripts/check-reproducible.sh does that.
#
# A failing step stops the script with that step's error, and build/packages then holds
# nothing: no zip of this run, none of an earlier one.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
out=build/packages
partial=build/packages.partial
rm -rf "$out" "$partial"
# CPack's own output folders too: a failed packing may leave a zip there.
trap 'rm -rf "$partial" build/package-windows-*/cpack' EXIT
mkdir -p "$partial"

if [ -n "$(git status --porcelain)" ]; then
  echo "package: the work tree differs from its commit: these packages are not the commit's" >&2
fi
for architecture in x64 x86; do
  preset=package-windows-$architecture
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 --target kxsearch
  cpack --config "build/$preset/CPackConfig.cmake"
  mv "build/$preset/cpack/"kestrix-*-windows-"$architecture".zip "$partial/"
done
(cd "$partial" && sha256sum -- *.zip >SHA256SUMS)
mv "$partial" "$out"
echo "Release packages in $out:"
(cd "$out" && cat SHA256SUMS)
