#!/usr/bin/env bash
# Renders a frame every few seconds of the whole presentation with ombrel-capture and tiles them,
# each labelled with its moment, segment and shot, into one image (docs/shots.png): the sheet to
# look at every shot on.
# Usage: tools/capture/shots-sheet.sh [OUT.png] [--every S] [--size WxH] [--fps N] [--columns N]
#   --every S   seconds between frames, from S to 147 (default 3)
#   --size WxH  the rendered size, shrunk to a quarter of 1280x720 on the sheet (default 1280x720:
#               at smaller sizes the one-pixel particles pile up into fog)
#   --fps N     the stepping clock (default 30, the rate of scripts/play's video; 10 is three times
#               faster and cuts the shots a few frames apart from it)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/docs/shots.png
every=3
size=1280x720
fps=30
columns=7
while [ $# -gt 0 ]; do
    case $1 in
    --every) every=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --columns) columns=$2; shift 2 ;;
    -*) echo "shots-sheet: unknown option $1" >&2; exit 2 ;;
    *) out=$1; shift ;;
    esac
done
out=$(realpath -m "$out")
bin=$root/build/linux/bin
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

# The fade-out ends at 147 s; nothing is on screen after it.
mapfile -t moments < <(seq "$every" "$every" 147)
start=$SECONDS
(cd "$bin" && ./ombrel-capture --png-dir "$shots" --size "$size" --fps "$fps" \
    --at "$(IFS=,; echo "${moments[*]}")") >"$shots/shots.txt"

# One line per frame from the capture tool: "at-SSS.SSS.png Kind shot N".
declare -A label
while read -r file kind _ shot; do
    label[$file]="$kind $shot"
done <"$shots/shots.txt"

inputs=()
filters=""
layout=""
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
for i in "${!moments[@]}"; do
    file=$(printf 'at-%07.3f.png' "${moments[$i]}")
    inputs+=(-i "$shots/$file")
    text="${moments[$i]} s  ${label[$file]:-?}"
    filters+="[$i:v]scale=320:180,drawtext=fontfile=$font:text='$text':x=6:y=6:fontsize=13:"
    filters+="fontcolor=white:box=1:boxcolor=black@0.6:boxborderw=3[t$i];"
    layout+="$((i % columns * 320))_$((i / columns * 180))|"
done
stack=""
for i in "${!moments[@]}"; do stack+="[t$i]"; done
ffmpeg -hide_banner -loglevel error -y "${inputs[@]}" \
    -filter_complex "${filters}${stack}xstack=inputs=${#moments[@]}:layout=${layout%|}:fill=black" \
    -frames:v 1 "$out"
echo "shots sheet: $out (${#moments[@]} frames at $size, $((SECONDS - start)) s)"
