#!/usr/bin/env bash
# The same moments drawn by the Linux capture (OpenGL) and the Windows capture under Wine
# (Direct3D 11) on the same data, compared pair by pair (PSNR and the share of pixels off by more
# than 24); the pairs stay as frames/gl/ and frames/d3d11/, beside frames/sheet.png.
# Usage: frames_test.sh WINDOWS_BIN_DIR LINUX_BIN_DIR   (from a scratch folder)
set -euo pipefail
windows_bin=$1 linux_bin=$2
here=$(cd "$(dirname "$0")" && pwd)
moments=0,12,27,44,56,72,89,100,116,133,140
# One run per back end: every moment of one clock. Stepping the particles through the frames in
# between costs most of the time (under Wine about half a second a frame here), hence 2 frames a
# second: the particles then move in bigger steps, the same ones on both back ends.
options=(--at "$moments" --fps 2 --size 480x270)

mkdir -p frames && cd frames
rm -rf gl d3d11 sheet.png
ln -sfn "$windows_bin/data" data
start=$SECONDS
nice "$linux_bin/ombrel-capture" --png-dir gl "${options[@]}" >gl.log 2>&1 ||
    { cat gl.log >&2; exit 1; }
echo "OpenGL capture: $((SECONDS - start)) s"
start=$SECONDS
# Wine runs the program from this folder (data/ is the link above); the log goes to log.txt here.
nice "$here/../../scripts/wine" "$windows_bin/ombrel-capture.exe" --png-dir d3d11 "${options[@]}" \
    >d3d11.log 2>&1 || { cat d3d11.log >&2; exit 1; }
echo "Direct3D 11 capture under Wine: $((SECONDS - start)) s"
"$linux_bin/ombrel-compare-frames" gl d3d11 sheet.png at-027.000.png at-072.000.png \
    at-116.000.png
