#!/usr/bin/env bash
# Makes the GIF files the benchmarks open, like files people really have:
#   realistic.gif         100 frames of 800 x 600, each quantised by ImageMagick to its own 256
#                         colours (local tables), dithered and not, from plasma, blurred noise and
#                         noise, with shapes drawn over them (about 35 MB, 48 megapixels)
#   photo-dithered.gif    the 16 dithered plasma and blurred-noise frames among the first 48
#   photo-undithered.gif  the 16 undithered ones
#   screen.gif            40 frames of 800 x 600 like a screen recording: a desktop, windows with
#                         anti-aliased text, a line being typed and a moving pointer, 256 colours
# Usage: make_bench_gifs.sh OUTDIR. Files already in OUTDIR are kept (the build caches them).
set -euo pipefail
out="${1:?usage: make_bench_gifs.sh OUTDIR}"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Frame i: source i % 3 (plasma, blurred noise, noise), dithered when (i / 3) is even.
photo_frame() {
    local i=$1 target=$2
    local source
    case $((i % 3)) in
    0) source=(-seed "$((i + 1))" plasma:fractal) ;;
    1) source=(xc:gray -seed "$((i + 1))" +noise Random -blur 0x7 -auto-level -modulate 100,160) ;;
    *) source=(xc:gray -seed "$((i + 1))" +noise Random -blur 0x1) ;;
    esac
    local dither=(-dither FloydSteinberg)
    ((i / 3 % 2 == 0)) || dither=(+dither)
    local x=$(((i * 37) % 640)) y=$(((i * 53) % 440))
    convert -size 800x600 "${source[@]}" \
        -fill "rgba(250,240,30,0.8)" -draw "circle $((x + 80)),$((y + 80)) $((x + 150)),$((y + 80))" \
        -fill "rgba(20,40,200,0.7)" -draw "rectangle $((600 - x / 2)),$((y / 3)) $((780 - x / 2)),$((y / 3 + 140))" \
        -stroke black -strokewidth 5 -draw "line 0,$((y + 30)) 799,$((599 - y))" \
        "${dither[@]}" -colors 256 "$target"
}

if [ ! -f "$out/realistic.gif" ]; then
    for ((i = 0; i < 100; i++)); do photo_frame "$i" "$work/p$(printf %03d "$i").gif"; done
    convert -delay 8 -loop 0 "$work"/p*.gif "$out/realistic.gif.tmp"
    mv "$out/realistic.gif.tmp" "$out/realistic.gif"
    dithered=() undithered=()
    for ((i = 0; i < 48; i++)); do
        ((i % 3 == 2)) && continue
        f="$work/p$(printf %03d "$i").gif"
        if ((i / 3 % 2 == 0)); then dithered+=("$f"); else undithered+=("$f"); fi
    done
    convert -delay 8 -loop 0 "${dithered[@]}" "$out/photo-dithered.gif"
    convert -delay 8 -loop 0 "${undithered[@]}" "$out/photo-undithered.gif"
fi

if [ ! -f "$out/screen.gif" ]; then
    font=DejaVu-Sans
    desk=(-size 800x600 gradient:"#1d4e89"-"#3a7bd5"
        -fill "#202020" -draw "rectangle 0,570 799,599"
        -fill "#e0e0e0" -draw "rectangle 6,575 90,594")
    for w in 0 1 2; do
        x=$((30 + w * 230)) y=$((30 + w * 110))
        desk+=(-fill "#00000040" -draw "rectangle $((x + 6)),$((y + 6)) $((x + 386)),$((y + 306))"
            -fill white -draw "rectangle $x,$y $((x + 380)),$((y + 300))"
            -fill "#2b579a" -draw "rectangle $x,$y $((x + 380)),$((y + 24))"
            -fill white -font "$font" -pointsize 13 -annotate "+$((x + 8))+$((y + 17))" "Window $((w + 1)) - Notes.txt")
        for ((line = 0; line < 15; line++)); do
            desk+=(-fill "#303030" -pointsize 12 -annotate "+$((x + 10))+$((y + 46 + line * 17))"
                "Line $line: the quick brown fox jumps over the lazy dog $((w * 100 + line))")
        done
    done
    convert "${desk[@]}" "$work/desk.png"
    text="Typing into the last window while the pointer moves across the screen."
    for ((f = 0; f < 40; f++)); do
        px=$((100 + f * 15)) py=$((150 + (f * 23) % 300))
        convert "$work/desk.png" \
            -fill "#303030" -font "$font" -pointsize 12 -annotate "+500+455" "${text:0:$((f * 2))}" \
            -fill "#4caf50" -draw "rectangle 620,578 $((620 + f * 4)),591" \
            -fill white -stroke black -strokewidth 1 \
            -draw "polygon $px,$py $px,$((py + 18)) $((px + 5)),$((py + 14)) $((px + 12)),$((py + 13))" \
            +dither -colors 256 "$work/s$(printf %03d "$f").gif"
    done
    convert -delay 10 -loop 0 "$work"/s*.gif "$out/screen.gif.tmp"
    mv "$out/screen.gif.tmp" "$out/screen.gif"
fi
