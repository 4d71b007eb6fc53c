#!/usr/bin/env bash
# Turns the SVG sources of the program's pictures into the files its resources hold.
#   render.sh bmp  <svg> <width> <height> <background> <out.bmp>   24-bit BMP, flat on the background
#   render.sh mask <svg> <width> <height> <out.bmp>                 24-bit BMP, magenta where transparent
#   render.sh ico  <out.ico> <svg>:<size> ...                        one icon, one entry per size
#   render.sh png  <svg> <width> <height> <out.png>                  PNG with transparency (help pages)
#   render.sh tiles <svg> <width> <height> <out.png> ...             PNGs of equal tiles, left to right
set -euo pipefail

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# BMP3: the version-3 header that LoadImage reads everywhere; TrueColor keeps it 24-bit.
to_bmp() { convert "$1" "${@:2:$#-2}" -type TrueColor -strip "BMP3:${!#}"; }

case "$1" in
  bmp)
    rsvg-convert -w "$3" -h "$4" "$2" -o "$tmp/p.png"
    to_bmp "$tmp/p.png" -background "$5" -alpha remove -alpha off "$6"
    ;;
  mask)
    rsvg-convert -w "$3" -h "$4" "$2" -o "$tmp/p.png"
    # Pixels less than about a third covered become the mask colour; the rest keep their own
    # colour, so the edges stay dark on a highlighted row instead of showing a light fringe.
    to_bmp "$tmp/p.png" -channel A -threshold 35% +channel -background "#FF00FF" -alpha remove \
      -alpha off "$5"
    ;;
  ico)
    out=$2
    shift 2
    pngs=()
    for entry in "$@"; do
      svg=${entry%:*}
      size=${entry##*:}
      rsvg-convert -w "$size" -h "$size" "$svg" -o "$tmp/$size.png"
      pngs+=("$tmp/$size.png")
    done
    convert "${pngs[@]}" -strip "$out"
    ;;
  png)
    rsvg-convert -w "$3" -h "$4" "$2" -o "$5"
    ;;
  tiles)
    rsvg-convert -w "$3" -h "$4" "$2" -o "$tmp/p.png"
    outs=("${@:5}")
    tile=$(( $3 / ${#outs[@]} ))
    for i in "${!outs[@]}"; do
      convert "$tmp/p.png" -crop "${tile}x$4+$(( i * tile ))+0" +repage -strip "${outs[$i]}"
    done
    ;;
  *)
    echo "render.sh: unknown kind '$1'" >&2
    exit 2
    ;;
esac
