#!/usr/bin/env bash
# Remakes the installer's pictures: banner.gif (542 x 60) and kivsetup.ico (32 x 32,
# 256 colours). The results are committed; run this only to change them.
# Needs ImageMagick (convert) with the DejaVu fonts, and python3.
set -euo pipefail
cd "$(dirname "$0")"

dark='rgb(0,0,150)'
light='rgb(130,192,255)'
letters='rgb(228,240,255)'

# Light stripes on the dark blue, fading out to the right.
stripes=()
for i in 0 1 2 3 4 5 6; do
  y=$((7 + i * 7))
  stripes+=(-draw "rectangle 0,$y 159,$((y + 2))")
done
convert -size 542x60 "xc:$dark" \
  \( -size 160x60 "xc:$dark" \
     \( -size 160x60 "xc:$dark" -fill "$light" "${stripes[@]}" \) \
     \( -size 60x160 gradient:white-black -rotate -90 \) -composite \) \
  -geometry +0+0 -composite \
  -font DejaVu-Sans-Bold -pointsize 46 -fill "$letters" -gravity West -annotate +172+0 'Tessaline' \
  -colors 64 +dither banner.gif

# The icon: a dark blue tile with three light stripes and a light "T".
convert -size 32x32 xc:none -fill "$dark" -draw 'roundrectangle 0,0 31,31 5,5' \
  -fill "$light" -draw 'rectangle 3,9 11,10' -draw 'rectangle 3,14 9,15' -draw 'rectangle 3,19 7,20' \
  -font DejaVu-Sans-Bold -pointsize 28 -fill "$letters" -gravity Center -annotate +4+1 'T' \
  -channel A -threshold 50% +channel -colors 255 +dither -depth 8 rgba:- | python3 ico8.py 32 32 >kivsetup.ico

ls -l banner.gif kivsetup.ico
