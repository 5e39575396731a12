#!/usr/bin/env bash
# Draws resources/Sample.gif, the animation the editor opens on its first run:
# twelve 160 x 120 frames of coloured balls circling a title, looping forever.
# Needs ImageMagick's `convert`. Run it again only to change the picture; the
# result is kept in the repository.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$here/resources/Sample.gif}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

colors=("#e6194b" "#f58231" "#ffe119" "#3cb44b" "#4363d8" "#911eb4")
frames=12
for ((i = 0; i < frames; i++)); do
    args=()
    for ((b = 0; b < ${#colors[@]}; b++)); do
        # Each ball sits on a circle of radius 40 around (80, 60), 60 degrees apart,
        # and the ring turns 30 degrees per frame.
        read -r x y < <(awk -v i="$i" -v b="$b" 'BEGIN {
            a = (i * 30 + b * 60) * 3.14159265 / 180
            printf "%d %d\n", 80 + 44 * cos(a), 60 + 40 * sin(a) }')
        r=$((9 + (i + b) % 3 * 2))
        args+=(-fill "${colors[$b]}" -draw "circle $x,$y $((x + r)),$y")
    done
    convert -size 160x120 xc:"#f4f4f0" \
        -fill "#d0d0e8" -draw "rectangle 0,104 159,119" \
        "${args[@]}" \
        -fill "#202040" -font DejaVu-Sans-Bold -pointsize 13 -gravity center -annotate +0+0 "Frameloom" \
        +antialias -dither None -colors 32 "$work/f$(printf %02d "$i").gif"
done
convert -delay 10 -loop 0 -dispose none "$work"/f*.gif +remap "$out"
echo "wrote $out"
