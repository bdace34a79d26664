#!/usr/bin/env bash
# Reads the greetings as a viewer would: the middle of each word shot of the Greets segment at
# 640x360, post pass and particles included, read by tesseract. Each shot's word must be among
# what it reads (words of the other shots may show at the edges).
# Usage: greets_ocr_test.sh OMBREL_CAPTURE DATA_DIR
set -euo pipefail
capture=$1 data=$2
for tool in tesseract ffmpeg; do
    command -v $tool >/dev/null || { echo "FAIL: no $tool (scripts/deps installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ln -s "$data" data

# The segment runs from 95 to 105 s; its shots 0 to 4 look at these words, rolled by these angles.
words=(GREETS HELLO THANKS RESPECT CHEERS)
rolls=(0.2356125 0.2356125 0.2670275 0.1413675 0.2984425)
moments=(99.8 99.9 100.0 100.1 100.2)
"$capture" --png-dir shots --size 640x360 --fps 10 --at "$(IFS=,; echo "${moments[*]}")" \
    --shot 0,1,2,3,4 >capture.txt 2>&1 || { cat capture.txt >&2; exit 1; }

failed=0
for i in "${!words[@]}"; do
    shot=$(printf 'shots/at-%07.3f.png' "${moments[$i]}")
    # Turned level, the band across the middle where the word stands, the scanlines blurred
    # away, and dark letters on white, the way tesseract reads best.
    ffmpeg -hide_banner -loglevel error -y -i "$shot" -vf "rotate=${rolls[$i]}:fillcolor=black,\
crop=iw*0.7:ih*0.24,format=gray,gblur=sigma=2,scale=iw*3:ih*3:flags=bicubic,negate,\
lut=y='if(lt(val,160),0,255)',pad=iw+200:ih+200:100:100:white" "word$i.png"
    read=$(tesseract "word$i.png" stdout --psm 11 -c tessedit_char_whitelist=ABCDEFGHIJKLMNOPQRSTUVWXYZ \
        2>/dev/null | tr -d ' \n')
    echo "shot $i (${words[$i]}): read \"$read\""
    case $read in
    *"${words[$i]}"*) ;;
    *) failed=1 ;;
    esac
done
[ $failed -eq 0 ] || { echo "FAIL: a shot's word was not read" >&2; exit 1; }
