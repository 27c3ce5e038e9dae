#!/bin/sh
# Prints the folder that holds Wine's 64-bit loader (wine64) and its server (wineserver): the
# one place where the scripts and the window tests learn where Wine is. Debian's wine64
# package puts both in /usr/lib/wine, off PATH; elsewhere the loader may be on PATH.
if [ -x /usr/lib/wine/wine64 ]; then
  echo /usr/lib/wine
elif loader=$(command -v wine64); then
  dirname "$loader"
else
  echo "wine64 not found (Debian package wine64)" >&2
  exit 127
fi
