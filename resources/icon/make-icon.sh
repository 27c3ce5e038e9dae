#!/usr/bin/env bash
# Draws the Kestrix icon with ImageMagick and writes it as one .ico holding 32-bit images at
# 16, 24, 32, 48, 64, 72, 96, 128 and 256 pixels.
#
#   resources/icon/make-icon.sh OUTPUT.ico
#
# The artwork: a rounded tile in a deep blue to teal gradient, a white magnifier ring with its
# handle, and an amber kestrel wing sweeping through the ring. It is drawn once at 1024 pixels
# and scaled down, so every size comes from the same outline.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTPUT.ico" >&2
  exit 2
fi
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 1024x1024 gradient:'#1d4ed8-#0f9f9a' "$work/gradient.png"
convert -size 1024x1024 xc:none -fill white -draw 'roundrectangle 40,40 984,984 200,200' \
  "$work/tile-mask.png"
convert "$work/gradient.png" "$work/tile-mask.png" -alpha off -compose CopyOpacity -composite \
  "$work/tile.png"

convert "$work/tile.png" \
  -stroke white -strokewidth 86 -fill none -draw 'circle 430,430 430,700' \
  -stroke none -fill white -draw 'polygon 600,660 660,600 880,820 820,880' \
  -fill white -draw 'roundrectangle 760,760 900,900 40,40' \
  -fill '#f59e0b' -draw 'path "M 250,520 C 330,360 470,300 620,300 C 540,350 480,420 450,520 C 400,470 330,480 250,520 Z"' \
  -fill '#fde68a' -draw 'path "M 300,505 C 360,420 440,380 530,360 C 480,410 450,450 440,500 C 400,470 350,480 300,505 Z"' \
  "$work/master.png"

sizes=(256 128 96 72 64 48 32 24 16)
layers=()
for size in "${sizes[@]}"; do
  convert "$work/master.png" -filter Lanczos -resize "${size}x${size}" -define png:color-type=6 \
    "PNG32:$work/icon-$size.png"
  layers+=("$work/icon-$size.png")
done
convert "${layers[@]}" "$out"
