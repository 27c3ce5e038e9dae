#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and this machine
# lacks, and Wine's 32-bit loader (wine32 from the i386 architecture) where the kernel runs
# 32-bit programs. Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ g++-multilib clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
  binutils-mingw-w64-i686 wine64 qemu-user-static strip-nondeterminism unzip
  xvfb xdotool xclip x11-utils libxfixes3 libxtst6 imagemagick fonts-wqy-microhei python3
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"
# The probe needs gcc -m32 from the packages above.
if why=$("$(dirname "$0")/runs-32-bit.sh"); then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  install_missing wine32:i386
else
  echo "install-deps: no 32-bit Wine: $why"
fi
