#!/usr/bin/env bash
# Makes the animations the optimiser benchmark compares with gifsicle -O3, all
# written unoptimised (every frame the whole screen, as a recorder saves them):
#   terminal.gif   typing in a terminal, a character per frame
#   sprite.gif     a sprite bouncing over a flat background
#   slideshow.gif  a slide show from frameloom-cli slideshow
#   photo.gif      a photo-like picture with small moving parts
# Usage: make_optimize_inputs.sh OUTDIR FRAMELOOM-CLI. Needs ImageMagick's
# convert. Files that exist already are kept (the build folder caches them).
set -euo pipefail
out="$1"
cli="$2"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if [ ! -s "$out/terminal.gif" ]; then
    text="$ make -j2 frameloom && ./build/release/src/shell/frameloom --open sample.gif"
    lines=("$ ls" "CMakeLists.txt  README.md  bench  scripts  src  tests" "$ git status --short")
    args=()
    y=20
    for line in "${lines[@]}"; do
        args+=(-annotate "+8+$y" "$line")
        y=$((y + 18))
    done
    for ((i = 0; i <= ${#text}; i += 1)); do
        convert -size 560x180 xc:'#1d1f21' -font DejaVu-Sans-Mono -pointsize 13 -fill '#c5c8c6' \
            "${args[@]}" -annotate "+8+$y" "${text:0:i}" -fill '#b5bd68' -draw "rectangle $((8 + 8 * i)),$((y - 11)) $((15 + 8 * i)),$((y + 3))" \
            "$work/t$(printf %03d "$i").png"
    done
    convert -delay 8 "$work"/t*.png -loop 0 "$out/terminal.gif"
    rm -f "$work"/t*.png
fi

if [ ! -s "$out/sprite.gif" ]; then
    for ((i = 0; i < 60; i++)); do
        x=$((20 + i * 4))
        y=$(awk -v i="$i" 'BEGIN { printf "%d", 150 - 110 * (i % 20 - 10) * (i % 20 - 10) / 100 }')
        convert -size 320x200 xc:'#87ceeb' -fill '#3a7d2c' -draw 'rectangle 0,170 319,199' +antialias \
            -fill '#ffcc00' -draw "circle $x,$y $((x + 12)),$y" -fill '#202020' \
            -draw "rectangle $((x - 4)),$((y - 4)) $((x - 1)),$((y - 1))" \
            -draw "rectangle $((x + 3)),$((y - 4)) $((x + 6)),$((y - 1))" "$work/s$(printf %03d "$i").png"
    done
    convert -delay 5 "$work"/s*.png -loop 0 "$out/sprite.gif"
    rm -f "$work"/s*.png
fi

if [ ! -s "$out/slideshow.gif" ]; then
    convert -seed 11 -size 240x160 plasma:fractal "$work/a.png"
    convert -size 240x160 gradient:'#203060-#e0a040' "$work/b.png"
    convert -seed 5 -size 240x160 plasma:'#406080-#c0e0ff' -blur 0x2 "$work/c.png"
    "$cli" slideshow "$out/slideshow.gif" --size 240x160 --seed 3 "$work/a.png:1:10" "$work/b.png:5:10" \
        "$work/c.png:9:10" >/dev/null
fi

if [ ! -s "$out/photo.gif" ]; then
    convert -seed 21 -size 320x240 plasma:fractal -blur 0x1 "$work/back.png"
    for ((i = 0; i < 40; i++)); do
        x=$(awk -v i="$i" 'BEGIN { printf "%d", 160 + 90 * cos(i * 0.157) }')
        y=$(awk -v i="$i" 'BEGIN { printf "%d", 120 + 70 * sin(i * 0.157) }')
        convert "$work/back.png" -fill "rgb($((100 + i * 3)),40,40)" -draw "circle $x,$y $((x + 9)),$y" \
            -fill white -draw "rectangle 20,20 $((24 + i % 10 * 3)),26" "$work/p$(printf %03d "$i").png"
    done
    # One palette for the whole animation, as photo-like recordings have, and
    # no dithering, so the still parts keep their pixels from frame to frame.
    convert "$work/p000.png" +dither -colors 256 "$work/palette.gif"
    convert -delay 6 "$work"/p*.png +dither -remap "$work/palette.gif" -loop 0 "$out/photo.gif"
    rm -f "$work"/p*.png
fi
