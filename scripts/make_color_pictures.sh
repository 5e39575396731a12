#!/usr/bin/env bash
# Makes the pictures the colour-reduction benchmark reduces, as binary PPM files,
# and ImageMagick's own 256-colour reduction of each (NAME-im.ppm, -colors 256 +dither):
#   photos:      rose (ImageMagick's rose:), wizard-scaled (wizard: enlarged 150 %), plasma (640 x 480 fractal
#                plasma), photo-hd (1920 x 1080 plasma, blurred, with sensor-like noise)
#   drawings and screenshots (at most 256 colours): wizard (wizard:), logo (logo:),
#                netscape (netscape:), text (a window of anti-aliased text)
# Usage: make_color_pictures.sh OUTDIR. Files already in OUTDIR are kept (the build caches them).
set -euo pipefail
out="${1:?usage: make_color_pictures.sh OUTDIR}"
mkdir -p "$out"

make() {
    local name=$1
    shift
    [[ -s "$out/$name.ppm" ]] || convert "$@" -strip -depth 8 "$out/$name.ppm"
    [[ -s "$out/$name-im.ppm" ]] || convert "$out/$name.ppm" +dither -colors 256 -depth 8 "$out/$name-im.ppm"
}

make rose rose:
make wizard wizard: -background white -flatten
make wizard-scaled wizard: -background white -flatten -resize 150%
make plasma -size 640x480 -seed 11 plasma:fractal
make photo-hd -size 1920x1080 -seed 5 plasma:fractal -blur 0x2 -seed 6 -attenuate 0.3 +noise Gaussian
make logo logo:
make netscape netscape:
make text -size 900x300 xc:'#f0f0f0' -fill white -draw 'rectangle 20,40 880,280' \
    -fill '#2060c0' -draw 'rectangle 0,0 900,28' -font DejaVu-Sans -pointsize 15 -fill white \
    -annotate +10+19 'Frameloom - notes.txt' -fill '#202020' \
    -annotate +30+70 'The quick brown fox jumps over the lazy dog. 0123456789' -fill '#b01010' \
    -annotate +30+100 'Error: the file cannot be read (line 42, column 7).' -fill '#107010' \
    -annotate +30+130 'Saved 12 frames, 256 colours, 1.2 MB.' -fill '#404040' -pointsize 12 \
    -annotate +30+160 'Menu  File  Edit  Frame  View  Help'
