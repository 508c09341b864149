#!/usr/bin/env bash
# Draws the program's icons with ImageMagick: a blue tile with a frequency-modulated wave
# over four operator dots. Run it after changing the picture; the .ico files are committed.
#   kavelo.ico        icon 107: 48, 32 and 16 pixels
#   kavelo_small.ico  icon 108: 16 and 32 pixels, wave only
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The wave: sin(t + 1.2 sin(t)) across the tile, as points of a polyline on a 256 grid.
wave_points() { # $1 = top of the band, $2 = band height
    awk -v top="$1" -v h="$2" 'BEGIN {
        pi = 3.14159265358979
        for (i = 0; i <= 120; i++) {
            t = i / 120.0
            x = 40 + t * 176
            p = 2 * pi * 2 * t
            y = top + h / 2 - (h / 2) * sin(p + 1.2 * sin(p))
            printf "%.1f,%.1f ", x, y
        }
    }'
}

tile() { # $1 = output, $2 = draw the operator dots (1/0), $3 = wave stroke width
    local wave dots=""
    if [ "$2" = 1 ]; then
        wave=$(wave_points 52 104)
        for x in 64 106 150 192; do
            dots+="fill '#ffd34d' stroke '#7a5a00' stroke-width 4 circle $x,206 $((x + 15)),206 "
        done
    else
        wave=$(wave_points 58 140)
    fi
    convert -size 256x256 xc:none \
        -fill 'gradient:#2b6fd6-#0e2a66' \
        \( -size 256x256 gradient:'#3a86f0'-'#0d2459' \) \
        \( -size 256x256 xc:black -fill white -draw 'roundrectangle 8,8 247,247 48,48' \) \
        -delete 0 -alpha off -compose CopyOpacity -composite \
        -fill none -stroke '#0a1a40' -strokewidth 4 -draw 'roundrectangle 8,8 247,247 48,48' \
        -stroke white -strokewidth "$3" \
        -draw "stroke-linecap round stroke-linejoin round polyline $wave" \
        -stroke none -draw "$dots" \
        "$1"
}

tile "$work/large.png" 1 16
tile "$work/small.png" 0 26
for size in 48 32 16; do
    convert "$work/large.png" -resize ${size}x${size} "$work/large-$size.png"
done
for size in 32 16; do
    convert "$work/small.png" -resize ${size}x${size} "$work/small-$size.png"
done
convert "$work/large-48.png" "$work/large-32.png" "$work/small-16.png" kavelo.ico
convert "$work/small-16.png" "$work/small-32.png" kavelo_small.ico
