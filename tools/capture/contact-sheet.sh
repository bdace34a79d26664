#!/usr/bin/env bash
# Renders one 960x540 frame of each of the nine segments with ombrel-capture and tiles them,
# labelled, into one image (docs/contact-sheet.png).
# Usage: tools/capture/contact-sheet.sh [OUT.png] [FPS]   (after the linux build; FPS of the
# stepping clock, default 30: the moments are whole seconds, so they lie on any clock)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "${1:-$root/docs/contact-sheet.png}")
fps=${2:-30}
bin=$root/build/linux/bin
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

moments=(12 27 44 56 72 89 100 116 132)
labels=("Tarv 12 s" "Scene01 27 s" "Sphere 44 s" "Logo 56 s" "Rings 72 s" "Tunnel 89 s"
        "Greets 100 s" "Grinder 116 s" "Tarv 132 s")
(cd "$bin" && ./ombrel-capture --png-dir "$shots" --size 960x540 --fps "$fps" \
    --at "$(IFS=,; echo "${moments[*]}")")

inputs=()
filters=""
for i in "${!moments[@]}"; do
    inputs+=(-i "$(printf '%s/at-%07.3f.png' "$shots" "${moments[$i]}")")
    filters+="[$i:v]scale=480:270,drawtext=fontfile=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf:"
    filters+="text='${labels[$i]}':x=10:y=10:fontsize=16:fontcolor=white:box=1:boxcolor=black@0.6:boxborderw=4[t$i];"
done
layout="0_0|w0_0|w0+w1_0|0_h0|w0_h0|w0+w1_h0|0_h0+h3|w0_h0+h3|w0+w1_h0+h3"
ffmpeg -hide_banner -loglevel error -y "${inputs[@]}" \
    -filter_complex "${filters}[t0][t1][t2][t3][t4][t5][t6][t7][t8]xstack=inputs=9:layout=$layout" \
    -frames:v 1 "$out"
echo "contact sheet: $out"
